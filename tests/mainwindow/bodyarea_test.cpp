// The area runs through the real main and analysis windows, over a stack
// mixed from the two measured iron spectra with a known fraction gradient.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

#include "analysis/elemanalysis.h"
#include "calibration/blockshift.h"
#include "calibration/ui/calibctrl.h"
#include "analysis/ui/aelemsconds.h"
#include "analysis/ui/analyzer.h"
#include "analysis/ui/elemctrl.h"
#include "analysis/ui/lcfreference.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

const int W = 12, H = 4, N = 100;
const double E0 = 6920, DE = 11.6;
double fraction(int x) { return x / double(W - 1); }

class BodyArea : public ::testing::Test
{
protected:
    Body body;
    Analyzer *an = body.analysisWindow();
    TestFiles files;
    DebugCapture log;

    // The measured spectra resampled at the frames' energies are the rows'
    // references A, B; frame i holds exp(-mu-t), mu-t = 0.2 + 0.8 (f A / JA
    // + (1 - f) B / JB) with f = fraction(x) and J the rows' edge jumps.
    void SetUp() override
    {
        qRegisterMetaType<ElemsAnswer>("ElemsAnswer");
        QVector<double> raw[2];
        for (int k = 0; k < 2; k++) {
            const QString text =
                resampledSpectrum(k ? "spectra/feo_rt1.dat" : "spectra/fe2o3_rt1.dat", E0, DE, N, raw[k]);
            ASSERT_FALSE(text.isEmpty());
            an->setLCFStd(k, true, 0, files.writeText(QString("ref%1.dat").arg(k), text), "0");
        }
        const double ja = an->refs[0]->dMut, jb = an->refs[1]->dMut;
        SelectDataFiles *p = body.i1Panel();
        p->setEngByCalc(true);
        p->setDispUnit(0);
        p->setEvenInEng(true);
        p->setEngCalcStart(E0);
        p->setEngCalcDelta(DE);
        for (int i = 0; i < N; i++) {
            TiffData *t = ImageFixtures::floatFrame(W, H, [&](int x, int) {
                const double f = fraction(x);
                return float(std::exp(-(0.2 + 0.8 * (f * raw[0][i] / ja + (1 - f) * raw[1][i] / jb))));
            });
            t->fileName = QString("f%1").arg(i);
            body.loadedI1(t, i);
        }
        body.finishedLoadI1Files();
        ASSERT_DOUBLE_EQ(body.i1Stack().last()->energy, E0 + (N - 1) * DE);
        halves(0);
    }
    void halves(int hw)
    {
        body.findChild<QLineEdit *>("HWidth")->setText(QString::number(hw));
        body.findChild<QLineEdit *>("VWidth")->setText("0");
    }
    // Starts a run over the area and waits for its end; the completions sent.
    QList<int> run(void (Body::*start)(), int x0, int y0, int x1, int y1)
    {
        body.imageView()->setSelectedArea(x0, y0, x1, y1);
        QSignalSpy done(&body, &Body::finishBatchExec);
        (body.*start)();
        EXPECT_TRUE(waitFor([&] { return !body.isAnalyzing(); }));
        QList<int> ids;
        for (const QList<QVariant> &args : done)
            ids << args[0].toInt();
        return ids;
    }
    Analyzed2DRes *rowMap(int row, int layer) { return an->refs[row]->maps[layer]; }
};

