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
namespace Ui {
class Body;
}

// The main window. Until the image windows, the analysis and the batch
// interpreter are in place it holds the batch editor, the statistics window
// and runs the commands that need none of them. Compiled once per program:
// the classic program has no statistics window.
class Body : public QMainWindow
{
    Q_OBJECT
public:
    explicit Body(QWidget *parent = nullptr);
    ~Body() override;

    BatchCtrl *batchCtrl() const { return batch; }

public slots:
    void execCmdSlot(const CmdLine &cmd, bool skip);
    void runStatements(const QStringList &statements);
#if !VANTOSCOPE_CLASSIC
    void showStatistics();
    void selectedRangeInStats();
#endif

signals:
    void finishing();
    void finishBatchExec(int id);

private:
    void runConfigBatch();
#if !VANTOSCOPE_CLASSIC
    void setupStats();
#endif

    Ui::Body *ui;
    BatchCtrl *batch;
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
