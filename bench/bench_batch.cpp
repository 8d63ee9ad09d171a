// Batch runs through the batch window and the interpreter thread.
//
//   bench_batch [--benchmark_filter=...]
//
// BM_EchoLines/N: a batch of N consecutive ":echo" lines, from Exec. to the
// last echo shown in the progress log. BM_CommandLines/N: the same with a
// command that the benchmark answers at once, for comparison.
// BM_LongCommandLine/N: one command line of N blank-separated words (1.4
// million words make a 4 MB line), from Exec. to its log text.
// BM_LargeExpansion/N: a variable of 40 KiB written N times in one argument
// (900 times make 35 MiB, refused as too large).
// BM_EchoLoopGivenUp/N/P: an endless loop echoing a text of N characters,
// given up after P passes, from Exec. to the window hearing that no run is
// left; the log texts left out meanwhile are counted. Debug lines are dropped.

#include <QApplication>
#include <QThread>
#include <benchmark/benchmark.h>
#include <memory>

#include "batch/batchcmdtables.h"
#include "batch/batchdispatcher.h"
#include "batch/ui/batchctrl.h"
#include "core/globals.h"

namespace {

// A batch window and its interpreter in a thread of its own; commands are
// answered at once.
struct Runner
{
    Runner()
    {
        dispatcher = new BatchDispatcher;
        dispatcher->moveToThread(&thread);
        window.setDispatcher(dispatcher);
        QObject::connect(dispatcher, &BatchDispatcher::Log, &window, [this] { logs++; });
        QObject::connect(dispatcher, &BatchDispatcher::foldedLog, &window,
                         [this](const QStringList &texts, int leftOut) {
                             logs += texts.size() + leftOut;
                             dropped += leftOut;
                         });
        QObject::connect(&window, &BatchCtrl::runsEnded, &window, [this] { ended = true; });
        QObject::connect(dispatcher, &BatchDispatcher::execCmdTokenSig, &window,
                         [this](int t) { token = t; });
        QObject::connect(dispatcher, &BatchDispatcher::execCmdSig, &window,
                         [this](const CmdLine &, bool) {
                             BatchDispatcher *d = dispatcher;
                             const int t = token;
                             QMetaObject::invokeMethod(
                                 d, [d, t] { d->finishBatchCmd(t, EX_save_data); },
                                 Qt::QueuedConnection);
                         });
        thread.start();
    }
    ~Runner()
    {
        thread.quit();
        thread.wait();
        delete dispatcher;
    }
    // Runs the lines; returns when n log texts have reached the window.
    void run(const QStringList &lines, int n)
    {
        logs = 0;
        window.dispatchCmds(lines);
        while (logs < n)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    // Runs the lines until the window hears that no run is left.
    void runToEnd(const QStringList &lines)
    {
        ended = false;
        window.dispatchCmds(lines);
        while (!ended)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }

    QThread thread;
    BatchDispatcher *dispatcher;
    BatchCtrl window;
    int logs = 0;
    qint64 dropped = 0;
    bool ended = false;
    int token = 0;
};

// Each iteration runs the lines with a new window and interpreter.
void runLines(benchmark::State &state, const QString &line)
{
    const int n = int(state.range(0));
    QStringList lines;
    for (int i = 0; i < n; i++)
        lines << line.arg(i);
    for (auto _ : state) {
        state.PauseTiming();
        auto r = std::make_unique<Runner>();
        state.ResumeTiming();
        r->run(lines, n);
        state.PauseTiming();
        r.reset();
        state.ResumeTiming();
    }
}

void BM_EchoLines(benchmark::State &state)
{
    runLines(state, ":echo \"line %1 of the sample series\"");
}
BENCHMARK(BM_EchoLines)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->UseRealTime();

void BM_CommandLines(benchmark::State &state) { runLines(state, "save_data line_%1.dat"); }
BENCHMARK(BM_CommandLines)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond)->Iterations(1)
    ->UseRealTime();

void BM_LongCommandLine(benchmark::State &state)
{
    const QString line = "set_i1_energy_pattern" + QString(" ab").repeated(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto r = std::make_unique<Runner>();
        state.ResumeTiming();
        r->run({line}, 1);
        state.PauseTiming();
        r.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * line.size());
}
BENCHMARK(BM_LongCommandLine)->Arg(20000)->Arg(100000)->Arg(1400000)
    ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_LargeExpansion(benchmark::State &state)
{
    const QStringList lines = {":let v " + QString(40 * 1024, 'v'),
                               "save_data " + QString("$v$").repeated(int(state.range(0))),
                               ":echo done"};
    for (auto _ : state) {
        state.PauseTiming();
        auto r = std::make_unique<Runner>();
        state.ResumeTiming();
        r->run(lines, 2);
        state.PauseTiming();
        r.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LargeExpansion)->Arg(100)->Arg(800)->Arg(900)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->UseRealTime();

void BM_EchoLoopGivenUp(benchmark::State &state)
{
    const QStringList lines = {":let v " + QString(int(state.range(0)), 'v'),
                               ":for i ##N## 1 2000000000", ":echo \"##N## $v$\"", ":next i"};
    qint64 dropped = 0;
    // The echoes' debug lines are not what is measured.
    const QtMessageHandler outer = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &) {});
    for (auto _ : state) {
        state.PauseTiming();
        auto r = std::make_unique<Runner>();
        BatchDispatcher *d = r->dispatcher;
        QMetaObject::invokeMethod(
            d, [d, passes = state.range(1)] { d->setIdleBounds(passes, 3600 * 1000); },
            Qt::BlockingQueuedConnection);
        state.ResumeTiming();
        r->runToEnd(lines);
        state.PauseTiming();
        dropped += r->dropped;
        r.reset();
        state.ResumeTiming();
    }
    qInstallMessageHandler(outer);
    state.counters["left_out"] = double(dropped) / state.iterations();
}
BENCHMARK(BM_EchoLoopGivenUp)->Args({10, 200000})->Args({1000, 200000})->Args({200000, 2000})
    ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    initGlobals();
    initBatchCmdTables();
    QApplication app(argc, argv);
    BatchDispatcher::registerMetaTypes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
