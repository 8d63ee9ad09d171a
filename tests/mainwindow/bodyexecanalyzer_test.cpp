// The batch commands of the analysis window, sent to the main window's
// executor as parsed statements; each must complete exactly once.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
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
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

class BodyExecAnalyzer : public ::testing::Test
{
protected:
    Body body;
    Analyzer *an = body.analysisWindow();
    DebugCapture log;
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
    // 60 frames of 16 x 16 from 7000 eV in steps of 5 eV, with a step after
    // the 30th; the whole image selected.
    void loadFrames()
    {
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
    }
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

// A command that finds nothing to act on changes nothing, says why in one
// debug line and completes once; one that finds its target says nothing.
TEST_F(BodyExecAnalyzer, CommandsThatFindNothingSayWhy)
{
    // Each statement completes once with one debug line holding the text.
    const auto check = [this](const QList<QPair<QString, QString>> &cases) {
        for (const auto &c : cases) {
            const int before = log.messages().size();
            EXPECT_EQ(exec(c.first).size(), 1) << qPrintable(c.first);
            EXPECT_EQ(log.messages().mid(before).filter(c.second).size(), 1) << qPrintable(c.first);
        }
    };
    check({{"analyzer_elems_select_target 0", "no element row is named or numbered \"0\" (there "
                                               "are no element rows)"},
           {"analyzer_elems_set_deVs 15", "there are no element rows"}});

    run("analyzer_target_elements \"Fe Cu\"", EX_analyzer_target_elements);
    ElemCtrl *fe = row("Fe-K"), *cu = row("Cu-K");
    ASSERT_TRUE(fe && cu);
    const int before = log.messages().size();
    run("analyzer_elems_select_target Cu-K", EX_analyzer_elems_select_target);
    run("analyzer_elems_roi Fe-K 7100 7120", EX_analyzer_elems_roi);
    EXPECT_TRUE(log.messages().mid(before).filter("Analyzer::").isEmpty());
    check({{"analyzer_elems_select_target 2", "no element row is named or numbered \"2\" (rows 0 "
                                               "to 1)"},
           {"analyzer_elems_select_show -1", "no element row is named or numbered \"-1\""},
           {"analyzer_elems_set_use 7 0", "nothing is changed"},
           {"analyzer_elems_roi Zn-K 7100 7110", "no element row is named \"Zn-K\" (rows 0 to 1)"},
           {"analyzer_elems_thdmut fe-K 0.3", "nothing is changed"},
           {"analyzer_elems_no_neg Zn-K 0", "nothing is changed"},
           {"analyzer_select_analysis_mode 6", "there is no analysis mode 6"},
           {"analyzer_elems_select_disp_mode 9", "there is no display mode 9"},
           {"analyzer_select_image 99", "no image has the number 99"},
           {"analyzer_select_image_type 2", "there is no image type 2"},
           {"analyzer_set_LCF_std 4 1 0 x.dat", "there is no reference row 4 (rows 0 to 3)"}});
    EXPECT_TRUE(cu->mainTargetButton()->isChecked());
    EXPECT_TRUE(fe->inUse() && fe->noNegBox()->isChecked());
    EXPECT_EQ(fe->roiStartEdit()->text(), "7100");
    EXPECT_FALSE(checked("SelElemA") || checked("SelRAA") || checked("SelDEdgeAnal"));

    // A name that is no row's and no number means the first row, and says so.
    check({{"analyzer_elems_select_target Zn-K", "no element row is named \"Zn-K\"; row 0 (Fe-K) "
                                                  "is taken"}});
    EXPECT_TRUE(fe->mainTargetButton()->isChecked());
}

// The element Analyze button without "Element Analysis" chosen analyses no
// block and says why in the window; with it chosen the run fills the maps.
TEST_F(BodyExecAnalyzer, ElementAnalyzeButtonSaysWhyItAnalysedNothing)
{
    loadFrames();
    auto *progress = an->findChild<QLabel *>("ElemsProgress");
    auto *analyze = an->findChild<QPushButton *>("AskAnalyzeElems");
    ASSERT_TRUE(progress && analyze);
    EXPECT_EQ(progress->text(), "0%");
    EXPECT_EQ(an->findChild<QLabel *>("Progress")->text(), "0%");
    run("analyzer_target_elements Fe", EX_analyzer_target_elements);
    ASSERT_TRUE(row("Fe-K"));

    analyze->click();
    ASSERT_TRUE(waitFor([&] { return !body.isAnalyzing(); }));
    EXPECT_EQ(progress->text(), Analyzer::tr("Element Analysis is not chosen"));
    EXPECT_FALSE(row("Fe-K")->map(ElemCtrl::JumpMap)->hasData());

    run("analyzer_select_analysis_mode 2", EX_analyzer_select_analysis_mode);
    analyze->click();
    ASSERT_TRUE(waitFor([&] { return !body.isAnalyzing(); }));
    EXPECT_EQ(progress->text(), "100.00");
    EXPECT_TRUE(row("Fe-K")->map(ElemCtrl::JumpMap)->hasData());
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
    loadFrames();

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

} // namespace
