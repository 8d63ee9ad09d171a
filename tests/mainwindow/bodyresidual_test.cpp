// The residual-absorption maps through the real main window, with I1 stacks
// loaded from files through the I1 panel; values worked out by hand.
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "calibration/ui/calibctrl.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

namespace {

// Frame energies: whichever of the equal rises of the smoothed step the
// normalisation takes as its guess, the pre-edge window holds frames 0 to 5
// only and the post-edge window frames 6 to 10 only.
const QVector<int> Energies = {8900, 8910, 8920, 8935, 8938, 8941,
                               8944, 8947, 8960, 8970, 8980, 8990};
const int W = 7;
const int H = 4;

// Columns 0-2: 1000 before the step (frames 0-5), 500 after; columns 3-5:
// 1000, then 250; column 6 and row 3 lie outside the analysed area.
int stepPixel(int i, int x, int y)
{
    if (x == 6 || y == 3)
        return 7 + i;
    if (i < 6)
        return 1000;
    return x < 3 ? 500 : 250;
}

class BodyResidual : public ::testing::Test
{
protected:
    Body body;
    TestFiles files;

    Analyzer *analyzer() { return body.analysisWindow(); }

    // Frame i at Energies[i] eV, named so that the panel reads the energy
    // from the name; waits for the end of the load.
    void load(const std::function<int(int, int, int)> &f)
    {
        QStringList names;
        for (int i = 0; i < Energies.size(); i++) {
            const QVector<quint16> px =
                ImageFixtures::pixels16(W, H, [&](int x, int y) { return f(i, x, y); });
            names << files.write(QString("ra_%1_0000.tif").arg(Energies[i]),
                                 ImageFixtures::tiff(W, H, px, false, 0.1));
        }
        QSignalSpy done(&body, &Body::finishBatchExec);
        body.readI1Files(names, true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return done.contains({4}); }, 10000));
        QCoreApplication::processEvents();
        ASSERT_EQ(body.i1Stack().size(), Energies.size());
        ASSERT_EQ(body.i1Stack()[6]->energy, 8944);
    }

    void setHalfSizes(int h)
    {
        body.findChild<QLineEdit *>("HWidth")->setText(QString::number(h));
        body.findChild<QLineEdit *>("VWidth")->setText(QString::number(h));
        // I0 is the pixel count of the block.
        body.findChild<QCheckBox *>("UseI0")->setChecked(false);
    }

    void run(const QString &factor, const QString &energy)
    {
        analyzer()->raFactorEdit()->setText(factor);
        analyzer()->raEnergyEdit()->setText(energy);
        body.startRA2DAnalysis();
    }

    // The map's cells against per-cell expectations (NaN expects NaN).
    void expectMap(const Analyzed2DRes &map, const std::function<double(int, int)> &want)
    {
        ASSERT_EQ(map.area.width, W);
        ASSERT_EQ(map.area.height, H);
        ASSERT_NE(map.data, nullptr);
        for (int y = 0; y < H; y++) {
            for (int x = 0; x < W; x++) {
                const double v = map.value(x, y);
                if (std::isnan(want(x, y)))
                    EXPECT_TRUE(std::isnan(v)) << map.name.toStdString() << " " << x << "," << y;
                else
                    EXPECT_NEAR(v, want(x, y), 1e-9)
                        << map.name.toStdString() << " " << x << "," << y;
            }
        }
    }

    static bool inArea(int x, int y) { return x < 6 && y < 3; }
};

const double Ln2 = std::log(2.0);
const double Ln1000 = std::log(1000.0);

