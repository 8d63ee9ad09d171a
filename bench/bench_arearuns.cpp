// The area runs of the main window over generated stacks, from their start to
// their completion (spectra, fits or searches, recording into the maps).
//
//   bench_arearuns [--benchmark_filter=...]
//
// per_block is the time of one block; the CPU column counts every thread of
// the process; peak_MB the largest resident size of the process (run each
// benchmark alone for it). Stacks: 256 x 256 16-bit frames at 151
// energies from 7000 eV in 2 eV steps, each pixel a mixture of two references
// with edges at 7112 and 7120 eV in a share that runs across the image (LCF,
// edge position, element run with 10 rows); 101 frames whose edge moves with
// the column (calibration by inner product and by edge position against the
// first reference);
// 512 x 512 frames at 200 energies (residual absorption). The batch figure is
// a whole LCF map of the 256 x 256 stack read from TIFF files, through the
// batch window as a user's batch file runs. The clear figure is a Clear
// during an element run over 1024 x 1024 frames (101 energies).

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cmath>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <vector>

#include "analysis/ui/analyzer.h"
#include "benchframes.h"
#include "app/startup.h"
#include "batch/ui/batchctrl.h"
#include "calibration/ui/calibctrl.h"
#include "core/cmdid.h"
#include "core/globals.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "imagedata/tiffwriter.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"

namespace {

QTemporaryDir *folder = nullptr;

double reference(int k, double e)
{
    const double edge = 7112 + 8 * k;
    const double wiggle = e > edge ? 0.05 * std::sin((e - edge) / (12.0 + 3 * k)) : 0.0;
    return 1.0 / (1.0 + std::exp(-(e - edge) / (2.0 + k))) + wiggle;
}

QString writeReference(int k)
{
    QString text;
    for (int i = 0; i < 300; i++)
        text += QString("%1 %2\n").arg(6950 + 2 * i).arg(0.2 + reference(k, 6950 + 2 * i), 0, 'g', 10);
    const QString name = folder->path() + QString("/ref%1.dat").arg(k);
    QFile f(name);
    f.open(QIODevice::WriteOnly);
    f.write(text.toLatin1());
    return name;
}

// Transmitted counts of pixel (x, y) of a side x side frame at energy e.
using Counts = std::function<double(int x, int y, int side, double e)>;

double mixture(int x, int y, int side, double e)
{
    const double u = (x + 0.5 * y) / (1.5 * (side - 1));
    return 20000 * std::exp(-(0.3 + 0.8 * (u * reference(0, e) + (1 - u) * reference(1, e))));
}

double movingEdge(int x, int, int side, double e)
{
    return 20000 * std::exp(-(0.3 + 0.8 * reference(0, e - 6.0 * x / side)));
}

double flatI0(int x, int, int, double)
{
    return 20000.0 + x % 7;
}

void setEnergies(SelectDataFiles *p, double e0, double de)
{
    p->setEngByCalc(true);
    p->setDispUnit(0);
    p->setEvenInEng(true);
    p->setEngCalcStart(e0);
    p->setEngCalcDelta(de);
}

// A field of /proc/self/status in MB, or 0.
double statusMB(const char *field)
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return 0.0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0.0;
}

// Restarts the count of the largest resident size at the present one, which
// it returns in MB.
double resetPeak()
{
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
    return statusMB("VmRSS:");
}

// The resident size once the last new window settled, in MB.
double runBaseMB = 0.0;

// Lets a new window finish what it started in the background (the folder
// listings of its file dialogs), so that the runs are timed alone.
void settle()
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}

