#include "batch/batchforloop.h"

#include <QtGlobal>

BatchForLoop::BatchForLoop() : line(0), value(0), delta(1), passesLeft(1) {}

BatchForLoop::BatchForLoop(const QString &name_, int line_, const QString &placeholder_,
                           const QString &start_, const QString &end_, const QString &step_)
    : name(name_), line(line_), placeholder(placeholder_), start(start_), end(end_),
      current(start_), step(step_)
{
    // Text that is not a 32-bit number reads as 0. A start at or above the end
    // counts down, one below it counts up; a negative step always counts down.
    const qint64 s = start.toInt();
    const qint64 e = end.toInt();
    qint64 d = step.isEmpty() ? 1 : step.toInt();
    if (d == 0)
        d = 1;
    const qint64 size = qAbs(d);
    delta = d < 0 || s >= e ? -size : size;
    value = s;
    passesLeft = qAbs(e - s) / size + 1;
}

bool BatchForLoop::advance()
{
    if (passesLeft <= 1)
        return false;
    passesLeft--;
    value += delta;
    current = valueText(value);
    return true;
}

QString BatchForLoop::valueText(qint64 n) const
{
    const QString t = QString::number(n);
    if (n >= 0 && start.size() >= 2 && start.startsWith('0') && start.size() > t.size())
        return QString(start.size() - t.size(), '0') + t;
    return t;
}
