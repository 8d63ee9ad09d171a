#ifndef DATALIMIT_H
#define DATALIMIT_H

#include <QString>
#include <QtGlobal>
#include <sys/resource.h>

// Lowers the process's data limit to the given bytes while it exists, so
// that the memory the program sees is known. skipReason() tells why it could
// not: under the sanitizers, whose own mappings count against the limit, or
// below a hard limit; empty when the limit is in force.
class DataLimit
{
public:
    explicit DataLimit(qint64 bytes);
    ~DataLimit();
    DataLimit(const DataLimit &) = delete;
    DataLimit &operator=(const DataLimit &) = delete;

    QString skipReason() const { return why; }
    // Puts the limit back as it was (also done on destruction).
    void restore();

private:
    struct rlimit saved;
    bool lowered = false;
    QString why;
};

#endif
