#include "batch/ui/batchctrl.h"

#include <QDebug>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>

#include "batch/batchdispatcher.h"
#include "core/boundedlinereader.h"
#include "core/globals.h"
#include "core/wholefile.h"
#include "display/_filedialog.h"
#include "display/widgethelpers.h"
#include "ui_batchctrl.h"

BatchCtrl::BatchCtrl(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::BatchCtrl), dispatcher(nullptr),
      saveDialog(new _FileDialog(QString())), openDialog(new _FileDialog(QString()))
{
    ui->setupUi(this);
    // The log keeps no undo history: it would hold every text ever logged.
    ui->BatchLogs->setUndoRedoEnabled(false);

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
    showOnClick(ui->Save, saveDialog.get());
    connect(saveDialog.get(), &QFileDialog::fileSelected, this, &BatchCtrl::save);
    showOnClick(ui->Load, openDialog.get());
    connect(openDialog.get(), &QFileDialog::fileSelected, this, &BatchCtrl::load);
    connect(ui->Exec, &QPushButton::clicked, this, &BatchCtrl::execCmdsSlot);
}

BatchCtrl::~BatchCtrl()
{
    setDispatcher(nullptr);
    delete ui;
}

void BatchCtrl::setDispatcher(BatchDispatcher *d)
{
    for (const QMetaObject::Connection &c : links)
        disconnect(c);
    links.clear();
    // A dispatcher no longer shown here is no longer paced by this log.
    if (BatchDispatcher *old = dispatcher; old && old != d)
        QMetaObject::invokeMethod(old, [old] { old->setLogPaced(false); }, Qt::QueuedConnection);
    dispatcher = d;
    if (!d)
        return;
    links << connect(ui->Stop, &QPushButton::clicked, d, &BatchDispatcher::batchStopSlot)
          << connect(this, &BatchCtrl::doDispatchCmds, d, &BatchDispatcher::doDispatchCmds)
          << connect(d, &BatchDispatcher::Log, this, &BatchCtrl::showDispatcherLog)
          << connect(d, &BatchDispatcher::foldedLog, this, &BatchCtrl::showFoldedLog)
          << connect(this, &BatchCtrl::logShown, d, &BatchDispatcher::logShown)
          << connect(this, &BatchCtrl::doQueueCmds, d, &BatchDispatcher::doQueueCmds)
          << connect(d, &BatchDispatcher::runsEnded, this, &BatchCtrl::interpreterRunsEnded)
          << connect(this, &BatchCtrl::markRuns, d, &BatchDispatcher::mark)
          << connect(d, &BatchDispatcher::marked, this, &BatchCtrl::runsMarked);
    QMetaObject::invokeMethod(d, [d] { d->setLogPaced(true); }, Qt::QueuedConnection);
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
    // Runs that end before the interpreter takes the mark are earlier ones.
    editorMarkTaken = false;
    emit markRuns(++editorMark);
    if (queued)
        emit doQueueCmds(cmds);
    else
        emit doDispatchCmds(cmds);
}

void BatchCtrl::execCmdsSlot() { dispatchEditor(false); }

void BatchCtrl::execBatchSlot() { dispatchEditor(true); }

void BatchCtrl::runsMarked(int mark)
{
    if (mark == editorMark)
        editorMarkTaken = true;
}

void BatchCtrl::interpreterRunsEnded(bool givenUp)
{
    emit runsEnded(givenUp);
    if (editorMarkTaken) {
        editorMarkTaken = false;
        emit editorRunsEnded(givenUp);
    }
}

void BatchCtrl::clear() { ui->BatchCmds->clear(); }

void BatchCtrl::clearLog() { ui->BatchLogs->clear(); }

void BatchCtrl::save(const QString &fileName)
{
    // Written aside and renamed at the end: a failed save leaves the old file.
    WholeFile f(fileName);
    if (!f.open())
        return;
    f.stream() << text();
    f.commit();
}

