#ifndef BATCHFORLOOP_H
#define BATCHFORLOOP_H

#include <QString>

// One counted loop of a batch run. The bounds are kept as written; the count is
// kept as a number and written out, zero-padded, into current at every step.
class BatchForLoop
{
public:
    BatchForLoop();
    BatchForLoop(const QString &name, int line, const QString &placeholder, const QString &start,
                 const QString &end, const QString &step);

    // Steps the loop; false, value unchanged, when it has ended.
    bool advance();
    // The text of a loop value, zero-padded to the width of a start text that
    // begins with 0.
    QString valueText(qint64 n) const;

    QString name;
    int line;  // last physical line of the :for statement
    QString placeholder;
    QString start;
    QString end;
    QString current;
    QString step;

private:
    qint64 value;       // the count that current shows
    qint64 delta;       // added at every step
    qint64 passesLeft;  // passes of the body still to run, the current one included
};

#endif
