#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QThread>
#include <gtest/gtest.h>

#include "batch/batchdispatcher.h"
#include "batch/ui/batchctrl.h"
#include "core/globals.h"
#include "support/fakeexecutor.h"
#include "support/testfiles.h"

namespace {

// The window and a real interpreter in its own thread, with a fake executor.
class BatchWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BatchDispatcher::registerMetaTypes();
        d->moveToThread(&thread);
        w.setDispatcher(d);
        w.setDispatcher(d);  // a second call replaces the links
        x.attach(d);
        thread.start();
    }
    void TearDown() override
    {
        thread.quit();
        thread.wait();
        delete d;
    }

    void click(const char *button) { w.findChild<QPushButton *>(button)->click(); }
    int ends() const { return capture.count("BatchDispatcher: run "); }
    // Waits for n more runs to end and for their log texts to arrive.
    bool ended(int before, int n = 1)
    {
        const bool ok = QTest::qWaitFor([&] { return ends() >= before + n; }, 10000);
        flush();
        return ok;
    }
    void flush()
    {
        QMetaObject::invokeMethod(d, [] {}, Qt::BlockingQueuedConnection);
        QCoreApplication::sendPostedEvents();
    }
    // Answers held commands one by one, each bringing the next, until n were sent.
    void answerUntil(int n)
    {
        while (x.sent.size() < n) {
            const int was = x.sent.size();
            x.answer();
            ASSERT_TRUE(x.sentCount(was + 1));
        }
    }
    // Runs the editor's text by Exec. to its end.
    QString execRun(const QString &text)
    {
        x.sent.clear();
        w.setText(text);
        const int before = ends();
        click("Exec");
        EXPECT_TRUE(ended(before)) << qPrintable(text);
        return x.sent.join(',');
    }

    DebugCapture capture;
    QThread thread;
    BatchDispatcher *d = new BatchDispatcher;
    BatchCtrl w;
    FakeExecutor x;
};

TEST_F(BatchWindow, ExecRunsEveryEditorLineAndLogsInOrder)
{
    EXPECT_EQ(execRun(""), "");  // one empty line
    EXPECT_EQ(w.statements(), QStringList(""));
    EXPECT_EQ(execRun("save_image a\n\nseek_image 2\n"), "save_image a,seek_image 2");
    EXPECT_EQ(w.statements(), QStringList({"save_image a", "", "seek_image 2", ""}));

    w.clearLog();
    const QString loop =
        "for i : N = 1\nsave_image : img_1\nnext i : N = 2\nsave_image : img_2\nnext i : N = 2\n";
    EXPECT_EQ(execRun(":for i N 1 2\nsave_image img_N\n:next i\n:echo done\nseek_image 1"),
              "save_image img_1,save_image img_2,seek_image 1");  // no final line break
    EXPECT_EQ(w.logText(), loop + "echo doneseek_image : 1\n");

    // A selection made by the user in the log is neither replaced nor written into.
    auto *log = w.findChild<QPlainTextEdit *>("BatchLogs");
    QTextCursor c(log->document());
    c.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    log->setTextCursor(c);
    execRun("seek_image 7");
    CmdLine bad;
    bad.parse("no_such_word 1");
    w.showCmdErr(bad);
    EXPECT_EQ(w.logText(), loop + "echo doneseek_image : 1\nseek_image : 7\nErr: no_such_word 1\n");
}

TEST_F(BatchWindow, ClearLogAndStopDuringARun)
{
    click("Stop");  // nothing running: nothing changes
    flush();
    x.autoAnswer = false;
    w.setText("save_image a\nsave_image b\nsave_image c");
    click("Exec");
    ASSERT_TRUE(x.sentCount(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.logText() == "save_image : a\n"; }, 5000));
    click("ClearLog");
    EXPECT_EQ(w.logText(), "");
    answerUntil(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.logText() == "save_image : b\n"; }, 5000));

    click("Stop");
    flush();
    x.answer();  // the command in progress ends; no further line runs
    flush();
    EXPECT_TRUE(x.sentCount(2));
    x.autoAnswer = true;
    const int before = ends();
    click("Exec");  // from the first line again
    EXPECT_TRUE(ended(before));
    EXPECT_EQ(x.sent.join(','), "save_image a,save_image b,save_image a,save_image b,save_image c");
}

