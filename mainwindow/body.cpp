#include "mainwindow/body.h"

#include <QDebug>
#include <QLabel>

#include "batch/batchcmdtables.h"
#include "batch/batchctrl.h"
#include "core/cfg.h"
#include "core/physicaltables.h"

Body::Body(QWidget *parent) : QMainWindow(parent), batch(new BatchCtrl())
{
    setWindowTitle("Vantoscope");
    setCentralWidget(new QLabel(tr("Vantoscope"), this));
    resize(480, 320);
    loadVictoreenTable();
    qRegisterMetaType<CmdLine>("CmdLine");
    qRegisterMetaType<EX_CMD_ID>("EX_CMD_ID");
    connect(batch, &BatchCtrl::doDispatchCmds, this, &Body::runStatements,
            Qt::QueuedConnection);
    runConfigBatch();
}

Body::~Body() { delete batch; }

void Body::runConfigBatch()
{
    const QStringList lines =
        cfg.values(QString("batch").toUpper(), cfg.historyUpperKeys, cfg.historyRests);
    qDebug() << " =========== Batchs in Config ==============";
    for (const QString &l : lines)
        qDebug() << l;
    if (!lines.isEmpty())
        batch->dispatchCmds(lines);
}

// Runs the statements one after another; a command that is not available
// yet is reported and passed over, so a batch never waits on it.
void Body::runStatements(const QStringList &statements)
{
    for (const QString &s : statements) {
        CmdLine c;
        c.raw = s;
        c.parse(s);
        if (!c.valid || c.isControl)
            continue;
        execCmdSlot(c, false);
        if (exCmdId(c) == EX_quit)
            return;
    }
}

void Body::execCmdSlot(const CmdLine &cmd, bool skip)
{
    const EX_CMD_ID id = exCmdId(cmd);
    if (skip) {
        emit finishBatchExec(EX_not_ex_cmd);
        return;
    }
    if (id == EX_quit) {
        emit finishing();
        return;
    }
    qDebug() << "command not available in this build:" << cmd.cmd;
    emit finishBatchExec(id);
}
