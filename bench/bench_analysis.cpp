// The analysis worker: one linear-combination fit, and one request and its
// answer across the thread boundary.
//
//   bench_analysis [--benchmark_filter=...]
//
// The sample has 400 points (6900..7300 eV) and is fitted with 4 reference
// rows on the same energy range. Fits against an unchanged snapshot of the
// rows at unchanged energies, as in a map run, reuse the references' values
// from the fit before; BM_LcfFitDirectNewRows gives each fit rows of its own.

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <benchmark/benchmark.h>

#include <cmath>

#include "analysis/analyzeproc.h"
#include "core/globals.h"

// Sends requests to the worker as the analysis window does.
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

const int Points = 400;
const int Rows = 4;

double component(int k, double e)
{
    const double at = 7110.0 + 4.0 * k;
    return 0.5 * (1.0 + std::tanh((e - at) / 1.5)) +
           (0.2 + 0.05 * k) * std::exp(-std::pow((e - at - 4.0) / 3.0, 2)) +
           0.02 * std::sin((e - at) / (6.0 + k)) * (e > at ? 1.0 : 0.0);
}

XafsSpectrum spectrum(int k)
{
    Spectrum s;
    for (int i = 0; i < Points; i++) {
        const double e = 6900.0 + i * (400.0 / (Points - 1));
        double y = 0.3 + 1e-4 * (e - 6900.0);
        if (k >= 0)
            y += component(k, e);
        else
            for (int j = 0; j < Rows; j++)
                y += (0.1 + 0.1 * j) * component(j, e) * 2.0;
        s.addPoint(e, y);
    }
    return XafsSpectrum(s, k >= 0 ? QString("ref%1").arg(k) : QString("sample"), 1);
}

AnalysisRequest makeRequest(quint64 id)
{
    AnalysisRequest r;
    r.id = id;
    for (int k = 0; k < Rows; k++) {
        LcfRefData d;
        d.inUse = true;
        d.spectrum = spectrum(k);
        d.spectrum.useOffset = true;
        r.refs << d;
    }
    return r;
}

using FitSlot = void (AnalyzeProc::*)(XafsSpectrum, QVector<LCFReference *>, XafsSpectrum *,
                                      double, double, SuggestElm);

// One fit slot called directly, again and again on the same snapshot.
void fitDirect(benchmark::State &state, FitSlot fit)
{
    AnalyzeProc worker;
    worker.setRequest(makeRequest(1));
    const XafsSpectrum s = spectrum(-1);
    const QVector<LCFReference *> rows(Rows, nullptr);
    XafsSpectrum res;
    for (auto _ : state) {
        (worker.*fit)(s, rows, &res, 0.0, 30000.0, SuggestElm());
        benchmark::DoNotOptimize(worker.zansa);
    }
    if (worker.fractions.size() != Rows)
        state.SkipWithError("fit failed");
}

void BM_LcfFitDirect(benchmark::State &state) { fitDirect(state, &AnalyzeProc::analyzeSpectrumByLCF); }
BENCHMARK(BM_LcfFitDirect)->Unit(benchmark::kMicrosecond);

// Every fit with a snapshot of its own, as when the rows changed in between:
// the references are looked up afresh.
void BM_LcfFitDirectNewRows(benchmark::State &state)
{
    AnalyzeProc worker;
    QVector<AnalysisRequest> snapshots;
    for (int i = 0; i < 64; i++)
        snapshots << makeRequest(quint64(i));
    const XafsSpectrum s = spectrum(-1);
    const QVector<LCFReference *> rows(Rows, nullptr);
    XafsSpectrum res;
    int i = 0;
    for (auto _ : state) {
        worker.setRequest(snapshots[i++ % snapshots.size()]);
        worker.analyzeSpectrumByLCF(s, rows, &res, 0.0, 30000.0, SuggestElm());
        benchmark::DoNotOptimize(worker.zansa);
    }
    if (worker.fractions.size() != Rows)
        state.SkipWithError("fit failed");
}
BENCHMARK(BM_LcfFitDirectNewRows)->Unit(benchmark::kMicrosecond);

void BM_MlcfFitDirect(benchmark::State &state) { fitDirect(state, &AnalyzeProc::analyzeSpectrumByMLCF); }
BENCHMARK(BM_MlcfFitDirect)->Unit(benchmark::kMicrosecond);

// The worker in its own thread: the request and the fit are queued to it and
// the GUI thread waits in its event loop for the answer.
void roundTrip(benchmark::State &state, bool fit)
{
    QThread thread;
    AnalyzeProc *worker = new AnalyzeProc;
    worker->moveToThread(&thread);
    Driver driver;
    QObject::connect(&driver, &Driver::sendRequest, worker, &AnalyzeProc::setRequest);
    QObject::connect(&driver, &Driver::analyzeSpectrum0, worker, &AnalyzeProc::analyzeSpectrum0);
    QObject::connect(&driver, &Driver::analyzeSpectrumDEdge0, worker,
                     &AnalyzeProc::analyzeSpectrumDEdge0);
    QEventLoop loop;
    quint64 answered = 0;
    QObject::connect(worker, &AnalyzeProc::fitAnswered, &loop, [&](FitAnswer a) {
        answered = a.id;
        loop.quit();
    });
    QObject::connect(worker, &AnalyzeProc::dEdgeAnswered, &loop, [&](quint64 id, double) {
        answered = id;
        loop.quit();
    });
    thread.start();

    AnalysisRequest request = makeRequest(0);
    const XafsSpectrum s = spectrum(-1);
    const QVector<LCFReference *> rows(Rows, nullptr);
    XafsSpectrum res;
    quint64 id = 0;
    for (auto _ : state) {
        request.id = ++id;
        emit driver.sendRequest(request);
        if (fit)
            emit driver.analyzeSpectrum0(s, rows, &res, false, 0.0, 30000.0, SuggestElm());
        else
            emit driver.analyzeSpectrumDEdge0(s, SuggestElm(), true, XafsSpectrum(), 10, 1, 0.1);
        while (answered != id)
            loop.exec();
    }
    thread.quit();
    thread.wait();
    delete worker;
}

void BM_RoundTripLcf(benchmark::State &state)
{
    roundTrip(state, true);
}
BENCHMARK(BM_RoundTripLcf)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same crossing with an edge request that computes almost nothing.
void BM_RoundTripEdgeMidpoint(benchmark::State &state)
{
    roundTrip(state, false);
}
BENCHMARK(BM_RoundTripEdgeMidpoint)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    tuneAllocator();
    QCoreApplication app(argc, argv);
    qRegisterMetaType<AnalysisRequest>("AnalysisRequest");
    qRegisterMetaType<FitAnswer>("FitAnswer");
    qRegisterMetaType<XafsSpectrum>("XafsSpectrum");
    qRegisterMetaType<SuggestElm>("SuggestElm");
    qRegisterMetaType<QVector<LCFReference *>>("QVector<LCFReference*>");
    qRegisterMetaType<XafsSpectrum *>("XafsSpectrum*");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "bench_analysis.moc"
