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

namespace {

const int Side = 1024;
const int I1Count = 200;
const int I0Count = 20;

Body *body = nullptr;
QTemporaryDir *folder = nullptr;

// A frame held in memory as the ".img" reader holds it.
TiffData *memoryFrame(const QString &name, const std::function<double(int, int)> &value)
{
    auto *t = new TiffData;
    t->fileName = name;
    t->width = Side;
    t->height = Side;
    t->pixelType = TiffData::PixelImg16;
    t->exposureMs = 100;
    t->displayImageOnLoad = false;
    for (int y = 0; y < Side; y++) {
        auto *row = new quint16[Side];
        for (int x = 0; x < Side; x++)
            row[x] = quint16(qBound(0.0, value(x, y), 65535.0));
        t->rows.append(row);
    }
    t->min = 0;
    t->max = 65535;
    return t;
}

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
        body->loadedI1(memoryFrame(QString("i1_%1").arg(i),
                                   [&](int x, int y) { return level + (x + y) % 50 + noise(rng); }),
                       i);
    }
    useEnergies(body->i0Panel(), 8870, 12.0);
    for (int i = 0; i < I0Count; i++)
        body->loadedI0(memoryFrame(QString("i0_%1").arg(i),
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