// Consecutive echoes follow on one another as written, but no log line grows
// past its bound; the log drops its oldest lines with a note, and a huge text
// is cut with one.
TEST_F(BatchWindow, LogStaysBoundedAndKeepsItsTextInOrder)
{
    QStringList lines;
    QString echoed;
    for (int i = 0; i < 3000; i++) {
        lines << QString(":echo \"pass %1 of the series\"").arg(i);
        echoed += QString("echo pass %1 of the series").arg(i);
    }
    execRun(lines.join('\n') + "\nseek_image 1");
    QString text = w.logText();
    EXPECT_EQ(text.remove('\n'), echoed + "seek_image : 1");
    const QStringList logLines = w.logText().split('\n');
    EXPECT_GT(logLines.size(), echoed.size() / BatchCtrl::MaxLogLine);
    for (const QString &line : logLines) {
        EXPECT_LE(line.size(), BatchCtrl::MaxLogLine);
        EXPECT_TRUE(line.isEmpty() || line.startsWith("echo pass") || line == "seek_image : 1")
            << line.left(40).toStdString();
    }

    // Lines beyond the bound: the oldest go, the newest stay.
    auto *log = w.findChild<QPlainTextEdit *>("BatchLogs");
    for (int i = 0; i < 2 * BatchCtrl::MaxLogLines; i++)
        w.Log(QString("line %1\n").arg(i));
    const QString note = "[older lines of the log were dropped]";
    EXPECT_LE(log->document()->blockCount(), BatchCtrl::MaxLogLines + 1);
    EXPECT_EQ(log->document()->firstBlock().text(), note);
    EXPECT_TRUE(w.logText().endsWith(QString("line %1\n").arg(2 * BatchCtrl::MaxLogLines - 1)));
    EXPECT_FALSE(w.logText().contains("echo pass"));

    // Characters beyond the bound, in long texts; one note stays at the top.
    const QString longText(BatchCtrl::MaxLogText, 'x');
    for (int i = 0; i < 5 * BatchCtrl::MaxLogChars / BatchCtrl::MaxLogText / 4; i++)
        w.Log(longText);
    EXPECT_LE(log->document()->characterCount(), BatchCtrl::MaxLogChars + BatchCtrl::MaxLogText);
    EXPECT_EQ(w.logText().count(note), 1);
    EXPECT_FALSE(w.logText().contains("x [") || w.logText().contains("line "));

    // A text far longer than the bound, through the interpreter.
    w.clearLog();
    execRun(":echo " + QString(3 * BatchCtrl::MaxLogText, 'y') + "\nseek_image 2");
    EXPECT_EQ(w.logText().count('y'), BatchCtrl::MaxLogText - 5);  // after "echo "
    EXPECT_TRUE(w.logText().endsWith(
        QString(" [%1 more characters of this text are not shown]\nseek_image : 2\n")
            .arg(2 * BatchCtrl::MaxLogText + 5)));
}

TEST_F(BatchWindow, StartUpBatchWaitsForTheRunningOneAndExecReplaces)
{
    // The configuration's batch is running when start-up runs the editor's batch.
    x.autoAnswer = false;
    w.dispatchCmds({"save_image cfg1", "save_image cfg2"});
    ASSERT_TRUE(x.sentCount(1));
    w.setText("seek_image 1\nseek_image 2");
    w.execBatchSlot();
    flush();
    int before = ends();
    answerUntil(4);
    x.answer();
    EXPECT_TRUE(ended(before, 2));
    EXPECT_EQ(x.sent.join(','), "save_image cfg1,save_image cfg2,seek_image 1,seek_image 2");

    // Exec. while a run waits: the run goes on at its index in the new text.
    x.sent.clear();
    w.setText("save_image a\nsave_image b\nsave_image c");
    click("Exec");
    ASSERT_TRUE(x.sentCount(1));
    w.setText("seek_image A\nseek_image B\nseek_image C");
    click("Exec");
    flush();
    before = ends();
    answerUntil(3);
    x.answer();
    EXPECT_TRUE(ended(before));
    EXPECT_EQ(x.sent.join(','), "save_image a,seek_image B,seek_image C");
}

QFileDialog *shownDialog()
{
    for (QWidget *t : QApplication::topLevelWidgets()) {
        if (auto *f = qobject_cast<QFileDialog *>(t); f && f->isVisible())
            return f;
    }
    return nullptr;
}

TEST(BatchWindowFiles, LoadAndSaveByHandAndThroughTheDialogs)
{
    DebugCapture capture;
    TestFiles files;
    const QString savedRoot = batchRoot;
    batchRoot = files.dir();
    auto *w = new BatchCtrl;
    batchRoot = savedRoot;

    w->setText("kept\n");
    w->Log("log kept\n");
    w->load(files.path("missing.bat"));
    w->setBatchFile(files.dir());  // a folder
    EXPECT_EQ(w->text(), "kept\n");
    EXPECT_EQ(w->logText(), "log kept\n");
    EXPECT_EQ(capture.count("Can not open batch file"), 2);
    EXPECT_TRUE(capture.contains("missing.bat"));

    // Any line ends in, "\n" after every line out.
    w->setBatchFile(files.write("crlf.bat", "save_image a\r\n\r\nseek_image 2"));
    EXPECT_EQ(w->text(), "save_image a\n\nseek_image 2\n");
    w->save(files.path("saved.bat"));
    EXPECT_EQ(files.read("saved.bat"), QByteArray("save_image a\n\nseek_image 2\n"));
    w->save(files.path("no/such/dir/x.bat"));
    EXPECT_FALSE(QFile::exists(files.path("no/such/dir")));
    EXPECT_TRUE(capture.contains("Can not write"));

    // The dialogs start in the batch root; a chosen file is loaded or saved.
    w->findChild<QPushButton *>("Load")->click();
    QPointer<QFileDialog> open = shownDialog();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(QDir(open->directory()).canonicalPath(), QDir(files.dir()).canonicalPath());
    open->selectFile(files.write("b.bat", "seek_image 3\n"));
    static_cast<QDialog *>(open.data())->accept();
    EXPECT_EQ(w->text(), "seek_image 3\n");

    w->findChild<QPushButton *>("Save")->click();
    QPointer<QFileDialog> save = shownDialog();
    ASSERT_NE(save, nullptr);
    EXPECT_NE(save, open);
    save->selectFile(files.path("new.bat"));  // a name not yet there
    static_cast<QDialog *>(save.data())->accept();
    EXPECT_EQ(files.read("new.bat"), QByteArray("seek_image 3\n"));

    delete w;
    EXPECT_TRUE(open.isNull() && save.isNull());
}

}  // namespace