TEST_F(BodyResidual, MapsOfTwoStepsWithCellsOutsideTheArea)
{
    load(stepPixel);
    body.imageView()->setSelectedArea(0, 0, 6, 3);
    // Single pixels and 3 x 3 blocks see the same steps: mu = -ln 1000 before,
    // -ln 500 or -ln 250 after (I0 is the pixel count).
    for (int half : {0, 1}) {
        SCOPED_TRACE(half);
        setHalfSizes(half);
        DebugCapture log;
        run("1.0", "8950");
        // One line per row of blocks.
        EXPECT_EQ(log.count("RA row"), half == 0 ? 3 : 1);

        auto jump = [](int x, int y) { return !inArea(x, y) ? 0.0 : x < 3 ? Ln2 : 2 * Ln2; };
        expectMap(analyzer()->dMutMap, jump);
        // Rest = pre - dMut: -ln 2000 and -ln 4000; the smallest Rest is
        // -ln 4000, so the ratio is ln 2 / (2 ln 2), 0, and 1 outside.
        expectMap(analyzer()->restMap,
                  [&](int x, int y) { return inArea(x, y) ? -Ln1000 - jump(x, y) : 0.0; });
        expectMap(analyzer()->ratioMap,
                  [](int x, int y) { return !inArea(x, y) ? 1.0 : x < 3 ? 0.5 : 0.0; });

        // Only written values count for the ranges; the ratio is written everywhere.
        EXPECT_NEAR(analyzer()->dMutMap.min, Ln2, 1e-9);
        EXPECT_NEAR(analyzer()->dMutMap.max, 2 * Ln2, 1e-9);
        EXPECT_NEAR(analyzer()->ratioMap.min, 0.0, 1e-9);
        EXPECT_NEAR(analyzer()->ratioMap.max, 1.0, 1e-9);
        for (const Analyzed2DRes *m :
             {&analyzer()->dMutMap, &analyzer()->restMap, &analyzer()->ratioMap}) {
            EXPECT_EQ(m->no, -1);
            EXPECT_TRUE(m->imageValid);
        }
        // ShowDMuT is the chosen image: the display shows the jump map.
        EXPECT_EQ(body.imageView()->overlayMap, &analyzer()->dMutMap);
    }

    // Again with another factor: everything is recomputed. Rest = -ln 4000
    // and -ln 16000; ratio ln 4 / (ln 2 + ln 4) = 2/3, 0, and 1 outside.
    setHalfSizes(1);
    run("2", "8950");
    expectMap(analyzer()->restMap, [](int x, int y) {
        return !inArea(x, y) ? 0.0 : x < 3 ? -std::log(4000.0) : -std::log(16000.0);
    });
    expectMap(analyzer()->ratioMap,
              [](int x, int y) { return !inArea(x, y) ? 1.0 : x < 3 ? 2.0 / 3 : 0.0; });

    // A factor that makes every Rest positive: the smallest Rest is 0 (cells
    // outside), which makes them 0 / 0.
    run("-20", "8950");
    expectMap(analyzer()->ratioMap, [](int x, int y) {
        if (!inArea(x, y))
            return std::nan("");
        const double d = x < 3 ? Ln2 : 2 * Ln2;
        const double rest = -Ln1000 + 20 * d;
        return rest / (d + rest);
    });
}

TEST_F(BodyResidual, NothingWithoutFramesOrArea)
{
    // Before any run and without frames: no maps, no crash.
    body.generateRAResImage();
    run("1.0", "8950");
    EXPECT_EQ(analyzer()->dMutMap.data, nullptr);
    EXPECT_FALSE(analyzer()->ratioMap.hasData());

    load(stepPixel);
    setHalfSizes(0);
    run("1.0", "8950");
    ASSERT_NE(analyzer()->dMutMap.data, nullptr);
    const double before = analyzer()->dMutMap.value(1, 1);

    // An area off the image leaves nothing of the last maps.
    EXPECT_NE(before, 0.0);
    body.imageView()->setSelectedArea(20, 20, 30, 30);
    run("1.0", "9000");
    EXPECT_FALSE(analyzer()->dMutMap.hasData());

    // Text that is no number reads as 0: the factor 0 makes Rest = pre.
    body.imageView()->setSelectedArea(0, 0, 6, 3);
    run("abc", "8950");
    EXPECT_NEAR(analyzer()->restMap.value(1, 1), -Ln1000, 1e-9);
}

} // namespace
