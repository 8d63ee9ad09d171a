// The batch commands of the analysis window, sent to the main window's
// executor as parsed statements; each must complete exactly once.
#include <QCheckBox>
#include <QLineEdit>
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

} // namespace
