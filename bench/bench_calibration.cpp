// One block of the energy-shift calibration: the block's spectrum from box
// sums over the stack, its normalisation and the shift against the standard.
//
//   bench_calibration [--benchmark_filter=...]
//
// The stack is 101 frames of 256 x 256 16-bit pixels in memory (8900 to
// 9100 eV in steps of 2 eV, an edge at 9000 eV, 3 eV higher on the right
// half). The argument is the block's half size: 0 is a one-pixel block, 64 a
// block of 129 x 129 pixels, the nearest odd size to 128 x 128.

#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <vector>

#include "calibration/blockshift.h"
#include "calibration/empfile.h"
#include "core/globals.h"
#include "imagedata/analyzed2dres.h"
#include "imagedata/tiffdata.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

const int Side = 256;
const int FrameCount = 101;

double energyOf(int i) { return 8900.0 + 2.0 * i; }
double mu(double e, double shift) { return 0.8 + 0.5 * std::tanh((e - 9000.0 - shift) / 4.0); }

struct Stack
{
    Stack()
    {
        for (int i = 0; i < FrameCount; i++) {
            auto *t = new TiffData;
            t->width = Side;
            t->height = Side;
            t->pixelType = TiffData::PixelImg16;
            t->energy = energyOf(i);
            for (int y = 0; y < Side; y++) {
                auto *row = new quint16[Side];
                for (int x = 0; x < Side; x++) {
                    const double noise = ((x * 7 + y * 13 + i * 3) % 11 - 5) * 4.0;
                    row[x] = quint16(std::lround(60000 * std::exp(-mu(t->energy, x >= Side / 2 ? 3 : 0)) + noise));
                }
                t->rows.append(row);
            }
            frames.emplace_back(t);
        }
        Spectrum s;
        for (int i = 0; i < FrameCount; i++)
            s.addPoint(energyOf(i), mu(energyOf(i), 0));
        standard = XafsSpectrum(s, "std", 1);
    }

    // ln(I0 / I1) of the box with I0 the pixel count, as without I0 frames.
    Spectrum blockSpectrum(int x, int y, int half) const
    {
        Spectrum sp;
        const double n = double(2 * half + 1) * double(2 * half + 1);
        for (const auto &f : frames) {
            const double i1 = f->boxSum(x, y, half, half);
            sp.addPoint(f->energy, i1 > 0 ? std::log(n / i1) : 1.0);
        }
        return sp;
    }

    std::vector<std::unique_ptr<TiffData>> frames;
    XafsSpectrum standard;
};

Stack &stack()
{
    static Stack s;
    return s;
}

// One block per iteration, walking the image side by side.
void blockBench(benchmark::State &state, bool inner)
{
    const Stack &s = stack();
    const int half = int(state.range(0));
    const int step = 2 * half + 1;
    BlockShift method;
    method.innerProduct = inner;
    int x = half, y = half;
    for (auto _ : state) {
        const double dE = method.shiftOf(s.blockSpectrum(x, y, half), s.standard, SuggestElm());
        benchmark::DoNotOptimize(dE);
        x += step;
        if (x >= Side) {
            x = half;
            y = y + step >= Side ? half : y + step;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_CalibBlockInnerProduct(benchmark::State &state) { blockBench(state, true); }
void BM_CalibBlockDMidx(benchmark::State &state) { blockBench(state, false); }

// The parts of a block apart: the spectrum alone, and the search alone.
void BM_CalibBlockSpectrumOnly(benchmark::State &state)
{
    const Stack &s = stack();
    const int half = int(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(s.blockSpectrum(Side / 2, Side / 2, half));
}

void BM_CalibInnerProductSearchOnly(benchmark::State &state)
{
    const Stack &s = stack();
    BlockShift method;
    const XafsSpectrum target = method.target(s.blockSpectrum(Side - 20, 20, 0), SuggestElm());
    for (auto _ : state)
        benchmark::DoNotOptimize(target.bestShift(s.standard, 20, 1, 0.1));
}

// Writing and reading a 1024 x 1024 map file.
void BM_EmpWriteRead1024(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/bench.emp";
    Analyzed2DRes map("bench");
    AnalyzeCond a;
    a.init(1024, 1024, 0, 0, QRectF(0, 0, 1024, 1024), -1, -1);
    map.setArea(a);
    for (int y = 0; y < 1024; y++)
        for (int x = 0; x < 1024; x++)
            map.setData(x, y, 0, 0, (x - y) * 0.01);
    EMPHeader h;
    h.width = h.height = h.areaX1 = h.areaY1 = 1024;
    h.stdEdgeEnergy = 9000;
    h.spacing = 3.1355316;
    for (auto _ : state) {
        if (!EmpFile::write(path, h, "std.dat", map))
            state.SkipWithError("write failed");
        QFile f(path);
        f.open(QIODevice::ReadOnly | QIODevice::Text);
        QTextStream in(&f);
        const EMPHeader back = EmpFile::readHeader(in);
        std::unique_ptr<double[]> shifts;
        QString why;
        if (!EmpFile::readShifts(in, back, back.stdEdgeEnergy, shifts, &why))
            state.SkipWithError("read failed");
    }
}

} // namespace

BENCHMARK(BM_CalibBlockInnerProduct)->Arg(0)->Arg(8)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalibBlockDMidx)->Arg(0)->Arg(8)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalibBlockSpectrumOnly)->Arg(0)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalibInnerProductSearchOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EmpWriteRead1024)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