TEST_F(BodyArea, FitRunFindsTheFractionGradient)
{
    EXPECT_EQ(run(&Body::start2DAnalysis, 1, 0, W, H), QList<int>{EX_analyzer_exec_LCF});
    EXPECT_EQ(an->findChild<QLabel *>("Progress")->text(), "100.00");
    EXPECT_TRUE(log.contains("2da 1:") && log.contains("2da 2:") && log.contains("2da 3:"));
    EXPECT_EQ(body.areaBlocksSkipped() + body.areaAnswersDropped(), 0);
    const int n = an->refs.size();
    EXPECT_EQ(rowMap(1, 1)->no, 1 + n);
    EXPECT_EQ(an->dEdgeMap.no, 2 * n + 1);
    for (int y = 0; y < H; y++) {
        // Column 0 lies outside the area; rows 2 and 3 are not in use.
        EXPECT_EQ(rowMap(0, 1)->value(0, y), 0.0);
        for (int x = 1; x < W; x++) {
            EXPECT_NEAR(rowMap(0, 1)->value(x, y), fraction(x), 0.02) << x << "," << y;
            EXPECT_NEAR(rowMap(1, 1)->value(x, y), 1 - fraction(x), 0.02) << x << "," << y;
            EXPECT_NEAR(rowMap(0, 0)->value(x, y), 0.8 * fraction(x), 0.04) << x << "," << y;
            EXPECT_EQ(rowMap(2, 1)->value(x, y) + rowMap(3, 0)->value(x, y), 0.0);
        }
    }
}

// A stop ends a run with its completion; the answer still on its way is
// recorded neither by it nor by the run started next, where it would put the
// fraction of x = 11 at x = 0.
TEST_F(BodyArea, StopAndRestartRecordOnlyTheirOwnAnswers)
{
    QSignalSpy done(&body, &Body::finishBatchExec);
    body.imageView()->setSelectedArea(W - 1, 0, W, 1);
    body.start2DAnalysis();
    body.start2DAnalysis();
    EXPECT_FALSE(body.isAnalyzing());
    EXPECT_TRUE(log.contains("2da 4:"));
    EXPECT_EQ(run(&Body::start2DAnalysis, 0, 0, 1, 1), QList<int>{EX_analyzer_exec_LCF});
    EXPECT_NEAR(rowMap(0, 1)->value(0, 0), 0.0, 0.02);
    EXPECT_EQ(rowMap(0, 1)->value(W - 1, 0), 0.0);

    // Stopped by the element start once the first row of three is recorded.
    int chunks = 0;
    const QMetaObject::Connection c = QObject::connect(
        body.areaRunEngine(), &AreaEngine::chunkReady, &body, [&] {
            if (++chunks == 1)
                body.startElems2DAnalysis();
        });
    run(&Body::start2DAnalysis, 0, 0, W, 3);
    QObject::disconnect(c);
    QTest::qWait(200);
    EXPECT_EQ(chunks, 1);
    EXPECT_NEAR(rowMap(1, 1)->value(0, 0), 1.0, 0.02);
    EXPECT_EQ(rowMap(1, 1)->value(0, 1), 0.0);
    EXPECT_EQ(rowMap(1, 1)->value(W - 1, 2), 0.0);
    ASSERT_EQ(done.count(), 3);
    EXPECT_EQ(done[0][0].toInt() + done[2][0].toInt(), 2 * EX_analyzer_exec_LCF);
}

// A run works from what the window held at its start: a change made while
// it goes reaches the next run, not the blocks of this one.
TEST_F(BodyArea, InputsChangedDuringARunReachTheNextRun)
{
    auto *fluo = body.findChild<QCheckBox *>("FluoType");
    run(&Body::start2DAnalysis, 0, 0, 2, 2);
    const double transmission = rowMap(0, 1)->value(1, 1);
    fluo->setChecked(true);
    run(&Body::start2DAnalysis, 0, 0, 2, 2);
    const double fluorescence = rowMap(0, 1)->value(1, 1);
    ASSERT_NE(fluorescence, transmission);

    fluo->setChecked(false);
    const QMetaObject::Connection c = QObject::connect(
        body.areaRunEngine(), &AreaEngine::chunkReady, &body, [&] { fluo->setChecked(true); });
    run(&Body::start2DAnalysis, 0, 0, 2, 2);
    QObject::disconnect(c);
    EXPECT_EQ(rowMap(0, 1)->value(1, 1), transmission);
    run(&Body::start2DAnalysis, 0, 0, 2, 2);
    EXPECT_EQ(rowMap(0, 1)->value(1, 1), fluorescence);
}

