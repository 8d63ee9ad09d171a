#include <QMetaMethod>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include "batch/batchcmdtables.h"
#include "batch/batchdispatcher.h"
#include "core/globals.h"
#include "support/fakeexecutor.h"
#include "support/testfiles.h"

namespace {

class BatchRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BatchDispatcher::registerMetaTypes();
        const QString saved = dataRoot;
        dataRoot = "D:/xafs";
        d = new BatchDispatcher;
        dataRoot = saved;
        thread.setStackSize(256 * 1024);  // a recursion per statement overflows this
        d->moveToThread(&thread);
        x.attach(d);
        QObject::connect(d, &BatchDispatcher::Log, &x, [this](const QString &t) { x.log += t; });
        QObject::connect(d, &BatchDispatcher::runsEnded, &x,
                         [this](bool givenUp) { endings << givenUp; });
        thread.start();
    }
    void TearDown() override
    {
        thread.quit();
        thread.wait();
        delete d;
    }

    int ends() const { return capture.count("BatchDispatcher: run "); }
    // Waits for n runs to report their end.
    bool ended(int before, int n = 1, int timeoutMs = 20000)
    {
        const bool ok = QTest::qWaitFor([&] { return ends() >= before + n; }, timeoutMs);
        QCoreApplication::sendPostedEvents();
        return ok;
    }
    // Runs the lines to their end; returns the commands sent, joined by commas.
    QString sends(const QStringList &lines, int timeoutMs = 20000)
    {
        x.sent.clear();
        x.log.clear();
        const int before = ends();
        emit x.start(lines);
        EXPECT_TRUE(ended(before, 1, timeoutMs)) << qPrintable(lines.join('|').left(200));
        return x.sent.join(',');
    }
    void setIdleBounds(qint64 passes, qint64 ms)
    {
        QMetaObject::invokeMethod(
            d, [=] { d->setIdleBounds(passes, ms); }, Qt::BlockingQueuedConnection);
    }
    bool sentCount(int n) { return x.sentCount(n); }
    // Lets the dispatcher take what was sent to it, and its answers arrive.
    void flush()
    {
        QMetaObject::invokeMethod(d, [] {}, Qt::BlockingQueuedConnection);
        QCoreApplication::sendPostedEvents();
    }

    DebugCapture capture;
    QVector<bool> endings;  // runsEnded, in order
    QThread thread;
    BatchDispatcher *d = nullptr;
    FakeExecutor x;
};

TEST_F(BatchRun, Loops)
{
    const QVector<QPair<QString, QString>> cases = {
        {"3 1", "3 2 1"}, {"1 7 3", "1 4 7"}, {"1 8 3", "1 4 7"}, {"1 3 0", "1 2 3"}, {"5 5", "5"},
        {"01 10", "01 02 03 04 05 06 07 08 09 10"}, {"0123 9 114", "0123 0009"},
        // Counting down keeps the start's width; a negative step counts down.
        {"010 001", "010 009 008 007 006 005 004 003 002 001"}, {"0123 0 57", "0123 0066 0009"},
        {"5 1 -1", "5 4 3 2 1"}, {"1 -3 -2", "1 -1 -3"}, {"2 -2 3", "2 -1"},
        {"-2147483648 2147483647 2147483647", "-2147483648 -1 2147483646"}};
    for (const auto &c : cases) {
        const QString sent = sends({":for i N " + c.first, "seek_image N", ":next i"});
        EXPECT_EQ(QString(sent).remove("seek_image "), QString(c.second).replace(' ', ','));
    }
    EXPECT_EQ(sends({":for i N 1 3", "save_image img_N.png", ":next i"}).count(','), 2);
    EXPECT_EQ(x.log, "for i : N = 1\nsave_image : img_1.png\nnext i : N = 2\n"
                     "save_image : img_2.png\nnext i : N = 3\nsave_image : img_3.png\n"
                     "next i : N = 3\n");
    EXPECT_EQ(sends({":for i I 1 2", ":for j J 1 2", "save_data f_I_J", ":next j", ":next i"}),
              "save_data f_1_1,save_data f_1_2,save_data f_2_1,save_data f_2_2");
    // A :for over two lines jumps back after its second line; a word may be split.
    EXPECT_EQ(sends({":for i N \\", "1 2", "seek_\\", "image a\\ ", " N", ":next i"}),
              "seek_image a 1,seek_image a 2");
    EXPECT_EQ(sends({":for k K 1 3", "seek_image K", ":next nope", "quit\\"}), "seek_image 1,quit");
    EXPECT_TRUE(x.log.contains("next  :  = \n"));
}

