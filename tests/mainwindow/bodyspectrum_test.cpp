// The spectrum of a pixel box through the real main window, with stacks
// loaded from files through the I1 and I0 panels; values worked out by hand.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "display/imgdispa.h"
#include "display/xafsfileselect.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

namespace {

using PixelFn = std::function<int(int i, int x, int y)>;

// Box sums at (3, 2) with half sizes 1: 1071 + 90 i; the pixel alone: 119 + 10 i.
int plain(int i, int x, int y) { return 100 + 10 * i + x + 8 * y; }

class BodySpectrum : public ::testing::Test
{
protected:
    Body body;
    TestFiles files;

    template <typename T> T *child(const char *name) { return body.findChild<T *>(name); }

    // n frames of w x h through a panel, pixel (x, y) of frame i = f(i, x, y),
    // frame i at e0 + i de eV; waits for the end of the load.
    void load(bool i1, int n, int w, int h, const PixelFn &f, double ms, double e0, double de)
    {
        QStringList names;
        for (int i = 0; i < n; i++) {
            const QVector<quint16> px =
                ImageFixtures::pixels16(w, h, [&](int x, int y) { return f(i, x, y); });
            names << files.write(QString("%1%2.tif").arg(i1 ? "a" : "b").arg(i, 3, 10, QChar('0')),
                                 ImageFixtures::tiff(w, h, px, false, ms / 1000));
        }
        SelectDataFiles *p = i1 ? body.i1Panel() : body.i0Panel();
        p->setEngByCalc(true);
        p->setDispUnit(0);
        p->setEvenInEng(true);
        p->setEngCalcStart(e0);
        p->setEngCalcDelta(de);
        QSignalSpy done(&body, &Body::finishBatchExec);
        i1 ? body.readI1Files(names, true) : body.readI0Files(names, true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return done.contains({i1 ? 4 : 5}); }, 10000));
        QCoreApplication::processEvents(); // the end-of-load slot comes right after
        ASSERT_EQ((i1 ? body.i1Stack() : body.i0Stack()).size(), n);
    }
    // I1: 8 x 6 at 8950, 8960, ... eV, 200 ms. I0: 1000 at 8940 eV and 1600
    // at 8970 eV (box sums 9000 and 14400), 40 and 70 from column 6 on, 400 ms.
    void loadI1(const PixelFn &f = plain, int n = 3) { load(true, n, 8, 6, f, 200, 8950, 10); }
    void loadI0()
    {
        auto f = [](int i, int x, int) { return x >= 6 ? 40 + 30 * i : 1000 + 600 * i; };
        load(false, 2, 8, 6, f, 400, 8940, 30);
    }

    void expect(const Spectrum &s, const QVector<double> &values)
    {
        ASSERT_EQ(s.count(), values.size());
        for (int i = 0; i < values.size(); i++) {
            EXPECT_DOUBLE_EQ(s.points[i].x(), 8950 + 10 * i);
            EXPECT_NEAR(s.points[i].y(), values[i], 1e-12) << "point " << i;
        }
    }
};

TEST_F(BodySpectrum, I1OnlyOffTheImageAndNegativeHalfSizes)
{
    loadI1();
    child<QCheckBox>("UseI0")->setChecked(false);
    const QVector<double> box = {std::log(9 / 1071.0), std::log(9 / 1161.0),
                                 std::log(9 / 1251.0)};
    expect(body.spectrumAtPoint(3, 2, 1, 1), box);
    expect(body.spectrumAtPoint(3, 2, -1, -1), box);
    expect(body.spectrumAtPoint(3, 2, 0, 0),
           {std::log(1 / 119.0), std::log(1 / 129.0), std::log(1 / 139.0)});
    expect(body.rawSpectrumAtPoint(3, 2, 1, 1), {1071, 1161, 1251});
    EXPECT_TRUE(body.spectrumAtPoint(8, 0, 1, 1).isEmpty());
    EXPECT_TRUE(body.spectrumAtPoint(-1, 2, 1, 1).isEmpty());
    EXPECT_TRUE(body.rawSpectrumAtPoint(3, 6, 0, 0).isEmpty());
    // A box partly off the image counts what lies outside as 0.
    EXPECT_DOUBLE_EQ(body.rawSpectrumAtPoint(7, 5, 1, 1).points[0].y(), 138 + 139 + 146 + 147);
}

TEST_F(BodySpectrum, I0StackInterpolatedInEnergyAndFluorescence)
{
    loadI1();
    loadI0();
    ASSERT_TRUE(child<QCheckBox>("UseI0")->isChecked());
    expect(body.spectrumAtPoint(3, 2, 1, 1),
           {std::log(10800 / 1071.0), std::log(12600 / 1161.0), std::log(14400 / 1251.0)});
    child<QCheckBox>("FluoType")->setChecked(true);
    expect(body.spectrumAtPoint(3, 2, 1, 1), {1071 / 10800.0, 1161 / 12600.0, 1251 / 14400.0});
    // Without I0: the mean signal per pixel.
    child<QCheckBox>("UseI0")->setChecked(false);
    expect(body.spectrumAtPoint(3, 2, 1, 1), {119, 129, 139});
}

