#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <cmath>
#include <vector>
#include <gtest/gtest.h>

#include "analysis/analyzeproc.h"
#include "analysis/elemanalysis.h"
#include "support/testfiles.h"

// Sends element requests as the analysis window does: the snapshot first.
class ElemsDriver : public QObject
{
    Q_OBJECT
signals:
    void sendRequest(AnalysisRequest request);
    void analyzeSpectrumElems0(XafsSpectrum s, QVector<ElemCtrl *> elems, QVector<double> *res0,
                               int mainT, const AElemsConds *aec);
};

namespace {

// x = 7060, 7062, ... 7140; -0.3 below 7086, 0.2 up to 7110, 2.2 from 7112 on.
Spectrum stepSpectrum()
{
    Spectrum s;
    for (int i = 0; i <= 40; ++i) {
        const double x = 7060 + 2 * i;
        s.addPoint(x, x < 7086 ? -0.3 : x < 7112 ? 0.2 : 2.2);
    }
    return s;
}

ElemRowData row(double e0, double dE, double roiS, double roiE, double th = 0.1,
                bool noNeg = true)
{
    ElemRowData r;
    r.name = "Fe-K";
    r.Z = 26;
    r.e0 = e0;
    r.dE = dE;
    r.roiS = roiS;
    r.roiE = roiE;
    r.thDMut = th;
    r.noNeg = noNeg;
    return r;
}

// The answer's values of row k, in the order of the worker's vectors.
QVector<double> valuesOf(const ElemsAnswer &a, int k)
{
    return {a.dMut[k], a.dMutRatio[k], a.muPlus[k], a.muMinus[k], a.dE[k], a.roi[k], a.nroi[k]};
}

void expectValues(const ElemsAnswer &a, int k, const QVector<double> &want)
{
    const QVector<double> got = valuesOf(a, k);
    ASSERT_EQ(got.size(), want.size());
    for (int i = 0; i < want.size(); ++i)
        EXPECT_NEAR(got[i], want[i], 1e-12) << "row " << k << ", value " << i;
}

} // namespace

TEST(ElemAnalysisStep, JumpEdgeOffsetAndRegionWorkedByHand)
{
    const Spectrum s = stepSpectrum();
    AElemsCondsData bg;   // 0, 0, 0, -1, -1
    // Row 0: mu+ = y(7130) = 2.2, mu- = y(7090) = 0.2, jump 2; the half level
    // 1.2 is crossed between 7110 and 7112, at 7111: edge offset 1. The region
    // 7105..7115 takes the points 7106 .. 7114: 0, 0, 0, 2, 2 above mu-: 0.8,
    // over the jump 0.4.
    // Row 1: the region 7060..7080 lies 0.5 below mu-: NoNeg gives the
    // background values, the jump and edge stay measured.
    // Row 2: the same without NoNeg: -0.5 and -0.25.
    // Row 3: a threshold equal to the jump counts as below it.
    const QVector<ElemRowData> rows{row(7110, 20, 7105, 7115), row(7110, 20, 7060, 7080),
                                    row(7110, 20, 7060, 7080, 0.1, false),
                                    row(7110, 20, 7105, 7115, 2.0)};
    const ElemsAnswer a = ElemAnalysis::analyze(s, rows, bg, 0);
    EXPECT_TRUE(a.valid);
    ASSERT_EQ(a.dMut.size(), 4);
    expectValues(a, 0, {2.0, 1.0, 2.2, 0.2, 1.0, 0.8, 0.4});
    expectValues(a, 1, {2.0, 1.0, 2.2, 0.2, 1.0, -1.0, -1.0});
    expectValues(a, 2, {2.0, 1.0, 2.2, 0.2, 1.0, -0.5, -0.25});
    expectValues(a, 3, {0.0, 0.0, 0.0, 0.0, 0.0, -1.0, -1.0});
    // The caller's jumps are the measured ones, threshold or not.
    EXPECT_EQ(a.res, (QVector<double>{2.0, 2.0, 2.0, 2.0}));

    // The background values are the panel's.
    bg = AElemsCondsData{0.5, 9.0, 3.0, 4.0, 6.0};
    const ElemsAnswer b = ElemAnalysis::analyze(s, {row(7110, 20, 7105, 7115, 5.0)}, bg, 0);
    expectValues(b, 0, {0.5, 1.0, 0.5, 0.5, 3.0, 4.0, 6.0});
}

