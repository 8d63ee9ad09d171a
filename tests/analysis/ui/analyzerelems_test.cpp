#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

#include "analysis/analyzeproc.h"
#include "analysis/ui/aelemsconds.h"
#include "analysis/ui/analyzer.h"
#include "analysis/ui/elemctrl.h"
#include "analysis/ui/lcfreference.h"
#include "core/physicaltables.h"
#include "display/xafsview.h"
#include "support/heldworker.h"
#include "support/testfiles.h"

namespace {

QStringList rowNames(const Analyzer &a)
{
    QStringList names;
    for (const ElemCtrl *row : a.elems)
        names << row->name();
    return names;
}

QString text(const ElemCtrl *row, const char *field)
{
    return row->findChild<QLineEdit *>(QString::fromLatin1(field))->text();
}

// -0.3 below 7086 eV, 0.2 up to 7110, 2.2 from 7112 on, every 2 eV.
XafsSpectrum stepSpectrum()
{
    Spectrum s;
    for (int i = 0; i <= 40; ++i) {
        const double x = 7060 + 2 * i;
        s.addPoint(x, x < 7086 ? -0.3 : x < 7112 ? 0.2 : 2.2);
    }
    return XafsSpectrum(s, "step", 1);
}

} // namespace

class AnalyzerElems : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        qRegisterMetaType<XafsSpectrum>("XafsSpectrum");
        qRegisterMetaType<SuggestElm>("SuggestElm");
        qRegisterMetaType<QVector<LCFReference *>>("QVector<LCFReference*>");
        qRegisterMetaType<QVector<ElemCtrl *>>("QVector<ElemCtrl*>");
        qRegisterMetaType<XafsSpectrum *>("XafsSpectrum*");
        qRegisterMetaType<QVector<double> *>("QVector<double>*");
        qRegisterMetaType<AElemsConds *>("AElemsConds*");
        qRegisterMetaType<const AElemsConds *>("const AElemsConds*");
        qRegisterMetaType<AnalysisRequest>("AnalysisRequest");
        qRegisterMetaType<FitAnswer>("FitAnswer");
        qRegisterMetaType<ElemsAnswer>("ElemsAnswer");
    }

    // Element analysis only.
    void elementsOnly(Analyzer &a)
    {
        a.findChild<QCheckBox *>("SelMLCFAnal")->setChecked(false);
        a.selectAnalysisMode(2);
    }

    // One element request for s; true when its results are in the rows.
    bool analyze(Analyzer &a, XafsSpectrum s = stepSpectrum())
    {
        QSignalSpy done(&a, &Analyzer::analyzeElemsFinished);
        a.analyzeSpectrum(s, SuggestElm());
        return QTest::qWaitFor([&] { return done.count() == 1; }, 10000);
    }

    // The worker's answer to the current request, as it would send it.
    void answer(Analyzer &a, ElemsAnswer ans)
    {
        ans.id = a.currentRequestId();
        emit a.analysisWorker()->elemsAnswered(ans);
        emit a.analysisWorker()->finishedAElems();
    }

    static ElemsAnswer ratios(const QVector<double> &r)
    {
        ElemsAnswer ans;
        ans.valid = true;
        ans.dMut = ans.dMutRatio = ans.muPlus = ans.muMinus = r;
        ans.dE = ans.roi = ans.nroi = ans.res = r;
        return ans;
    }

    static void setStd(ElemCtrl *row, const QString &v)
    {
        row->stdRatioEdit()->setText(v);
        emit row->stdRatioEdit()->editingFinished();
    }
};

