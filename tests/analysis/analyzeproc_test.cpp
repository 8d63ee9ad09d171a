#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <cmath>
#include <functional>

#include "analysis/analyzeproc.h"
#include "core/linalg.h"
#include "support/testfiles.h"

// Sends requests as the analysis window does: the snapshot, then the request.
class Driver : public QObject
{
    Q_OBJECT
signals:
    void sendRequest(AnalysisRequest request);
    void analyzeSpectrum0(XafsSpectrum s, QVector<LCFReference *> lcfrs0, XafsSpectrum *res,
                          bool isMLCF, double sE0, double eE0, SuggestElm sElm);
    void analyzeSpectrumDEdge0(XafsSpectrum s, SuggestElm sElm, bool isMidPoint, XafsSpectrum ref,
                               double cwRangeEV, double cwInitDEeV, double cwMinDEeV);
};

namespace {

XafsSpectrum loaded(const QString &name)
{
    XafsSpectrum s;
    EXPECT_TRUE(s.loadAndNormalize(sourceDataPath("spectra/" + name)));
    return s;
}

// A row as the window snapshots it: normalised first, then its DeltaE applied.
LcfRefData row(const XafsSpectrum &s, double deltaE = 0.0, double fraction = 0.0)
{
    LcfRefData r{true, s, fraction};
    r.spectrum.useOffset = true;
    r.spectrum.offset = r.spectrum.shift = deltaE;
    return r;
}

XafsSpectrum sampled(const std::function<double(double)> &f, double from = 7000.0,
                     double to = 7300.0, double step = 0.25)
{
    Spectrum sp;
    for (int i = 0; from + i * step <= to; i++)
        sp.addPoint(from + i * step, f(from + i * step));
    return XafsSpectrum(sp, "sampled", 1);
}

// Edges from flat 0 to flat 1 within a few eV: their normalised forms are themselves.
double c1(double x)
{
    return 0.5 * (1 + std::tanh((x - 7118) / 0.5)) + 0.3 * std::exp(-std::pow((x - 7121) / 1.5, 2));
}

double c2(double x)
{
    return 0.5 * (1 + std::tanh((x - 7122) / 0.5)) + 0.1 * std::exp(-std::pow((x - 7117) / 0.7, 2));
}

// 2.5 x (0.3 c1 + 0.7 c2) on a sloping background.
XafsSpectrum mixture(double scale = 2.5)
{
    return sampled(
        [scale](double x) { return scale * (0.3 * c1(x) + 0.7 * c2(x)) + 0.4 + 1e-4 * (x - 7000); });
}

// Least squares worked out here: normal equations of the columns, solved by LinAlg.
std::vector<double> leastSquares(const std::vector<std::vector<double>> &cols,
                                 const std::vector<double> &y)
{
    const int m = int(cols.size());
    LinAlg la;
    double **a = la.newMatrix(m);
    std::vector<double> b(size_t(m), 0.0), x(size_t(m), 0.0);
    for (int r = 0; r < m; r++) {
        for (int c = 0; c < m; c++) {
            a[r][c] = 0.0;
            for (size_t i = 0; i < y.size(); i++)
                a[r][c] += cols[size_t(r)][i] * cols[size_t(c)][i];
        }
        for (size_t i = 0; i < y.size(); i++)
            b[size_t(r)] += cols[size_t(r)][i] * y[i];
    }
    EXPECT_TRUE(la.solve(m, a, b.data(), x.data()));
    la.deleteMatrix(m, a);
    return x;
}

} // namespace

