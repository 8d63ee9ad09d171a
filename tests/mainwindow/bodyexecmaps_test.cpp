// A batch's exec command finds a run it did not start, left over from a
// stopped batch or started by hand: it completes only when its own run has
// walked the whole area, so the map saved after it equals an undisturbed
// run's. Through the real batch window, interpreter thread and main window.
// Commands that do nothing say why and complete once.
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "batch/ui/batchctrl.h"
#include "calibration/ui/calibctrl.h"
#include "core/cmdid.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "mainwindow/body.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

const int N = 100;
const double E0 = 6920, DE = 11.6;

// The run's exec command, the commands saving its map (%1: the name) and the
// analysis window button that starts it by hand.
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

class BatchBase
{
protected:
    void click(QWidget *w, const char *name) { w->findChild<QPushButton *>(name)->click(); }
    bool logHas(const QString &text) const { return body.batchCtrl()->logText().contains(text); }
    void exec(const QStringList &lines)
    {
        body.batchCtrl()->setText(lines.join('\n'));
        click(body.batchCtrl(), "Exec");
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
    DebugCapture log;
    int batches = 0;
};

class ExecAfterForeignRun : public BatchBase,
                            public ::testing::TestWithParam<std::tuple<int, bool>>
{
protected:
    // A stack mixed from the two measured iron spectra, with their
    // references, the first also as calibration standard, the whole image as
    // area and maps saved as text.
    void SetUp() override
    {
        // Large enough that the runs go on for a while.
        w = 384;
        h = w / 2;
        QVector<double> raw[2];
        QStringList setUp = {"eng_by_calc_i1 1", "eng_calc_even_in_eng_i1 1", "set_band_w 0",
                             "set_band_h 0", QString("eng_calc_base_i1 %1").arg(E0),
                             QString("eng_calc_delta_i1 %1").arg(DE), "saveDataCfg_save_as_text",
                             "saveDataCfg_text_as_ssv", "saveDataCfg_text_as_vals",
                             "analyzer_select_image 1"};
        for (int k = 0; k < 2; k++) {
            const QString text = resampledSpectrum(
                k ? "spectra/feo_rt1.dat" : "spectra/fe2o3_rt1.dat", E0, DE, N, raw[k]);
            const QString ref = files.writeText(QString("ref%1.dat").arg(k), text);
            setUp << QString("analyzer_set_LCF_std %1 1 0 %2 0").arg(k).arg(ref);
        }
        setUp << "calib_load_std " + files.path("ref0.dat");
        if (QString(kind().name) == "Elems")
            setUp << "analyzer_select_analysis_mode 2" << "analyzer_target_elements \"Fe Cu\""
                  << "analyzer_elems_select_show Fe" << "analyzer_elems_select_disp_mode 0";
        ASSERT_TRUE(runs(setUp));
        for (int i = 0; i < N; i++) {
            TiffData *t = ImageFixtures::floatFrame(w, h, [&](int x, int y) {
                const double f = (x + y) / double(w + h - 2);
                return float(std::exp(-(0.2 + 0.8 * (f * raw[0][i] + (1 - f) * raw[1][i]))));
            });
            t->fileName = QString("f%1").arg(i);
            body.loadedI1(t, i);
        }
        body.finishedLoadI1Files();
        body.imageView()->setSelectedArea(0, 0, w, h);
    }

    const RunKind &kind() const { return runKinds[std::get<0>(GetParam())]; }
    bool byHand() const { return std::get<1>(GetParam()); }
    bool busy() const { return body.isAnalyzing() || body.isCalibrating(); }
    QString save(const QString &name) const
    {
        return QString(kind().save).arg(files.path(name));
    }
    // The lines of the map file saved under name (the one file whose name
    // starts with it), the writing date left out.
    QStringList saved(const QString &name) const
    {
        const QStringList found = QDir(files.dir()).entryList({name + "*"}, QDir::Files);
        if (found.size() != 1)
            return {QString("%1 files named %2").arg(found.size()).arg(name)};
        QStringList lines = QString(files.read(found[0])).split('\n');
        lines = lines.filter(QRegExp("^(?!Record Date)"));
        return lines;
    }
    // The cells of a map file that hold 0.
    static int zeros(const QStringList &lines)
    {
        int n = 0;
        for (const QString &l : lines) {
            for (const QString &v : l.split(' ', Qt::SkipEmptyParts))
                n += v == "0";
        }
        return n;
    }

    int w = 0, h = 0;
};

TEST_P(ExecAfterForeignRun, CompletesWithTheWholeMap)
{
    ASSERT_TRUE(runs({kind().exec, save("whole")}));
    const QStringList whole = saved("whole");
    ASSERT_GT(whole.size(), h);
    ASSERT_LT(zeros(whole), w * h / 100);

    if (byHand()) {
        QWidget *window = QString(kind().name) == "Calib" ? static_cast<QWidget *>(body.calibrationWindow())
                                                          : body.analysisWindow();
        click(window, kind().button);
        ASSERT_TRUE(waitFor([&] { return busy(); }));
    } else {
        exec({kind().exec, ":echo first"});
        ASSERT_TRUE(waitFor([&] { return busy(); }));
        QTest::qWait(10);
        click(body.batchCtrl(), "Stop");
    }
    ASSERT_TRUE(busy()) << "the run ended before the next batch: make it larger";

    ASSERT_TRUE(runs({kind().exec, save("after")})) << body.batchCtrl()->logText().toStdString();
    EXPECT_FALSE(busy());
    const QStringList after = saved("after");
    EXPECT_TRUE(after == whole) << zeros(after) << " cells are 0, in the whole map "
                                << zeros(whole);
    // The run that was replaced says how far it came; nothing waits for it.
    EXPECT_EQ(log.count("unfinished"), 1);
    EXPECT_FALSE(log.contains("which no run waits for"));
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<int, bool>> &info)
{
    return std::string(runKinds[std::get<0>(info.param)].name) +
           (std::get<1>(info.param) ? "_ByHand" : "_AfterStop");
}

INSTANTIATE_TEST_SUITE_P(Runs, ExecAfterForeignRun,
                         ::testing::Combine(::testing::Range(0, 3), ::testing::Bool()), caseName);

class NothingToDo : public BatchBase, public ::testing::Test
{
};

// With no stack: each command logs what it did not do and why, and
// completes once.
TEST_F(NothingToDo, CommandsSayWhyAndCompleteOnce)
{
    QList<int> ids;
    QObject::connect(&body, &Body::finishBatchExec, &body, [&ids](int id) { ids << id; });
    ASSERT_TRUE(runs({"analyzer_target_elements \"Fe Qq, Zz-L3\"", "seek_image 9999", "calib_exec",
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
