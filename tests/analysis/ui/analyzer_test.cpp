#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <cmath>
#include <gtest/gtest.h>

#include "analysis/analyzeproc.h"
#include "analysis/ui/aelemsconds.h"
#include "analysis/ui/analyzer.h"
#include "analysis/ui/elemctrl.h"
#include "analysis/ui/lcfreference.h"
#include "display/xafsfileselect.h"
#include "display/xafsview.h"
#include "support/testfiles.h"

namespace {

// Every type that the window's queued connections carry, under every name.
void registerAnalyzerMetaTypes()
{
    qRegisterMetaType<XafsSpectrum>("XafsSpectrum");
    qRegisterMetaType<SuggestElm>("SuggestElm");
    qRegisterMetaType<QVector<LCFReference *>>("QVector<LCFReference*>");
    qRegisterMetaType<QVector<LCFReference *>>("QVector<LCFReferencd*>");
    qRegisterMetaType<QVector<ElemCtrl *>>("QVector<ElemCtrl*>");
    qRegisterMetaType<XafsSpectrum *>("XafsSpectrum*");
    qRegisterMetaType<QVector<double> *>("QVector<double>*");
    qRegisterMetaType<AElemsConds *>("AElemsConds*");
    qRegisterMetaType<AElemsConds *>("const AElemsConds*");
    qRegisterMetaType<AnalysisRequest>("AnalysisRequest");
    qRegisterMetaType<FitAnswer>("FitAnswer");
}

const QString Fe2O3 = "spectra/fe2o3_rt1.dat";
const QString FeO = "spectra/feo_rt1.dat";

XafsSpectrum sample(const QString &file)
{
    XafsSpectrum s;
    EXPECT_TRUE(s.loadAndNormalize(sourceDataPath(file)));
    return s;
}

// Counts, in the GUI thread, the fit answers that the worker sends back.
struct AnswerCounter
{
    explicit AnswerCounter(Analyzer &a)
    {
        QObject::connect(a.analysisWorker(), &AnalyzeProc::fitAnswered, &context,
                         [this](FitAnswer answer) { ids.append(answer.id); });
    }
    QObject context;
    QVector<quint64> ids;
};

class AnalyzerWindow : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { registerAnalyzerMetaTypes(); }

    template <class T>
    T *widget(Analyzer &a, const char *name)
    {
        T *w = a.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // Rows 1 and 2 hold the Fe2O3 and FeO references, linear backgrounds.
    void loadReferences(Analyzer &a)
    {
        a.setLCFStd(0, true, 0.0, sourceDataPath(Fe2O3), "0");
        a.setLCFStd(1, true, 0.0, sourceDataPath(FeO), "0");
        ASSERT_TRUE(a.refs[0]->inUse());
        ASSERT_TRUE(a.refs[1]->inUse());
    }

    static double percentIn(LCFReference *row) { return row->fractionEdit()->text().toDouble(); }
};

TEST_F(AnalyzerWindow, FitsASpectrumInTheWorkerAndShowsTheAnswer)
{
    Analyzer a;
    loadReferences(a);
    QSignalSpy finished(&a, &Analyzer::finished);
    QSignalSpy viewUpdated(a.spectrumView(), &XafsView::updated);
    DebugCapture log;

    a.analyzeAndShowSpectrum(sample(Fe2O3), SuggestElm());
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 10000));

    EXPECT_EQ(a.refs[0]->fractionEdit()->text(), "100.00");
    EXPECT_LT(std::fabs(percentIn(a.refs[1])), 0.005);
    EXPECT_NEAR(a.refs[0]->fraction, 1.0, 1e-9);
    EXPECT_FALSE(a.refs[0]->amountEdit()->text().isEmpty());
    // Rows 3 and 4 are not in use and keep their empty fields.
    EXPECT_TRUE(a.refs[2]->fractionEdit()->text().isEmpty());

    // The curve came by value and is the window's result spectrum, drawn by the view.
    const FitAnswer &answer = a.lastFitAnswer();
    EXPECT_EQ(answer.id, a.currentRequestId());
    ASSERT_TRUE(answer.hasCurve);
    EXPECT_EQ(a.fittedSpectrum().name, "anal-LCF");
    EXPECT_EQ(a.fittedSpectrum().count(), answer.curve.count());
    EXPECT_GT(a.fittedSpectrum().count(), 100);
    EXPECT_EQ(a.spectrumView()->others[0], &a.fittedSpectrum());
    EXPECT_GE(viewUpdated.count(), 1);
    EXPECT_EQ(widget<QLineEdit>(a, "DispZansa")->text(), QString::number(answer.zansa, 'g', 6));
    EXPECT_EQ(a.currentSpectrum().count(), sample(Fe2O3).count());

    // Every queued argument type was known.
    EXPECT_FALSE(log.contains("Cannot queue arguments"));
}

