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

TEST_F(AnalyzerElems, NamesGiveRowsWithEdgeEnergies)
{
    Analyzer a;
    EXPECT_EQ(a.elemsTargetGroup(), nullptr);
    EXPECT_EQ(a.elemsShowGroup(), nullptr);

    a.setElemsSortByAN(false);
    a.setTargetElements("Fe, Cu Pb-L3");
    ASSERT_EQ(rowNames(a), (QStringList{"Fe-K", "Cu-K", "Pb-L3"}));
    const int z[] = {26, 29, 82}, edge[] = {0, 0, 3};
    for (int i = 0; i < 3; ++i) {
        const ElemCtrl *row = a.elems[i];
        EXPECT_EQ(row->Z, z[i]);
        EXPECT_EQ(row->edge, edge[i]);
        EXPECT_EQ(text(row, "No"), QString::number(z[i]));
        EXPECT_EQ(text(row, "Eng"), QString::number(edgeEnergyEV(z[i], edge[i]), 'g', 6));
        EXPECT_EQ(a.elemsTargetGroup()->id(row->mainTargetButton()), i);
        EXPECT_EQ(a.elemsShowGroup()->id(row->showButton()), i);
    }
    EXPECT_NEAR(a.elems[1]->edgeEnergy(), 8984.36, 0.01);
    EXPECT_EQ(a.elems[2]->mapN.name, "Pb-L3 Elem Ctrl N");
    EXPECT_TRUE(a.elems[0]->mainTargetButton()->isChecked());
    EXPECT_TRUE(a.elems[0]->showButton()->isChecked());

    // Symbols match exactly; an unknown edge is K under the typed name.
    a.setTargetElements("fe FE Fe-M1 Fe- -K Xx");
    ASSERT_EQ(rowNames(a), (QStringList{"Fe-M1", "Fe-"}));
    EXPECT_EQ(a.elems[0]->edge, 0);
    EXPECT_EQ(text(a.elems[0], "Eng"), QString::number(edgeEnergyEV(26, 0), 'g', 6));
    a.setTargetElements("Fe Fe");
    EXPECT_EQ(rowNames(a), (QStringList{"Fe-K", "Fe-K"}));
    {
        DebugCapture log;
        a.setTargetElements(QString("Cu ").repeated(Analyzer::MaxElemRows + 3));
        EXPECT_EQ(a.elems.size(), Analyzer::MaxElemRows);
        EXPECT_TRUE(log.contains("element rows asked for"));
    }

    // The text is taken when its editing ends.
    a.elemNamesEdit()->setText("Cu");
    emit a.elemNamesEdit()->editingFinished();
    EXPECT_EQ(rowNames(a), QStringList{"Cu-K"});

    // No names: no rows, nothing in the groups; the old rows go.
    QPointer<ElemCtrl> old = a.elems[0];
    a.setTargetElements("");
    EXPECT_TRUE(a.elems.isEmpty());
    EXPECT_TRUE(a.elemsTargetGroup()->buttons().isEmpty());
    QTest::qWait(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
}

TEST_F(AnalyzerElems, SortByAtomicNumberSwapsTheSmallestForward)
{
    Analyzer a;
    a.setTargetElements("Pb Fe");
    ASSERT_EQ(rowNames(a), (QStringList{"Fe-K", "Pb-K"}));
    EXPECT_TRUE(a.elems[0]->mainTargetButton()->isChecked());
    EXPECT_EQ(a.elemsTargetGroup()->checkedId(), 0);
    // Rows of equal Z: the first found among the rest is swapped forward.
    a.setTargetElements("Fe-K Fe-L3 Cr");
    EXPECT_EQ(rowNames(a), (QStringList{"Cr-K", "Fe-L3", "Fe-K"}));
    // The grid holds them in that order.
    auto *grid = a.findChild<QGridLayout *>("AElemBaseLayout");
    ASSERT_NE(grid, nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(grid->itemAtPosition(i, 0)->widget(), a.elems[i]);
}

TEST_F(AnalyzerElems, SpectrumViewMarksTheRowsEdges)
{
    Analyzer a;
    a.setElemsSortByAN(false);
    a.setTargetElements("Fe Cu");
    const QVector<EdgeMarker> &marks = a.spectrumView()->edgeMarkers();
    ASSERT_EQ(marks.size(), 2);
    EXPECT_EQ(marks[0], a.elems[0]->edgeMarker());
    EXPECT_EQ(marks[1], a.elems[1]->edgeMarker());
    QLineEdit *eng = a.elems[1]->engEdit();
    eng->setText("9000");
    emit eng->editingFinished();
    EXPECT_EQ(a.spectrumView()->edgeMarkers().value(1), (EdgeMarker{"Cu-K", 9000}));
    a.setTargetElements("");
    EXPECT_TRUE(a.spectrumView()->edgeMarkers().isEmpty());
}

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

TEST_F(AnalyzerElems, RowsAreNotRebuiltWhileInUse)
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

    // A request in flight: the rows are rebuilt once it is answered.
    QPointer<ElemCtrl> cu = a.elems[0];
    QSignalSpy done(&a, &Analyzer::analyzeElemsFinished);
    XafsSpectrum s = stepSpectrum();
    a.analyzeSpectrum(s, SuggestElm());
    EXPECT_TRUE(a.elemsBusy());
    {
        DebugCapture log;
        a.setTargetElements("Ni Co");
        EXPECT_EQ(a.elems.value(0), cu.data());
        EXPECT_TRUE(log.contains("rebuilt once"));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() == 1; }, 10000));
    EXPECT_FALSE(a.elemsBusy());
    EXPECT_EQ(rowNames(a), (QStringList{"Co-K", "Ni-K"}));

    // A wish left when an area run starts is dropped, not carried out later.
    a.analyzeSpectrum(s, SuggestElm());
    a.setTargetElements("Zn");
    a.setAreaRunActive(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() == 2; }, 10000));
    a.setAreaRunActive(false);
    a.analyzeSpectrum(s, SuggestElm());
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() == 3; }, 10000));
    EXPECT_EQ(rowNames(a), (QStringList{"Co-K", "Ni-K"}));
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
    EXPECT_EQ(text(a.elems[0], "DMuT"), "0.5");
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

