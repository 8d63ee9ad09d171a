#include "batch/batchforloop.h"

BatchForLoop::BatchForLoop() : line(0) {}

BatchForLoop::BatchForLoop(const QString &name_, int line_, const QString &placeholder_,
                           const QString &start_, const QString &end_, const QString &step_)
    : name(name_), line(line_), placeholder(placeholder_), start(start_), end(end_),
      current(start_), step(step_)
{
}

bool BatchForLoop::advance()
{
    // Text that is not a 32-bit number reads as 0; the sum is taken in 64 bits.
    const int s = start.toInt();
    const int e = end.toInt();
    const int v = current.toInt();
    int d = step.isEmpty() ? 1 : step.toInt();
    if (d == 0)
        d = 1;

    qint64 n;
    if (s >= e) {
        n = qint64(v) - d;
        if (n < e)
            return false;
    } else {
        n = qint64(v) + d;
        if (n > e)
            return false;
    }
    current = valueText(n);
    return true;
}

QString BatchForLoop::valueText(qint64 n) const
{
    const QString t = QString::number(n);
    if (start.size() >= 2 && start.startsWith('0') && start.size() > t.size())
        return start.left(start.size() - t.size()) + t;
    return t;
}
