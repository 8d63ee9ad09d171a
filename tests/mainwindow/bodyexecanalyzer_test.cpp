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

TEST_F(BodyExecAnalyzer, ModesAndImageChoice)
{
    run("analyzer_set_LCF_mode 1", EX_analyzer_set_LCF_mode);
    EXPECT_TRUE(an->mlcfBox()->isChecked());
    run("analyzer_set_LCF_mode 2", EX_analyzer_set_LCF_mode);
    EXPECT_FALSE(an->mlcfBox()->isChecked());

    run("analyzer_select_analysis_mode 2", EX_analyzer_select_analysis_mode);
    EXPECT_TRUE(checked("SelElemA"));
    run("analyzer_select_analysis_mode 7", EX_analyzer_select_analysis_mode);
    EXPECT_TRUE(checked("SelElemA"));
    run("analyzer_select_analysis_mode 0", EX_analyzer_select_analysis_mode);
    EXPECT_TRUE(checked("SelMLCFAnal"));

    run("analyzer_select_image_type 1", EX_analyzer_select_image_type);
    EXPECT_TRUE(checked("SelDMut"));
    EXPECT_EQ(an->raImageType(), 0);
    EXPECT_TRUE(log.contains("Selecting img Type"));
    run("analyzer_select_image_type 0", EX_analyzer_select_image_type);
    EXPECT_TRUE(checked("SelRatio"));

    // An identifier no button has still asks for a redraw.
    QSignalSpy redraw(an, &Analyzer::changedSelection);
    run("analyzer_select_image 99", EX_analyzer_select_image);
    EXPECT_EQ(redraw.count(), 1);
    const int z = an->refs.size() + 3;
    run(QString("analyzer_select_image %1").arg(z), EX_analyzer_select_image);
    EXPECT_TRUE(checked("ShowZ"));
    EXPECT_EQ(an->imageChooser()->checkedId(), z);
    EXPECT_EQ(redraw.count(), 2);
}

TEST_F(BodyExecAnalyzer, ScalesAndResidualFieldsShowTheParsedValues)
{
    run("analyzer_set_scale_max 2.50", EX_analyzer_set_scale_max);
    EXPECT_EQ(text("DMutScaleMax"), "2.5");
    EXPECT_EQ(text("RatioScaleMax"), "2.5");
    run("analyzer_set_scale_min 1e3", EX_analyzer_set_scale_min);
    EXPECT_EQ(text("DMutScaleMin"), "1000");
    EXPECT_EQ(text("RatioScaleMin"), "1000");

    run("analyzer_set_dMut_scale_max 0.10", EX_analyzer_set_dMut_scale_max);
    run("analyzer_set_dMut_scale_min lots", EX_analyzer_set_dMut_scale_min);
    run("analyzer_set_ratio_scale_max 3.1234567", EX_analyzer_set_ratio_scale_max);
    run("analyzer_set_ratio_scale_min -2", EX_analyzer_set_ratio_scale_min);
    EXPECT_EQ(text("DMutScaleMax"), "0.1");
    EXPECT_EQ(text("DMutScaleMin"), "0");
    EXPECT_EQ(text("RatioScaleMax"), "3.12346");
    EXPECT_EQ(text("RatioScaleMin"), "-2");

    run("analyzer_set_fixed_scale 1", EX_analyzer_set_fixed_scale);
    EXPECT_TRUE(an->fixedScaleBox()->isChecked());
    run("analyzer_set_fixed_scale yes", EX_analyzer_set_fixed_scale);
    EXPECT_FALSE(an->fixedScaleBox()->isChecked());

    run("analyzer_set_ra_energy 7112.00", EX_analyzer_set_ra_energy);
    run("analyzer_set_ra_factor", EX_analyzer_set_ra_factor);
    EXPECT_EQ(an->raEnergyEdit()->text(), "7112");
    EXPECT_EQ(an->raFactorEdit()->text(), "0");
}

TEST_F(BodyExecAnalyzer, ViewChecksAndWindow)
{
    run("analyzer_view_normalize 1", EX_analyzer_view_normalize);
    run("analyzer_view_enerugy_correction 1", EX_analyzer_view_enerugy_correction);
    EXPECT_TRUE(an->spectrumView()->normalize());
    EXPECT_TRUE(an->spectrumView()->energyCorrection());
    run("analyzer_view_normalize 0", EX_analyzer_view_normalize);
    run("analyzer_view_enerugy_correction -1", EX_analyzer_view_enerugy_correction);
    EXPECT_FALSE(an->spectrumView()->normalize());
    EXPECT_FALSE(an->spectrumView()->energyCorrection());

    run("analyzer_show_window", EX_analyzer_show_window);
    EXPECT_TRUE(an->isVisible());
    EXPECT_TRUE(an->spectrumView()->isVisible());
}

