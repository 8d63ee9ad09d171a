#ifndef BATCHCTRL_H
#define BATCHCTRL_H

#include <QFrame>
#include <QStringList>

class QPlainTextEdit;

// Batch editor: holds the batch text and hands its statements on for dispatching.
class BatchCtrl : public QFrame
{
    Q_OBJECT
public:
    explicit BatchCtrl(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    QStringList statements() const { return cmds; }

public slots:
    void setBatchFile(const QString &fileName);
    void execBatchSlot();
    void dispatchCmds(const QStringList &statements);

signals:
    void doDispatchCmds(const QStringList &statements);

private:
    QPlainTextEdit *editor;
    QStringList cmds;
};

#endif
