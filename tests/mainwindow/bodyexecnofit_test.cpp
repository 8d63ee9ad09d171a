// An LCF run whose boxes get no fit says so in one line, in the batch log and
// the analysis window; the maps that no box filled hold no data, so nothing
// is saved from them, and the main window says why. Through the real batch
// window, interpreter thread and main window.
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <gtest/gtest.h>
#include <memory>

#include "analysis/analyzeproc.h"
#include "analysis/ui/analyzer.h"
#include "analysis/ui/elemctrl.h"
#include "analysis/ui/lcfreference.h"
#include "app/startup.h"
#include "calibration/ui/calibctrl.h"
#include "core/cmdid.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "mainwindow/body.h"
#include "support/batchwindow.h"
#include "support/heldworker.h"
#include "support/ironmix.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

const int N = 100, W = 6, H = 4;
const double E0 = 6920, DE = 11.6;

// The iron mix as the I1 stack after its set-up lines and extra; the whole
// image selected.
void loadMix(Body &body, BatchWindow &batch, const TestFiles &files, const QStringList &extra = {})
{
    const IronMix mix(files, N, E0, DE);
    ASSERT_TRUE(mix.ok());
    ASSERT_TRUE(batch.runs(mix.setUpLines() << extra));
    const QVector<TiffData *> frames = mix.frames(W, H);
    for (int i = 0; i < frames.size(); i++)
        body.loadedI1(frames[i], i);
    body.finishedLoadI1Files();
    body.imageView()->setSelectedArea(0, 0, W, H);
}

// How many of the line edits (children of w) read as numbers.
int numbersIn(const QWidget *w, const QStringList &names)
{
    int n = 0;
    for (const QString &name : names) {
        bool ok = false;
        w->findChild<QLineEdit *>(name)->text().toDouble(&ok);
        n += ok;
    }
    return n;
}

