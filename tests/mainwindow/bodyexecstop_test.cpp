// Stop pressed in the batch window while a long command runs, at several
// moments: the next batch with the same command and a line after it runs to
// its end, through the real batch window, interpreter thread and main window,
// and the stopped command's late completion advances nothing.
#include <QLineEdit>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

#include "batch/ui/batchctrl.h"
#include "display/imgdispa.h"
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

} // namespace
