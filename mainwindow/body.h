#ifndef BODY_H
#define BODY_H

#include <QMainWindow>
#include <QStringList>

#include "batch/cmdline.h"

class BatchCtrl;

// The main window. Until the image windows, the analysis and the batch
// interpreter are in place it holds the batch editor and runs the commands
// that need none of them.
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

signals:
    void finishing();
    void finishBatchExec(int id);

private:
    void runConfigBatch();

    BatchCtrl *batch;
};

#endif
