// A stack loaded by the program's own batch, end to end.
//
//   bench_batchload [--benchmark_filter=...]
//
// 100 TIFF files of 1024 x 1024 16-bit pixels are written into a temporary
// folder at start (so they are read from the page cache). The main window is
// shown as the program shows it; each run sends
// "load_I1_files_of_pattern NEW <folder>/ *.tif" through the batch editor,
// its dispatcher thread, the main window and the loader thread, and ends when
// the load's completion has come back through the dispatcher (the echo that
// follows it reaches the log). The frames are dropped and their memory given
// back to the system outside the timing.

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "app/startup.h"
#include "batch/ui/batchctrl.h"
#include "benchframes.h"
#include "core/globals.h"
#include "mainwindow/body.h"

namespace {

const int FrameSide = 1024;
const int FrameCount = 100;

Body *body = nullptr;
QString folder;

void BM_BatchLoad(benchmark::State &state)
{
    BatchCtrl *batch = body->batchCtrl();
    auto *log = batch->findChild<QPlainTextEdit *>("BatchLogs");
    if (!log) {
        state.SkipWithError("no batch log");
        return;
    }
    bool done = false;
    const QMetaObject::Connection c = QObject::connect(log, &QPlainTextEdit::textChanged, [&] {
        done = done || batch->logText().contains("echo loaded");
    });
    const QStringList lines = {"load_I1_files_of_pattern NEW " + folder + "/ *.tif",
                               ":echo loaded"};
    for (auto _ : state) {
        done = false;
        batch->dispatchCmds(lines);
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.PauseTiming();
        if (body->i1Stack().size() != FrameCount)
            state.SkipWithError("frames missing");
        body->clearI1Files();
        batch->clearLog();
        QCoreApplication::processEvents();
        // Each run reads into memory new to the process, as the program's first load does.
        malloc_trim(0);
        state.ResumeTiming();
    }
    QObject::disconnect(c);
}
BENCHMARK(BM_BatchLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tuneAllocator();
    initApplication();
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    QTemporaryDir dir;
    folder = dir.path();
    writeBenchFrames(folder, FrameCount, FrameSide);
    body = new Body;
    body->show();
    QCoreApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete body;
    return 0;
}