TEST(ElemAnalysisRatios, TargetRowDividesAndFallsBackToOne)
{
    const Spectrum s = stepSpectrum();
    // Row 0 jumps by 2; row 1 sits on the flat top (jump 0, below its
    // threshold) and takes bgDMut.
    const QVector<ElemRowData> rows{row(7110, 20, 0, 0), row(7130, 5, 0, 0)};
    AElemsCondsData bg;
    bg.bgDMut = 0.5;
    ElemsAnswer a = ElemAnalysis::analyze(s, rows, bg, 0);
    EXPECT_EQ(a.dMutRatio, (QVector<double>{1.0, 0.25}));
    a = ElemAnalysis::analyze(s, rows, bg, 1);
    EXPECT_EQ(a.dMutRatio, (QVector<double>{4.0, 1.0}));

    // Target below its threshold with bgDMut 0: the ratios are the jumps.
    a = ElemAnalysis::analyze(s, rows, AElemsCondsData(), 1);
    EXPECT_EQ(a.dMutRatio, (QVector<double>{2.0, 0.0}));

    // A target that is no row: against 1, said in the log.
    DebugCapture log;
    a = ElemAnalysis::analyze(s, rows, bg, -1);
    EXPECT_EQ(a.dMutRatio, (QVector<double>{2.0, 0.5}));
    EXPECT_TRUE(log.contains("target row -1"));
}

TEST(ElemAnalysisEdges, ShortSpectra)
{
    // Fewer than two points: a negative threshold lets the jump of 0 through;
    // the edge offset and the region are 0, the normalised region the
    // background value (no division by the zero jump).
    for (int n : {0, 1}) {
        Spectrum s;
        if (n == 1)
            s.addPoint(7110, 1.0);
        const ElemsAnswer a = ElemAnalysis::analyze(s, {row(7110, 20, 7100, 7120, -1.0)},
                                                    AElemsCondsData(), 0);
        expectValues(a, 0, {0.0, 0.0, n == 1 ? 1.0 : 0.0, n == 1 ? 1.0 : 0.0, 0.0, 0.0, -1.0});
    }
}

// A plan serves only spectra with its abscissae and offset; through it a
// spectrum gets the values of analyze(), row by row and kind by kind, and the
// correlation over the rows in use.
TEST(ElemAnalysisPlan, ServesItsAbscissaeOnlyWithTheValuesOfAnalyze)
{
    QVector<ElemRowData> rows{row(7111, 20, 7100, 7120), row(7090, 10, 7060, 7080, -1.0, false),
                              row(7200, 20, 7100, 7120)};
    rows[0].use = false;
    AElemsCondsData bg;
    bg.bgDMut = 0.5;
    const Spectrum s = stepSpectrum();
    const ElemAnalysis::Plan plan = ElemAnalysis::plan(s, rows, bg, 1, {1.0, 2.0, 3.0});
    Spectrum other = s, offset = s;
    other.points[7].setX(7075);
    offset.useOffset = true;
    EXPECT_TRUE(plan.fits(s));
    EXPECT_FALSE(plan.fits(other) || plan.fits(offset) || plan.fits(Spectrum()));

    std::vector<double> out(ElemAnalysis::Kinds * 3 + 1);
    ElemAnalysis::analyze(s, plan, out.data());
    const ElemsAnswer a = ElemAnalysis::analyze(s, rows, bg, 1);
    for (int k = 0; k < 3; ++k)
        for (int kind = 0; kind < ElemAnalysis::Kinds; ++kind)
            EXPECT_EQ(out[size_t(kind * 3 + k)], valuesOf(a, k)[kind]) << k << " " << kind;
    EXPECT_EQ(out.back(), ElemAnalysis::correlation(a, rows, {1.0, 2.0, 3.0}));
    EXPECT_GT(out.back(), 0.0);
}

TEST(ElemAnalysisCorrelation, UncentredCosineOfKnownRatios)
{
    double c = -5.0;
    const double a[] = {1, 2, 3}, twice[] = {2, 4, 6};
    ASSERT_TRUE(ElemAnalysis::cosine(a, twice, 3, &c));
    EXPECT_DOUBLE_EQ(c, 1.0);
    const double p[] = {1, 0}, q[] = {0, 1}, r[] = {1, 1};
    ASSERT_TRUE(ElemAnalysis::cosine(p, q, 2, &c));
    EXPECT_DOUBLE_EQ(c, 0.0);
    ASSERT_TRUE(ElemAnalysis::cosine(p, r, 2, &c));
    EXPECT_DOUBLE_EQ(c, 1.0 / std::sqrt(2.0));

    // No ratio or no standard: nothing to compute, c untouched.
    const double zero[] = {0, 0};
    c = 7.0;
    EXPECT_FALSE(ElemAnalysis::cosine(zero, r, 2, &c));
    EXPECT_FALSE(ElemAnalysis::cosine(r, zero, 2, &c));
    EXPECT_FALSE(ElemAnalysis::cosine(a, a, 0, &c));
    EXPECT_EQ(c, 7.0);
}