TEST(ExecNoFit, SameReferenceTwiceSavesNothingAndSaysWhy)
{
    Body body;
    TestFiles files;
    BatchWindow batch(body.batchCtrl());
    Analyzer *an = body.analysisWindow();
    ASSERT_NO_FATAL_FAILURE(loadMix(body, batch, files));
    const QString ref0 = files.path("ref0.dat"), ref1 = files.path("ref1.dat");
    auto saves = [&](const QString &name) {
        return QStringList{"saveDataCfg_save_as_text", "save_data " + files.path(name + ".dat"),
                           "saveDataCfg_save_as_tiff", "save_data " + files.path(name + ".tif")};
    };
    auto saved = [&](const QString &name) {
        return QDir(files.dir()).entryList({name + "*"}, QDir::Files).size();
    };
    // The run's own lines: the saves that refuse log their reason after it.
    const auto runLines = [&] {
        return batch.log().split('\n').filter(QRegularExpression("^\\d+ of \\d+ boxes had no fit")).size();
    };
    QLabel *note = an->findChild<QLabel *>("RunNote");
    ASSERT_TRUE(note);
    // The fit under the pointer fills the fields; no failed fit leaves its numbers.
    const auto fitNumbers = [&] { return numbersIn(an->refs[0], {"R", "T"}) + numbersIn(an, {"DispZansa"}); };
    ASSERT_TRUE(batch.runs({"move_position 3 2"}));
    ASSERT_TRUE(waitFor([&] { return fitNumbers() == 3; }));

    ASSERT_TRUE(batch.runs(QStringList{"analyzer_set_LCF_std 1 1 0 " + ref0 + " 0",
                                       "analyzer_select_image 0", "analyzer_exec_LCF"}
                           << saves("same")));
    const QString all = QString("%1 of %1 boxes had no fit: singular system").arg(W * H);
    EXPECT_EQ(runLines(), 1) << batch.log().toStdString();
    EXPECT_TRUE(batch.logHas(all + "\n"));
    EXPECT_EQ(batch.log().count("nothing is saved: " + all), 2);
    EXPECT_EQ(fitNumbers(), 0);
    EXPECT_EQ(an->findChild<QLineEdit *>("DispZansa")->text().toStdString(), "no fit");
    EXPECT_EQ(note->text().toStdString(), all.toStdString());
    EXPECT_FALSE(an->zansaMap.hasData());
    EXPECT_EQ(saved("same"), 0);
    // On screen the empty maps show nothing, and Save Data says why: the run
    // failed (row 0), the row had no part in it (row 2, the window's Ref3).
    body.show();
    QLabel *reason = body.findChild<QLabel *>("SaveReason");
    for (int row : {0, 2}) {
        ASSERT_TRUE(batch.runs({"select_disp_image 3", QString("analyzer_select_image %1").arg(row)}));
        body.imageView()->grab();
        EXPECT_FALSE(body.imageView()->showsImage()) << row;
        EXPECT_FALSE(an->currentMap()->hasData()) << row;
        body.findChild<QPushButton *>("SaveData")->click();
        EXPECT_EQ(reason->text().toStdString(),
                  row ? "Row 3 had no part in the fit: give it a reference and run again."
                      : all.toStdString());
    }
    // The reasons are translated when they are read.
    QTranslator own;
    ASSERT_TRUE(installTranslation(&own));
    EXPECT_EQ(body.noDataReason(an->refs[0]->maps[1]).toStdString(),
              QString("%1 個中 %1 個のボックスでフィットなし: 特異な連立方程式").arg(W * H).toStdString());
    QCoreApplication::removeTranslator(&own);
    qDeleteAll(qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly));

    // Two references: every box fits, and the run clears the note.
    ASSERT_TRUE(batch.runs(QStringList{"analyzer_set_LCF_std 1 1 0 " + ref1 + " 0",
                                       "analyzer_select_image 0", "analyzer_exec_LCF"}
                           << saves("two")));
    EXPECT_EQ(runLines(), 1);
    EXPECT_EQ(note->text().toStdString(), "");
    body.imageView()->grab();
    EXPECT_EQ(reason->text().toStdString(), "");   // the run filled the map it spoke of
    EXPECT_GT(an->refs[0]->maps[1]->value(W - 1, H - 1), 0.5);
    EXPECT_EQ(saved("two"), 3);   // text, TIFF and the TIFF's colour bar
    ASSERT_TRUE(batch.runs({"move_position 3 2"}));
    ASSERT_TRUE(waitFor([&] { return fitNumbers() == 3; }));
    ASSERT_TRUE(batch.runs({"analyzer_set_LCF_std 1 1 0 " + ref0 + " 0", "move_position 2 1"}));
    EXPECT_TRUE(waitFor([&] { return fitNumbers() == 0; }));   // the point fit failed
}

// The runs refused below: LCF, elements, residual absorption, calibration;
// their exec commands and the set-up lines showing one of their maps.
const int ids[] = {EX_analyzer_exec_LCF, EX_analyzer_exec_elems, EX_analyzer_exec_ra, EX_calib_exec};
const char *const execs[] = {"analyzer_exec_LCF", "analyzer_exec_elems", "analyzer_exec_ra", "calib_exec"};
const QStringList setUps[] = {{"analyzer_select_image 0"},
                              {"analyzer_select_analysis_mode 2", "analyzer_target_elements Fe",
                               "analyzer_elems_select_disp_mode 0"},
                              {"analyzer_select_image 4"},
                              {}};

// A run refused before its first box (its area wholly off the image) ends
// as one in which every box failed: one line says why, the window shows no
// number of an earlier analysis, the saves under the next tile's name write
// nothing and log that reason, and the command completes once.
class RefusedTile : public ::testing::TestWithParam<int>
{
};

