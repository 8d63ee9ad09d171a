#include "datalimit.h"

DataLimit::DataLimit(qint64 bytes)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    why = QStringLiteral("the sanitizers' own mappings count against the data limit");
    return;
#endif
    if (getrlimit(RLIMIT_DATA, &saved) != 0) {
        why = QStringLiteral("the data limit can not be read");
        return;
    }
    struct rlimit low = saved;
    low.rlim_cur = rlim_t(bytes);
    if (saved.rlim_max != RLIM_INFINITY && saved.rlim_max < low.rlim_cur) {
        why = QString("data limit below %1 MB already").arg(bytes >> 20);
        return;
    }
    if (setrlimit(RLIMIT_DATA, &low) != 0) {
        why = QStringLiteral("the data limit can not be set");
        return;
    }
    lowered = true;
}

DataLimit::~DataLimit() { restore(); }

void DataLimit::restore()
{
    if (lowered)
        setrlimit(RLIMIT_DATA, &saved);
    lowered = false;
}
