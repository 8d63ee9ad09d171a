#ifndef BATCHDISPATCHER_H
#define BATCHDISPATCHER_H

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include "batch/batchforloop.h"
#include "batch/cmdline.h"
#include "core/cfg.h"
#include "core/cmdid.h"

// Runs a batch text one statement at a time in its own thread. Control words act
// here; command words go to the executor by execCmdSig, each announced by
// execCmdTokenSig with a token of its own, and the run goes on when that
// command's completion comes back through finishBatchCmd with the token (or,
// from an executor that keeps no tokens, through finishBatchExec with its id).
// Stop forgets the command the run waits for: its late completion is ignored.
// A log that paces the dispatcher acknowledges each text or folded update it
// has shown; while one is unacknowledged, later texts are folded into one
// update that keeps only the newest of them. Every log text is cut past
// MaxLogText characters.
class BatchDispatcher : public QObject
{
    Q_OBJECT
public:
    explicit BatchDispatcher(QObject *parent = nullptr);

    // Registers the types that travel through the dispatcher's queued signals.
    static void registerMetaTypes();

    // A run whose loops pass more than maxPasses times, or longer than maxMs since
    // the last completion, without sending a command is given up. Call before the
    // dispatcher's thread starts.
    void setIdleBounds(qint64 maxPasses, qint64 maxMs);
    // Largest size, in characters, of a statement's arguments after expansion.
    static const int MaxExpandedSize;
    // A log text longer than this is cut, with a note of what is not shown.
    static const int MaxLogText = 100000;
    // A folded update keeps the newest texts within these bounds, half those
    // of the log window, so that the log shows an update whole; older texts
    // are counted as left out.
    static const int MaxFoldedChars = 1000000;
    static const int MaxFoldedLines = 10000;
    static QString cutLogText(const QString &text);

signals:
    void execNextLineSig();
    void execCmdSig(CmdLine line, bool skip);
    void Log(QString text);
    // Texts folded while the log was behind, in order; leftOut older texts were
    // dropped before them.
    void foldedLog(QStringList texts, int leftOut);
    // Emitted just before execCmdSig: the token of the command it sends.
    void execCmdTokenSig(int token);
    // No run is left in progress or queued; givenUp when the last one was given
    // up by the bounds on passes without a command.
    void runsEnded(bool givenUp);
    // The answer to mark: every runsEnded sent before it concerns runs asked for
    // before the mark.
    void marked(int mark);

public slots:
    void doDispatchCmds(QStringList lines);
    void finishBatchExec(int id);
    void batchStopSlot();
    void execNextLineSlot();
    // Starts a run as doDispatchCmds does, or, while a run is in progress, keeps
    // the lines to start them as a new run when that run ends by itself.
    void doQueueCmds(QStringList lines);
    // The command sent with this token has completed with the identifier id.
    void finishBatchCmd(int token, int id);
    // Whether the log acknowledges, with logShown, every text and update it is
    // sent; only then are texts folded while it is behind.
    void setLogPaced(bool on);
    // The log has shown the oldest text or update not yet acknowledged.
    void logShown();
    // Answers with marked(mark) in the order of the requests.
    void mark(int mark);

private:
    enum Step { NoCommand, CommandSent, RunEnded };

    void beginRun(const QStringList &batchLines);
    Step execStatement();
    void endRun(const QString &why);
    void doFor(const CmdLine &c);
    void doNext(const CmdLine &c);
    // Expands the arguments in place; false, with a debug line, when they would
    // grow past MaxExpandedSize.
    bool expandArgs(CmdLine &c) const;
    bool expand(QString &arg, qint64 &room) const;
    bool waitingForCommand() const { return awaitToken != 0; }
    void await(EX_CMD_ID id, bool skip);
    void commandDone();
    void continueLater();
    // Counts a loop pass without a command; false when the run was given up.
    bool idlePass(const QString &loop);
    // Sends a text to the log, or folds it while the log is behind; logCut
    // takes a text already cut.
    void log(const QString &text);
    void logCut(const QString &cut);
    // Sends what is folded at once: before a command and when no run is left.
    void flushLog();

    bool running;
    bool inComment;
    QStringList lines;
    int current;
    Cfg variables;
    QVector<BatchForLoop> loops;

    QVector<QStringList> queuedRuns;  // batches waiting for the run in progress
    int runSerial;
    // The command the run waits for: its token (0: none), its completion
    // identifier and its own identifier, either accepted from finishBatchExec.
    int awaitToken;
    int awaitId;
    int awaitOwnId;
    int tokenSerial;
    qint64 idlePasses;           // loop passes since the last completion
    QElapsedTimer sinceCommand;  // since the run started or a command completed
    qint64 maxIdlePasses;
    qint64 maxIdleMs;
    bool givenUp;                // the last run ended by the bounds above

    bool logPaced;
    int updatesInFlight;         // sent to the log, not yet acknowledged
    QStringList folded;          // texts waiting for the log
    qint64 foldedChars;
    qint64 foldedLines;
    int leftOut;                 // texts dropped from folded
};

#endif