TEST_F(BatchRun, VariablesExpansionOrderCommentsAndEnd)
{
    EXPECT_EQ(sends({"save_data $out$/a", ":let out C:/Data/run1", ":let out C:/Data/run2",
                     ":let Out other", "save_data $out$/map.dat $DataRoot$/x", ":let p $q$/1",
                     ":let q Q", ":let n N_$q$", ":for i N 7 7", "save_data $p$ $n$ N",
                     ":echo \"a b\" c", ":echo hi there"}),
              "save_data $out$/a,save_data C:/Data/run2/map.dat D:/xafs/x,save_data Q/1 N_$q$ 7");
    EXPECT_TRUE(x.log.endsWith("save_data : Q/1 N_$q$ 7\necho a becho hi"));
    EXPECT_EQ(sends({"save_data $out$ $Out$"}), "save_data C:/Data/run2 other");  // kept

    EXPECT_EQ(sends({":rem_start", "save_image x_N", ":let v 1", ":for k N 1 2", ":echo hi",
                     ":next k", ":rem_end", "save_data $v$ N", ":end", "quit"}),
              "skip save_image x_N,save_data $v$ N");
    EXPECT_EQ(x.log, "save_data : $v$ N\n");
    EXPECT_EQ(sends({":rem_start", ":end", "quit"}), "");
    EXPECT_EQ(sends({"seek_image 1"}), "seek_image 1");  // out of the comment
}

TEST_F(BatchRun, LongStretchesRunInBoundedStackAndEndlessLoopsStop)
{
    QStringList lines;
    for (int i = 0; i < 50000; i++)
        lines << "" << "  # comment";
    EXPECT_EQ(sends(lines << ":for i N 1 100000" << ":let v N" << ":next i" << "save_data N"),
              "save_data 100000");
    EXPECT_EQ(x.log.count("next i : N ="), 100000);

    // A step away from the end never ends; Stop is seen between statements.
    const int before = ends();
    emit x.start({":for i N 1 5 -1", ":next i"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return x.log.contains("N = -1\n"); }, 5000));
    emit x.stop();
    EXPECT_TRUE(ended(before));
}

// A loop that would pass two thousand million times without a command is given
// up with one line; its passes past the first hundred thousand are not logged.
TEST_F(BatchRun, PassesWithoutACommandAreBoundedInLogLines)
{
    // The bound on passes ends it, however slow the build: not the time bound.
    setIdleBounds(150000, 3600 * 1000);
    EXPECT_EQ(sends({":for i N 1 2000000000", ":let v N", ":next i", "save_data after"}, 240000),
              "");
    EXPECT_EQ(x.log.count("next i : N ="), 100000);
    EXPECT_EQ(x.log.count("further passes are not logged"), 1);
    EXPECT_EQ(x.log.count("Batch stopped: loop i ran"), 1);
    EXPECT_TRUE(x.log.endsWith("ran 150000 passes without a command\n"));
    // The next run is not hindered.
    EXPECT_EQ(sends({"save_data next"}), "save_data next");
    EXPECT_TRUE(QTest::qWaitFor([&] { return endings == QVector<bool>({true, false}); }));
}

// The time without a command counts from the last completion: a loop after a
// command that ran longer than the bound runs to its end.
TEST_F(BatchRun, IdleTimeCountsFromTheLastCompletion)
{
    setIdleBounds(100000000, 1000);
    x.autoAnswer = false;
    const int before = ends();
    emit x.start({"save_image slow", ":for i N 1 3000", ":let v N", ":next i", "save_data after"});
    ASSERT_TRUE(sentCount(1));
    QTest::qWait(1300);
    x.answer();
    ASSERT_TRUE(sentCount(2));
    EXPECT_EQ(x.sent.last(), "save_data after");
    x.answer();
    EXPECT_TRUE(ended(before));
    EXPECT_EQ(x.log.count("next i : N ="), 3000);
    EXPECT_FALSE(x.log.contains("Batch stopped"));

    // The bound itself still holds.
    x.autoAnswer = true;
    EXPECT_EQ(sends({"save_image a", ":for i N 1 2000000000", ":next i", "save_data after"}),
              "save_image a");
    EXPECT_TRUE(x.log.endsWith("Batch stopped: loop i ran 1 s without a command\n"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return endings == QVector<bool>({false, true}); }));
}

// A statement whose arguments would grow past the longest line the readers take
// is refused before it is built; the batch goes on.
TEST_F(BatchRun, ExpansionIsBoundedInSize)
{
    const QString big = "$big$", mib(1 << 20, 'b');
    const QString half = big.repeated(17);  // 17 MiB: two of them are too much
    EXPECT_EQ(sends({":let big " + mib, "save_data " + half + " " + half, ":echo " + half + half,
                     "save_data " + half + " x", "seek_image 2"}),
              "save_data " + mib.repeated(17) + " x,seek_image 2");
    EXPECT_EQ(capture.count("would grow past 33554432 characters"), 2);
    EXPECT_TRUE(x.log.startsWith("Err: arguments of save_data on line 2 grow past 33554432 "
                                 "characters when expanded; not run\n"));
    EXPECT_FALSE(x.log.contains("echo"));
}

