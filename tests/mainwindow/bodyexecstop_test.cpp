// Stop pressed in the batch window while a long command runs, at several
// moments: the next batch with the same command and a line after it runs to
// its end, through the real batch window, interpreter thread and main window,
// and the stopped command's late completion advances nothing.
#include <QLabel>
#include <QLineEdit>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

#include "analysis/ui/analyzer.h"
#include "batch/ui/batchctrl.h"
#include "calibration/ui/calibctrl.h"
#include "display/eshiftmapdialog.h"
#include "display/imgdispa.h"
#include "imagedata/areaengine.h"
#include "imagedata/tiffdata.h"
#include "mainwindow/body.h"
#include "mainwindow/savedatacfg.h"
#include "support/batchwindow.h"
#include "support/imagefixtures.h"
#include "support/ironmix.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

// The command of the stopped batch and of the one after it ("" when the same);
// %L is the folder of the frames to load, %F that of the test's files.
struct LongCommand
{
    const char *name;
    const char *first;
    const char *second;
};
const LongCommand longCommands[] = {
    {"Load", "load_I1_files_of_pattern NEW %L/ big*.tif", "load_I1_files NEW %L/one.tif"},
    {"LcfRun", "analyzer_exec_LCF", ""},
    {"ElemRun", "analyzer_exec_elems", ""},
    {"Calibration", "calib_exec", ""},
    {"MapRead", "calib_load_map %F/shift.emp", ""}};

const int N = 100, LoadFrames = 40, LoadSide = 800;
const double E0 = 6920, DE = 11.6;

// Frames that take a while to load, written once for all cases.
const TestFiles &loadFiles()
{
    static std::unique_ptr<TestFiles> files;
    if (!files) {
        files.reset(new TestFiles);
        const QByteArray frame = ImageFixtures::tiff(
            LoadSide, LoadSide,
            ImageFixtures::pixels16(LoadSide, LoadSide, [](int x, int y) { return 1000 + x + y; }));
        for (int i = 0; i < LoadFrames; i++)
            files->write(QString("big%1.tif").arg(i, 2, 10, QChar('0')), frame);
        files->write("one.tif", ImageFixtures::tiff(8, 4, ImageFixtures::pattern16(8, 4)));
    }
    return *files;
}

class StopDuringCommand : public ::testing::TestWithParam<std::tuple<int, int>>
{
protected:
    // A stack mixed from the two measured iron spectra, set up by a batch:
    // their references, the first also as calibration standard, the whole
    // image as area, and for the map read a map saved by a calibration.
    void SetUp() override
    {
        const QString name = command().name;
        // A calibration walks its blocks faster than a fit: a larger image.
        const int w = name == "Calibration" || name == "MapRead" ? 96 : 32, h = w / 2;
        const IronMix mix(files, N, E0, DE);
        ASSERT_TRUE(mix.ok());
        QStringList setUp = mix.setUpLines();
        if (name == "ElemRun")
            setUp << "analyzer_select_analysis_mode 2" << "analyzer_target_elements \"Fe Cu\"";
        ASSERT_TRUE(batch.runs(setUp));
        const QVector<TiffData *> frames = mix.frames(w, h);
        for (int i = 0; i < frames.size(); i++)
            body.loadedI1(frames[i], i);
        body.finishedLoadI1Files();
        body.imageView()->setSelectedArea(0, 0, w, h);
        if (name == "MapRead") {
            ASSERT_TRUE(batch.runs({"calib_exec", "calib_save_map " + files.path("shift")}));
            ASSERT_TRUE(QFile::exists(files.path("shift.emp")));
        }
    }

    const LongCommand &command() const { return longCommands[std::get<0>(GetParam())]; }
    QString line(const char *text) const
    {
        const QString load = QString(command().name) == "Load" ? loadFiles().dir() : QString();
        return QString(text).replace("%L", load).replace("%F", files.dir());
    }
    QString secondLine() const
    {
        return line(*command().second ? command().second : command().first);
    }

    Body body;
    TestFiles files;
    BatchWindow batch{body.batchCtrl()};
};

TEST_P(StopDuringCommand, TheNextBatchWithTheSameCommandRunsToItsEnd)
{
    batch.exec({line(command().first), ":echo first"});
    QTest::qWait(std::get<1>(GetParam()));
    batch.click("Stop");

    ASSERT_TRUE(batch.runs({secondLine()})) << batch.log().toStdString();
    // The run went on only when the command's own work had ended.
    EXPECT_FALSE(body.isAnalyzing());
    EXPECT_FALSE(body.isCalibrating());
    if (QString(command().name) == "Load")
        EXPECT_EQ(body.i1Stack().size(), 1);

    // Whatever the stopped command still reports goes nowhere: a later batch
    // with a command of the same kind waits for its own completion.
    QTest::qWait(300);
    ASSERT_TRUE(batch.runs({secondLine(), "saveDataCfg_tiff_scale_max 77"}));
    EXPECT_FALSE(body.isAnalyzing());
    EXPECT_FALSE(body.isCalibrating());
    EXPECT_EQ(body.saveOptions()->findChild<QLineEdit *>("TiffScaleMax")->text(), "77");
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<int, int>> &info)
{
    return std::string(longCommands[std::get<0>(info.param)].name) + "_" +
           std::to_string(std::get<1>(info.param)) + "ms";
}

INSTANTIATE_TEST_SUITE_P(LongCommands, StopDuringCommand,
                         ::testing::Combine(::testing::Range(0, 5),
                                            ::testing::Values(20, 60, 120, 200)),
                         caseName);

