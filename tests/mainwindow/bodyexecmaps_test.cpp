// A batch's exec command finds a run it did not start, left over from a
// stopped batch or started by hand: it completes only when its own run has
// walked the whole area, so the map saved after it equals an undisturbed
// run's. Through the real batch window, interpreter thread and main window.
// Commands that do nothing say why and complete once.
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "calibration/ui/calibctrl.h"
#include "core/cmdid.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "mainwindow/body.h"
#include "support/batchwindow.h"
#include "support/ironmix.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

// Large enough that the runs go on for a while.
const int N = 100, W = 384, H = W / 2;
const double E0 = 6920, DE = 11.6;

// The run's exec command, the commands saving its map (%1: the name) and the
// window button that starts it by hand.
struct RunKind
{
    const char *name;
    const char *exec;
    const char *save;
    const char *button;
};
const RunKind runKinds[] = {
    {"Lcf", "analyzer_exec_LCF", "save_data %1", "AskAnalyze"},
    {"Elems", "analyzer_exec_elems", "save_data %1", "AskAnalyzeElems"},
    {"Calib", "calib_exec", "calib_save_map %1", "ExecCalib"}};

class ExecAfterForeignRun : public ::testing::TestWithParam<std::tuple<int, bool>>
{
protected:
    // The whole image as area, maps saved as text, and for the element run
    // the jump map of the Fe row shown.
    void SetUp() override
    {
        const IronMix mix(files, N, E0, DE);
        ASSERT_TRUE(mix.ok());
        QStringList setUp = mix.setUpLines();
        setUp << "saveDataCfg_save_as_text" << "saveDataCfg_text_as_ssv" << "saveDataCfg_text_as_vals"
              << "analyzer_select_image 1";
        if (QString(kind().name) == "Elems")
            setUp << "analyzer_select_analysis_mode 2" << "analyzer_target_elements \"Fe Cu\""
                  << "analyzer_elems_select_show Fe" << "analyzer_elems_select_disp_mode 0";
        ASSERT_TRUE(batch.runs(setUp));
        const QVector<TiffData *> frames = mix.frames(W, H);
        for (int i = 0; i < frames.size(); i++)
            body.loadedI1(frames[i], i);
        body.finishedLoadI1Files();
        body.imageView()->setSelectedArea(0, 0, W, H);
    }

    const RunKind &kind() const { return runKinds[std::get<0>(GetParam())]; }
    bool byHand() const { return std::get<1>(GetParam()); }
    bool busy() const { return body.isAnalyzing() || body.isCalibrating(); }
    QString save(const QString &name) const
    {
        return QString(kind().save).arg(files.path(name));
    }

    Body body;
    TestFiles files;
    DebugCapture log;
    BatchWindow batch{body.batchCtrl()};
};

TEST_P(ExecAfterForeignRun, CompletesWithTheWholeMap)
{
    ASSERT_TRUE(batch.runs({kind().exec, save("whole")}));
    const QStringList whole = files.savedMap("whole");
    ASSERT_GT(whole.size(), H);

    if (byHand()) {
        QWidget *window = QString(kind().name) == "Calib" ? static_cast<QWidget *>(body.calibrationWindow())
                                                          : body.analysisWindow();
        window->findChild<QPushButton *>(kind().button)->click();
        ASSERT_TRUE(waitFor([&] { return busy(); }));
    } else {
        batch.exec({kind().exec, ":echo first"});
        ASSERT_TRUE(waitFor([&] { return busy(); }));
        QTest::qWait(10);
        batch.click("Stop");
    }
    ASSERT_TRUE(busy()) << "the run ended before the next batch: make it larger";

    ASSERT_TRUE(batch.runs({kind().exec, save("after")})) << batch.log().toStdString();
    EXPECT_FALSE(busy());
    EXPECT_TRUE(files.savedMap("after") == whole) << "the map saved differs from the whole map";
    // The run that was replaced says how far it came; nothing waits for it.
    EXPECT_EQ(log.count(QString("unfinished, ")), 1);
    EXPECT_TRUE(log.contains(QString("of %1 blocks done").arg(W * H)));
    EXPECT_FALSE(log.contains("which no run waits for"));
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<int, bool>> &info)
{
    return std::string(runKinds[std::get<0>(info.param)].name) +
           (std::get<1>(info.param) ? "_ByHand" : "_AfterStop");
}

INSTANTIATE_TEST_SUITE_P(Runs, ExecAfterForeignRun,
                         ::testing::Combine(::testing::Range(0, 3), ::testing::Bool()), caseName);

class NothingToDo : public ::testing::Test
{
protected:
    Body body;
    DebugCapture log;
    BatchWindow batch{body.batchCtrl()};
};

// With no stack: each command logs what it did not do and why, and
// completes once.
TEST_F(NothingToDo, CommandsSayWhyAndCompleteOnce)
{
    QList<int> ids;
    QObject::connect(&body, &Body::finishBatchExec, &body, [&ids](int id) { ids << id; });
    ASSERT_TRUE(batch.runs({"analyzer_target_elements \"Fe Qq, Zz-L3\"", "seek_image 9999", "calib_exec",
                      "analyzer_exec_ra", "analyzer_exec_LCF", "analyzer_exec_elems"}));
    EXPECT_EQ(body.analysisWindow()->elems.size(), 1);
    EXPECT_TRUE(log.contains("no element \"Qq\"") && log.contains("no element \"Zz\""));
    EXPECT_TRUE(log.contains("seek_image: 9999 is no image"));
    EXPECT_TRUE(log.contains("Calibration: no I1 image is loaded"));
    EXPECT_TRUE(log.contains("Residual absorption: no I1 image is loaded"));
    for (int id : {EX_analyzer_target_elements, EX_seek_image, EX_calib_exec, EX_analyzer_exec_ra,
                   EX_analyzer_exec_LCF, EX_analyzer_exec_elems})
        EXPECT_EQ(ids.count(id), 1) << id;
    EXPECT_FALSE(log.contains("which no run waits for"));
}

} // namespace