TEST_F(AnalyzerWindow, RowReloadedWhileARequestIsInFlight)
{
    Analyzer a;
    loadReferences(a);
    QSignalSpy finished(&a, &Analyzer::finished);

    a.analyzeAndShowSpectrum(sample(Fe2O3), SuggestElm());
    // Swap the two references before the answer can come in.
    a.setLCFStd(0, true, 0.0, sourceDataPath(FeO), "0");
    a.setLCFStd(1, true, 0.0, sourceDataPath(Fe2O3), "0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 10000));
    // The answer is that of the rows as they were asked.
    EXPECT_EQ(a.refs[0]->fractionEdit()->text(), "100.00");

    a.reAnalyzeSpectrum();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }, 10000));
    EXPECT_EQ(a.refs[1]->fractionEdit()->text(), "100.00");
    EXPECT_LT(std::fabs(percentIn(a.refs[0])), 0.005);
}

TEST_F(AnalyzerWindow, AnswersToOlderRequestsAreDropped)
{
    Analyzer a;
    loadReferences(a);
    AnswerCounter answers(a);
    QSignalSpy finished(&a, &Analyzer::finished);

    // A stop while the answer is on its way: it changes nothing.
    a.analyzeAndShowSpectrum(sample(Fe2O3), SuggestElm());
    const quint64 stopped = a.currentRequestId();
    a.setContAccess(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.ids.size() == 1; }, 10000));
    QTest::qWait(50);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(a.refs[0]->fractionEdit()->text().isEmpty());
    EXPECT_EQ(widget<QLineEdit>(a, "DispZansa")->text(), "0.0");
    EXPECT_EQ(a.fittedSpectrum().count(), 0);

    // A newer spectrum before the older one is answered: only the newer counts.
    a.analyzeAndShowSpectrum(sample(Fe2O3), SuggestElm());
    const quint64 older = a.currentRequestId();
    a.analyzeAndShowSpectrum(sample(FeO), SuggestElm());
    const quint64 newer = a.currentRequestId();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.ids.size() == 3; }, 10000));
    QTest::qWait(50);
    EXPECT_EQ(answers.ids, (QVector<quint64>{stopped, older, newer}));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(a.lastFitAnswer().id, newer);
    EXPECT_EQ(a.refs[1]->fractionEdit()->text(), "100.00");
    EXPECT_LT(std::fabs(percentIn(a.refs[0])), 0.005);
}