// Dark frame 50 per pixel at 100 ms: 100 for I1 (200 ms), 200 for I0 (400 ms).
TEST_F(BodySpectrum, DarkFrameScaledToEachExposure)
{
    loadI1();
    loadI0();
    body.selectedDark(
        files.write("dark.tif", ImageFixtures::tiff(8, 6, QVector<quint16>(48, 50), false, 0.1)));
    QLineEdit *darkExp = child<QLineEdit>("DarkExpTime");
    ASSERT_EQ(darkExp->text(), "100");
    expect(body.spectrumAtPoint(3, 2, 0, 0),
           {std::log(1000 / 19.0), std::log(1200 / 29.0), std::log(1400 / 39.0)});
    // No usable dark exposure: nothing is divided, the dark frame goes in unscaled.
    for (const char *text : {"", "0", "abc"}) {
        darkExp->setText(text);
        expect(body.spectrumAtPoint(3, 2, 0, 0),
               {std::log(1150 / 69.0), std::log(1350 / 79.0), std::log(1550 / 89.0)});
    }
}

// A total-I0 table of three points (5000, 6000, 7000) for five frames.
TEST_F(BodySpectrum, TotalI0TableReplacesI0AndEndsInOnes)
{
    loadI1(plain, 5);
    loadI0();
    child<XafsFileSelect>("TotalI0ofI1XAFS")
        ->load(files.writeText("total.dat", "9809 scan\n D= 3.13553\nOffset 0 0 0 0\n"
                                            "1 14.0 0 5000 2000\n2 13.9 0 6000 2000\n"
                                            "3 13.8 0 7000 2000\n"));
    Spectrum s = body.spectrumAtPoint(3, 2, 0, 0);
    ASSERT_EQ(s.count(), 5);
    EXPECT_NEAR(s.points[0].y(), std::log(5000 / 119.0), 1e-12);
    EXPECT_NEAR(s.points[2].y(), std::log(7000 / 139.0), 1e-12);
    EXPECT_EQ(s.points[3].y(), 1.0);
    EXPECT_EQ(s.points[4].y(), 1.0);
    child<QCheckBox>("FluoType")->setChecked(true);
    EXPECT_NEAR(body.spectrumAtPoint(3, 2, 0, 0).points[1].y(), 129 / 6000.0, 1e-15);
}

// A step of 1.0 in mu-t at 8980 eV over 41 frames from 8900 to 9100 eV.
class BodyStepEdge : public BodySpectrum
{
protected:
    static int step(int i, int, int)
    {
        return int(std::lround(20000 * std::exp(-0.5 - 1 / (1 + std::exp(-(5.0 * i - 80) / 2)))));
    }
    void SetUp() override
    {
        load(true, 41, 16, 12, step, 100, 8900, 5);
        load(false, 2, 16, 12, [](int, int, int) { return 20000; }, 100, 8900, 200);
        child<QLineEdit>("HWidth")->setText("2");
        child<QLineEdit>("VWidth")->setText("2");
        QTest::qWait(50);
    }
};

TEST_F(BodyStepEdge, PointerSpectrumIsNormalisedShownAndHandedOn)
{
    body.i1Panel()->select(7);
    body.showXafsSpectrum(5.7, 3.2);
    EXPECT_EQ(child<QLabel>("Position")->text(), "(   5,    3)");
    EXPECT_EQ(child<QLabel>("EShiftOnTbl")->text(), " 0.000");
    XafsView *view = body.pointSpectrumView();
    EXPECT_DOUBLE_EQ(view->energyMarker, 8935);
    const XafsSpectrum &shown = view->current;
    ASSERT_EQ(shown.count(), 41);
    EXPECT_NEAR(shown.points[0].y(), 0.5, 1e-3);
    EXPECT_NEAR(shown.midx, 8980, 5);
    EXPECT_NEAR(shown.dMut, 1.0, 0.05);
    // Less the post-edge line, over the jump: -1 before the edge, 0 after.
    EXPECT_NEAR(shown.doubleNormalizedPostBase.points.first().y(), -1.0, 0.05);
    EXPECT_NEAR(shown.doubleNormalizedPostBase.points.last().y(), 0.0, 0.05);
    EXPECT_EQ(child<QLabel>("EShiftFromStd")->text(), QString::asprintf("%5.2f", shown.midx));
    EXPECT_DOUBLE_EQ(view->raw.points[0].y(), 25 * step(0, 0, 0));
    EXPECT_DOUBLE_EQ(body.analysisWindow()->currentSpectrum().midx, shown.midx);
}

// Moves faster than the analysis worker: one spectrum with it, the latest
// waiting, whatever was still with the worker when the moves began.
TEST_F(BodyStepEdge, MouseMovesCoalesceBeforeTheAnalysisWorker)
{
    Analyzer *analyzer = body.analysisWindow();
    analyzer->selectAnalysisMode(5);
    const quint64 first = analyzer->currentRequestId();
    for (int k = 0; k < 40; k++)
        body.showXafsSpectrum(2 + k % 10, 2 + k % 7);
    EXPECT_LE(analyzer->currentRequestId(), first + 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return analyzer->currentRequestId() > first; }, 10000));
    for (quint64 seen = 0; seen != analyzer->currentRequestId();) {
        seen = analyzer->currentRequestId();
        QTest::qWait(300);
    }
    EXPECT_LE(analyzer->currentRequestId(), first + 2);
    const Spectrum last = body.spectrumAtPoint(2 + 39 % 10, 2 + 39 % 7, 2, 2);
    ASSERT_EQ(analyzer->currentSpectrum().count(), 41);
    EXPECT_EQ(analyzer->currentSpectrum().points[40].y(), last.points[40].y());
}

} // namespace