// The worker in its own thread, driven and watched from the GUI thread.
class AnalyzeProcTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qRegisterMetaType<AnalysisRequest>("AnalysisRequest");
        qRegisterMetaType<FitAnswer>("FitAnswer");
        qRegisterMetaType<QVector<LCFReference *>>("QVector<LCFReference*>");
        qRegisterMetaType<XafsSpectrum *>("XafsSpectrum*");
        worker = new AnalyzeProc;
        worker->moveToThread(&thread);
        QObject::connect(&driver, &Driver::sendRequest, worker, &AnalyzeProc::setRequest);
        QObject::connect(&driver, &Driver::analyzeSpectrum0, worker, &AnalyzeProc::analyzeSpectrum0);
        QObject::connect(&driver, &Driver::analyzeSpectrumDEdge0, worker,
                         &AnalyzeProc::analyzeSpectrumDEdge0);
        QObject::connect(worker, &AnalyzeProc::fitAnswered, &driver, [this](FitAnswer a) {
            answers << a;
            events << QString("answer %1").arg(a.id);
        });
        QObject::connect(worker, &AnalyzeProc::newZ, &driver,
                         [this](double z) { events << QString("newZ %1").arg(z); });
        QObject::connect(worker, &AnalyzeProc::dEdgeAnswered, &driver, [this](quint64 id, double d) {
            dEdges << d;
            events << QString("dEdge %1").arg(id);
        });
        QObject::connect(worker, &AnalyzeProc::newDEdge, &driver, [this] { events << "newDEdge"; });
        QObject::connect(worker, &AnalyzeProc::finished, &driver, [this] { events << "finished"; });
        thread.start();
    }

    void TearDown() override
    {
        thread.quit();
        thread.wait();
        delete worker;
    }

    // One fit request; the row pointers are null, the worker must not follow them.
    void ask(quint64 id, const QVector<LcfRefData> &refs, const XafsSpectrum &s, int rows,
             bool mlcf = false, bool contAccess = false)
    {
        emit driver.sendRequest(AnalysisRequest{id, refs, contAccess});
        emit driver.analyzeSpectrum0(s, QVector<LCFReference *>(rows, nullptr), &result, mlcf, 0.0,
                                     30000.0, SuggestElm());
    }

    bool waitFinished(int n)
    {
        QElapsedTimer t;
        t.start();
        while (events.count("finished") < n && t.elapsed() < 20000)
            QTest::qWait(2);
        QTest::qWait(10);
        return events.count("finished") == n;
    }

    // The only answer so far: answer, newZ, finished, nothing else.
    FitAnswer only(quint64 id)
    {
        EXPECT_TRUE(waitFinished(1));
        EXPECT_EQ(events.size(), 3);
        EXPECT_EQ(events.value(0), QString("answer %1").arg(id));
        EXPECT_TRUE(events.value(1).startsWith("newZ"));
        const FitAnswer a = answers.value(0);
        answers.clear();
        events.clear();
        return a;
    }

    QThread thread;
    AnalyzeProc *worker = nullptr;
    Driver driver;
    XafsSpectrum result;   // the window's result spectrum, never written
    QVector<FitAnswer> answers;
    QVector<double> dEdges;
    QStringList events;
};

TEST_F(AnalyzeProcTest, MeasuredSampleShiftedAgainstItsShiftedReference)
{
    const XafsSpectrum fe2o3 = loaded("fe2o3_rt1.dat");
    Spectrum moved;
    for (const QPointF &p : fe2o3.points)
        moved.addPoint(p.x() - 3.0, p.y());
    ask(7, {row(fe2o3, 3.0), row(loaded("feo_rt1.dat"))}, XafsSpectrum(moved, "sample", 1), 2);
    const FitAnswer a = only(7);
    ASSERT_EQ(a.fractions.size(), 2);
    EXPECT_NEAR(a.fractions[0], 1.0, 1e-6);
    EXPECT_NEAR(a.fractions[1], 0.0, 1e-6);
    EXPECT_NEAR(a.zansa, 0.0, 1e-10);
    EXPECT_TRUE(a.hasCurve);
    EXPECT_EQ(a.curve.name, "anal-LCF");
    EXPECT_TRUE(result.isEmpty());

    XafsSpectrum carried = fe2o3;   // the displacement carried as the energy shift
    carried.shift = 3.0;
    ask(8, {row(fe2o3, 3.0), row(loaded("feo_rt1.dat"))}, carried, 2);
    EXPECT_NEAR(only(8).fractions.value(0), 1.0, 1e-6);
}

TEST_F(AnalyzeProcTest, MixtureRecoveredLikeIndependentLeastSquares)
{
    const XafsSpectrum r1 = sampled(c1), r2 = sampled(c2), s = mixture();
    std::vector<double> pre, raw;
    std::vector<std::vector<double>> lcfCols(2), mlcfCols(4);
    for (int i = 0; i < s.count(); i++) {
        const double x = s.points[i].x();
        pre.push_back(s.doubleNormalizedPreBase.points[i].y());
        raw.push_back(s.points[i].y());
        lcfCols[0].push_back(r1.doubleNormalizedPreBase.y(x));
        lcfCols[1].push_back(r2.doubleNormalizedPreBase.y(x));
        mlcfCols[0].push_back(1.0);
        mlcfCols[1].push_back(x - 7150.0);
        mlcfCols[2].push_back(r1.doubleNormalizedPostBase.y(x));
        mlcfCols[3].push_back(r2.doubleNormalizedPostBase.y(x));
    }
    const std::vector<double> lcf = leastSquares(lcfCols, pre), mlcf = leastSquares(mlcfCols, raw);

    ask(1, {row(r1), row(r2)}, s, 2);
    const FitAnswer a = only(1);
    ASSERT_EQ(a.fractions.size(), 2);
    EXPECT_NEAR(a.fractions[0], lcf[0], 1e-9);
    EXPECT_NEAR(a.fractions[1], lcf[1], 1e-9);
    EXPECT_NEAR(a.fractions[0], 0.3, 1e-6);
    EXPECT_NEAR(a.amounts[1], 0.7 * 2.5, 1e-6);

    ask(2, {row(r1), row(r2)}, s, 2, true);
    const FitAnswer m = only(2);
    ASSERT_EQ(m.amounts.size(), 2);
    EXPECT_NEAR(m.amounts[0], mlcf[2], 1e-8);
    EXPECT_NEAR(m.amounts[1], mlcf[3], 1e-8);
    EXPECT_NEAR(m.fractions[0], 0.3, 1e-6);
    EXPECT_NEAR(m.fractions[1], 0.7, 1e-6);
    EXPECT_EQ(m.curve.name, "anal-MLCF");

    // The rows swapped at the same energies: so are the fractions.
    ask(3, {row(r2), row(r1)}, s, 2);
    EXPECT_NEAR(only(3).fractions.value(0), 0.7, 1e-6);

    // During a map run the curve is drawn with the spectrum's own fractions,
    // not the rows' stored ones.
    ask(4, {row(r1, 0.0, 0.5), row(r2, 0.0, 0.5)}, s, 2, false, true);
    const FitAnswer c = only(4);
    EXPECT_NEAR(c.fractions.value(0), 0.3, 1e-6);
    EXPECT_NEAR(c.curve.y(7120.0), c.fractions[0] * c1(7120.0) + c.fractions[1] * c2(7120.0), 1e-9);
}

