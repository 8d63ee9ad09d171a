#include "mainwindow/body.h"

#include <QDebug>
#include <QPushButton>

#include "batch/batchcmdtables.h"
#include "batch/ui/batchctrl.h"
#include "core/cfg.h"
#include "imagedata/analyzed2dres.h"
#include "ui_body.h"

Body::Body(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::Body), batch(new BatchCtrl()), analysisMap(nullptr)
#if !VANTOSCOPE_CLASSIC
      , statsRangeOn(false), statsRangeLo(0), statsRangeHi(1.0)
#endif
{
    ui->setupUi(this);
    connect(ui->BatchCtrlB, &QPushButton::clicked, batch, &QWidget::show);
    connect(batch, &BatchCtrl::doDispatchCmds, this, &Body::runStatements,
            Qt::QueuedConnection);
#if !VANTOSCOPE_CLASSIC
    setupStats();
#endif
    runConfigBatch();
}

Body::~Body()
{
    delete batch;
    delete ui;
}

#if !VANTOSCOPE_CLASSIC
void Body::setupStats()
{
    connect(ui->ShowStatistics, &QPushButton::clicked, &stats, &QWidget::show);
    connect(ui->ShowStatistics, &QPushButton::clicked, this, &Body::showStatistics);
    connect(&stats, &Stats::rangeSelected, this, &Body::selectedRangeInStats);
}

void Body::showStatistics()
{
    if (!analysisMap)
        return;
    stats.calcStats(analysisMap, analysisMap->area);
}

void Body::selectedRangeInStats()
{
    statsRangeLo = stats.selectedLo();
    statsRangeHi = stats.selectedHi();
    statsRangeOn = true;
    update();
}
#endif

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