TEST_P(RefusedTile, SavesNothingUnderTheNextTilesName)
{
    const int id = ids[GetParam()];
    const bool calib = id == EX_calib_exec, elems = id == EX_analyzer_exec_elems;
    Body body;
    TestFiles files;
    BatchWindow batch(body.batchCtrl());
    Analyzer *an = body.analysisWindow();
    ASSERT_NO_FATAL_FAILURE(loadMix(body, batch, files, setUps[GetParam()]));
    const auto tile = [&](const char *region, const QString &name) {
        const QString f = files.path(name), area = QString("select_region ") + region;
        return calib ? QStringList{area, execs[GetParam()], "calib_save_map " + f + ".emp"}
                     : QStringList{area, execs[GetParam()], "saveDataCfg_save_as_tiff",
                                   "save_data " + f + ".tif", "select_disp_image 3",
                                   "save_image " + f + ".png"};
    };
    const auto saved = [&](const QString &name) {
        return QDir(files.dir()).entryList({name + "*"}, QDir::Files).size();
    };
    ASSERT_TRUE(batch.runs(tile("0 0 4 4", "tileA")));
    ASSERT_GT(saved("tileA"), 0) << batch.log().toStdString();
    // The analysis under the pointer: its answer reaches the window before the
    // next run is refused, the rest of what the worker sends for it after; the
    // pointer's next spectrum waits for the worker meanwhile.
    const quint64 asked = an->currentRequestId();
    std::unique_ptr<HeldWorker> held;
    if (elems)
        held.reset(new HeldWorker(an->analysisWorker(), &AnalyzeProc::elemsAnswered, asked));
    else if (id == EX_analyzer_exec_LCF)
        held.reset(new HeldWorker(an->analysisWorker(), &AnalyzeProc::fitAnswered, asked));
    ASSERT_TRUE(batch.runs({"move_position 3 2"}));
    ASSERT_TRUE(!held || waitFor([&] { return held->answerDelivered(); }));
    ASSERT_TRUE(!elems || numbersIn(an->elems[0], {"DMuT", "Ratio"}) == 2);
    ASSERT_TRUE(!held || batch.runs({"move_position 2 1"}));
    const auto fitNumbers = [&] {
        return numbersIn(an->refs[0], {"R", "T"}) + numbersIn(an, {"DispZansa", "DispDEdge"});
    };

    QList<int> done;
    QObject::connect(&body, &Body::finishBatchExec, &body, [&done](int i) { done << i; });
    ASSERT_TRUE(batch.runs(tile("40 0 44 4", "tileB")));
    // Twice: a spectrum that waited is asked for once the worker is free.
    ASSERT_TRUE(!held || (held->settle() && held->settle()));
    const QString why = "The analysis area lies outside the image";
    EXPECT_EQ(saved("tileB"), 0);
    EXPECT_EQ(batch.log().split('\n').count(why), 1) << batch.log().toStdString();
    EXPECT_EQ(batch.log().count("nothing is saved: " + why), calib ? 1 : 2);
    QWidget *window = calib ? static_cast<QWidget *>(body.calibrationWindow()) : an;
    EXPECT_EQ(window->findChild<QLabel *>("RunNote")->text().toStdString(), why.toStdString());
    EXPECT_EQ(done.count(id), 1);
    EXPECT_TRUE(!elems || numbersIn(an->elems[0], {"DMuT", "Ratio"}) == 0);
    EXPECT_TRUE(id != EX_analyzer_exec_LCF || fitNumbers() == 0);
    EXPECT_TRUE(!calib || numbersIn(window, {"DEMin", "DEMax", "DEAvr", "DESigma"}) == 0);
}

INSTANTIATE_TEST_SUITE_P(Runs, RefusedTile, ::testing::Range(0, 4));

// The texts of the line edits (children of w, when there is one) named.
QStringList textsIn(const QWidget *w, const QStringList &names)
{
    QStringList texts;
    for (const QString &name : names) {
        const QLineEdit *edit = w ? w->findChild<QLineEdit *>(name) : nullptr;
        texts << (edit ? edit->text() : "no " + name);
    }
    return texts;
}

// A run refused because no I1 image is loaded changes nothing: its maps (the
// energy-shift map read from a file too) stay drawn and are saved as before,
// the fields keep their numbers, one line says why, and the command
// completes once.
class RefusedWithoutI1 : public ::testing::TestWithParam<int>
{
};