bool BatchCtrl::load(const QString &fileName)
{
    // LF, CRLF and CR end lines alike; a refused file leaves the editor as it is.
    BoundedLineReader in(fileName);
    if (!in.open(QStringLiteral("BatchCtrl::load"))) {
        qDebug() << "Can not open batch file" << fileName << ":" << in.errorString();
        return false;
    }
    QString all;
    QString line;
    while (in.readLine(line))
        all += line + '\n';
    if (in.failed()) {
        qDebug() << "Can not read batch file" << fileName;
        return false;
    }
    setText(all);
    return true;
}

bool BatchCtrl::setBatchFile(const QString &fileName) { return load(fileName); }

void BatchCtrl::Log(const QString &text)
{
    // A text too long to show is cut, with a note of what was left out.
    appendLog({BatchDispatcher::cutLogText(text)}, 0);
}

void BatchCtrl::showDispatcherLog(const QString &text)
{
    appendLog({text}, 0);
    emit logShown();
}

void BatchCtrl::showFoldedLog(const QStringList &texts, int leftOut)
{
    appendLog(texts, leftOut);
    emit logShown();
}

void BatchCtrl::appendLog(const QStringList &texts, int leftOut)
{
    // Appended at the end whatever the user has clicked or selected in the log,
    // in one insertion. No line grows past MaxLogLine: a text that would make
    // it longer starts a new line, and one longer than that goes on over several.
    QPlainTextEdit *log = ui->BatchLogs;
    QTextCursor end(log->document());
    end.movePosition(QTextCursor::End);
    int lineLength = end.block().length() - 1;
    QString out;
    if (leftOut > 0) {
        if (lineLength > 0)
            out += '\n';
        out += tr("[%1 texts of the batch run are left out here: the log could not keep up]\n")
                   .arg(leftOut);
        lineLength = 0;
    }
    for (const QString &shown : texts) {
        int at = 0;
        while (at < shown.size()) {
            if (lineLength >= MaxLogLine && shown.at(at) != '\n') {
                out += '\n';
                lineLength = 0;
            }
            const int lineEnd = shown.indexOf('\n', at);
            const int pieceEnd = lineEnd < 0 ? shown.size() : lineEnd + 1;
            // A piece that fits on a line of its own is not split.
            const int pieceLength = pieceEnd - at - (lineEnd < 0 ? 0 : 1);
            if (lineLength > 0 && lineLength + pieceLength > MaxLogLine &&
                pieceLength <= MaxLogLine) {
                out += '\n';
                lineLength = 0;
            }
            const int n = qMin(pieceEnd - at, qMax(1, MaxLogLine - lineLength));
            out += shown.midRef(at, n);
            lineLength = at + n == pieceEnd && lineEnd >= 0 ? 0 : lineLength + n;
            at += n;
        }
    }
    end.insertText(out);
    if (log->document()->blockCount() > MaxLogLines ||
        log->document()->characterCount() > MaxLogChars)
        dropOldLogLines();
    log->moveCursor(QTextCursor::End);
}

void BatchCtrl::dropOldLogLines()
{
    // Down to three quarters of either bound at once, so that lines are dropped
    // rarely; one line at the top says so.
    QTextDocument *doc = ui->BatchLogs->document();
    const QString note = tr("[older lines of the log were dropped]");
    QTextCursor top(doc);
    top.movePosition(QTextCursor::Start);
    int lines = doc->blockCount();
    int chars = doc->characterCount();
    if (top.block().text() == note) {
        top.movePosition(QTextCursor::NextBlock);
        lines--;
        chars -= top.block().position();
    }
    QTextCursor cut = top;
    while ((lines > MaxLogLines * 3 / 4 || chars > MaxLogChars * 3 / 4) && lines > 1) {
        chars -= cut.block().length();
        lines--;
        cut.movePosition(QTextCursor::NextBlock);
    }
    QTextCursor drop(doc);
    drop.setPosition(0);
    drop.setPosition(cut.position(), QTextCursor::KeepAnchor);
    drop.insertText(note + '\n');
}

void BatchCtrl::showCmdErr(const CmdLine &line)
{
    qDebug() << "cmd" << line.line;
    Log(QString("Err: %1\n").arg(line.line));
}
