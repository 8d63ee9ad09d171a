#ifndef BATCHCTRL_H
#define BATCHCTRL_H

#include <QMainWindow>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

#include "batch/batchdispatcher.h"
#include "batch/cmdline.h"

class _FileDialog;

namespace Ui {
class BatchCtrl;
}

// The batch editor and progress log: loads, saves and edits a batch text, starts
// and stops runs of the interpreter, which lives in its own thread and is reached
// only through queued signals, and shows the log texts it sends back,
// acknowledging each so that the interpreter never runs far ahead of the log.
class BatchCtrl : public QMainWindow
{
    Q_OBJECT

public:
    // Bounds of the progress log: its lines, its characters, the characters of
    // one line and of one logged text.
    static constexpr int MaxLogLines = 20000;
    static constexpr int MaxLogChars = 2000000;
    static constexpr int MaxLogLine = 1000;
    static constexpr int MaxLogText = BatchDispatcher::MaxLogText;

    explicit BatchCtrl(QWidget *parent = nullptr);
    ~BatchCtrl() override;

    // Stores the interpreter (not owned) and connects Stop, the start requests
    // and its log to it; its log texts are then paced by this window. A
    // dispatcher set before is no longer paced.
    void setDispatcher(BatchDispatcher *d);
    // Asks the interpreter to run the lines; the list is not kept.
    void dispatchCmds(const QStringList &lines);

    // The editor's text.
    QString text() const;
    void setText(const QString &text);
    // The progress log's text.
    QString logText() const;
    // The lines last dispatched from the editor.
    QStringList statements() const { return cmds; }

signals:
    void doDispatchCmds(const QStringList &lines);
    void batchStop();
    // Like doDispatchCmds, but a run in progress is let finish first.
    void doQueueCmds(const QStringList &lines);
    // The interpreter has no run left; givenUp when its bounds stopped the last.
    void runsEnded(bool givenUp);
    // A text or folded update of the interpreter has been shown.
    void logShown();
    // The interpreter has no run left after running the editor's lines last
    // dispatched; givenUp as for runsEnded.
    void editorRunsEnded(bool givenUp);
    // Asks the interpreter for a mark ahead of the editor's lines.
    void markRuns(int mark);

public slots:
    // Both run the editor's lines; execBatchSlot waits for a run in progress,
    // execCmdsSlot (the Exec. button) replaces its lines.
    void execCmdsSlot();
    void execBatchSlot();
    void clear();
    void clearLog();
    void save(const QString &fileName);
    // Both return false, leaving the editor as it is, for a file that cannot be read.
    bool load(const QString &fileName);
    bool setBatchFile(const QString &fileName);
    void Log(const QString &text);
    void showCmdErr(const CmdLine &line);

private slots:
    // Texts of the interpreter, already cut; each call is acknowledged.
    void showDispatcherLog(const QString &text);
    void showFoldedLog(const QStringList &texts, int leftOut);
    void runsMarked(int mark);
    void interpreterRunsEnded(bool givenUp);

private:
    void dispatchEditor(bool queued);
    // Appends the texts, laid out in lines of at most MaxLogLine characters,
    // after a note of leftOut texts left out when there are any.
    void appendLog(const QStringList &texts, int leftOut);
    // Drops the oldest lines of the log, leaving a note in their place.
    void dropOldLogLines();

    Ui::BatchCtrl *ui;
    QPointer<BatchDispatcher> dispatcher;
    QStringList cmds;
    std::unique_ptr<_FileDialog> saveDialog;
    std::unique_ptr<_FileDialog> openDialog;
    QVector<QMetaObject::Connection> links;  // to the dispatcher
    // The mark sent ahead of the editor's lines last dispatched, and whether
    // the interpreter has taken it: the runs that end after it include them.
    int editorMark = 0;
    bool editorMarkTaken = false;
};

#endif
