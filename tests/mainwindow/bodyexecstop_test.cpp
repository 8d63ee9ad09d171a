// Stop pressed in the batch window while a long command runs, at several
// moments: the next batch with the same command and a line after it runs to
// its end, through the real batch window, interpreter thread and main window,
// and the stopped command's late completion advances nothing.
#include <QLabel>
#include <QLineEdit>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <algorithm>
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

// A stack of w x h pixels mixed from the two measured iron spectra, set up by
// a batch: their references, the first also as calibration standard, the
// whole image as area.
void loadIronMix(Body &body, const TestFiles &files, BatchWindow &batch, int w, int h,
                 const QStringList &more = {})
{
    const IronMix mix(files, N, E0, DE);
    ASSERT_TRUE(mix.ok());
    ASSERT_TRUE(batch.runs(mix.setUpLines() + more));
    const QVector<TiffData *> frames = mix.frames(w, h);
    for (int i = 0; i < frames.size(); i++)
        body.loadedI1(frames[i], i);
    body.finishedLoadI1Files();
    body.imageView()->setSelectedArea(0, 0, w, h);
}

class StopDuringCommand : public ::testing::TestWithParam<std::tuple<int, int>>
{
protected:
    // For the map read also a map saved by a calibration.
    void SetUp() override
    {
        const QString name = command().name;
        // A calibration walks its blocks faster than a fit: a larger image.
        const int w = name == "Calibration" || name == "MapRead" ? 96 : 32;
        QStringList more;
        if (name == "ElemRun")
            more << "analyzer_select_analysis_mode 2" << "analyzer_target_elements \"Fe Cu\"";
        loadIronMix(body, files, batch, w, w / 2, more);
        ASSERT_FALSE(HasFatalFailure());
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

// Runs stopped half-way say in their windows how far they came; the
// calibration's figures are those of the blocks done, and of no earlier map.
TEST(StoppedRun, WindowsSayHowFarTheRunCameAndShowItsFigures)
{
    Body body;
    TestFiles files;
    BatchWindow batch{body.batchCtrl()};
    const int w = 48, h = 24;
    loadIronMix(body, files, batch, w, h);
    ASSERT_TRUE(!HasFatalFailure() && batch.runs({"calib_exec"}));
    CalibCtrl *calib = body.calibrationWindow();
    const auto text = [calib](const char *name) {
        const auto *e = calib->findChild<QLineEdit *>(name);
        return e ? e->text() : calib->findChild<QLabel *>(name)->text();
    };
    const auto figures = [&] {
        return text("DEMin") + text("DEMax") + text("DEAvr") + text("DESigma");
    };
    ASSERT_FALSE(figures().isEmpty());

    // Stopped as the second row starts: the first row's blocks are done.
    QString during = "-";
    QObject::connect(&body, &Body::calibProgress, &body, [&](double p) {
        if (p > 0 && during == "-") {
            during = figures();
            body.execCalibration();   // the button's slot, at once
        }
    });
    calib->findChild<QPushButton *>("ExecCalib")->click();
    ASSERT_TRUE(waitFor([&] { return during != "-" && !body.isCalibrating(); }));
    EXPECT_EQ(during, "");
    const QString done = QString("%1 of %2 blocks done").arg(w).arg(w * h);
    EXPECT_EQ(text("RunNote"), "Calibration stopped; the energy-shift map is unfinished, " + done);
    // The extremes of the first row, the blocks done, and no earlier run's.
    QVector<double> row;
    for (int x = 0; x < w; x++)
        row << body.energyShiftMap().value(x, 0);
    EXPECT_EQ(text("DEMin"), QString::number(*std::min_element(row.begin(), row.end()), 'g', 6));
    EXPECT_EQ(text("DEMax"), QString::number(*std::max_element(row.begin(), row.end()), 'g', 6));

    // Saves of the unfinished map say so, by command and through the dialog.
    ASSERT_TRUE(batch.runs({"calib_save_map " + files.path("part")}));
    const QString unfinished = " is unfinished: " + done;
    const QString saved = "The energy-shift map saved to ";
    EXPECT_TRUE(batch.logHas(saved + files.path("part.emp") + unfinished));
    emit calib->saveMapDialog()->fileSelected(files.path("hand.emp"));
    EXPECT_EQ(text("RunNote"), saved + files.path("hand.emp") + unfinished);
    EXPECT_TRUE(QFile::exists(files.path("part.emp")) && QFile::exists(files.path("hand.emp")));
    calib->findChild<QPushButton *>("ClearMap")->click();
    EXPECT_EQ(figures() + text("RunNote") + text("EMPFileName"), "");

    // A reference-fit run stopped after its first chunk says so below Analyze.
    auto *analyze = body.analysisWindow()->findChild<QPushButton *>("AskAnalyze");
    analyze->click();
    int blocks = 0;
    const auto stop = [&](const AreaEngine::Chunk &c) {
        if (blocks == 0 && body.isAnalyzing()) {
            blocks = c.xs.size();
            analyze->click();
        }
    };
    QObject::connect(body.areaRunEngine(), &AreaEngine::chunkReady, &body, stop);
    ASSERT_TRUE(waitFor([&] { return !body.isAnalyzing(); }));
    EXPECT_EQ(body.analysisWindow()->findChild<QLabel *>("RunNote")->text(),
              QString("Stopped; the reference-fit maps are unfinished, %1 of %2 blocks done")
                  .arg(blocks)
                  .arg(w * h));
    EXPECT_TRUE(blocks > 0 && blocks < w * h);
}

} // namespace
