#ifndef BATCHFORLOOP_H
#define BATCHFORLOOP_H

#include <QString>

// One counted loop of a batch run. Numbers are kept as text as written.
class BatchForLoop
{
public:
    BatchForLoop();
    BatchForLoop(const QString &name, int line, const QString &placeholder, const QString &start,
                 const QString &end, const QString &step);

    // Steps the loop; false, value unchanged, when it has ended.
    bool advance();
    // The text of a loop value, zero-padded from the start text.
    QString valueText(qint64 n) const;

    QString name;
    int line;  // last physical line of the :for statement
    QString placeholder;
    QString start;
    QString end;
    QString current;
    QString step;
};

#endif
