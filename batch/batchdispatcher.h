#ifndef BATCHDISPATCHER_H
#define BATCHDISPATCHER_H

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include "batch/batchforloop.h"
#include "batch/cmdline.h"
#include "core/cfg.h"
#include "core/cmdid.h"

// Runs a batch text one statement at a time in its own thread. Control words act
// here; command words go to the executor by execCmdSig, and the run goes on when
// that command's completion comes back through finishBatchExec.
class BatchDispatcher : public QObject
{
    Q_OBJECT
public:
    explicit BatchDispatcher(QObject *parent = nullptr);

    // Registers the types that travel through the dispatcher's queued signals.
    static void registerMetaTypes();

signals:
    void execNextLineSig();
    void execCmdSig(CmdLine line, bool skip);
    void Log(QString text);

public slots:
    void doDispatchCmds(QStringList lines);
    void finishBatchExec(int id);
    void batchStopSlot();
    void execNextLineSlot();
    // Starts a run as doDispatchCmds does, or, while a run is in progress, keeps
    // the lines to start them as a new run when that run ends by itself.
    void doQueueCmds(QStringList lines);

private:
    enum Step { NoCommand, CommandSent, RunEnded };

    // A command sent whose completion has not come back yet.
    struct Owed
    {
        int run;     // the run that sent it
        int id;      // completion identifier of the command
        int ownId;   // its own identifier, also accepted
    };

    void beginRun(const QStringList &batchLines);
    Step execStatement();
    void endRun(const QString &why);
    void doFor(const CmdLine &c);
    void doNext(const CmdLine &c);
    QString expand(const QString &arg) const;
    bool waitingForCommand() const;
    void owe(EX_CMD_ID id, bool skip);
    void continueLater();

    bool running;
    bool inComment;
    QStringList lines;
    int current;
    Cfg variables;
    QVector<BatchForLoop> loops;

    QVector<QStringList> queuedRuns;  // batches waiting for the run in progress
    QVector<Owed> owed;
    int runSerial;
    int idlePasses;  // loop passes since the last command sent
};

#endif