TEST_F(BodyArea, RunsThatCannotAnalyseEndWithOneCompletion)
{
    QSignalSpy asked(an, &Analyzer::sendRequest);
    halves(2);   // centres at x = 12, off the image: their boxes take columns 10 and 11
    EXPECT_EQ(run(&Body::start2DAnalysis, 10, 0, W, H), QList<int>{EX_analyzer_exec_LCF});
    EXPECT_EQ(body.areaBlocksSkipped(), 0);
    EXPECT_NEAR(rowMap(0, 1)->value(11, 0), fraction(11), 0.05);
    halves(0);
    const QVector<LCFReference *> rows = an->refs;
    an->refs.resize(1);
    EXPECT_EQ(run(&Body::start2DAnalysis, 0, 0, 3, 1), QList<int>{EX_analyzer_exec_LCF});
    an->refs = rows;
    an->findChild<QCheckBox *>("SelMLCFAnal")->setChecked(false);
    EXPECT_EQ(run(&Body::start2DAnalysis, 0, 0, 3, 1), QList<int>{EX_analyzer_exec_LCF});
    EXPECT_EQ(run(&Body::startElems2DAnalysis, 0, 0, 3, 1), QList<int>{EX_analyzer_exec_elems});
    EXPECT_EQ(body.areaBlocksSkipped(), 3);
    EXPECT_EQ(asked.count(), 0);

    Body empty;
    QSignalSpy done(&empty, &Body::finishBatchExec);
    empty.start2DAnalysis();
    empty.startElems2DAnalysis();
    EXPECT_EQ(done.count(), 2);
}

TEST_F(BodyArea, ElementRunRecordsEachRowsResults)
{
    an->selectAnalysisMode(2);
    an->setTargetElements("Fe Cu");
    ASSERT_EQ(an->elems.size(), 2);
    EXPECT_EQ(run(&Body::startElems2DAnalysis, 0, 0, W, 2), QList<int>{EX_analyzer_exec_elems});
    EXPECT_EQ(body.areaAnswersDropped(), 0);
    EXPECT_EQ(an->elemsCorThMap.no, 2 * ElemCtrl::MapKinds + 1);
    const QVector<ElemRowData> rows{an->elems[0]->snapshot(), an->elems[1]->snapshot()};
    for (int y = 0; y < 2; y++) {
        for (int x = 0; x < W; x++) {
            const XafsSpectrum s(body.spectrumAtPoint(x, y, 0, 0), "Body-AaP", 1, 0, body.getSuggestElm());
            const ElemsAnswer a = ElemAnalysis::analyze(s, rows, an->elemsConds()->snapshot(), 0);
            const QVector<double> *v[] = {&a.dMut, &a.dMutRatio, &a.muPlus, &a.muMinus, &a.dE, &a.roi, &a.nroi};
            for (int kind = 0; kind < ElemCtrl::MapKinds; kind++)
                for (int j = 0; j < 2; j++)
                    EXPECT_DOUBLE_EQ(an->elems[j]->map(kind)->value(x, y), (*v[kind])[j]) << kind << j;
            const double cor = an->elemsCorMap.value(x, y);
            EXPECT_EQ(an->elemsCorThMap.value(x, y), cor < an->corTh ? 0.0 : cor);
        }
    }
}

} // namespace

