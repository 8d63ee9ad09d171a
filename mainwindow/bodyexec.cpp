// The batch command executor: finds the command of a statement, hands it to the
// handler of its group and reports its completion to the interpreter.
#include "mainwindow/body.h"

#include <QDebug>
#include <limits>
#include <new>
#include <memory>

#include "batch/batchcmdtables.h"
#include "batch/batchdispatcher.h"
#include "batch/ui/batchctrl.h"
#include "core/cfg.h"
#include "core/globals.h"
#include "imagedata/errpoints.h"
#include "imagedata/loadtiff.h"

void Body::execCmdSlot(const CmdLine &cmd, bool skip)
{
    // The token the interpreter announced for this command; 0 when the slot
    // is called by other code, whose completions go to no run.
    batchToken = batchNextToken;
    batchNextToken = 0;
    batchLoadNeeds = 0;
    if (skip) {
        batchOwedId = batchOwedOwnId = EX_not_ex_cmd;
        emit finishBatchExec(EX_not_ex_cmd);
        return;
    }
    CmdLine word;
    word.parse(cmd.cmd);
    const EX_CMD_ID id = exCmdId(word);
    if (id == EX_not_ex_cmd) {
        batchOwedId = batchOwedOwnId = EX_not_ex_cmd;
        if (!isCtlCmd(word)) {
            qDebug() << "cmd" << cmd.line;
            batchEditor->Log(QString("Err: %1\n").arg(cmd.line));
        }
        emit finishBatchExec(EX_not_ex_cmd);
        return;
    }
    // Set before the handler runs: some completions come during the call.
    batchOwedId = completionIdOf(id);
    batchOwedOwnId = id;
    const bool i1Load = batchOwedId == EX_load_I1_files;
    const bool i0Load = batchOwedId == EX_load_I0_files;
    // No load completion counts until the handler's requests are known.
    if (i1Load || i0Load)
        batchLoadNeeds = std::numeric_limits<quint64>::max();
    bool later = false;
    try {
        if (id <= EX_xafs_view_enerugy_correction || id >= EX_Use_I0)
            later = execImageDataCmd(id, cmd);
        else if (id <= EX_analyzer_exec_elems)
            later = execAnalyzerCmd(id, cmd);
        else
            later = execCalibSaveCmd(id, cmd);
    } catch (const std::bad_alloc &) {
        failOwedCommand(tr("%1: not enough memory, the command failed").arg(word.cmd));
        return;
    }
    batchLoadNeeds = !later ? 0 : i1Load ? i1LoadsAsked : i0Load ? i0LoadsAsked : 0;
    if (!later)
        emit finishBatchExec(completionIdOf(id));
}

int Body::completionIdOf(EX_CMD_ID id)
{
    if (id == EX_load_I1_files_of_pattern)
        return EX_load_I1_files;
    if (id == EX_load_I0_files_of_pattern)
        return EX_load_I0_files;
    return id;
}

void Body::reportRunEnd(int id, int token)
{
    relayMuted = token == 0 || token != batchToken;
    emit finishBatchExec(id);
    relayMuted = false;
}

int Body::takeRunToken()
{
    const int token = nextRunToken;
    nextRunToken = 0;
    return token;
}

void Body::relayCompletion(int id)
{
    if (relayMuted || batchOwedId < 0 || (id != batchOwedId && id != batchOwedOwnId))
        return;
    // A loader that ran dry before it had the command's request reports
    // earlier work; the command's own load reports later.
    if ((id == EX_load_I1_files && i1LoadsReceived < batchLoadNeeds) ||
        (id == EX_load_I0_files && i0LoadsReceived < batchLoadNeeds))
        return;
    const int token = batchToken;
    batchToken = 0;
    batchOwedId = batchOwedOwnId = -1;
    batchLoadNeeds = 0;
    if (token == 0)
        return;
    BatchDispatcher *d = batchDispatcher;
    QMetaObject::invokeMethod(
        d, [d, token, id] { d->finishBatchCmd(token, id); }, Qt::QueuedConnection);
}

void Body::failOwedCommand(const QString &line)
{
    logRefusal(line);
    if (batchOwedId < 0)
        return;
    // Its own completion, should it still come, reaches no command.
    batchLoadNeeds = 0;
    emit finishBatchExec(batchOwedId);
}

void Body::memoryRanShort()
{
    failOwedCommand(tr("Not enough memory: the work under way failed"));
}

void Body::logUnderBatch(const QString &line)
{
    // Under a batch command the run's log says so too.
    if (batchToken != 0)
        batchEditor->Log(line + "\n");
}

void Body::logRefusal(const QString &line)
{
    qDebug().noquote() << line;
    logUnderBatch(line);
}

void Body::connectLoadRequests(LoadTiff *loader, bool i1)
{
    // Counted in the loader thread only.
    auto received = std::make_shared<quint64>(0);
    auto forward = [this, loader, received, i1](QStringList files, bool skipLive, int step,
                                                int start, int tail, ErrPointsSnapshot errPoints,
                                                EX_CMD_ID cmd) {
        loader->loadTiffs(files, skipLive, step, start, tail, errPoints, cmd);
        // Queued behind nothing the loader emits for this request: its
        // completion follows this acknowledgement.
        const quint64 n = ++*received;
        QMetaObject::invokeMethod(
            this, [this, i1, n] { (i1 ? i1LoadsReceived : i0LoadsReceived) = n; },
            Qt::QueuedConnection);
    };
    if (i1) {
        connect(this, &Body::loadI1Files, this, [this] { i1LoadsAsked++; });
        connect(this, &Body::loadI1Files, loader, forward);
    } else {
        connect(this, &Body::loadI0Files, this, [this] { i0LoadsAsked++; });
        connect(this, &Body::loadI0Files, loader, forward);
    }
}

void Body::runConfigBatch()
{
    const QStringList lines =
        cfg.values(QString("batch").toUpper(), cfg.historyUpperKeys, cfg.historyRests);
    qDebug() << " =========== Batchs in Config ==============";
    for (const QString &l : lines)
        qDebug() << l;
    qDebug() << " =========== Batchs in Config ==============";
    batchEditor->dispatchCmds(lines);
}
