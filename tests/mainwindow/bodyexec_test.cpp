// The batch command executor through the real main window: the argument
// conversions, and the completion of every command, once, to the interpreter.
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

#include "batch/batchcmdtables.h"
#include "batch/batchdispatcher.h"
#include "batch/cmdline.h"
#include "batch/ui/batchctrl.h"
#include "calibration/ui/calibctrl.h"
#include "core/cmdid.h"
#include "display/imgdispa.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/batchargs.h"
#include "mainwindow/body.h"
#include "mainwindow/savedatacfg.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/timing.h"
#include "support/waitfor.h"

namespace {

CmdLine line(const QString &text)
{
    CmdLine c;
    c.parse(text);
    return c;
}

TEST(BatchArgs, ConversionsOfMissingAndMalformedArguments)
{
    const CmdLine c = line("cmd 007 word 1e3");
    EXPECT_EQ(argOrEmpty(c, 0), "007");
    EXPECT_EQ(argOrEmpty(c, 3), "");
    EXPECT_EQ(argOrEmpty(c, -1), "");

    EXPECT_EQ(batchInt("007"), 7);
    EXPECT_EQ(batchInt("-12"), -12);
    EXPECT_EQ(batchInt("word"), 0);
    EXPECT_EQ(batchInt("3.5"), 0);
    EXPECT_EQ(batchInt(""), 0);
    EXPECT_EQ(batchInt("0x10"), 0);   // base 10 only
    EXPECT_EQ(batchIntText("007"), "7");
    EXPECT_EQ(batchIntText("word"), "0");

    EXPECT_DOUBLE_EQ(batchReal("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(batchReal("-0.25"), -0.25);
    EXPECT_EQ(batchReal("x1"), 0.0);
    EXPECT_EQ(batchReal(""), 0.0);

    // Only the integer 1 is true.
    EXPECT_TRUE(batchFlag("1"));
    EXPECT_TRUE(batchFlag("01"));
    for (const char *f : {"0", "2", "-1", "word", "", "1.0", "true"})
        EXPECT_FALSE(batchFlag(f)) << f;

    EXPECT_EQ(batchRealText(batchReal("0.10")), "0.1");
    EXPECT_EQ(batchRealText(batchReal("1e3")), "1000");
    EXPECT_EQ(batchRealText(batchReal("65535.0")), "65535");
    EXPECT_EQ(batchRealText(1234567.0), "1.23457e+06");
    EXPECT_EQ(batchRealText(batchReal("bad")), "0");
}

// A main window whose completions are recorded as they are emitted.
class BodyExec : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BatchDispatcher::registerMetaTypes();
        QObject::connect(&body, &Body::finishBatchExec, &body, [this](int id) { ids << id; });
    }
    void exec(const QString &text, bool skip = false) { body.execCmdSlot(line(text), skip); }
    SaveDataCfg *save() { return body.saveOptions(); }
    template <class T> T *saveWidget(const char *name) { return save()->findChild<T *>(name); }
    template <class T> T *calibWidget(const char *name)
    {
        return body.calibrationWindow()->findChild<T *>(name);
    }

    Body body;
    TestFiles files;
    QVector<int> ids;
};

TEST_F(BodyExec, EveryCommandCompletesOnceWithItsOwnIdentifier)
{
    // Without images or files each command does little; each still reports.
    for (int i = 0; i < EX_not_ex_cmd; i++) {
        const EX_CMD_ID id = EX_CMD_ID(i);
        if (id == EX_quit)
            continue;
        ids.clear();
        exec(exCmdName(id));
        // Pattern loads complete from the loader's thread; a second completion
        // would follow soon after the first.
        if (id == EX_load_I1_files_of_pattern || id == EX_load_I0_files_of_pattern) {
            waitFor([&] { return !ids.isEmpty(); });
            QTest::qWait(50);
        }
        QCoreApplication::processEvents();
        const int expected = id == EX_load_I1_files_of_pattern   ? EX_load_I1_files
                             : id == EX_load_I0_files_of_pattern ? EX_load_I0_files
                                                                 : id;
        EXPECT_EQ(ids, QVector<int>({expected})) << exCmdName(id).toStdString();
    }

    // Skipped, a control word, a word that is no command.
    ids.clear();
    exec("calib_type 1", true);
    EXPECT_FALSE(body.calibrationWindow()->calibByInnerProduct());
    exec(":echo hello");
    DebugCapture log;
    exec("no_such_cmd 1 2");
    EXPECT_EQ(ids, QVector<int>(3, EX_not_ex_cmd));
    EXPECT_TRUE(log.contains("no_such_cmd 1 2"));
    EXPECT_TRUE(body.batchCtrl()->logText().contains("Err: no_such_cmd 1 2"));
    EXPECT_FALSE(body.batchCtrl()->logText().contains("hello"));

    // A map file that cannot be read still completes, once.
    ids.clear();
    exec("calib_load_map " + files.path("missing.emp"));
    EXPECT_EQ(ids, QVector<int>({EX_calib_load_map}));

    // quit ends the program instead of completing.
    ids.clear();
    QSignalSpy finishing(&body, &Body::finishing);
    exec("quit");
    QCoreApplication::processEvents();
    EXPECT_EQ(finishing.count(), 1);
    EXPECT_TRUE(ids.isEmpty());
}

// A synthetic stack whose right half has its edge 6 eV higher than the
// standard's, for calibration runs started by a batch.
class BodyExecRun : public BodyExec
{
protected:
    static constexpr int W = 8, H = 4, Frames = 101;
    static double mu(double e, double shift) { return 0.8 + 0.5 * std::tanh((e - 9000 - shift) / 4.0); }