// Runs stopped half-way through their windows' buttons: the windows say how
// far they came, and the statistics are those of the blocks done.
class StoppedRun : public ::testing::Test
{
protected:
    static const int W = 48, H = 24;

    void SetUp() override
    {
        const IronMix mix(files, N, E0, DE);
        ASSERT_TRUE(mix.ok());
        ASSERT_TRUE(batch.runs(mix.setUpLines()));
        const QVector<TiffData *> frames = mix.frames(W, H);
        for (int i = 0; i < frames.size(); i++)
            body.loadedI1(frames[i], i);
        body.finishedLoadI1Files();
        body.imageView()->setSelectedArea(0, 0, W, H);
    }
    QString calibText(const char *name) const
    {
        CalibCtrl *c = body.calibrationWindow();
        if (auto *e = c->findChild<QLineEdit *>(name))
            return e->text();
        return c->findChild<QLabel *>(name)->text();
    }
    QString statistics() const
    {
        return calibText("DEMin") + calibText("DEMax") + calibText("DEAvr") + calibText("DESigma");
    }
    void clickCalib(const char *button)
    {
        body.calibrationWindow()->findChild<QPushButton *>(button)->click();
    }

    Body body;
    TestFiles files;
    BatchWindow batch{body.batchCtrl()};
};

TEST_F(StoppedRun, WindowsSayHowFarTheRunCameAndShowItsFigures)
{
    ASSERT_TRUE(batch.runs({"calib_exec", "calib_save_map " + files.path("whole")}));
    EXPECT_FALSE(calibText("DESigma").isEmpty());
    EXPECT_FALSE(batch.logHas("unfinished"));

    // Stopped as the second row starts: the first row's blocks are done.
    QString during = "not seen";
    const auto stopper = QObject::connect(&body, &Body::calibProgress, &body, [&](double p) {
        if (p > 0 && p < 100 && during == "not seen") {
            during = statistics();
            body.execCalibration();   // the button's slot, at once
        }
    });
    clickCalib("ExecCalib");
    ASSERT_TRUE(waitFor([&] { return during != "not seen" && !body.isCalibrating(); }));
    QObject::disconnect(stopper);
    EXPECT_EQ(during, "");
    const QString done = QString("%1 of %2 blocks done").arg(W).arg(W * H);
    EXPECT_EQ(calibText("RunNote"),
              "Calibration stopped; the energy-shift map is unfinished, " + done);
    double lo = 1e300, hi = -1e300, sum = 0, squares = 0;
    for (int x = 0; x < W; x++) {
        const double v = body.energyShiftMap().value(x, 0);
        lo = qMin(lo, v);
        hi = qMax(hi, v);
        sum += v;
        EXPECT_EQ(body.energyShiftMap().value(x, 1), 0.0) << x;
    }
    for (int x = 0; x < W; x++)
        squares += std::pow(body.energyShiftMap().value(x, 0) - sum / W, 2);
    ASSERT_LT(lo, hi);
    EXPECT_EQ(calibText("DEMin").toDouble(), QString::number(lo, 'g', 6).toDouble());
    EXPECT_EQ(calibText("DEMax").toDouble(), QString::number(hi, 'g', 6).toDouble());
    EXPECT_NEAR(calibText("DEAvr").toDouble(), sum / W, 1e-5 * (1 + std::abs(sum / W)));
    EXPECT_NEAR(calibText("DESigma").toDouble(), std::sqrt(squares / W),
                1e-5 * (1 + std::sqrt(squares / W)));

    // Saves of the unfinished map say so, by command and through the dialog.
    ASSERT_TRUE(batch.runs({"calib_save_map " + files.path("part")}));
    const QString saved = "The energy-shift map saved to " + files.path("part.emp")
                          + " is unfinished: " + done;
    EXPECT_TRUE(batch.logHas(saved)) << batch.log().toStdString();
    EXPECT_TRUE(QFile::exists(files.path("part.emp")));
    emit body.calibrationWindow()->saveMapDialog()->fileSelected(files.path("byhand.emp"));
    EXPECT_TRUE(QFile::exists(files.path("byhand.emp")));
    EXPECT_EQ(calibText("RunNote"),
              "The energy-shift map saved to " + files.path("byhand.emp") + " is unfinished: " + done);
    EXPECT_EQ(calibText("EMPFileName"), files.path("byhand.emp"));

    // Cleared: nothing of the gone map is shown.
    clickCalib("ClearMap");
    EXPECT_EQ(statistics() + calibText("RunNote") + calibText("EMPFileName"), "");

    // A reference-fit run stopped after its first chunk says so below Analyze.
    QPushButton *analyze = body.analysisWindow()->findChild<QPushButton *>("AskAnalyze");
    analyze->click();
    ASSERT_TRUE(body.isAnalyzing());
    int blocks = 0;
    QObject::connect(body.areaRunEngine(), &AreaEngine::chunkReady, &body,
                     [&](const AreaEngine::Chunk &c) {
                         if (blocks == 0 && body.isAnalyzing()) {
                             blocks = c.xs.size();
                             analyze->click();
                         }
                     });
    ASSERT_TRUE(waitFor([&] { return !body.isAnalyzing(); }));
    ASSERT_GT(blocks, 0);
    ASSERT_LT(blocks, W * H);
    EXPECT_EQ(body.analysisWindow()->findChild<QLabel *>("RunNote")->text(),
              QString("Stopped; the reference-fit maps are unfinished, %1 of %2 blocks done")
                  .arg(blocks)
                  .arg(W * H));
}

} // namespace
