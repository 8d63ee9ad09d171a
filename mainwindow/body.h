#ifndef BODY_H
#define BODY_H

#include <QMainWindow>
#include <QStringList>

#include "batch/cmdline.h"
#if !VANTOSCOPE_CLASSIC
#include "mainwindow/stats.h"
#endif

class Analyzed2DRes;
class BatchCtrl;
class BatchDispatcher;
class QThread;
namespace Ui {
class Body;
}

// The main window. Until the image windows and the analysis are in place it
// holds the batch editor with its interpreter thread and the statistics
// window, and carries out the commands that need none of them. Compiled once
// per program: the classic program has no statistics window.
class Body : public QMainWindow
{
    Q_OBJECT
public:
    explicit Body(QWidget *parent = nullptr);
    ~Body() override;

    BatchCtrl *batchCtrl() const { return batch; }

public slots:
    void execCmdSlot(const CmdLine &cmd, bool skip);
#if !VANTOSCOPE_CLASSIC
    void showStatistics();
    void selectedRangeInStats();
#endif

signals:
    void finishing();
    void finishBatchExec(int id);

private:
    void setupBatch();
    void runConfigBatch();
#if !VANTOSCOPE_CLASSIC
    void setupStats();
#endif

    Ui::Body *ui;
    BatchCtrl *batch;
    BatchDispatcher *batchDispatcher;
    QThread *batchThread;
    // The map the analysis window shows; none until that window exists.
    Analyzed2DRes *analysisMap;
#if !VANTOSCOPE_CLASSIC
    Stats stats;
    bool statsRangeOn;      // mark the map's values in the picked range
    double statsRangeLo;
    double statsRangeHi;
#endif
};

#endif
