// The batch command executor: finds the command of a statement, hands it to the
// handler of its group and reports its completion to the interpreter.
#include "mainwindow/body.h"

#include <QDebug>

#include "batch/batchcmdtables.h"
#include "batch/batchdispatcher.h"
#include "batch/ui/batchctrl.h"
#include "core/cfg.h"
#include "core/globals.h"

void Body::execCmdSlot(const CmdLine &cmd, bool skip)
{
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
    bool later = false;
    if (id <= EX_xafs_view_enerugy_correction || id >= EX_Use_I0)
        later = execImageDataCmd(id, cmd);
    else if (id <= EX_analyzer_exec_elems)
        later = execAnalyzerCmd(id, cmd);
    else
        later = execCalibSaveCmd(id, cmd);
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

void Body::relayCompletion(int id)
{
    if (batchOwedId < 0 || (id != batchOwedId && id != batchOwedOwnId))
        return;
    batchOwedId = batchOwedOwnId = -1;
    BatchDispatcher *d = batchDispatcher;
    QMetaObject::invokeMethod(d, [d, id] { d->finishBatchExec(id); }, Qt::QueuedConnection);
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
