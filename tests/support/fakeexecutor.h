#ifndef FAKEEXECUTOR_H
#define FAKEEXECUTOR_H

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include "batch/cmdline.h"

class BatchDispatcher;

// Stands in for the main window's command executor (and, through start and stop,
// for the batch window): records every command a dispatcher sends and answers it
// through a queued completion carrying its token, or holds the answers when told
// to. finished() stands for completions of work no command started.
class FakeExecutor : public QObject
{
    Q_OBJECT
public:
    explicit FakeExecutor(QObject *parent = nullptr);

    // Connects the dispatcher's commands to exec, and start, queue, stop and
    // finished to the dispatcher. The dispatcher's log is left to the caller.
    void attach(BatchDispatcher *d);
    // Waits until n commands have been sent; false when another number was.
    bool sentCount(int n, int timeoutMs = 5000) const;

    bool autoAnswer = true;
    QStringList sent;    // "cmd args", "skip " in front of skipped ones
    QVector<int> held;   // completions not yet given
    QVector<int> heldTokens;  // their commands' tokens
    int nextToken = 0;   // announced for the next command
    QString log;

signals:
    void start(QStringList lines);
    void queue(QStringList lines);
    void stop();
    void finished(int id);
    void finishedCmd(int token, int id);

public slots:
    void exec(CmdLine c, bool skip);
    // Gives the oldest held completion.
    void answer();
};

#endif
