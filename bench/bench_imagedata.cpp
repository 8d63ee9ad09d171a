// Reading detector frames and summing boxes on them.
//
//   bench_imagedata [--benchmark_filter=...]
//
// The frames are 100 TIFF files of 1024 x 1024 16-bit pixels written into a
// temporary folder when first needed (so they are read from the page cache);
// the row spectra read stacks held in memory.

#include <QGuiApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <random>
#include <tiffio.h>
#include <vector>

#include "core/globals.h"
#include "imagedata/loadtiff.h"
#include "imagedata/spectrumsource.h"
#include "imagedata/tiffdata.h"
#include "benchframes.h"

namespace {

const int FrameSide = 1024;
const int FrameCount = 100;
const int64_t FrameBytes = int64_t(FrameSide) * FrameSide * 2;

QTemporaryDir *folder = nullptr;

// The frame files, written on first use.
const QStringList &frameFiles()
{
    static const QStringList files = writeBenchFrames(folder->path(), FrameCount, FrameSide);
    return files;
}

// Loads the whole stack and keeps it, as the program does; the frames are
// freed outside the timing.
void loadAll(benchmark::State &state, bool withImage)
{
    std::vector<std::unique_ptr<TiffData>> frames;
    for (auto _ : state) {
        for (const QString &f : frameFiles()) {
            frames.emplace_back(new TiffData);
            frames.back()->displayImageOnLoad = withImage;
            if (!frames.back()->load(f, nullptr))
                state.SkipWithError("load failed");
        }
        state.PauseTiming();
        frames.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * FrameCount * FrameBytes);
}

// The stack through the loader in its own thread, frames received in this
// (GUI) thread and kept, as the main window does; range(0) decode threads
// (1: each file read inside its step, as the loader always did; 0: the
// loader's own choice, as in the program).
void BM_LoadTiff(benchmark::State &state)
{
    QThread thread;
    LoadTiff loader;
    loader.moveToThread(&thread);
    thread.start();
    const int threads = int(state.range(0));
    if (threads > 0)
        QMetaObject::invokeMethod(&loader, [&] { loader.setDecodeThreads(threads); },
                                  Qt::BlockingQueuedConnection);
    std::vector<std::unique_ptr<TiffData>> frames;
    QEventLoop loop;
    QObject receiver;
    QObject::connect(&loader, &LoadTiff::loaded, &receiver,
                     [&](TiffData *f, int) { frames.emplace_back(f); });
    QObject::connect(&loader, &LoadTiff::finishLoadFiles, &receiver, [&] { loop.quit(); });
    for (auto _ : state) {
        QMetaObject::invokeMethod(&loader, [&] {
            loader.loadTiffs(frameFiles(), false, 1, 0, 0, nullptr, EX_load_I1_files);
        });
        loop.exec();
        if (frames.size() != size_t(FrameCount))
            state.SkipWithError("frames missing");
        state.PauseTiming();
        frames.clear();
        state.ResumeTiming();
    }
    thread.quit();
    thread.wait();
    state.SetBytesProcessed(state.iterations() * FrameCount * FrameBytes);
}

void BM_LoadStack_NoDisplayImage(benchmark::State &state) { loadAll(state, false); }
void BM_LoadStack_WithDisplayImage(benchmark::State &state) { loadAll(state, true); }

// The same files through a bare scanline loop, either into one reused buffer
// or into a new buffer per frame that is kept like a loaded stack.
void plainLibtiffRead(benchmark::State &state, const char *mode, bool keep)
{
    std::vector<std::vector<quint16>> kept;
    std::vector<quint16> reused(size_t(FrameSide) * FrameSide);
    for (auto _ : state) {
        for (const QString &f : frameFiles()) {
            TIFF *tif = TIFFOpen(QFile::encodeName(f).constData(), mode);
            if (!tif) {
                state.SkipWithError("open failed");
                break;
            }
            uint32_t w = 0, h = 0;
            TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
            TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
            quint16 *frame = reused.data();
            if (keep) {
                kept.emplace_back();
                kept.back().resize(size_t(w) * h);
                frame = kept.back().data();
            }
            for (uint32_t r = 0; r < h; r++)
                TIFFReadScanline(tif, frame + size_t(r) * w, r, 0);
            TIFFClose(tif);
            benchmark::DoNotOptimize(frame);
        }
        state.PauseTiming();
        kept.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * FrameCount * FrameBytes);
}

void BM_PlainLibtiff_Reused_r(benchmark::State &state) { plainLibtiffRead(state, "r", false); }
void BM_PlainLibtiff_Reused_rmc(benchmark::State &state) { plainLibtiffRead(state, "rmc", false); }
void BM_PlainLibtiff_Kept_r(benchmark::State &state) { plainLibtiffRead(state, "r", true); }
void BM_PlainLibtiff_Kept_rmc(benchmark::State &state) { plainLibtiffRead(state, "rmc", true); }

void BM_MakeImage(benchmark::State &state)
{
    TiffData t;
    t.displayImageOnLoad = false;
    t.load(frameFiles()[0], nullptr);
    for (auto _ : state) {
        t.makeImage();
        benchmark::DoNotOptimize(t.imageBuffer);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(FrameSide) * FrameSide);
}

std::vector<std::unique_ptr<TiffData>> stackFrames;

// A small stack kept in memory for the box sums.
std::vector<std::unique_ptr<TiffData>> &stack()
{
    std::vector<std::unique_ptr<TiffData>> &frames = stackFrames;
    if (frames.empty()) {
        for (int i = 0; i < 20; i++) {
            frames.emplace_back(new TiffData);
            frames.back()->displayImageOnLoad = false;
            frames.back()->load(frameFiles()[i], nullptr);
            frames.back()->energy = 7000 + 2.5 * i;
        }
    }
    return frames;
}

// Box centres on a grid over the whole frame, edges included.
void BM_BoxSum(benchmark::State &state)
{
    const int half = int(state.range(0));
    TiffData *t = stack()[0].get();
    double total = 0;
    int64_t boxes = 0;
    for (auto _ : state) {
        for (int y = -half; y < FrameSide + half; y += 37)
            for (int x = -half; x < FrameSide + half; x += 31) {
                total += t->boxSum(x, y, half, half);
                boxes++;
            }
    }
    benchmark::DoNotOptimize(total);
    state.SetItemsProcessed(boxes);
    state.counters["pixels/s"] = benchmark::Counter(double(boxes) * (2 * half + 1) * (2 * half + 1),
                                                    benchmark::Counter::kIsRate);
}

void BM_BoxSumAtEnergy(benchmark::State &state)
{
    const int half = int(state.range(0));
    QVector<TiffData *> frames;
    for (auto &f : stack())
        frames << f.get();
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> energy(6990, 7060);
    std::uniform_int_distribution<int> pos(0, FrameSide - 1);
    double total = 0;
    for (auto _ : state)
        total += boxSumAtEnergy(frames, energy(rng), pos(rng), pos(rng), half, half);
    benchmark::DoNotOptimize(total);
    state.SetItemsProcessed(state.iterations());
}

// The spectra of rows of 32 boxes over a 256 x 256 stack of 151 frames, as an
// area run builds them; range(0) the half box size, range(1) 1 with an I0
// stack at the same energies. per_block: the time of one box's spectrum.
void BM_RowSpectra(benchmark::State &state)
{
    const int side = 256, energies = 151, half = int(state.range(0));
    std::vector<std::unique_ptr<TiffData>> own;
    SpectrumSource source;
    source.width = source.height = side;
    for (int i = 0; i < energies; i++) {
        own.emplace_back(memoryFrame(QString("f%1").arg(i), side, [i](int x, int y) {
            return 20000 * std::exp(-0.3 - 0.001 * (x + y) - (i > 70 ? 0.5 : 0.0));
        }));
        own.back()->energy = 7000 + 2 * i;
        source.i1 << own.back().get();
        if (state.range(1)) {
            own.emplace_back(memoryFrame(QString("i0_%1").arg(i), side,
                                         [](int x, int) { return 20000.0 + x % 7; }));
            own.back()->energy = 7000 + 2 * i;
            source.i0ByEnergy << own.back().get();
        }
    }
    source.useI0 = state.range(1) != 0;
    source.prepare();
    const int count = 32;
    std::vector<int> xs(count);
    std::vector<Spectrum> out(count);
    SpectrumSource::Sums sums;
    int64_t boxes = 0;
    for (auto _ : state) {
        for (int y = 0; y < side; y++) {
            for (int x0 = 0; x0 < side; x0 += count) {
                for (int k = 0; k < count; k++)
                    xs[size_t(k)] = x0 + k;
                source.rowSpectra(xs.data(), count, y, half, half, out.data(), sums);
                boxes += count;
            }
        }
    }
    benchmark::DoNotOptimize(out.data());
    state.counters["per_block"] = benchmark::Counter(double(boxes), benchmark::Counter::kIsRate
                                                                      | benchmark::Counter::kInvert);
}

BENCHMARK(BM_LoadTiff)->Arg(1)->Arg(QThread::idealThreadCount())->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadStack_NoDisplayImage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadStack_WithDisplayImage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainLibtiff_Reused_r)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainLibtiff_Reused_rmc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainLibtiff_Kept_r)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainLibtiff_Kept_rmc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MakeImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BoxSum)->Arg(0)->Arg(2)->Arg(10);
BENCHMARK(BM_BoxSumAtEnergy)->Arg(0)->Arg(2)->Arg(10);
BENCHMARK(BM_RowSpectra)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tuneAllocator();  // as the program does at start
    initGlobals();
    QGuiApplication app(argc, argv);
    qRegisterMetaType<TiffData *>("TiffData*");
    qRegisterMetaType<EX_CMD_ID>("EX_CMD_ID");
    // Frames are coloured through the default grey scale, as in the program.
    QTemporaryDir dir;
    folder = &dir;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    stackFrames.clear();
    return 0;
}