TEST_F(AnalyzerWindow, AreaRunAnswersLeaveTheRowsAndTheViewAlone)
{
    Analyzer a;
    loadReferences(a);
    a.analyzeAndShowSpectrum(sample(FeO), SuggestElm());
    QSignalSpy finished(&a, &Analyzer::finished);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 10000));
    ASSERT_EQ(a.refs[1]->fractionEdit()->text(), "100.00");

    a.setContAccess(true);
    EXPECT_TRUE(a.analysisWorker()->contAccess.load());
    QSignalSpy viewUpdated(a.spectrumView(), &XafsView::updated);
    XafsSpectrum s = sample(Fe2O3);
    a.analyzeSpectrum(s, SuggestElm());
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }, 10000));
    // The rows keep the last fit made outside a run; the answer is kept for the run.
    EXPECT_EQ(a.refs[1]->fractionEdit()->text(), "100.00");
    EXPECT_TRUE(a.refs[0]->fractionEdit()->text().trimmed().toDouble() < 0.005);
    EXPECT_EQ(viewUpdated.count(), 0);
    ASSERT_EQ(a.lastFitAnswer().fractions.size(), 2);
    EXPECT_NEAR(a.lastFitAnswer().fractions[0], 1.0, 1e-9);
    EXPECT_EQ(a.fittedSpectrum().count(), a.lastFitAnswer().curve.count());

    a.setContAccess(false);
    EXPECT_FALSE(a.analysisWorker()->contAccess.load());
}

TEST_F(AnalyzerWindow, ElementAndOldLcfRequestsReachTheWorker)
{
    Analyzer a;
    widget<QCheckBox>(a, "SelMLCFAnal")->setChecked(false);
    a.selectAnalysisMode(2);
    QSignalSpy elemsFinished(&a, &Analyzer::analyzeElemsFinished);
    QSignalSpy finished(&a, &Analyzer::finished);
    DebugCapture log;
    XafsSpectrum s = sample(Fe2O3);
    a.analyzeSpectrum(s, SuggestElm());
    ASSERT_TRUE(QTest::qWaitFor([&] { return elemsFinished.count() == 1; }, 10000));
    EXPECT_EQ(finished.count(), 0);

    widget<QCheckBox>(a, "AsOldLCF")->setChecked(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.contains("lcf old flg"); }, 10000));
    EXPECT_FALSE(log.contains("Cannot queue arguments"));
}

TEST_F(AnalyzerWindow, ClosingWithRequestsQueuedEndsCleanly)
{
    auto *a = new Analyzer;
    loadReferences(*a);
    QPointer<AnalyzeProc> worker = a->analysisWorker();
    QPointer<QThread> thread = a->analysisThread();
    QSignalSpy finished(a, &Analyzer::finished);
    for (int i = 0; i < 20; ++i)
        a->analyzeAndShowSpectrum(sample(i % 2 ? FeO : Fe2O3), SuggestElm());
    delete a;
    EXPECT_TRUE(worker.isNull());
    EXPECT_TRUE(thread.isNull());
    // Answers that were on their way go nowhere.
    QTest::qWait(50);
    EXPECT_EQ(finished.count(), 0);
}

