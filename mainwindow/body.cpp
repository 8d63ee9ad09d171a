#include "mainwindow/body.h"

#include <QDebug>
#include <QPushButton>
#include <QThread>

#include "batch/batchcmdtables.h"
#include "batch/batchdispatcher.h"
#include "batch/ui/batchctrl.h"
#include "core/cfg.h"
#include "imagedata/analyzed2dres.h"
#include "ui_body.h"

Body::Body(QWidget *parent)
    : QMainWindow(parent),
      ui(new Ui::Body),
      batch(nullptr),
      batchDispatcher(nullptr),
      batchThread(nullptr),
      analysisMap(nullptr)
#if !VANTOSCOPE_CLASSIC
      , statsRangeOn(false), statsRangeLo(0), statsRangeHi(1.0)
#endif
{
    ui->setupUi(this);
    setupBatch();
#if !VANTOSCOPE_CLASSIC
    setupStats();
#endif
    runConfigBatch();
}

Body::~Body()
{
    // The interpreter's thread ends before its objects go.
    batchThread->quit();
    batchThread->wait();
    delete batchDispatcher;
    delete batch;
    delete ui;
}

void Body::setupBatch()
{
    batch = new BatchCtrl();
    batchDispatcher = new BatchDispatcher();
    batchThread = new QThread(this);
    batchDispatcher->moveToThread(batchThread);
    batchThread->start();   // with the priority of this thread
    connect(ui->BatchCtrlB, &QPushButton::clicked, batch, &QWidget::show);
    connect(batchDispatcher, &BatchDispatcher::execCmdSig, this, &Body::execCmdSlot);
    connect(this, &Body::finishBatchExec, batchDispatcher, &BatchDispatcher::finishBatchExec);
    batch->setDispatcher(batchDispatcher);
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

// Until the command executor is in place only "quit" is carried out; every
// other command is logged and reported finished at once, so a batch goes on.
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