namespace {

// Every kind of area run against the single-spectrum path, block by block and
// bit for bit: one-pixel blocks over the image, 3 x 3 blocks over an area
// that runs off the image's right and lower edges. The fits also with the
// edge found by a search against a step, with Victoreen lines, and with an
// energy-shift map made first, which gives the blocks energies of their own.
enum class Kind { Lcf, LcfOld, Mlcf, Elems, Residual, CalibMidx, CalibInner };
struct Case
{
    Kind kind;
    int half;
    int x0, y0;
    bool search = false;
    bool victoreen = false;
    bool shifted = false;
};

class BodyAreaEqual : public BodyArea, public ::testing::WithParamInterface<Case>
{
protected:
    // The analysis worker's answer to one spectrum, sent as a point spectrum is.
    void singleFit(XafsSpectrum s, FitAnswer *fit, double *edge)
    {
        QSignalSpy answered(an, &Analyzer::finished);
        an->analyzeSpectrum(s, s.suggest);
        ASSERT_TRUE(waitFor([&] { return answered.count() > 0; }));
        *fit = an->lastFitAnswer();
        *edge = an->lastDEdge();
    }
    ElemsAnswer singleElems(XafsSpectrum s, double *cor)
    {
        QSignalSpy answered(an, &Analyzer::analyzeElemsFinished);
        an->analyzeSpectrum(s, s.suggest);
        EXPECT_TRUE(waitFor([&] { return answered.count() > 0; }));
        *cor = an->correlation;
        return an->lastElemsAnswer();
    }
};

TEST_P(BodyAreaEqual, MapsEqualTheSingleSpectrumPath)
{
    const Case c = GetParam();
    halves(c.half);
    body.findChild<QLineEdit *>("VWidth")->setText(QString::number(c.half));
    an->selectAnalysisMode(5);   // the edge position beside the fit
    an->findChild<QCheckBox *>("AsOldLCF")->setChecked(c.kind == Kind::LcfOld);
    an->mlcfBox()->setChecked(c.kind == Kind::Mlcf);
    body.imageView()->setSelectedArea(c.x0, c.y0, W, H);
    const int rows = c.kind == Kind::Elems ? 4 : 0;
    if (c.kind == Kind::Elems) {
        // By atomic number: Mn, its edge below the stack; Fe; the Co row moved
        // onto the pre-edge, its region below mu- kept; the Cu row on the
        // edge with a negative threshold and not in use.
        an->selectAnalysisMode(2);
        an->setTargetElements("Fe Cu Mn Co");
        ASSERT_EQ(an->elems.size(), rows);
        const double ratios[] = {1.0, 0.25, 0.5, 2.0};
        for (int j = 0; j < rows; j++)
            an->elems[j]->setStdRatio(ratios[j]);
        an->elems[2]->setEdgeEnergy(7000);
        an->elems[2]->setThDMut(-1);
        an->elems[2]->setROI(7000, 7018);
        an->elems[2]->setNoNeg(false);
        an->elems[3]->setEdgeEnergy(7125.3);
        an->elems[3]->setPrePostDE(7.5);
        an->elems[3]->setROI(7115, 7121);
        an->elems[3]->setThDMut(-5);
        an->elems[3]->setUse(false);
        an->elems[1]->mainTargetButton()->setChecked(c.half > 0);
    }
    CalibCtrl *calib = body.calibrationWindow();
    if (c.kind == Kind::CalibMidx || c.kind == Kind::CalibInner) {
        calib->loadStd(files.path("ref1.dat"));
        calib->setCalibByInnerProduct(c.kind == Kind::CalibInner);
    }

    // Frames shifted by hand before the run, shifted again while it goes.
    auto shiftAll = [&](bool during) {
        for (int i = 0; i < N; i++)
            body.applyImgShift(body.i1Stack()[i], during ? 6 : i % 3 - 1, during ? 0 : i % 2);
    };
    shiftAll(false);
    if (c.search) {
        an->findChild<QRadioButton *>("DEdgeCompWith")->setChecked(true);
        an->findChild<QRadioButton *>("DEdgeCWStep")->setChecked(true);
    }
    if (c.victoreen)
        calib->findChild<QRadioButton *>("TargetBGVictreen")->setChecked(true);
    if (c.shifted) {
        calib->loadStd(files.path("ref1.dat"));
        body.execCalibration();
        ASSERT_TRUE(waitFor([&] { return !body.isCalibrating(); }));
        ASSERT_NE(body.energyShiftMap().value(c.x0 + 1, c.y0), body.energyShiftMap().value(W - 1, c.y0));
    }
    QSignalSpy done(&body, &Body::finishBatchExec);
    switch (c.kind) {
    case Kind::Elems: body.startElems2DAnalysis(); break;
    case Kind::Residual: body.startRA2DAnalysis(); break;
    case Kind::CalibMidx:
    case Kind::CalibInner: body.execCalibration(); break;
    default: body.start2DAnalysis(); break;
    }
    shiftAll(true);
    ASSERT_TRUE(waitFor([&] { return !body.isAnalyzing() && !body.isCalibrating(); }));
    const Spectrum late = body.spectrumAtPoint(W - 1, H - 1, c.half, c.half);
    shiftAll(false);
    ASSERT_NE(body.spectrumAtPoint(W - 1, H - 1, c.half, c.half).points, late.points);
    if (c.kind != Kind::Residual)
        EXPECT_EQ(done.count(), 1);
    EXPECT_EQ(body.areaAnswersDropped(), 0);

    const SuggestElm suggest = body.getSuggestElm();
    AnalyzeCond w;
    w.init(W, H, c.half, c.half, QRectF(c.x0, c.y0, W - c.x0, H - c.y0), -1, -1);
    int blocks = 0;
    unsigned seen = 0;
    do {
        const int x = w.x, y = w.y;
        if (!w.inside(x, y))
            continue;
        blocks++;
        const Spectrum raw = body.spectrumAtPoint(x, y, c.half, c.half);
        const double shift = c.shifted ? body.energyShiftMap().value(x, y) : 0.0;
        const XafsSpectrum s(raw, "Body-AaP", c.victoreen ? 0 : 1, shift, suggest);
        if (c.kind == Kind::Elems) {
            double cor = 0;
            const ElemsAnswer a = singleElems(s, &cor);
            const QVector<double> *v[] = {&a.dMut, &a.dMutRatio, &a.muPlus, &a.muMinus, &a.dE, &a.roi, &a.nroi};
            for (int kind = 0; kind < ElemCtrl::MapKinds; kind++)
                for (int j = 0; j < rows; j++)
                    EXPECT_EQ(an->elems[j]->map(kind)->value(x, y), (*v[kind])[j]) << kind << j;
            EXPECT_EQ(an->elemsCorMap.value(x, y), cor) << x << "," << y;
            // Every way a row can go, somewhere in the map.
            for (int j = 0; j < rows; j++)
                seen |= (a.res[j] > an->elems[j]->snapshot().thDMut ? 1 : 2) << 2 * j;
            seen |= (a.roi[2] < 0 ? 1 : 0) << 8;
        } else if (c.kind == Kind::Residual) {
            const XafsSpectrum r(raw, "Body-RaA", c.victoreen ? 0 : 1, 0, suggest);
            const double e = an->raEnergyEdit()->text().toDouble();
            const double dMut = r.post.valueAt(e) - r.pre.valueAt(e);
            EXPECT_EQ(an->dMutMap.value(x, y), dMut) << x << "," << y;
            EXPECT_EQ(an->restMap.value(x, y), r.pre.valueAt(e) - dMut) << x << "," << y;
        } else if (c.kind == Kind::CalibMidx || c.kind == Kind::CalibInner) {
            BlockShift m;
            m.innerProduct = calib->calibByInnerProduct();
            m.range = calib->searchRange();
            m.step = calib->searchStep();
            m.minStep = calib->minSearchStep();
            m.targetMode = c.victoreen ? 0 : 1;
            EXPECT_EQ(body.energyShiftMap().value(x, y), m.shiftOf(raw, *calib->standard(), suggest))
                << x << "," << y;
        } else {
            FitAnswer a;
            double edge = 0;
            singleFit(s, &a, &edge);
            ASSERT_EQ(a.fractions.size(), 2);
            for (int k = 0; k < 2; k++) {
                EXPECT_EQ(rowMap(k, 0)->value(x, y), a.amounts[k]) << x << "," << y;
                EXPECT_EQ(rowMap(k, 1)->value(x, y), a.fractions[k]) << x << "," << y;
            }
            // The residual of the block's own fit, not of the rows' fractions.
            EXPECT_EQ(an->zansaMap.value(x, y), a.zansa) << x << "," << y;
            EXPECT_EQ(an->dEdgeMap.value(x, y), edge) << x << "," << y;
        }
    } while (w.next());
    EXPECT_GE(blocks, 3);
    if (c.kind == Kind::Elems)
        EXPECT_EQ(seen & 0x156u, 0x156u);   // Mn below its threshold, the others measured, a negative region
}

INSTANTIATE_TEST_SUITE_P(
    Runs, BodyAreaEqual,
    ::testing::Values(Case{Kind::Lcf, 0, 0, 0}, Case{Kind::Lcf, 1, 4, 2}, Case{Kind::LcfOld, 0, 0, 0},
                      Case{Kind::Mlcf, 1, 4, 2}, Case{Kind::Lcf, 0, 0, 0, true, false, true},
                      Case{Kind::Mlcf, 0, 0, 0, false, true, true},
                      Case{Kind::LcfOld, 1, 4, 2, true, true, false}, Case{Kind::Elems, 0, 0, 0},
                      Case{Kind::Elems, 1, 4, 2},
                      Case{Kind::Residual, 0, 0, 0}, Case{Kind::Residual, 1, 4, 2, false, true},
                      Case{Kind::CalibMidx, 0, 0, 0, false, true}, Case{Kind::CalibMidx, 1, 4, 2},
                      Case{Kind::CalibInner, 0, 0, 0}, Case{Kind::CalibInner, 1, 4, 2, false, true}));

} // namespace

