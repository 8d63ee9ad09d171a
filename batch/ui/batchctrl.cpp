#include "batch/ui/batchctrl.h"

#include <QDebug>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextStream>

#include "batch/batchdispatcher.h"
#include "core/boundedlinereader.h"
#include "core/globals.h"
#include "display/_filedialog.h"
#include "ui_batchctrl.h"

BatchCtrl::BatchCtrl(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::BatchCtrl), dispatcher(nullptr),
      saveDialog(new _FileDialog(QString())), openDialog(new _FileDialog(QString()))
{
    ui->setupUi(this);

    const QStringList filters = {tr("Batch File (*.bat)"), tr("Any Files (* *.*)")};
    for (_FileDialog *d : {saveDialog.get(), openDialog.get()}) {
        d->setDirectory(batchRoot);
        d->setFileMode(QFileDialog::AnyFile);
        d->setNameFilters(filters);
        d->selectNameFilter(filters.first());
    }
    saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    openDialog->setAcceptMode(QFileDialog::AcceptOpen);

    connect(ui->Clear, &QPushButton::clicked, this, &BatchCtrl::clear);
    connect(ui->ClearLog, &QPushButton::clicked, this, &BatchCtrl::clearLog);
    connect(ui->Save, &QPushButton::clicked, saveDialog.get(), &QWidget::show);
    connect(saveDialog.get(), &QFileDialog::fileSelected, this, &BatchCtrl::save);
    connect(ui->Load, &QPushButton::clicked, openDialog.get(), &QWidget::show);
    connect(openDialog.get(), &QFileDialog::fileSelected, this, &BatchCtrl::load);
    connect(ui->Exec, &QPushButton::clicked, this, &BatchCtrl::execCmdsSlot);
}

BatchCtrl::~BatchCtrl()
{
    delete ui;
}

void BatchCtrl::setDispatcher(BatchDispatcher *d)
{
    for (const QMetaObject::Connection &c : links)
        disconnect(c);
    links.clear();
    dispatcher = d;
    if (!d)
        return;
    links << connect(ui->Stop, &QPushButton::clicked, d, &BatchDispatcher::batchStopSlot)
          << connect(this, &BatchCtrl::doDispatchCmds, d, &BatchDispatcher::doDispatchCmds)
          << connect(d, &BatchDispatcher::Log, this, &BatchCtrl::Log)
          << connect(this, &BatchCtrl::doQueueCmds, d, &BatchDispatcher::doQueueCmds);
}

void BatchCtrl::dispatchCmds(const QStringList &lines)
{
    emit doDispatchCmds(lines);
}

QString BatchCtrl::text() const { return ui->BatchCmds->toPlainText(); }

void BatchCtrl::setText(const QString &text) { ui->BatchCmds->setPlainText(text); }

QString BatchCtrl::logText() const { return ui->BatchLogs->toPlainText(); }

void BatchCtrl::dispatchEditor(bool queued)
{
    // Empty parts are kept, so list indices are the editor's line numbers.
    cmds = text().split('\n');
    if (queued)
        emit doQueueCmds(cmds);
    else
        emit doDispatchCmds(cmds);
}

void BatchCtrl::execCmdsSlot() { dispatchEditor(false); }

void BatchCtrl::execBatchSlot() { dispatchEditor(true); }

void BatchCtrl::clear() { ui->BatchCmds->clear(); }

void BatchCtrl::clearLog() { ui->BatchLogs->clear(); }

void BatchCtrl::save(const QString &fileName)
{
    // Written aside and renamed at the end: a failed save leaves the old file.
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qDebug() << "Can not write batch file" << fileName << ":" << f.errorString();
        return;
    }
    QTextStream out(&f);
    out << text();
    out.flush();
    if (out.status() != QTextStream::Ok || !f.commit())
        qDebug() << "Can not write batch file" << fileName << ":" << f.errorString();
}

void BatchCtrl::load(const QString &fileName)
{
    // LF, CRLF and CR end lines alike; a refused file leaves the editor as it is.
    BoundedLineReader in(fileName);
    if (!in.open(QStringLiteral("BatchCtrl::load"))) {
        qDebug() << "Can not open batch file" << fileName << ":" << in.errorString();
        return;
    }
    QString all;
    QString line;
    while (in.readLine(line))
        all += line + '\n';
    if (in.failed()) {
        qDebug() << "Can not read batch file" << fileName;
        return;
    }
    setText(all);
}

void BatchCtrl::setBatchFile(const QString &fileName) { load(fileName); }

void BatchCtrl::Log(const QString &text)
{
    // Appended at the end whatever the user has clicked or selected in the log.
    QTextCursor end(ui->BatchLogs->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    ui->BatchLogs->moveCursor(QTextCursor::End);
}

void BatchCtrl::showCmdErr(const CmdLine &line)
{
    qDebug() << "cmd" << line.line;
    Log(QString("Err: %1\n").arg(line.line));
}