TEST_F(AnalyzeProcTest, DegenerateRequestsAreAnsweredWithZeros)
{
    const XafsSpectrum r1 = sampled(c1), r2 = sampled(c2);
    XafsSpectrum infinite = mixture();
    infinite.points[600].setY(HUGE_VAL);   // ln(I0 / 0)
    const struct
    {
        QVector<LcfRefData> refs;
        XafsSpectrum sample;
        int rows;
        bool mlcf;
        const char *message;
    } cases[] = {
        {{row(r1), row(r1)}, mixture(), 2, false, "singular system"},
        {{row(r1), row(r2)}, XafsSpectrum(), 2, false, "sample without points"},
        {{row(r1), row(r2)}, mixture(), 1, false, "fewer than two reference rows"},
        {{row(r1), row(r2)}, mixture(), 3, false, "3 reference rows but 2 in the snapshot"},
        {{row(r1), row(r2)}, mixture(-1.0), 2, true, "MLCF coefficients sum to -1"},
        {{row(r1), row(r2)}, infinite, 2, true, "fit result not finite"},
    };
    DebugCapture log;
    quint64 id = 10;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        ask(++id, c.refs, c.sample, c.rows, c.mlcf);
        const FitAnswer a = only(id);
        EXPECT_EQ(a.fractions, QVector<double>(2, 0.0));
        EXPECT_EQ(a.amounts, QVector<double>(2, 0.0));
        EXPECT_FALSE(a.hasCurve);
        EXPECT_EQ(a.zansa, 0.0);
        EXPECT_TRUE(log.contains(c.message));
    }

    // Without an edge jump: zeros for the rows in use, not for every row,
    // so that an area run can record them.
    LcfRefData unused = row(r2);
    unused.inUse = false;
    XafsSpectrum noJump = mixture();
    noJump.dMut = 0.0;
    ask(++id, {row(r1), unused, row(r2), unused}, noJump, 4);
    const FitAnswer flat = only(id);
    EXPECT_EQ(flat.fractions, QVector<double>(2, 0.0));
    EXPECT_EQ(flat.amounts, QVector<double>(2, 0.0));
}

TEST_F(AnalyzeProcTest, AnswersCarryTheirRequestsInOrder)
{
    ask(1, {row(sampled(c1)), row(sampled(c2))}, mixture(), 2);
    ask(2, {row(sampled(c1))}, mixture(), 1);
    emit driver.analyzeSpectrumDEdge0(mixture(), SuggestElm(), true, XafsSpectrum(), 10, 1, 0.1);
    ASSERT_TRUE(waitFinished(3));
    EXPECT_EQ(events.filter(QRegularExpression("^(answer|dEdge)")),
              QStringList({"answer 1", "answer 2", "dEdge 2"}));
    EXPECT_EQ(events.count("finished"), 3);
}

TEST_F(AnalyzeProcTest, EdgePosition)
{
    XafsSpectrum s = loaded("fe2o3_rt1.dat");
    s.shift = 1.5;
    SuggestElm sElm;
    sElm.edgeEV = 7112.0;
    // Steps as the window generates them: the comparison at 9000 eV, the sample 3.4 eV above.
    auto step = [](double at, double width) {
        Spectrum sp;
        for (double x = at - width / 2; x < at + width / 2; x += 0.01)
            sp.addPoint(x, x >= at ? 1.0 : 0.0);
        return XafsSpectrum(sp, "DEdge Step", 1);
    };
    XafsSpectrum moved = step(9003.4, 200.0);
    moved.shift = 0.25;
    emit driver.analyzeSpectrumDEdge0(s, sElm, true, XafsSpectrum(), 10, 1, 0.1);
    emit driver.analyzeSpectrumDEdge0(moved, sElm, false, step(9000.0, 300.0), 10.0, 1.0, 0.01);
    ASSERT_TRUE(waitFinished(2));
    EXPECT_EQ(events.mid(0, 3), QStringList({"dEdge 0", "newDEdge", "finished"}));
    ASSERT_EQ(dEdges.size(), 2);
    EXPECT_DOUBLE_EQ(dEdges[0], s.midx - 1.5 - 7112.0);
    EXPECT_NEAR(dEdges[1], 3.4 - 0.25, 0.011);
}

#include "analyzeproc_test.moc"