TEST_F(BodyExecAnalyzer, ElementRowsFollowTheCommands)
{
    run("analyzer_target_elements \"Fe, Cu\"", EX_analyzer_target_elements);
    EXPECT_EQ(an->elemNamesEdit()->text(), "Fe, Cu");
    ASSERT_EQ(an->elems.size(), 2);
    const QString fe = an->elems[0]->name(), cu = an->elems[1]->name();
    ASSERT_NE(fe, cu);

    run(QString("analyzer_elems_set_use %1 1").arg(fe), EX_analyzer_elems_set_use);
    run(QString("analyzer_elems_set_use %1 1").arg(cu), EX_analyzer_elems_set_use);
    EXPECT_TRUE(row(fe)->inUse());
    run(QString("analyzer_elems_set_use %1 0").arg(cu), EX_analyzer_elems_set_use);
    EXPECT_FALSE(row(cu)->inUse());
    EXPECT_TRUE(row(fe)->inUse());
    // No row has the name and no row the index it reads as.
    run("analyzer_elems_set_use 9 0", EX_analyzer_elems_set_use);
    EXPECT_TRUE(row(fe)->inUse());
    EXPECT_FALSE(row(cu)->inUse());
    run("analyzer_elems_set_use 1 1", EX_analyzer_elems_set_use);   // the row at index 1
    EXPECT_TRUE(row(cu)->inUse());

    run("analyzer_elems_set_deVs 15.0", EX_analyzer_elems_set_deVs);
    EXPECT_EQ(row(fe)->prePostDEEdit()->text(), "15");
    EXPECT_EQ(row(cu)->prePostDEEdit()->text(), "15");

    run(QString("analyzer_elems_roi %1 7100 7200.5").arg(fe), EX_analyzer_elems_roi);
    EXPECT_EQ(row(fe)->roiStartEdit()->text(), "7100");
    EXPECT_EQ(row(fe)->roiEndEdit()->text(), "7200.5");
    run(QString("analyzer_elems_thdmut %1 0.020").arg(fe), EX_analyzer_elems_thdmut);
    EXPECT_EQ(row(fe)->thDMutEdit()->text(), "0.02");
    run(QString("analyzer_elems_no_neg %1 1").arg(cu), EX_analyzer_elems_no_neg);
    run(QString("analyzer_elems_no_neg %1 2").arg(fe), EX_analyzer_elems_no_neg);
    EXPECT_TRUE(row(cu)->noNegBox()->isChecked());
    EXPECT_FALSE(row(fe)->noNegBox()->isChecked());

    run(QString("analyzer_elems_select_target %1").arg(cu), EX_analyzer_elems_select_target);
    EXPECT_TRUE(row(cu)->mainTargetButton()->isChecked());
    run(QString("analyzer_elems_select_show %1").arg(cu), EX_analyzer_elems_select_show);
    EXPECT_TRUE(row(cu)->showButton()->isChecked());

    run("analyzer_elems_select_disp_mode 2", EX_analyzer_elems_select_disp_mode);
    EXPECT_TRUE(checked("ShowElemsCorr"));
    run("analyzer_elems_select_disp_mode 8", EX_analyzer_elems_select_disp_mode);
    EXPECT_TRUE(checked("ShowElemsNROI"));
    run("analyzer_elems_sort_by_an 1", EX_analyzer_elems_sort_by_an);
    EXPECT_TRUE(checked("SortByANo"));

    run("analyzer_elems_set_corr_th 0.750", EX_analyzer_elems_set_corr_th);
    EXPECT_EQ(an->corThEdit()->text(), "0.75");
    EXPECT_DOUBLE_EQ(an->corTh, 0.75);
    run("analyzer_elems_set_corr_th high", EX_analyzer_elems_set_corr_th);
    EXPECT_EQ(an->corThEdit()->text(), "0");
    EXPECT_DOUBLE_EQ(an->corTh, 0.0);
}

TEST_F(BodyExecAnalyzer, BackgroundValuesComeFromTheSecondArgument)
{
    AElemsConds *c = an->elemsConds();
    run("analyzer_elems_bg_ROI 0.3", EX_analyzer_elems_bg_ROI);
    EXPECT_EQ(c->bgROIEdit()->text(), "0");
    run("analyzer_elems_bg_ROI any 0.30", EX_analyzer_elems_bg_ROI);
    EXPECT_EQ(c->bgROIEdit()->text(), "0.3");
    run("analyzer_elems_bg_dMut x 1.5", EX_analyzer_elems_bg_dMut);
    run("analyzer_elems_bg_dMutR x 2e-3", EX_analyzer_elems_bg_dMutR);
    run("analyzer_elems_bg_dE x -4", EX_analyzer_elems_bg_dE);
    run("analyzer_elems_bg_NROI x 0.25 9", EX_analyzer_elems_bg_NROI);
    EXPECT_EQ(c->bgDMutEdit()->text(), "1.5");
    EXPECT_EQ(c->bgDMutREdit()->text(), "0.002");
    EXPECT_EQ(c->bgDEEdit()->text(), "-4");
    EXPECT_EQ(c->bgNROIEdit()->text(), "0.25");
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

// A run started by hand is stopped by either exec command, which then
// completes with its own id (the stopped run reports its own kind).
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
        const QList<int> ids = exec(c.first);
        EXPECT_FALSE(body.isAnalyzing()) << qPrintable(c.first);
        // The stopped run's own report, then the command's.
        EXPECT_EQ(ids, (QList<int>{EX_analyzer_exec_LCF, c.second})) << qPrintable(c.first);
    }
    EXPECT_TRUE(waitFor([&] { return !body.isAnalyzing(); }));
}

} // namespace
