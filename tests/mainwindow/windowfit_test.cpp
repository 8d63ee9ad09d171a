#include <QApplication>
#include <QTranslator>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/elemctrl.h"
#include "analysis/ui/lcfreference.h"
#include "app/startup.h"
#include "calibration/ui/calibctrl.h"
#include "mainwindow/body.h"
#if !VANTOSCOPE_CLASSIC
#include "mainwindow/stats.h"
#endif
#include "display/xafsview.h"
#include "support/windowfit.h"

namespace {

using Fields = QList<QPair<QString, QStringList>>;

// The widest texts the formats allow for the kinds of value shown.
const QStringList smallNumber{"-1.23457e-05", "-0.000123457", "4.8969e-07", "1.37417"}; // 'g', 6
const QStringList energy{"7123.34", "115606", "-12345.7"};                            // eV, 'g', 6
const QStringList shift{"-123.457", "-0.123457"};                                     // eV, 'g', 6
const QStringList ratio{"-0.0123457", "123.457"};

// Runs with the interface in English (false) and in Japanese (true).
class WindowFit : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        QApplication::setStyle("Fusion");
        if (GetParam())
            ASSERT_TRUE(installTranslation(&own));
    }
    void TearDown() override
    {
        QCoreApplication::removeTranslator(&own);
        qDeleteAll(qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly));
    }
    static QString list(const QStringList &l) { return l.join("\n"); }
    QTranslator own;
};

TEST_P(WindowFit, EveryWindowFitsALaptopScreen)
{
    Body body;
    EXPECT_TRUE(windowsTooLarge().isEmpty()) << list(windowsTooLarge()).toStdString();
    // Element rows make the analysis window no larger than the screen.
    body.analysisWindow()->setTargetElements("Fe, Cu Pb-L3 Mn Zn Ni Co Cr Ti V");
    QApplication::processEvents();
    EXPECT_TRUE(windowsTooLarge().isEmpty()) << list(windowsTooLarge()).toStdString();
}

TEST_P(WindowFit, NumbersAreShownWhole)
{
    Body body;
    body.show();
    QStringList cut = cutTexts(&body, Fields{{"Position", {QString::asprintf("(% 4d, % 4d)", 4095, 4095)}},
                                             {"Value", {"-6.554e+04", "0.0001234", "65,540"}},
                                             {"DarkValue", {"65,535", "-123.457"}},
                                             {"EShiftOnTbl", {"-12.345"}},
                                             {"EShiftFromStd", {"-12.34"}},
                                             {"ImgNo", {"9999"}},
                                             {"SuggestingEeV", energy}});

    Analyzer *a = body.analysisWindow();
    a->show();
    a->setTargetElements("Fe Cu Pb-LIII");
    QApplication::processEvents();
    const auto refs = a->findChildren<LCFReference *>();
    ASSERT_FALSE(refs.isEmpty());
    for (LCFReference *row : refs)
        cut << cutTexts(row, Fields{{"DeltaE", shift},
                                    {"DMut", smallNumber},
                                    {"MidE", energy},
                                    {"R", {"-100.00", "100.00"}},
                                    {"T", smallNumber}});
    const auto elems = a->findChildren<ElemCtrl *>();
    ASSERT_EQ(elems.size(), 3);
    for (ElemCtrl *row : elems)
        cut << cutTexts(row, Fields{{"Name", {"Fe-K", "Pb-LIII"}},
                                    {"No", {"110"}},
                                    {"Eng", energy},
                                    {"PrePostDE", shift},
                                    {"DMuT", smallNumber},
                                    {"Ratio", ratio},
                                    {"DE", shift},
                                    {"ROIs", energy},
                                    {"ROIe", energy},
                                    {"ThDMut", shift},
                                    {"ROI", {"-1.23", "0.000"}},
                                    {"NROI", {"-1.23", "0.000"}},
                                    {"StdRatio", ratio}});
    cut << cutTexts(a, Fields{{"DispZansa", smallNumber},
                              {"DispDEdge", energy},
                              {"ElemsCorrelation", {"-0.999999", "0.123457"}},
                              {"Progress", {"100.00"}}});

    CalibCtrl *calib = body.calibrationWindow();
    calib->show();
    cut << cutTexts(calib, Fields{{"EdgeEeV", energy},
                                  {"DEMax", shift},
                                  {"DEMin", shift},
                                  {"DEAvr", shift},
                                  {"DESigma", smallNumber},
                                  {"XOffset", {"4095"}},
                                  {"Width", {"4095"}},
                                  {"Progress", {"100.0"}}});

#if !VANTOSCOPE_CLASSIC
    Stats *stats = body.statistics();
    stats->show();
    cut << cutTexts(stats, Fields{{"X", smallNumber},
                                  {"Num", {"16777216"}},
                                  {"Mean", smallNumber},
                                  {"Sigma", smallNumber},
                                  {"SelMean", smallNumber},
                                  {"SelSigma", smallNumber}});
#endif

    XafsView *view = body.pointSpectrumView();
    view->show();
    cut << cutTexts(view, Fields{{"XVal", energy}, {"YVal", smallNumber}});
    EXPECT_TRUE(cut.isEmpty()) << list(cut).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Languages, WindowFit, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &i) {
                             return std::string(i.param ? "Japanese" : "English");
                         });

} // namespace