namespace {

// Stopped by a press of either start button after 1, 2 or 3 of the 4 rows:
// one completion each, nothing recorded after the stop; with Display on
// Time the maps' images are rebuilt at each row start during the run.
TEST_F(BodyArea, StopAtSeveralMomentsAndImagesDuringARun)
{
    an->findChild<QCheckBox *>("DispOnTime")->setChecked(true);
    run(&Body::start2DAnalysis, 0, 0, 1, 1);   // the window sees the chunks first
    for (int stopAt = 1; stopAt <= 3; stopAt++) {
        int chunks = 0;
        bool imagesAtRowStart = true;
        const QMetaObject::Connection c = QObject::connect(
            body.areaRunEngine(), &AreaEngine::chunkReady, &body, [&](const AreaEngine::Chunk &ch) {
                ++chunks;
                if (ch.rowStart)
                    imagesAtRowStart = imagesAtRowStart && rowMap(0, 1)->imageValid;
                if (chunks == stopAt)
                    stopAt == 2 ? body.startElems2DAnalysis() : body.start2DAnalysis();
            });
        EXPECT_EQ(run(&Body::start2DAnalysis, 0, 0, W, H), QList<int>{EX_analyzer_exec_LCF});
        QObject::disconnect(c);
        QTest::qWait(50);
        EXPECT_EQ(chunks, stopAt);
        EXPECT_TRUE(imagesAtRowStart);
        EXPECT_NE(an->findChild<QLabel *>("Progress")->text(), "100.00");
        for (int y = 0; y < H; y++)
            EXPECT_EQ(rowMap(1, 1)->value(0, y) == 0.0, y >= stopAt) << stopAt << " " << y;
    }
}

// A dark frame cleared, the stack cleared or a New load while a run goes
// finish the run first: it reads no freed frame and ends complete, with its
// one completion.
class BodyAreaClear : public BodyArea, public ::testing::WithParamInterface<int>
{
};

TEST_P(BodyAreaClear, DuringARunFinishesItFirst)
{
    const int way = GetParam();
    bool cleared = false;
    const QMetaObject::Connection c = QObject::connect(
        body.areaRunEngine(), &AreaEngine::chunkReady, &body, [&] {
            if (cleared)
                return;
            cleared = true;
            if (way == 0)
                body.clearI1Files();
            else if (way == 1)
                body.readI1Files({files.path("none.tif")}, true);
            else
                body.clearDark();
        });
    EXPECT_EQ(run(&Body::start2DAnalysis, 0, 0, W, H), QList<int>{EX_analyzer_exec_LCF});
    QObject::disconnect(c);
    EXPECT_TRUE(cleared);
    EXPECT_EQ(an->findChild<QLabel *>("Progress")->text(), "100.00");
    EXPECT_NEAR(rowMap(0, 1)->value(W - 1, H - 1), 1.0, 0.02);
}

INSTANTIATE_TEST_SUITE_P(Ways, BodyAreaClear, ::testing::Values(0, 1, 2));

} // namespace