TEST_F(AnalyzerElems, OneSpectrumThroughTheWorkerThread)
{
    Analyzer a;
    elementsOnly(a);
    a.setTargetElements("Pb Fe Fe");   // Fe-K, Fe-K, Pb-K; Fe the target
    for (ElemCtrl *row : a.elems)
        row->engEdit()->setText("7110");
    a.elems[2]->engEdit()->setText("88000");
    a.setElemROI("Fe-K", 7105, 7115);
    a.elems[1]->setThDMut(3.0);   // its jump of 2 stays below
    a.elemsConds()->setBgROI(-2.0);

    ASSERT_TRUE(analyze(a));
    const ElemsAnswer &ans = a.lastElemsAnswer();
    EXPECT_EQ(ans.id, a.currentRequestId());
    EXPECT_NE(ans.id, 0u);
    EXPECT_EQ(a.elemResults, (QVector<double>{2.0, 2.0, 0.0}));
    const ElemCtrl *fe = a.elems[0];
    EXPECT_EQ(fe->dmut, 2.0);
    EXPECT_EQ(fe->ratio, 1.0);
    EXPECT_DOUBLE_EQ(fe->muPlus, 2.2);
    EXPECT_DOUBLE_EQ(fe->muMinus, 0.2);
    EXPECT_EQ(text(fe, "DMuT"), "2");
    EXPECT_EQ(text(fe, "Ratio"), "1");
    EXPECT_EQ(text(fe, "DE"), "1");
    EXPECT_EQ(text(fe, "ROI"), "0.8");
    EXPECT_EQ(text(fe, "NROI"), "0.4");
    EXPECT_EQ(text(a.elems[1], "DMuT"), "0");
    EXPECT_EQ(text(a.elems[1], "ROI"), "-2");
    EXPECT_EQ(text(a.elems[2], "Ratio"), "0");
    // Ratios (1, 0, 0) against the standard (1, 1, 1).
    EXPECT_DOUBLE_EQ(a.correlation, 1.0 / std::sqrt(3.0));
    EXPECT_EQ(a.elemsCorrelationEdit()->text(), QString::number(1.0 / std::sqrt(3.0), 'g', 6));

    // The target is sent with the request: Pb below its threshold divides by 1.
    a.selectElemTarget("Pb-K");
    ASSERT_TRUE(analyze(a));
    EXPECT_EQ(text(fe, "Ratio"), "2");

    // Of two requests in a row only the latest is taken.
    QSignalSpy done(&a, &Analyzer::analyzeElemsFinished);
    XafsSpectrum s = stepSpectrum();
    a.analyzeSpectrum(s, SuggestElm());
    a.analyzeSpectrum(s, SuggestElm());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !a.elemsBusy(); }, 10000));
    QTest::qWait(20);
    EXPECT_EQ(done.count(), 1);
    EXPECT_EQ(a.lastElemsAnswer().id, a.currentRequestId());
}

TEST_F(AnalyzerElems, RowsAreRebuiltAtOnceButNotUnderAnAreaRun)
{
    Analyzer a;
    elementsOnly(a);
    a.setTargetElements("Fe");
    EXPECT_FALSE(a.elemsBusy());

    // An area run walks the rows: refused.
    a.setAreaRunActive(true);
    EXPECT_TRUE(a.elemsBusy());
    {
        DebugCapture log;
        a.setTargetElements("Cu");
        EXPECT_EQ(rowNames(a), QStringList{"Fe-K"});
        EXPECT_TRUE(log.contains("area run uses the element rows"));
    }
    a.setAreaRunActive(false);
    EXPECT_EQ(rowNames(a), QStringList{"Fe-K"});
    a.setTargetElements("Cu");
    EXPECT_EQ(rowNames(a), QStringList{"Cu-K"});

    // A request in flight, its answer held: the rows are rebuilt at once, and
    // the answer, asked for the Cu row, does not land in the Ni row that
    // took its place.
    QSignalSpy done(&a, &Analyzer::analyzeElemsFinished);
    XafsSpectrum s = stepSpectrum();
    {
        HeldWorker held(a.analysisWorker());
        a.analyzeSpectrum(s, SuggestElm());
        EXPECT_TRUE(a.elemsBusy());
        a.setTargetElements("Ni");
        EXPECT_EQ(rowNames(a), QStringList{"Ni-K"});
        a.elems[0]->engEdit()->setText("7110");
    }
    QPointer<ElemCtrl> ni = a.elems[0];
    ASSERT_TRUE(QTest::qWaitFor([&] { return !a.elemsBusy(); }, 10000));
    QTest::qWait(20);
    EXPECT_EQ(done.count(), 0);
    EXPECT_EQ(a.elems.value(0), ni.data());
    EXPECT_EQ(text(ni, "DMuT"), "0.0");
    // The next request is for the new row.
    ASSERT_TRUE(analyze(a));
    EXPECT_EQ(text(ni, "DMuT"), "2");
}

TEST_F(AnalyzerElems, CorrelationOfKnownRatios)
{
    Analyzer a;
    elementsOnly(a);
    a.setTargetElements("Fe Co Ni");
    ASSERT_TRUE(analyze(a));
    QLineEdit *shown = a.elemsCorrelationEdit();
    const QString formStyle = shown->styleSheet();

    setStd(a.elems[0], "2");
    setStd(a.elems[1], "1");
    setStd(a.elems[2], "2");
    answer(a, ratios({1, 2, 2}));
    EXPECT_DOUBLE_EQ(a.correlation, 8.0 / 9.0);
    EXPECT_EQ(shown->text(), "0.888889");
    EXPECT_EQ(shown->styleSheet(), formStyle);   // never above the threshold yet

    // Rows out of use take no part.
    a.setElemUse("Ni-K", false);
    answer(a, ratios({1, 2, 2}));
    EXPECT_DOUBLE_EQ(a.correlation, 0.8);

    // The current ratios become the standard: a perfect match, above 0.999.
    a.findChild<QPushButton *>("SetSTD")->click();
    EXPECT_EQ(text(a.elems[1], "StdRatio"), "2");
    EXPECT_EQ(a.elems[1]->stdRatio, 2.0);
    answer(a, ratios({1, 2, 2}));
    EXPECT_DOUBLE_EQ(a.correlation, 1.0);
    EXPECT_EQ(shown->styleSheet(), "background-color: rgb(211, 255, 241);");

    // Equal to the threshold is not above it.
    a.corThEdit()->setText("0.8");
    emit a.corThEdit()->editingFinished();
    EXPECT_EQ(a.corTh, 0.8);
    setStd(a.elems[0], "2");
    setStd(a.elems[1], "1");
    answer(a, ratios({1, 2, 2}));
    EXPECT_EQ(a.correlation, 0.8);
    EXPECT_EQ(shown->styleSheet(), "background-color: rgb(176, 192, 192);");

    // Every row below its threshold: nothing to compute. The field keeps its
    // value, but the correlation an area run records is 0, not the last one.
    answer(a, ratios({0, 0, 0}));
    EXPECT_EQ(a.correlation, 0.0);
    EXPECT_EQ(shown->text(), "0.8");
}