// A main window holding the stack, the two references in rows 0 and 1,
// one-pixel blocks and the area selected; with i0, an I0 stack at the same
// energies, used.
std::unique_ptr<Body> newBody(int side, int frames, double e0, double de, const Counts &counts,
                              int areaSide, bool i0 = false)
{
    std::unique_ptr<Body> b(new Body);
    for (int k = 0; k < 2; k++)
        b->analysisWindow()->setLCFStd(k, true, 0, writeReference(k), "0");
    // One stack: its energies, its frames, the end of its load.
    auto load = [&](SelectDataFiles *panel, void (Body::*loaded)(TiffData *, int),
                    void (Body::*finished)(), const QString &name, const Counts &value) {
        setEnergies(panel, e0, de);
        for (int i = 0; i < frames; i++)
            (b.get()->*loaded)(memoryFrame(name.arg(i), side,
                                           [&](int x, int y) { return value(x, y, side, e0 + de * i); }),
                               i);
        (b.get()->*finished)();
    };
    load(b->i1Panel(), &Body::loadedI1, &Body::finishedLoadI1Files, "f_%1", counts);
    if (i0) {
        load(b->i0Panel(), &Body::loadedI0, &Body::finishedLoadI0Files, "i0_%1", flatI0);
        b->findChild<QCheckBox *>("UseI0")->setChecked(true);
    }
    b->findChild<QLineEdit *>("HWidth")->setText("0");
    b->findChild<QLineEdit *>("VWidth")->setText("0");
    b->imageView()->setSelectedArea(0, 0, areaSide, areaSide);
    settle();
    runBaseMB = resetPeak();
    return b;
}