    void loadStackAndStandard()
    {
        QStringList names;
        QString std;
        for (int i = 0; i < Frames; i++) {
            QVector<quint16> px;
            for (int p = 0; p < W * H; p++)
                px << quint16(std::lround(60000 * std::exp(-mu(8900 + 2 * i, p % W >= 4 ? 6 : 0))));
            names << files.write(QString("f%1.tif").arg(i, 3, 10, QChar('0')),
                                 ImageFixtures::tiff(W, H, px));
            std += QString("%1 %2\n").arg(8900 + 2 * i).arg(mu(8900 + 2 * i, 0), 0, 'g', 15);
        }
        SelectDataFiles *p = body.i1Panel();
        p->setEngByCalc(true);
        p->setDispUnit(0);
        p->setEvenInEng(true);
        p->setEngCalcStart(8900);
        p->setEngCalcDelta(2);
        // Loaded by hand: its completion must not reach the interpreter.
        body.readI1Files(names, true);
        ASSERT_TRUE(waitFor([&] { return ids.contains(EX_load_I1_files); }));
        QCoreApplication::processEvents();
        ASSERT_EQ(body.i1Stack().size(), Frames);
        stdFile = files.writeText("std.dat", std);
        body.findChild<QLineEdit *>("HWidth")->setText("0");
        body.findChild<QLineEdit *>("VWidth")->setText("0");
        body.imageView()->setSelectedArea(0, 0, W, H);
        ids.clear();
    }
    void run(const QStringList &batch)
    {
        body.batchCtrl()->dispatchCmds(batch);
    }
    bool logHas(const QString &text) { return body.batchCtrl()->logText().contains(text); }

    QString stdFile;
};

TEST_F(BodyExecRun, ABatchCalibrationCompletesAtItsEndAndSavesTheFinishedMap)
{
    loadStackAndStandard();
    DebugCapture log;
    // A hand-started I0 load ends while the batch waits for the run.
    const QString i0 = files.write("i0.tif", ImageFixtures::tiff(W, H, QVector<quint16>(W * H, 100)));
    bool handLoad = false;
    const auto hand = QObject::connect(&body, &Body::calibProgress, &body, [&](double p) {
        if (p > 0 && p < 100 && !handLoad) {
            handLoad = true;
            body.readI0Files({i0}, true);
        }
    });
    run({"calib_load_std " + stdFile, "calib_type 0", "calib_exec",
         "calib_save_map " + files.path("run"), "calib_clear_map",
         "calib_load_map " + files.path("run.emp"), ":echo done"});
    ASSERT_TRUE(waitFor([&] { return logHas("done"); }));
    QObject::disconnect(hand);
    EXPECT_TRUE(handLoad);
    EXPECT_TRUE(waitFor([&] { return ids.contains(EX_load_I0_files); }));   // emitted, not relayed
    EXPECT_FALSE(log.contains("belongs to no command sent"));
    EXPECT_EQ(ids.count(EX_calib_exec), 1);

    // The map was saved after the run's last block: read back, every block is there.
    ASSERT_TRUE(QFile::exists(files.path("run.emp")));
    for (int x = 0; x < W; x++) {
        for (int y = 0; y < H; y++)
            EXPECT_NEAR(body.energyShiftMap().value(x, y), x >= 4 ? 6.0 : 0.0, 0.05) << x << " " << y;
    }
}

TEST_F(BodyExecRun, HandStartedWorkDoesNotAdvanceAWaitingBatch)
{
    loadStackAndStandard();
    DebugCapture log;
    // The batch stands at calib_exec until the run ends; completions of work
    // started by hand that end meanwhile do not reach the interpreter.
    bool seen = false;
    bool sentEarly = false;
    const auto hand = QObject::connect(&body, &Body::calibProgress, &body, [&](double p) {
        if (body.isCalibrating() && logHas("saveDataCfg_tiff_scale_max"))
            sentEarly = true;
        if (p > 0 && p < 100 && !seen) {
            seen = true;
            // The batch's next line has not been sent while the run goes on.
            EXPECT_FALSE(logHas("saveDataCfg_tiff_scale_max"));
            body.finishBatchExec(EX_load_I1_files);   // as the loader relays a hand load
            body.finishBatchExec(EX_calib_load_map);  // as a hand map read
        }
    });
    run({"calib_load_std " + stdFile, "calib_exec", "saveDataCfg_tiff_scale_max 77",
         ":echo done"});
    ASSERT_TRUE(waitFor([&] { return logHas("done"); }));
    QObject::disconnect(hand);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(sentEarly);
    EXPECT_FALSE(log.contains("belongs to no command sent"));
    EXPECT_FALSE(body.isCalibrating());
    EXPECT_EQ(saveWidget<QLineEdit>("TiffScaleMax")->text(), "77");

    // With no batch waiting, hand-started completions are dropped; a later
    // batch runs from its first line.
    body.execCalibration();
    ASSERT_TRUE(waitFor([&] { return !body.isCalibrating(); }));
    body.batchCtrl()->clearLog();
    run({"saveDataCfg_tiff_scale_min 3", ":echo second"});
    ASSERT_TRUE(waitFor([&] { return logHas("second"); }));
    EXPECT_EQ(saveWidget<QLineEdit>("TiffScaleMin")->text(), "3");
}

} // namespace
