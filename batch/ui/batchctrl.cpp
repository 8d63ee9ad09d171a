#include "batch/ui/batchctrl.h"

#include <QDebug>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextStream>
#include <QVBoxLayout>

BatchCtrl::BatchCtrl(QWidget *parent) : QFrame(parent), editor(new QPlainTextEdit(this))
{
    setWindowTitle(tr("Batch"));
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(editor);
}

QString BatchCtrl::text() const { return editor->toPlainText(); }

void BatchCtrl::setText(const QString &text) { editor->setPlainText(text); }

void BatchCtrl::setBatchFile(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Can not open batch file" << fileName << ":" << f.errorString();
        return;
    }
    editor->clear();
    QTextStream in(&f);
    QString all;
    while (!in.atEnd())
        all += in.readLine() + "\n";
    editor->setPlainText(all);
    f.close();
}

void BatchCtrl::execBatchSlot()
{
    cmds = editor->toPlainText().split("\n");
    emit doDispatchCmds(cmds);
}

void BatchCtrl::dispatchCmds(const QStringList &statements)
{
    cmds = statements;
    emit doDispatchCmds(cmds);
}