TEST_F(AnalyzerElems, CorrelationMapsOverTheLastRun)
{
    Analyzer a;
    a.setTargetElements("Fe Cu");
    // Before any run the maps have no area: nothing to write.
    a.findChild<QPushButton *>("ReCalcCor")->click();
    EXPECT_EQ(a.elemsCorMap.data, nullptr);
    EXPECT_EQ(a.findChild<QLabel *>("ElemsProgress")->text(), "100.00");

    AnalyzeCond c;
    c.init(4, 2, 0, 0, QRectF(0, 0, 4, 2), -1, -1);
    for (Analyzed2DRes *m : a.elemsRunMaps())
        m->setArea(c);
    const double fe[] = {1, 2, 0, 1}, cu[] = {2, 1, 0, -1};
    for (int x = 0; x < 4; ++x) {
        a.elems[0]->mapN.setData(x, 0, 0, 0, fe[x]);
        a.elems[1]->mapN.setData(x, 0, 0, 0, cu[x]);
    }
    setStd(a.elems[0], "1");
    setStd(a.elems[1], "2");
    QSignalSpy selection(&a, &Analyzer::changedSelection);
    a.corThEdit()->setText("0.8");
    emit a.corThEdit()->editingFinished();   // recomputes the maps

    const double want[] = {1.0, 0.8, 0.0, -1.0 / std::sqrt(10.0)};
    for (int x = 0; x < 4; ++x) {
        EXPECT_NEAR(a.elemsCorMap.value(x, 0), want[x], 1e-12) << x;
        EXPECT_NEAR(a.elemsCorMap.value(x, 1), 0.0, 1e-12) << x;
    }
    // At or above the threshold kept, below it 0.
    EXPECT_EQ(a.elemsCorThMap.value(0, 0), 1.0);
    EXPECT_EQ(a.elemsCorThMap.value(1, 0), a.elemsCorMap.value(1, 0));
    EXPECT_EQ(a.elemsCorThMap.value(3, 0), 0.0);
    EXPECT_TRUE(a.elemsCorMap.imageValid);
    EXPECT_TRUE(a.elemsCorThMap.imageValid);
    EXPECT_EQ(a.findChild<QLabel *>("ElemsProgress")->text(), "100.00");
    EXPECT_EQ(selection.count(), 1);

    // Only the rows in use count.
    a.setElemUse("Cu-K", false);
    a.findChild<QPushButton *>("ReCalcCor")->click();
    EXPECT_DOUBLE_EQ(a.elemsCorMap.value(3, 0), 1.0);
    EXPECT_DOUBLE_EQ(a.elemsCorMap.value(2, 0), 0.0);
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

TEST_F(AnalyzerElems, BatchMembersFindRowsByNameOrIndex)
{
    Analyzer a;
    a.setTargetElements("Fe Cu Fe");   // Fe-K, Fe-K, Cu-K
    a.setElemROI("Fe-K", 7100, 7150.5);
    a.setElemThDMut("Fe-K", 0.25);
    a.setElemNoNeg("Fe-K", false);
    a.setElemsDEs(12.5);
    for (int i = 0; i < 3; ++i) {
        const ElemRowData d = a.elems[i]->snapshot();
        const bool fe = i < 2;
        EXPECT_EQ(d.roiE, fe ? 7150.5 : 7005.0) << i;
        EXPECT_EQ(d.thDMut, fe ? 0.25 : 0.1) << i;
        EXPECT_EQ(d.noNeg, !fe) << i;
        EXPECT_EQ(text(a.elems[i], "PrePostDE"), "12.5");
    }
    // The names are exact; nothing else is changed.
    a.setElemThDMut("fe-K", 9);
    EXPECT_EQ(a.elems[0]->snapshot().thDMut, 0.25);

    // One-row members: the first row of the name, else the index.
    a.setElemUse("Fe-K", false);
    EXPECT_FALSE(a.elems[0]->inUse());
    EXPECT_TRUE(a.elems[1]->inUse());
    a.setElemUse("1", false);
    EXPECT_FALSE(a.elems[1]->inUse());

    QSignalSpy selection(&a, &Analyzer::changedSelection);
    a.selectElemTarget("2");
    EXPECT_TRUE(a.elems[2]->mainTargetButton()->isChecked());
    a.selectElemTarget("no such row");
    EXPECT_TRUE(a.elems[0]->mainTargetButton()->isChecked());
    a.selectElemTarget("3");
    EXPECT_TRUE(a.elems[0]->mainTargetButton()->isChecked());
    a.selectElemShow("Cu-K");
    EXPECT_EQ(a.elemsShowGroup()->checkedId(), 2);
    EXPECT_EQ(selection.count(), 3);

    a.setElemsSortByAN(false);
    a.setTargetElements("Cu Fe");
    EXPECT_EQ(rowNames(a), (QStringList{"Cu-K", "Fe-K"}));
}