TEST_F(BatchRun, CompletionsOwnedByNoCommandAreIgnored)
{
    x.autoAnswer = false;
    emit x.finished(EX_load_I1_files);  // nothing outstanding
    emit x.start({"save_image a", "save_data b"});
    ASSERT_TRUE(sentCount(1));
    emit x.stop();  // the command in progress runs on; save_data b never comes
    emit x.start({"save_image c", "analyzer_exec_LCF", "seek_image 1"});
    ASSERT_TRUE(sentCount(2));
    x.answer();  // the stopped run's completion is absorbed
    flush();
    EXPECT_EQ(x.sent.size(), 2);
    x.answer();
    ASSERT_TRUE(sentCount(3));
    emit x.finished(EX_load_I1_files);  // a load started by hand
    flush();
    EXPECT_EQ(x.sent.size(), 3);
    x.answer();
    ASSERT_TRUE(sentCount(4));
    const int before = ends();
    x.answer();
    EXPECT_TRUE(ended(before));
    EXPECT_EQ(x.sent.join(','), "save_image a,save_image c,analyzer_exec_LCF,seek_image 1");
}

TEST_F(BatchRun, ExpansionAlwaysEnds)
{
    // A value holding its own key or placeholder, and an empty placeholder.
    EXPECT_EQ(sends({":let x a$x$b", ":for i 1 9 10", ":for e", "save_data f1 $x$", ":next e",
                     ":next i"}),
              "save_data f9 a$x$b,save_data f10 a$x$b");
    // Replacements in one argument are bounded; the bound is reported once.
    EXPECT_EQ(sends({":for i N 1 1", "save_data " + QString(1001, 'N')}),
              "save_data " + QString(1000, '1') + "N");
    EXPECT_EQ(capture.count("more than 1000 replacements"), 1);
}

TEST_F(BatchRun, QueuedBatchesWaitForTheRunInProgress)
{
    // Nothing running: a queued batch starts at once.
    int before = ends();
    emit x.queue({"seek_image 1"});
    EXPECT_TRUE(ended(before));
    EXPECT_EQ(x.sent.join(','), "seek_image 1");

    // A run waiting for a command keeps its own lines; the queued batches follow in
    // order, each a new run from its first line, when the run before ends by itself.
    x.sent.clear();
    x.autoAnswer = false;
    emit x.start({":for i N 1 2", "save_image a_N", ":next i"});
    ASSERT_TRUE(sentCount(1));
    emit x.queue({"save_data b_N", ":end", "quit"});
    emit x.queue({"seek_image 3"});
    flush();
    before = ends();
    x.answer();
    ASSERT_TRUE(sentCount(2));
    x.answer();  // no line left: the first queued batch starts, without the loop
    ASSERT_TRUE(sentCount(3));
    x.answer();  // :end hands over to the second
    ASSERT_TRUE(sentCount(4));
    x.answer();
    EXPECT_TRUE(ended(before, 3));
    EXPECT_EQ(x.sent.join(','), "save_image a_1,save_image a_2,save_data b_N,seek_image 3");
}

TEST_F(BatchRun, StopDropsQueuedBatchesAndStartReplacesOnlyTheRunningList)
{
    x.autoAnswer = false;
    emit x.start({"save_image c", "save_data d"});
    ASSERT_TRUE(sentCount(1));
    emit x.queue({"quit"});
    emit x.stop();
    flush();
    x.answer();  // the command in progress ends; nothing follows
    flush();
    EXPECT_TRUE(sentCount(1));
    EXPECT_TRUE(capture.contains("1 queued batches dropped"));

    // A start while a run waits replaces its lines; a queued batch still follows.
    emit x.start({"save_image e", "save_image f"});
    ASSERT_TRUE(sentCount(2));
    emit x.queue({"seek_image 9"});
    emit x.start({"save_image E", "save_image F", "save_image G"});
    flush();
    const int before = ends();
    for (int n = 3; n <= 5; n++) {
        x.answer();
        ASSERT_TRUE(sentCount(n));
    }
    x.answer();
    EXPECT_TRUE(ended(before, 2));
    EXPECT_EQ(x.sent.join(','),
              "save_image c,save_image e,save_image F,save_image G,seek_image 9");
}

TEST(BatchDispatcherMeta, SignalsSlotsAndTypes)
{
    BatchDispatcher::registerMetaTypes();
    EXPECT_TRUE(QMetaType::type("CmdLine") && QMetaType::type("EX_CMD_ID"));
    QStringList methods;
    const QMetaObject &m = BatchDispatcher::staticMetaObject;
    for (int i = m.methodOffset(); i < m.methodCount(); i++)
        methods << m.method(i).methodSignature();
    EXPECT_EQ(methods.join(' '), "execNextLineSig() execCmdSig(CmdLine,bool) Log(QString) "
                                 "foldedLog(QStringList,int) execCmdTokenSig(int) runsEnded(bool) marked(int) "
                                 "doDispatchCmds(QStringList) finishBatchExec(int) "
                                 "batchStopSlot() execNextLineSlot() doQueueCmds(QStringList) "
                                 "finishBatchCmd(int,int) setLogPaced(bool) logShown() mark(int)");
}

}  // namespace
