// The batch commands of the analysis window, sent to the main window's
// executor as parsed statements; each must complete exactly once.
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

#include "analysis/ui/aelemsconds.h"
#include "analysis/ui/analyzer.h"
#include "analysis/ui/elemctrl.h"
#include "analysis/ui/lcfreference.h"
#include "batch/cmdline.h"
#include "display/imgdispa.h"
#include "display/xafsfileselect.h"
#include "display/xafsview.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "support/batchwindow.h"
#include "support/heldworker.h"
#include "support/imagefixtures.h"
#include "support/ironmix.h"
#include "support/testfiles.h"
#include "support/timing.h"
#include "support/waitfor.h"

namespace {

class BodyExecAnalyzer : public ::testing::Test
{
protected:
    Body body;
    Analyzer *an = body.analysisWindow();
    DebugCapture log;
    BatchWindow batch{body.batchCtrl()};
    TestFiles files;
    QString fe2o3 = sourceDataPath("spectra/fe2o3_rt1.dat");
    QString feo = sourceDataPath("spectra/feo_rt1.dat");

    // Runs one statement; the completions it sent.
    QList<int> exec(const QString &statement)
    {
        CmdLine line;
        line.parse(statement);
        QSignalSpy done(&body, &Body::finishBatchExec);
        body.execCmdSlot(line, false);
        QList<int> ids;
        for (const QList<QVariant> &a : qAsConst(done))
            ids << a.at(0).toInt();
        return ids;
    }
    // Runs a statement that must complete once with id.
    void run(const QString &statement, int id)
    {
        EXPECT_EQ(exec(statement), QList<int>{id}) << qPrintable(statement);
    }
    QString text(const char *name) { return an->findChild<QLineEdit *>(name)->text(); }
    bool checked(const char *name) { return an->findChild<QAbstractButton *>(name)->isChecked(); }
    ElemCtrl *row(const QString &name)
    {
        for (ElemCtrl *r : qAsConst(an->elems))
            if (r->name() == name)
                return r;
        return nullptr;
    }
};

TEST_F(BodyExecAnalyzer, ReferenceRowsLoadTheSpectraWithUseShiftAndBackground)
{
    ASSERT_EQ(an->refs.size(), 4);
    run(QString("analyzer_set_LCF_std 0 1 1.50 \"%1\"").arg(fe2o3), EX_analyzer_set_LCF_std);
    run(QString("analyzer_set_LCF_std 1 1 -0.10 \"%1\" vic").arg(feo), EX_analyzer_set_LCF_std);

    LCFReference *a = an->refs[0], *b = an->refs[1];
    EXPECT_GT(a->count(), 100);
    EXPECT_GT(b->count(), 100);
    EXPECT_TRUE(a->inUse());
    EXPECT_TRUE(b->inUse());
    EXPECT_EQ(a->deltaEEdit()->text(), "1.5");
    EXPECT_EQ(b->deltaEEdit()->text(), "-0.1");
    EXPECT_TRUE(a->isVictreenBox()->isChecked());   // no background argument
    EXPECT_TRUE(b->isVictreenBox()->isChecked());   // "vic" in lower case
    EXPECT_GT(a->dMut, 0.0);

    // 0 unchecks IsVictreen; a use flag other than 1 leaves the row unused.
    run(QString("analyzer_set_LCF_std 1 2 0 \"%1\" 0").arg(feo), EX_analyzer_set_LCF_std);
    EXPECT_FALSE(b->isVictreenBox()->isChecked());
    EXPECT_FALSE(b->inUse());
    EXPECT_FALSE(b->fileSelect()->use());
    EXPECT_EQ(b->deltaEEdit()->text(), "0");
    run(QString("analyzer_set_LCF_std 1 1 2 \"%1\" 3").arg(feo), EX_analyzer_set_LCF_std);
    EXPECT_TRUE(b->isVictreenBox()->isChecked());
    EXPECT_TRUE(b->inUse());

    // An index out of range or malformed touches no row.
    const QString before = an->refs[3]->deltaEEdit()->text();
    run(QString("analyzer_set_LCF_std 4 1 5 \"%1\"").arg(fe2o3), EX_analyzer_set_LCF_std);
    run(QString("analyzer_set_LCF_std -1 1 5 \"%1\"").arg(fe2o3), EX_analyzer_set_LCF_std);
    EXPECT_EQ(an->refs.size(), 4);
    EXPECT_EQ(an->refs[3]->deltaEEdit()->text(), before);
    EXPECT_FALSE(an->refs[3]->inUse());
    EXPECT_EQ(a->deltaEEdit()->text(), "1.5");
}

TEST_F(BodyExecAnalyzer, RunsWithoutFramesCompleteOnce)
{
    EXPECT_EQ(exec("analyzer_exec_LCF"), QList<int>{EX_analyzer_exec_LCF});
    EXPECT_EQ(exec("analyzer_exec_elems"), QList<int>{EX_analyzer_exec_elems});
    EXPECT_EQ(body.areaRunKind(), Body::AreaRun::None);
    run("analyzer_exec_ra", EX_analyzer_exec_ra);
    // The word in any letter case is the same command.
    EXPECT_EQ(exec("ANALYZER_EXEC_LCF"), QList<int>{EX_analyzer_exec_LCF});
}

// A run started by hand is stopped by either exec command, which then starts
// its own run and completes with its own id when that run ends (the stopped
// run reports its own kind at once).
TEST_F(BodyExecAnalyzer, ExecCommandsStopARunStartedByHand)
{
    run(QString("analyzer_set_LCF_std 0 1 0 \"%1\"").arg(fe2o3), EX_analyzer_set_LCF_std);
    run(QString("analyzer_set_LCF_std 1 1 0 \"%1\"").arg(feo), EX_analyzer_set_LCF_std);
    const int n = 60;
    SelectDataFiles *p = body.i1Panel();
    p->setEngByCalc(true);
    p->setDispUnit(0);
    p->setEvenInEng(true);
    p->setEngCalcStart(7000);
    p->setEngCalcDelta(5);
    for (int i = 0; i < n; i++) {
        TiffData *t = ImageFixtures::floatFrame(16, 16, [i](int x, int y) {
            return float(0.3 + 0.001 * (x + y) + (i > n / 2 ? 0.4 : 0.0));
        });
        t->fileName = QString("f%1").arg(i);
        body.loadedI1(t, i);
    }
    body.finishedLoadI1Files();
    body.imageView()->setSelectedArea(0, 0, 16, 16);

    const QList<QPair<QString, int>> cmds{{"analyzer_exec_elems", EX_analyzer_exec_elems},
                                          {"analyzer_exec_LCF", EX_analyzer_exec_LCF}};
    for (const auto &c : cmds) {
        body.start2DAnalysis();
        ASSERT_EQ(body.areaRunKind(), Body::AreaRun::Fit);
        QSignalSpy done(&body, &Body::finishBatchExec);
        exec(c.first);
        EXPECT_TRUE(waitFor([&] { return !body.isAnalyzing(); }));
        // The stopped run's own report, then the command's.
        ASSERT_EQ(done.count(), 2) << qPrintable(c.first);
        EXPECT_EQ(done[0][0].toInt(), EX_analyzer_exec_LCF) << qPrintable(c.first);
        EXPECT_EQ(done[1][0].toInt(), c.second) << qPrintable(c.first);
    }
}

// The point analysis that follows a load is still with the worker when the
// batch names its element rows: the rows are there, with the settings that
// follow, before the next command runs, and the answer for the old rows
// changes nothing. The map equals the one made in quiet.
TEST_F(BodyExecAnalyzer, ElementRowsAreInPlaceWhileAnAnswerForTheOldRowsIsHeld)
{
    const int W = 24, H = 12;
    const IronMix mix(files, 60, 7000, 5);
    ASSERT_TRUE(mix.ok());
    ASSERT_TRUE(batch.runs(mix.setUpLines() << "saveDataCfg_save_as_text"
                                            << "saveDataCfg_text_as_xyz"
                                            << "analyzer_select_analysis_mode 2"));
    const QVector<TiffData *> frames = mix.frames(W, H);
    for (int i = 0; i < frames.size(); i++)
        body.loadedI1(frames[i], i);
    body.finishedLoadI1Files();
    const QStringList rowsSet{"analyzer_target_elements \"Cu Fe\"", "analyzer_elems_set_deVs 15",
                              "analyzer_elems_roi Fe-K 7050 7090"};
    const QStringList run{QString("select_region 0 0 %1 %2").arg(W).arg(H),
                          "analyzer_elems_select_show Fe-K", "analyzer_elems_select_disp_mode 0",
                          "analyzer_exec_elems"};
    ASSERT_TRUE(waitFor([&] { return !an->elemsBusy(); }));
    ASSERT_TRUE(batch.runs(rowsSet + run + QStringList{"save_data " + files.path("quiet")}));

    ASSERT_TRUE(batch.runs({"analyzer_target_elements Ni"}));
    {
        HeldWorker held(an->analysisWorker());
        ASSERT_TRUE(batch.runs({"move_position 5 5"}));
        ASSERT_TRUE(an->elemsBusy()) << "no element request for the Ni row is in flight";
        ASSERT_TRUE(batch.runs(rowsSet));
        ASSERT_TRUE(an->elemsBusy());
        ASSERT_EQ(an->elems.size(), 2);
        for (ElemCtrl *r : qAsConst(an->elems))
            EXPECT_EQ(r->prePostDEEdit()->text(), "15") << r->name().toStdString();
        ASSERT_TRUE(row("Fe-K") && row("Cu-K"));
        EXPECT_EQ(row("Fe-K")->roiStartEdit()->text(), "7050");
        EXPECT_EQ(row("Fe-K")->roiEndEdit()->text(), "7090");
    }
    const QPointer<ElemCtrl> fe = row("Fe-K");
    ASSERT_TRUE(waitFor([&] { return !an->elemsBusy(); }));
    EXPECT_EQ(row("Fe-K"), fe.data());
    EXPECT_EQ(fe->roiEndEdit()->text(), "7090");
    EXPECT_EQ(fe->prePostDEEdit()->text(), "15");

    ASSERT_TRUE(batch.runs(run + QStringList{"save_data " + files.path("raced")}));
    const QStringList quiet = files.savedMap("quiet");
    ASSERT_GT(quiet.size(), W * H);
    EXPECT_TRUE(files.savedMap("raced") == quiet) << "the map differs from the one made in quiet";
    EXPECT_FALSE(batch.logHas("no element row")) << batch.log().toStdString();
}

// New element rows right after the worker answered a point analysis, before
// this thread has taken in anything from it: the worker read only what it was
// sent, and the rows take the answer of the next analysis, made for them.
TEST_F(BodyExecAnalyzer, RowsRebuiltBehindAPointAnalysisRaceNothing)
{
    const IronMix mix(files, 60, 7000, 5);
    ASSERT_TRUE(mix.ok());
    const QString rows = "Fe Cu Ni Mn Co Zn";
    ASSERT_TRUE(batch.runs(mix.setUpLines() << "analyzer_select_analysis_mode 2"
                                            << "analyzer_target_elements \"" + rows + "\""));
    const QVector<TiffData *> frames = mix.frames(8, 6);
    for (int i = 0; i < frames.size(); i++)
        body.loadedI1(frames[i], i);
    body.finishedLoadI1Files();
    for (int k = 0; k < 3; k++) {
        ASSERT_TRUE(waitFor([&] { return !an->elemsBusy(); }));
        HeldWorker held(an->analysisWorker());
        ASSERT_TRUE(batch.runs({"move_position 4 3"}));
        ASSERT_TRUE(an->elemsBusy());
        held.release();
        // The worker answers and lets go of its copies; nothing is taken in here.
        QThread::msleep(50 * SlowBuild);
        an->setTargetElements(rows);
    }
    ASSERT_TRUE(batch.runs({"move_position 4 3"}));
    ASSERT_TRUE(waitFor([&] { return !an->elemsBusy(); }));
    ASSERT_EQ(an->elems.size(), 6);
    EXPECT_GT(row("Fe-K")->findChild<QLineEdit *>("DMuT")->text().toDouble(), 0.0);
}

// Commands addressed to rows, elements, references or images that do not
// exist each write one line naming what they looked for into the batch log;
// the batch goes on. By hand the same call writes only the debug line.
TEST_F(BodyExecAnalyzer, WhatACommandDidNotFindIsInTheBatchLog)
{
    ASSERT_TRUE(batch.runs({"analyzer_target_elements \"\"", "analyzer_elems_set_deVs 15",
                            "analyzer_target_elements \"Fe Qq\"", "analyzer_elems_roi Zn-K 1 2",
                            "analyzer_elems_set_use Zn-K 0", "analyzer_elems_select_show 3",
                            "analyzer_set_LCF_std 7 1 0 x", "analyzer_select_image 99",
                            "seek_image 9999", "analyzer_set_LCF_std 0 1 0 " + files.path("none"),
                            "calib_load_std " + files.path("none")}));
    const QStringList lines{
        "Analyzer::setElemsDEs: there are no element rows",
        "Analyzer: no element \"Qq\" is known; no row is made for \"Qq\"",
        "Analyzer::setElemROI: no element row is named \"Zn-K\" (rows 0 to 0)",
        "Analyzer::setElemUse: no element row is named \"Zn-K\"; row 0 (Fe-K) is taken",
        "Analyzer::selectElemShow: no element row is named or numbered \"3\" (rows 0 to 0)",
        "Analyzer::setLCFStd: there is no reference row 7 (rows 0 to 3)",
        "Analyzer::selectImage: no image has the number 99",
        "seek_image: 9999 is no image of the shown stack of 0 images",
        QString("analyzer_set_LCF_std: no reference spectrum was read from \"%1\"; row 0 holds "
                "none").arg(files.path("none")),
        QString("calib_load_std: no standard spectrum was read from \"%1\"").arg(files.path("none"))};
    for (const QString &l : lines)
        EXPECT_EQ(batch.log().count(l), 1) << l.toStdString();
    EXPECT_FALSE(row("Fe-K")->inUse());

    an->setElemROI("Zn-K", 1, 2);
    EXPECT_EQ(log.count("Analyzer::setElemROI: no element row"), 2);
    EXPECT_EQ(batch.log().count("Analyzer::setElemROI: no element row"), 1);
}

} // namespace