// The worker in its own thread answers element requests from the snapshot.
class ElemsWorker : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qRegisterMetaType<AnalysisRequest>("AnalysisRequest");
        qRegisterMetaType<ElemsAnswer>("ElemsAnswer");
        qRegisterMetaType<QVector<ElemCtrl *>>("QVector<ElemCtrl*>");
        qRegisterMetaType<QVector<double> *>("QVector<double>*");
        qRegisterMetaType<const AElemsConds *>("const AElemsConds*");
        worker = new AnalyzeProc;
        worker->moveToThread(&thread);
        QObject::connect(&driver, &ElemsDriver::sendRequest, worker, &AnalyzeProc::setRequest);
        QObject::connect(&driver, &ElemsDriver::analyzeSpectrumElems0, worker,
                         &AnalyzeProc::analyzeSpectrumElems0);
        QObject::connect(worker, &AnalyzeProc::elemsAnswered, &driver, [this](ElemsAnswer a) {
            answers << a;
            events << QString("answer %1").arg(a.id);
        });
        QObject::connect(worker, &AnalyzeProc::finishedAElems, &driver,
                         [this] { events << "finishedAElems"; });
        thread.start();
    }

    void TearDown() override
    {
        thread.quit();
        thread.wait();
        delete worker;
    }

    // rowPointers null pointers stand for the window's rows: never followed.
    void ask(quint64 id, const QVector<ElemRowData> &rows, int rowPointers, int mainT = 0)
    {
        AnalysisRequest r;
        r.id = id;
        r.elems = rows;
        r.mainT = mainT;
        r.aec.bgROI = -2.0;
        emit driver.sendRequest(r);
        emit driver.analyzeSpectrumElems0(XafsSpectrum(stepSpectrum(), "step", 1),
                                          QVector<ElemCtrl *>(rowPointers, nullptr), &res0,
                                          mainT, nullptr);
    }

    bool waitFinished(int n)
    {
        QElapsedTimer t;
        t.start();
        while (events.count("finishedAElems") < n && t.elapsed() < 20000)
            QTest::qWait(2);
        return events.count("finishedAElems") == n;
    }

    QThread thread;
    AnalyzeProc *worker = nullptr;
    ElemsDriver driver;
    QVector<double> res0{42.0};   // the window's vector: never written
    QVector<ElemsAnswer> answers;
    QStringList events;
};

TEST_F(ElemsWorker, AnswersCarryTheirRequestIdBeforeFinished)
{
    ask(7, {row(7110, 20, 7105, 7115), row(7110, 20, 7105, 7115, 3.0)}, 2);
    ask(8, {}, 0);
    ASSERT_TRUE(waitFinished(2));
    EXPECT_EQ(events, (QStringList{"answer 7", "finishedAElems", "answer 8", "finishedAElems"}));
    const ElemsAnswer a = answers[0];
    EXPECT_TRUE(a.valid);
    expectValues(a, 0, {2.0, 1.0, 2.2, 0.2, 1.0, 0.8, 0.4});
    expectValues(a, 1, {0.0, 0.0, 0.0, 0.0, 0.0, -2.0, -1.0});
    EXPECT_EQ(a.res, (QVector<double>{2.0, 2.0}));
    // No rows: answered all the same, empty.
    EXPECT_TRUE(answers[1].valid);
    EXPECT_TRUE(answers[1].dMut.isEmpty());
    EXPECT_EQ(res0, QVector<double>{42.0});
}

TEST_F(ElemsWorker, RowsThatDoNotMatchTheSnapshotAreAnsweredInvalid)
{
    DebugCapture log;
    ask(3, {row(7110, 20, 7105, 7115)}, 2);
    ASSERT_TRUE(waitFinished(1));
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers[0].id, 3u);
    EXPECT_FALSE(answers[0].valid);
    EXPECT_TRUE(answers[0].dMut.isEmpty());
    EXPECT_TRUE(log.contains("2 element rows but 1 in the snapshot"));
}

#include "elemanalysis_test.moc"