// per_block: the time of one block; per_block_core: that time on one core
// (times the worker threads of the runs).
void perBlock(benchmark::State &state, double blocks)
{
    state.counters["per_block"] = benchmark::Counter(
        blocks, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["per_block_core"] = benchmark::Counter(
        blocks / qMax(1, QThread::idealThreadCount()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The largest resident size of the process so far, in MB, and (run_MB) how far
// it rose over the size of the last new window.
void peakMemory(benchmark::State &state)
{
    struct rusage use;
    getrusage(RUSAGE_SELF, &use);
    state.counters["peak_MB"] = double(use.ru_maxrss) / 1024.0;
    state.counters["run_MB"] = statusMB("VmHWM:") - runBaseMB;
}

// Runs start on b until the completion id arrives, once per iteration.
void runUntil(benchmark::State &state, Body *b, void (Body::*start)(), int id)
{
    bool done = false;
    const QMetaObject::Connection c = QObject::connect(b, &Body::finishBatchExec, [&](int got) {
        done = done || got == id;
    });
    for (auto _ : state) {
        done = false;
        (b->*start)();
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QObject::disconnect(c);
    if (b->areaBlocksSkipped() + b->areaAnswersDropped() > 0)
        state.SkipWithError("blocks were skipped or answers dropped");
}

void checkFit(Analyzer *a, bool fit, bool edge)
{
    a->findChild<QCheckBox *>("SelMLCFAnal")->setChecked(fit);
    a->findChild<QCheckBox *>("SelDEdgeAnal")->setChecked(edge);
}

const int Side = 256, Energies = 151;

void BM_LcfAreaRun(benchmark::State &state)
{
    const std::unique_ptr<Body> b = newBody(Side, Energies, 7000, 2, mixture, Side);
    checkFit(b->analysisWindow(), true, false);
    runUntil(state, b.get(), &Body::start2DAnalysis, EX_analyzer_exec_LCF);
    perBlock(state, Side * Side);
    peakMemory(state);
}
BENCHMARK(BM_LcfAreaRun)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

// As the LCF run above, with I0 on; side 256 or 1024. peak_MB: run it alone.
void BM_LcfAreaRunI0(benchmark::State &state)
{
    const int side = int(state.range(0));
    const std::unique_ptr<Body> b = newBody(side, Energies, 7000, 2, mixture, side, true);
    checkFit(b->analysisWindow(), true, false);
    runUntil(state, b.get(), &Body::start2DAnalysis, EX_analyzer_exec_LCF);
    perBlock(state, double(side) * side);
    peakMemory(state);
}
BENCHMARK(BM_LcfAreaRunI0)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

// The other fits over the 256 x 256 stack: 0 MLCF, 1 the older LCF.
void BM_OtherFitAreaRun(benchmark::State &state)
{
    const std::unique_ptr<Body> b = newBody(Side, Energies, 7000, 2, mixture, Side);
    Analyzer *a = b->analysisWindow();
    checkFit(a, true, false);
    a->mlcfBox()->setChecked(state.range(0) == 0);
    a->findChild<QCheckBox *>("AsOldLCF")->setChecked(state.range(0) == 1);
    runUntil(state, b.get(), &Body::start2DAnalysis, EX_analyzer_exec_LCF);
    perBlock(state, Side * Side);
    peakMemory(state);
}
BENCHMARK(BM_OtherFitAreaRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

void BM_EdgePositionAreaRun(benchmark::State &state)
{
    const std::unique_ptr<Body> b = newBody(Side, Energies, 7000, 2, mixture, Side);
    checkFit(b->analysisWindow(), false, true);
    runUntil(state, b.get(), &Body::start2DAnalysis, EX_analyzer_exec_LCF);
    perBlock(state, Side * Side);
    peakMemory(state);
}
BENCHMARK(BM_EdgePositionAreaRun)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

void BM_ElementAreaRun10Rows(benchmark::State &state)
{
    const std::unique_ptr<Body> b = newBody(Side, Energies, 7000, 2, mixture, Side);
    Analyzer *a = b->analysisWindow();
    a->selectAnalysisMode(2);
    a->setTargetElements("Fe Co Ni Cu Zn Mn Cr V Ti Ga");
    QCoreApplication::processEvents();
    if (a->elems.size() != 10) {
        state.SkipWithError("not 10 element rows");
        return;
    }
    runUntil(state, b.get(), &Body::startElems2DAnalysis, EX_analyzer_exec_elems);
    perBlock(state, Side * Side);
    peakMemory(state);
}
BENCHMARK(BM_ElementAreaRun10Rows)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

// An element run with 8 rows over 1024 x 1024 one-pixel blocks, cleared once
// its first chunk is recorded: the clear computes the rest of the run before
// the frames go. clear_ms is the time the window waits in the clear, peak_MB
// the largest resident size of the process so far (run this one alone).
void BM_ClearDuringElementRun1024(benchmark::State &state)
{
    const int side = 1024;
    for (auto _ : state) {
        state.PauseTiming();
        const std::unique_ptr<Body> b = newBody(side, 101, 7000, 3, mixture, side);
        Analyzer *a = b->analysisWindow();
        a->selectAnalysisMode(2);
        a->setTargetElements("Fe Co Ni Cu Zn Mn Cr V");
        QCoreApplication::processEvents();
        if (a->elems.size() != 8) {
            state.SkipWithError("not 8 element rows");
            return;
        }
        bool cleared = false;
        double ms = 0;
        // After the first chunk, from the event loop as a click on Clear.
        QObject::connect(b->areaRunEngine(), &AreaEngine::chunkReady, b.get(), [&] {
            if (cleared)
                return;
            cleared = true;
            QMetaObject::invokeMethod(b.get(), [&] {
                QElapsedTimer t;
                t.start();
                b->clearI1Files();
                ms = double(t.nsecsElapsed()) / 1e6;
            }, Qt::QueuedConnection);
        });
        state.ResumeTiming();
        b->startElems2DAnalysis();
        while (!cleared || b->isAnalyzing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.counters["clear_ms"] = ms;
    }
    peakMemory(state);
}
BENCHMARK(BM_ClearDuringElementRun1024)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// 128 x 128 one-pixel blocks of the 256 x 256 stack of 101 frames.
void calibrationRun(benchmark::State &state, bool innerProduct)
{
    const int area = 128;
    const std::unique_ptr<Body> b = newBody(Side, 101, 7000, 3, movingEdge, area);
    CalibCtrl *calib = b->calibrationWindow();
    calib->loadStd(folder->path() + "/ref0.dat");
    calib->setCalibByInnerProduct(innerProduct);
    for (auto _ : state) {
        b->execCalibration();
        while (b->isCalibrating())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    perBlock(state, area * area);
    peakMemory(state);
}

void BM_CalibrationInnerProduct(benchmark::State &state) { calibrationRun(state, true); }
BENCHMARK(BM_CalibrationInnerProduct)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

void BM_CalibrationDMidx(benchmark::State &state) { calibrationRun(state, false); }
BENCHMARK(BM_CalibrationDMidx)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

void BM_ResidualAbsorption512(benchmark::State &state)
{
    const int side = 512;
    const std::unique_ptr<Body> b = newBody(side, 200, 7000, 1.5, mixture, side);
    for (auto _ : state)
        b->startRA2DAnalysis();
    perBlock(state, side * side);
    peakMemory(state);
}
BENCHMARK(BM_ResidualAbsorption512)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

// -- the whole path through a batch file

QString writeStack(const QString &sub, int side, int frames, bool i0)
{
    const QString dir = folder->path() + "/" + sub;
    QDir().mkpath(dir);
    std::vector<quint16> px(size_t(side) * size_t(side));
    for (int i = 0; i < frames; i++) {
        const double e = 7000 + 2 * i;
        for (int y = 0; y < side; y++)
            for (int x = 0; x < side; x++)
                px[size_t(y) * size_t(side) + size_t(x)] =
                    quint16(qBound(0.0, i0 ? 20000.0 + x % 7 : mixture(x, y, side, e), 65535.0));
        TiffWriter().writeTiff(dir + QString("/%1_0000.tif").arg(int(e)), side, side, px.data());
    }
    return dir + "/";
}

void BM_BatchLcfMap256(benchmark::State &state)
{
    const QString i1 = writeStack("i1", Side, Energies, false);
    const QString i0 = writeStack("i0", Side, Energies, true);
    const QString out = folder->path() + "/fraction";
    const QStringList batch{
        "eng_by_name_i1", "eng_by_name_i0", "set_i1_energy_pattern (\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d",
        "set_i0_energy_pattern (\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d", "eng_by_name_factor_i1 1",
        "eng_by_name_factor_i0 1", "load_I1_files_of_pattern NEW " + i1 + " *.tif",
        "load_I0_files_of_pattern NEW " + i0 + " *.tif", "Use_I0 1", "set_fluo_type 0",
        "set_band_w 0", "set_band_h 0", QString("select_region 0 0 %1 %1").arg(Side),
        "analyzer_select_analysis_mode 0", "analyzer_set_LCF_mode 0",
        "analyzer_set_LCF_std 0 1 0 " + writeReference(0) + " 0",
        "analyzer_set_LCF_std 1 1 0 " + writeReference(1) + " 0", "analyzer_exec_LCF",
        "analyzer_select_image_type 0", "saveDataCfg_save_as_text", "saveDataCfg_text_as_xyz",
        "analyzer_select_image 0", "save_data " + out + ".dat"};
    int n = 0;
    for (auto _ : state) {
        Body b;
        const QString mark = QString("batch end %1").arg(n++);
        b.batchCtrl()->dispatchCmds(QStringList(batch) << ":echo \"" + mark + "\"");
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (b.batchCtrl()->logText().contains(mark))
                loop.quit();
        });
        poll.start(2);
        loop.exec();
        state.PauseTiming();
        if (!QFile::exists(out + "-0.dat"))
            state.SkipWithError("no map saved");
        QFile::remove(out + "-0.dat");
        state.ResumeTiming();
    }
    perBlock(state, Side * Side);
}
BENCHMARK(BM_BatchLcfMap256)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tuneAllocator();
    QApplication app(argc, argv);
    initApplication();
    folder = new QTemporaryDir;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete folder;
    return 0;
}
