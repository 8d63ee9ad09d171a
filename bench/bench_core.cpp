#include <benchmark/benchmark.h>

#include "core/globals.h"

#include "core/linalg.h"
#include "core/spectrum.h"
#include "core/xafsspectrum.h"

#include <cmath>

namespace {

// An atan edge at 8985 eV over 8850..9250 eV with a small deterministic ripple.
Spectrum edgeSpectrum(int n)
{
    Spectrum s;
    s.points.reserve(n);
    const double step = 400.0 / (n - 1);
    for (int i = 0; i < n; i++) {
        const double e = 8850.0 + i * step;
        s.addPoint(e, 1.0 - 0.001 * (e - 8850) + std::atan((e - 8985) / 2) / M_PI -
                          0.0005 * std::max(0.0, e - 8985) + 0.002 * std::sin(i * 1.7));
    }
    return s;
}

void normalizeBench(benchmark::State &state, int mode)
{
    const Spectrum s = edgeSpectrum(int(state.range(0)));
    for (auto _ : state) {
        XafsSpectrum x(s, "bench", mode);
        benchmark::DoNotOptimize(x.midx);
        benchmark::DoNotOptimize(x.dMut);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_NormalizeStraight(benchmark::State &state)
{
    normalizeBench(state, 1);
}
BENCHMARK(BM_NormalizeStraight)->Arg(400)->Arg(2000)->Unit(benchmark::kMicrosecond);

void BM_NormalizeVictoreen(benchmark::State &state)
{
    normalizeBench(state, 0);
}
BENCHMARK(BM_NormalizeVictoreen)->Arg(400)->Arg(2000)->Unit(benchmark::kMicrosecond);

void BM_SpectrumY(benchmark::State &state)
{
    const Spectrum s = edgeSpectrum(int(state.range(0)));
    double e = 8850.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.y(e));
        e += 0.37;
        if (e > 9250.0)
            e = 8850.0;
    }
}
BENCHMARK(BM_SpectrumY)->Arg(400)->Arg(2000);

void BM_LinAlgSolve12(benchmark::State &state)
{
    const int n = 12;
    LinAlg la;
    double **a = la.newMatrix(n);
    double b[n], x[n];
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < n; j++)
            a[i][j] = std::sin(1.0 + i * 7 + j * 3) + (i == j ? 4.0 : 0.0);
        b[i] = i - 5.5;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(la.solve(n, a, b, x));
        benchmark::ClobberMemory();
    }
    la.deleteMatrix(n, a);
}
BENCHMARK(BM_LinAlgSolve12);

} // namespace

int main(int argc, char **argv)
{
    tuneAllocator();  // as the program does at start
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