TEST_F(AnalyzerElems, AnswersThatDoNotFitTheRowsAreDropped)
{
    Analyzer a;
    elementsOnly(a);
    a.setTargetElements("Fe Co Ni");
    ASSERT_TRUE(analyze(a));
    answer(a, ratios({0.5, 0.5, 0.5}));
    ASSERT_EQ(text(a.elems[0], "DMuT"), "0.5");

    QSignalSpy done(&a, &Analyzer::analyzeElemsFinished);
    DebugCapture log;
    answer(a, ratios({3, 3}));
    EXPECT_EQ(done.count(), 1);   // an area run goes on
    EXPECT_TRUE(log.contains("not taken"));
    EXPECT_EQ(text(a.elems[0], "DMuT"), "");   // no number of the earlier answer
    EXPECT_EQ(a.elems[0]->ratio, 0.5);
    EXPECT_EQ(a.correlation, 0.0);

    ElemsAnswer invalid = ratios({3, 3, 3});
    invalid.valid = false;
    answer(a, invalid);
    EXPECT_EQ(done.count(), 2);
    EXPECT_EQ(a.elems[0]->ratio, 0.5);

    // An answer to an older request is not taken and not reported.
    ElemsAnswer stale = ratios({4, 4, 4});
    stale.id = a.currentRequestId() - 1;
    emit a.analysisWorker()->elemsAnswered(stale);
    emit a.analysisWorker()->finishedAElems();
    EXPECT_EQ(done.count(), 2);
    EXPECT_EQ(a.elems[0]->ratio, 0.5);
}

TEST_F(AnalyzerElems, ShownElementMapAndItsRefreshDuringARun)
{
    Analyzer a;
    a.setTargetElements("Fe Cu");
    a.selectAnalysisMode(1);
    EXPECT_EQ(a.currentElemsMap(), nullptr);
    a.selectAnalysisMode(2);
    EXPECT_EQ(a.currentMap(), &a.elems[0]->map0);

    QSignalSpy selection(&a, &Analyzer::changedSelection);
    a.selectElemShow("Cu-K");
    EXPECT_EQ(a.currentMap(), &a.elems[1]->map0);
    const Analyzed2DRes *const want[] = {&a.elems[1]->map0,  &a.elems[1]->mapN,
                                         &a.elemsCorMap,     &a.elemsCorThMap,
                                         &a.elems[1]->mapMP, &a.elems[1]->mapMM,
                                         &a.elems[1]->mapDE, &a.elems[1]->mapROI,
                                         &a.elems[1]->mapNROI};
    for (int mode = 0; mode < 9; ++mode) {
        a.selectElemsDispMode(mode);
        EXPECT_EQ(a.currentMap(), want[mode]) << mode;
    }
    a.selectElemsDispMode(9);
    EXPECT_EQ(a.currentMap(), &a.elems[1]->mapNROI);
    EXPECT_EQ(selection.count(), 11);

    // The run's maps: kind k of row j at 2k + j, then the two correlation maps.
    const QVector<Analyzed2DRes *> maps = a.elemsRunMaps();
    ASSERT_EQ(maps.size(), 16);
    EXPECT_EQ(maps[2 * ElemCtrl::RatioMap + 1], &a.elems[1]->mapN);
    EXPECT_EQ(maps[14], &a.elemsCorMap);
    EXPECT_EQ(maps[15], &a.elemsCorThMap);

    // "Disp. on Time" refreshes the shown map alone.
    AnalyzeCond c;
    c.init(8, 8, 1, 1, QRectF(0, 0, 8, 8), -1, -1);
    for (Analyzed2DRes *m : maps)
        m->setArea(c);
    EXPECT_EQ(a.refreshShownElemsMap(), &a.elems[1]->mapNROI);
    for (Analyzed2DRes *m : maps)
        EXPECT_EQ(m->imageValid, m == &a.elems[1]->mapNROI) << m->name.toStdString();
}

