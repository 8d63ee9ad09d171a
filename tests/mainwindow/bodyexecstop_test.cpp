// Stop pressed in the batch window while a long command runs, at several
// moments: the next batch with the same command and a line after it runs to
// its end, through the real batch window, interpreter thread and main window,
// and the stopped command's late completion advances nothing.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/lcfreference.h"
#include "batch/ui/batchctrl.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "mainwindow/savedatacfg.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

enum class Long { Load, LcfRun, ElemRun, Calibration, MapRead };

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

class StopDuringCommand : public ::testing::TestWithParam<std::tuple<Long, int>>
{
protected:
    // A stack mixed from the two measured iron spectra, their references in
    // the analysis window, the first as calibration standard, the whole image
    // as area; for the map read a map saved by a calibration by hand.
    void SetUp() override
    {
        // A calibration walks its blocks faster than a fit: a larger image.
        const bool calib = command() == Long::Calibration || command() == Long::MapRead;
        const int W = calib ? 96 : 32, H = calib ? 48 : 16;
        Analyzer *an = body.analysisWindow();
        QVector<double> raw[2];
        for (int k = 0; k < 2; k++) {
            const QString text = resampledSpectrum(
                k ? "spectra/feo_rt1.dat" : "spectra/fe2o3_rt1.dat", E0, DE, N, raw[k]);
            ASSERT_FALSE(text.isEmpty());
            refFiles << files.writeText(QString("ref%1.dat").arg(k), text);
            an->setLCFStd(k, true, 0, refFiles.last(), "0");
        }
        SelectDataFiles *p = body.i1Panel();
        p->setEngByCalc(true);
        p->setDispUnit(0);
        p->setEvenInEng(true);
        p->setEngCalcStart(E0);
        p->setEngCalcDelta(DE);
        for (int i = 0; i < N; i++) {
            TiffData *t = ImageFixtures::floatFrame(W, H, [&](int x, int y) {
                const double f = (x + y) / double(W + H - 2);
                return float(std::exp(-(0.2 + 0.8 * (f * raw[0][i] + (1 - f) * raw[1][i]))));
            });
            t->fileName = QString("f%1").arg(i);
            body.loadedI1(t, i);
        }
        body.finishedLoadI1Files();
        body.findChild<QLineEdit *>("HWidth")->setText("0");
        body.findChild<QLineEdit *>("VWidth")->setText("0");
        body.imageView()->setSelectedArea(0, 0, W, H);
        if (command() == Long::ElemRun) {
            an->selectAnalysisMode(2);
            an->setTargetElements("Fe Cu");
        }
        if (command() == Long::Calibration || command() == Long::MapRead)
            ASSERT_TRUE(runs({"calib_load_std " + refFiles[0]}));
        if (command() == Long::MapRead) {
            ASSERT_TRUE(runs({"calib_exec", "calib_save_map " + files.path("shift")}));
            ASSERT_TRUE(QFile::exists(files.path("shift.emp")));
        }
    }

    Long command() const { return std::get<0>(GetParam()); }
    int stopAfterMs() const { return std::get<1>(GetParam()); }

    // The command of the stopped batch and of the one after it.
    QString firstLine() const
    {
        switch (command()) {
        case Long::Load:
            return "load_I1_files_of_pattern NEW " + loadFiles().dir() + " *.tif";
        case Long::LcfRun:
            return "analyzer_exec_LCF";
        case Long::ElemRun:
            return "analyzer_exec_elems";
        case Long::Calibration:
            return "calib_exec";
        case Long::MapRead:
            break;
        }
        return "calib_load_map " + files.path("shift.emp");
    }
    QString secondLine() const
    {
        return command() == Long::Load ? "load_I1_files NEW " + loadFiles().path("one.tif")
                                       : firstLine();
    }

    void click(const char *name)
    {
        body.batchCtrl()->findChild<QPushButton *>(name)->click();
    }
    bool logHas(const QString &text) const { return body.batchCtrl()->logText().contains(text); }
    void exec(const QStringList &lines)
    {
        body.batchCtrl()->setText(lines.join('\n'));
        click("Exec");
    }
    // Runs the lines and a last echo to their end.
    bool runs(QStringList lines)
    {
        const QString end = QString("end-%1").arg(++batches);
        exec(lines << ":echo " + end);
        return waitFor([&] { return logHas(end); }, 60000);
    }

    Body body;
    TestFiles files;
    QStringList refFiles;
    int batches = 0;
};

TEST_P(StopDuringCommand, TheNextBatchWithTheSameCommandRunsToItsEnd)
{
    if (command() == Long::Load)
        loadFiles();
    body.batchCtrl()->clearLog();
    exec({firstLine(), ":echo first"});
    QTest::qWait(stopAfterMs());
    click("Stop");

    ASSERT_TRUE(runs({secondLine()})) << body.batchCtrl()->logText().toStdString();
    // The run went on only when the command's own work had ended.
    EXPECT_FALSE(body.isAnalyzing());
    EXPECT_FALSE(body.isCalibrating());
    if (command() == Long::Load)
        EXPECT_EQ(body.i1Stack().size(), 1);

    // Whatever the stopped command still reports goes nowhere: a later batch
    // with a command of the same kind waits for its own completion.
    QTest::qWait(300);
    ASSERT_TRUE(runs({secondLine(), "saveDataCfg_tiff_scale_max 77"}));
    EXPECT_FALSE(body.isAnalyzing());
    EXPECT_FALSE(body.isCalibrating());
    EXPECT_EQ(body.saveOptions()->findChild<QLineEdit *>("TiffScaleMax")->text(), "77");
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Long, int>> &info)
{
    static const char *const names[] = {"Load", "LcfRun", "ElemRun", "Calibration", "MapRead"};
    return std::string(names[int(std::get<0>(info.param))]) + "_" +
           std::to_string(std::get<1>(info.param)) + "ms";
}

INSTANTIATE_TEST_SUITE_P(LongCommands, StopDuringCommand,
                         ::testing::Combine(::testing::Values(Long::Load, Long::LcfRun,
                                                              Long::ElemRun, Long::Calibration,
                                                              Long::MapRead),
                                            ::testing::Values(20, 60, 120, 200)),
                         caseName);

} // namespace