TEST_P(RefusedWithoutI1, KeepsEveryMap)
{
    const int id = ids[GetParam()];
    const bool calib = id == EX_calib_exec;
    Body body;
    TestFiles files;
    BatchWindow batch(body.batchCtrl());
    Analyzer *an = body.analysisWindow();
    ASSERT_NO_FATAL_FAILURE(
        loadMix(body, batch, files, QStringList(setUps[GetParam()]) << "saveDataCfg_save_as_text"));
    const auto save = [&](const QString &name) {
        return calib ? "calib_save_map " + files.path(name + ".emp") : "save_data " + files.path(name);
    };
    ASSERT_TRUE(batch.runs({"move_position 3 2", execs[GetParam()], save("made")}));
    QStringList clear{"clear_I1_files", QString("select_disp_image %1").arg(calib ? 2 : 3)};
    if (calib)
        clear << "calib_clear_map" << "calib_load_map " + files.path("made.emp") << save("loaded");
    ASSERT_TRUE(batch.runs(clear));
    const QStringList before = files.savedMap(calib ? "loaded" : "made");
    ASSERT_GT(before.size(), H) << before.join('\n').toStdString();
    QWidget *window = calib ? static_cast<QWidget *>(body.calibrationWindow()) : an;
    const auto fields = [&] {
        return calib ? textsIn(window, {"DEMin", "DEMax", "DEAvr", "DESigma"})
                     : textsIn(an->refs[0], {"R", "T"}) + textsIn(an, {"DispZansa", "DispDEdge"})
                           + textsIn(an->elems.value(0), {"DMuT", "Ratio"});
    };
    const QStringList shown = fields();
    body.show();
    body.imageView()->grab();
    ASSERT_TRUE(body.imageView()->showsImage());

    QList<int> done;
    QObject::connect(&body, &Body::finishBatchExec, &body, [&done](int i) { done << i; });
    ASSERT_TRUE(batch.runs({execs[GetParam()], save("after")}));
    const QString why = "No I1 image is loaded";
    EXPECT_EQ(batch.log().split('\n').count(why), 1) << batch.log().toStdString();
    EXPECT_EQ(window->findChild<QLabel *>("RunNote")->text().toStdString(), why.toStdString());
    EXPECT_EQ(done.count(id), 1);
    EXPECT_TRUE(files.savedMap("after") == before) << files.savedMap("after").join('\n').toStdString();
    EXPECT_EQ(fields(), shown);
    body.imageView()->grab();
    EXPECT_TRUE(body.imageView()->showsImage());
}

INSTANTIATE_TEST_SUITE_P(Runs, RefusedWithoutI1, ::testing::Range(0, 4));

// After an element run refused off the image, a new correlation threshold
// writes nothing into the correlation maps: their saves refuse with the
// run's reason.
TEST(ExecNoFit, CorrelationThresholdWritesNoEmptiedMap)
{
    Body body;
    TestFiles files;
    BatchWindow batch(body.batchCtrl());
    ASSERT_NO_FATAL_FAILURE(loadMix(body, batch, files, setUps[1]));
    const auto saves = [&](const QString &name) {
        return QStringList{"saveDataCfg_save_as_text", "saveDataCfg_text_as_vals",
                           "analyzer_elems_select_disp_mode 2",
                           "save_data " + files.path(name + "cor"), "analyzer_elems_select_disp_mode 3",
                           "save_data " + files.path(name + "th")};
    };
    ASSERT_TRUE(batch.runs(QStringList{"select_region 40 0 50 4", "analyzer_exec_elems",
                                       "analyzer_elems_set_corr_th 0.8"}
                           << saves("off")));
    const QString why = "The analysis area lies outside the image";
    EXPECT_EQ(batch.log().count("nothing is saved: " + why), 2) << batch.log().toStdString();
    EXPECT_EQ(QDir(files.dir()).entryList({"off*"}, QDir::Files).size(), 0);
}

} // namespace
