// The spectrum under the pointer in the main window.
//
//   bench_mainwindow [--benchmark_filter=...]
//
// The main window holds 200 I1 frames of 1024 x 1024 16-bit pixels (an
// absorption step at 8980 eV with noise), 20 I0 frames, a dark frame and a
// box of 5 x 5 pixels. The pointer moves along a path over the image; the
// figure is the time from the pointer position to the spectrum handed on to
// the spectrum view and the analysis window (painting is not included).

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <random>

#include "analysis/analysisrequest.h"
#include "analysis/analyzeproc.h"
#include "analysis/fitanswer.h"
#include "analysis/ui/analyzer.h"
#include "batch/batchcmdtables.h"
#include "core/globals.h"
#include "core/physicaltables.h"
#include "display/imgdispa.h"
#include "imagedata/analyzecond.h"
#include "imagedata/errpoints.h"
#include "imagedata/tiffdata.h"
#include "imagedata/tiffwriter.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "benchframes.h"

namespace {

const int Side = 1024;
const int I1Count = 200;
const int I0Count = 20;

Body *body = nullptr;
QTemporaryDir *folder = nullptr;


void useEnergies(SelectDataFiles *panel, double start, double delta)
{
    panel->setEngByCalc(true);
    panel->setDispUnit(0);
    panel->setEvenInEng(true);
    panel->setEngCalcStart(start);
    panel->setEngCalcDelta(delta);
}

void setUp()
{
    body = new Body;
    std::mt19937 rng(11);
    std::normal_distribution<double> noise(0, 30);
    useEnergies(body->i1Panel(), 8880, 1.0);
    for (int i = 0; i < I1Count; i++) {
        const double e = 8880 + i;
        const double mu = 0.5 + 1.0 / (1.0 + std::exp(-(e - 8980) / 2.0)) - 1e-4 * (e - 8880);
        const double level = 20000 * std::exp(-mu);
        body->loadedI1(memoryFrame(QString("i1_%1").arg(i), Side,
                                   [&](int x, int y) { return level + (x + y) % 50 + noise(rng); }),
                       i);
    }
    useEnergies(body->i0Panel(), 8870, 12.0);
    for (int i = 0; i < I0Count; i++)
        body->loadedI0(memoryFrame(QString("i0_%1").arg(i), Side,
                                   [&](int x, int) { return 20000 + x % 30 + noise(rng); }),
                       i);
    body->finishedLoadI1Files();
    body->finishedLoadI0Files();

    folder = new QTemporaryDir;
    const QString dark = folder->path() + "/dark.tif";
    std::vector<quint16> px(size_t(Side) * Side, 100);
    TiffWriter().writeTiff(dark, Side, Side, px.data());
    body->selectedDark(dark);
    body->findChild<QLineEdit *>("HWidth")->setText("2");
    body->findChild<QLineEdit *>("VWidth")->setText("2");
    body->analysisWindow()->selectAnalysisMode(5);
    QCoreApplication::processEvents();
}

// Points of a pointer path across the image.
QPointF pathPoint(int64_t k)
{
    return QPointF(100 + (k * 7) % 800, 200 + (k * 3) % 600);
}

// The main window's slot for a pointer position: the spectrum of the box,
// normalised, into the spectrum view and on to the analysis window (the
// worker's queue takes the latest spectrum only).
void BM_PointerSpectrum(benchmark::State &state)
{
    int64_t k = 0;
    for (auto _ : state) {
        const QPointF p = pathPoint(k++);
        body->showXafsSpectrum(p.x(), p.y());
    }
    QCoreApplication::processEvents();
}
BENCHMARK(BM_PointerSpectrum)->Unit(benchmark::kMicrosecond);

// The same with the event loop turning after every move, as between real
// mouse events: the repaints of the spectrum views, the hand-over to the
// analysis worker and its answers are included.
void BM_PointerSpectrumAndRepaint(benchmark::State &state)
{
    int64_t k = 0;
    for (auto _ : state) {
        const QPointF p = pathPoint(k++);
        body->showXafsSpectrum(p.x(), p.y());
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}
BENCHMARK(BM_PointerSpectrumAndRepaint)->Unit(benchmark::kMicrosecond);

// The corrected spectrum of the box alone.
void BM_SpectrumAtPoint(benchmark::State &state)
{
    int64_t k = 0;
    for (auto _ : state) {
        const QPointF p = pathPoint(k++);
        benchmark::DoNotOptimize(body->spectrumAtPoint(int(p.x()), int(p.y()), 2, 2));
    }
}
BENCHMARK(BM_SpectrumAtPoint)->Unit(benchmark::kMicrosecond);

// A mouse-move event on the image view: the pointer spectrum together with
// the read-outs and profiles the main window updates on every move.
void BM_MouseMoveEvent(benchmark::State &state)
{
    ImgDispA *view = body->imageView();
    view->resize(Side, Side);
    view->resetImageViewWindow();
    int64_t k = 0;
    for (auto _ : state) {
        const QPointF p = pathPoint(k++);
        QMouseEvent move(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &move);
    }
    QCoreApplication::processEvents();
}
BENCHMARK(BM_MouseMoveEvent)->Unit(benchmark::kMicrosecond);

// -- residual absorption and Fourier diagnostic

// Blocks of one pixel over a side x side area at (100, 100) while it lives;
// then the 5 x 5 box and no selected area again.
struct SinglePixelArea
{
    explicit SinglePixelArea(int side)
    {
        body->findChild<QLineEdit *>("HWidth")->setText("0");
        body->findChild<QLineEdit *>("VWidth")->setText("0");
        body->imageView()->setSelectedArea(100, 100, 100 + side, 100 + side);
    }
    ~SinglePixelArea()
    {
        body->findChild<QLineEdit *>("HWidth")->setText("2");
        body->findChild<QLineEdit *>("VWidth")->setText("2");
        body->imageView()->areaValid = false;
    }
};

// The residual-absorption maps of 512 x 512 blocks: a normalised spectrum of
// 200 frames per block, and the ratio over the whole 1024 x 1024 map.
void BM_ResidualAbsorption512(benchmark::State &state)
{
    SinglePixelArea area(512);
    for (auto _ : state)
        body->startRA2DAnalysis();
}
BENCHMARK(BM_ResidualAbsorption512)->Unit(benchmark::kMillisecond)->Iterations(1);

// The Fourier sums of 256 x 256 blocks for all 200 indexes in one pass: one
// raw spectrum and one transform per block.
void BM_FourierOnePass256(benchmark::State &state)
{
    SinglePixelArea area(256);
    AnalyzeCond cond;
    if (!body->askAnalyzeCond(cond)) {
        state.SkipWithError("no analysis area");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(body->fourierSums(cond));
}
BENCHMARK(BM_FourierOnePass256)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same read one index per pass over the area (a raw spectrum and a
// transform per block and index), indexes 0, 1, ... one per iteration: the
// time is per index, so 200 times it is the whole reading. Every index read
// must equal the one-pass sums to the last bit.
void BM_FourierPassPerIndex256(benchmark::State &state)
{
    SinglePixelArea area(256);
    AnalyzeCond cond;
    if (!body->askAnalyzeCond(cond)) {
        state.SkipWithError("no analysis area");
        return;
    }
    const Body::FourierSums onePass = body->fourierSums(cond);
    const QVector<TiffData *> &frames = body->i1Stack();
    const int n = frames.size();
    Fft1D fft;
    fft.setSize(n);
    int k = 0;
    bool same = true;
    for (auto _ : state) {
        AnalyzeCond w = cond;
        w.reset();
        double aa = 0, bb = 0, ab = 0;
        do {
            const double a = frames[0]->boxSum(w.x, w.y, w.halfW, w.halfH);
            fft.setSize(n);
            fft.forward(body->rawSpectrumAtPoint(w.x, w.y, w.halfW, w.halfH));
            const double b = fft.magnitude()[k];
            aa += a * a;
            bb += b * b;
            ab += a * b;
        } while (w.next());
        same = same && aa == onePass.aa && bb == onePass.bb[k] && ab == onePass.ab[k];
        k = (k + 1) % n;
    }
    if (!same)
        state.SkipWithError("the one-pass sums differ from the pass-per-index reading");
}
BENCHMARK(BM_FourierPassPerIndex256)->Unit(benchmark::kMillisecond)->Iterations(8);

// -- area runs

// A main window of its own: 100 frames of 256 x 256 16-bit pixels from 7000
// eV in 4 eV steps, each pixel a mixture of four references (edges at 7110,
// 7114, 7118 and 7122 eV with their own wiggles) in proportions that vary
// over the image; the four references in the four reference rows.
Body *newLcfAreaBody()
{
    auto *b = new Body;
    const int side = 256, count = 100;
    auto ref = [](int k, double e) {
        const double edge = 7110 + 4 * k;
        const double wiggle = e > edge ? 0.05 * std::sin((e - edge) / (12.0 + 3 * k)) : 0.0;
        return 1.0 / (1.0 + std::exp(-(e - edge) / (2.0 + k))) + wiggle;
    };
    for (int k = 0; k < 4; k++) {
        QString text;
        for (int i = 0; i < 300; i++)
            text += QString("%1 %2\n").arg(6950 + 2 * i).arg(0.2 + ref(k, 6950 + 2 * i), 0, 'g', 10);
        const QString name = folder->path() + QString("/ref%1.dat").arg(k);
        QFile f(name);
        f.open(QIODevice::WriteOnly);
        f.write(text.toLatin1());
        f.close();
        b->analysisWindow()->setLCFStd(k, true, 0, name, "0");
    }
    useEnergies(b->i1Panel(), 7000, 4.0);
    for (int i = 0; i < count; i++) {
        const double e = 7000 + 4 * i;
        TiffData *t = memoryFrame(QString("area_%1").arg(i), side, [&](int x, int y) {
            const double u = x / 255.0, v = y / 255.0;
            const double mu = 0.3 + 0.8 * ((1 - u) * (1 - v) * ref(0, e) + u * (1 - v) * ref(1, e)
                                           + (1 - u) * v * ref(2, e) + u * v * ref(3, e));
            return 20000 * std::exp(-mu);
        });
        b->loadedI1(t, i);
    }
    b->finishedLoadI1Files();
    b->findChild<QLineEdit *>("HWidth")->setText("0");
    b->findChild<QLineEdit *>("VWidth")->setText("0");
    b->imageView()->setSelectedArea(0, 0, side, side);
    QCoreApplication::processEvents();
    return b;
}

// The LCF area run over the 65536 one-pixel blocks of that window, from the
// start to its completion: per block the spectrum, its normalisation, the
// fit in the worker, the round trip and the recording. per_block is the time
// of one block.
void BM_LcfAreaRun256(benchmark::State &state)
{
    const std::unique_ptr<Body> b(newLcfAreaBody());
    bool done = false;
    const QMetaObject::Connection c = QObject::connect(b.get(), &Body::finishBatchExec, [&](int id) {
        done = done || id == EX_analyzer_exec_LCF;
    });
    for (auto _ : state) {
        done = false;
        b->start2DAnalysis();
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QObject::disconnect(c);
    if (b->areaBlocksSkipped() + b->areaAnswersDropped() > 0)
        state.SkipWithError("blocks were skipped or answers dropped");
    state.counters["per_block"] = benchmark::Counter(
        256.0 * 256.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LcfAreaRun256)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tuneAllocator();
    initGlobals();
    initBatchCmdTables();
    loadVictoreenTable();
    QApplication app(argc, argv);
    qRegisterMetaType<AnalysisRequest>("AnalysisRequest");
    qRegisterMetaType<FitAnswer>("FitAnswer");
    qRegisterMetaType<AnalyzeCond>("AnalyzeCond");
    qRegisterMetaType<ErrPoints *>("ErrPoints*");
    qRegisterMetaType<ColorScale>("ColorScale");
    qRegisterMetaType<const AElemsConds *>("const AElemsConds*");
    qRegisterMetaType<QVector<double> *>("QVector<double>*");
    setUp();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete body;
    delete folder;
    return 0;
}