// A row emptied with its chooser's Clear leaves the fit: the next fit is the
// fit without it, and the row keeps no spectrum, values or use.
TEST_F(AnalyzerWindow, ClearedReferenceLeavesTheFit)
{
    Analyzer a;
    loadReferences(a);
    QSignalSpy finished(&a, &Analyzer::finished);
    auto fitDone = [&](int n) {
        return QTest::qWaitFor([&] { return finished.count() >= n; }, 10000)
               && a.lastFitAnswer().id == a.currentRequestId();
    };
    // FeO 5 eV higher: a third row holding FeO shifted so is its best match.
    const XafsSpectrum feo = sample(FeO);
    Spectrum moved;
    for (const QPointF &p : feo.points)
        moved.addPoint(p.x() + 5.0, p.y());
    a.analyzeAndShowSpectrum(XafsSpectrum(moved, "moved"), SuggestElm());
    ASSERT_TRUE(fitDone(1));
    const QVector<double> withoutThird = a.lastFitAnswer().fractions;
    ASSERT_EQ(withoutThird.size(), 2);

    a.setLCFStd(2, true, -5.0, sourceDataPath(FeO), "0");
    a.reAnalyzeSpectrum();
    ASSERT_TRUE(fitDone(2));
    ASSERT_EQ(a.lastFitAnswer().fractions.size(), 3);
    LCFReference *third = a.refs[2];
    ASSERT_GT(third->fraction, 0.5);

    QTest::mouseClick(third->fileSelect()->findChild<QPushButton *>("Clear"), Qt::LeftButton);
    a.reAnalyzeSpectrum();
    ASSERT_TRUE(fitDone(3));
    const QVector<double> after = a.lastFitAnswer().fractions;
    ASSERT_EQ(after.size(), 2);
    for (int k = 0; k < 2; ++k)
        EXPECT_NEAR(after[k], withoutThird[k], 1e-9) << k;
    EXPECT_FALSE(third->inUse());
    EXPECT_FALSE(third->fileSelect()->use());
    EXPECT_EQ(third->count(), 0);
    EXPECT_EQ(third->fraction, 0.0);
    for (QLineEdit *e : {third->dMutEdit(), third->midEEdit(), third->fractionEdit(),
                         third->amountEdit()})
        EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();

    // A file chosen again puts the row back into the fit.
    third->fileSelect()->load(sourceDataPath(FeO));
    EXPECT_TRUE(third->inUse());
    a.reAnalyzeSpectrum();
    ASSERT_TRUE(fitDone(4));
    EXPECT_EQ(a.lastFitAnswer().fractions.size(), 3);

    // The edge search's comparison spectrum goes with its chooser's Clear too.
    auto *comparison = widget<XafsFileSelect>(a, "DEdgeCWFileSelect");
    comparison->load(sourceDataPath(Fe2O3));
    ASSERT_GT(a.dEdgeComp.count(), 0);
    comparison->findChild<QPushButton *>("Clear")->click();
    EXPECT_EQ(a.dEdgeComp.count(), 0);
}

TEST_F(AnalyzerWindow, StepComparisonSpectrum)
{
    Analyzer a;
    QLineEdit *width = widget<QLineEdit>(a, "DEdgeCWStepWeV");
    QLineEdit *spacing = widget<QLineEdit>(a, "DEdgeCWStepDEeV");

    // Defaults: 8850 up to below 9150 eV, 0 below the step at 9000 eV, 1 from it on.
    ASSERT_TRUE(a.makeDEdgeStepSpectrum());
    const XafsSpectrum &step = a.dEdgeComp;
    EXPECT_EQ(step.name, "DEdge Step");
    ASSERT_GT(step.count(), 29990);
    EXPECT_LE(step.count(), 30001);
    EXPECT_DOUBLE_EQ(step.points.first().x(), 8850.0);
    EXPECT_EQ(step.points.first().y(), 0.0);
    EXPECT_LT(step.points.last().x(), 9150.0);
    for (const QPointF &p : step.points)
        ASSERT_EQ(p.y(), p.x() >= 9000.0 ? 1.0 : 0.0) << p.x();
    const int made = step.count();

    // A spacing that is not positive, or far too many points, is refused.
    for (const char *bad : {"0", "-0.01", "abc", "nan"}) {
        DebugCapture log;
        spacing->setText(bad);
        EXPECT_FALSE(a.makeDEdgeStepSpectrum()) << bad;
        EXPECT_TRUE(log.contains("no step spectrum made")) << bad;
        EXPECT_EQ(a.dEdgeComp.count(), made) << bad;
    }
    {
        DebugCapture log;
        spacing->setText("0.01");
        width->setText("1e9");
        EXPECT_FALSE(a.makeDEdgeStepSpectrum());
        EXPECT_TRUE(log.contains("no step spectrum made"));
        EXPECT_EQ(a.dEdgeComp.count(), made);
    }
    // No width: a comparison spectrum without points.
    width->setText("0");
    EXPECT_TRUE(a.makeDEdgeStepSpectrum());
    EXPECT_EQ(a.dEdgeComp.count(), 0);
}

} // namespace
