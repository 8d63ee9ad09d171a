// The Fourier correlation diagnostic through the real main window, with I1
// stacks loaded from files through the I1 panel.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#include "core/fft1d.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

namespace {

class BodyFourier : public ::testing::Test
{
protected:
    Body body;
    TestFiles files;

    // n frames of w x h, pixel (x, y) of frame i = f(i, x, y), at 8950 + 10 i eV.
    void load(int n, int w, int h, const std::function<int(int, int, int)> &f)
    {
        QStringList names;
        for (int i = 0; i < n; i++) {
            const QVector<quint16> px =
                ImageFixtures::pixels16(w, h, [&](int x, int y) { return f(i, x, y); });
            names << files.write(QString("fa_%1_0000.tif").arg(8950 + 10 * i),
                                 ImageFixtures::tiff(w, h, px, false, 0.1));
        }
        QSignalSpy done(&body, &Body::finishBatchExec);
        body.readI1Files(names, true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return done.contains({4}); }, 10000));
        QCoreApplication::processEvents();
        ASSERT_EQ(body.i1Stack().size(), n);
    }

    void setHalfSizes(int hw, int hh)
    {
        body.findChild<QLineEdit *>("HWidth")->setText(QString::number(hw));
        body.findChild<QLineEdit *>("VWidth")->setText(QString::number(hh));
    }

    // The diagnostic read one Fourier index at a time: a walk over the area
    // per index, one transform per block for that index alone.
    Body::FourierSums perIndexReading(const AnalyzeCond &cond)
    {
        const int n = body.i1Stack().size();
        Fft1D fft;
        Body::FourierSums sums;
        for (int k = 0; k < n; k++) {
            AnalyzeCond w = cond;
            w.reset();
            double aa = 0, bb = 0, ab = 0;
            do {
                const double a = body.i1Stack()[0]->boxSum(w.x, w.y, w.halfW, w.halfH);
                fft.setSize(n);
                fft.forward(body.rawSpectrumAtPoint(w.x, w.y, w.halfW, w.halfH));
                const double b = fft.magnitude()[k];
                aa += a * a;
                bb += b * b;
                ab += a * b;
            } while (w.next());
            sums.aa = aa;
            sums.bb << bb;
            sums.ab << ab;
        }
        return sums;
    }

    // The log lines of one run: "2da FA 1:" and the "Res" lines, in order.
    QStringList run()
    {
        DebugCapture log;
        body.execFourierA();
        QStringList lines;
        for (const QString &m : log.messages())
            if (m.startsWith("Res ") || m.contains("2da FA"))
                lines << m.trimmed();
        return lines;
    }

    // A "Res" line as the debug stream writes it.
    static QString resLine(int k, double aa, double bb, double ab, double cor)
    {
        QString s;
        QDebug(&s) << "Res" << k << aa << bb << ab << cor;
        return s.trimmed();
    }
};

// Three 2 x 2 frames; pixels in the order (0,0), (1,0), (0,1), (1,1).
const int Px[3][4] = {{1, 2, 4, 0}, {2, 2, 1, 3}, {3, 2, 1, 0}};
int threeFrames(int i, int x, int y) { return Px[i][x + 2 * y]; }

TEST_F(BodyFourier, LogLinesOfThreeFrames)
{
    load(3, 2, 2, threeFrames);
    body.imageView()->setSelectedArea(0, 0, 2, 2);
    setHalfSizes(0, 0);

    // Per pixel: a = frame 0; |X0| = sum; |X1|^2 = |X2|^2 = half the sum of
    // the squared differences: (1 2 3) 6, 3; (2 2 2) 6, 0; (4 1 1) 6, 9;
    // (0 3 0) 3, 9. Saa = 21; k = 0: Sbb 117, Sab 42; k = 1, 2: Sbb 21,
    // Sab sqrt(3) + 12.
    const double s1 = std::sqrt(3.0) + 12;
    const QStringList lines = run();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("\"2da FA 1:\""));
    EXPECT_EQ(lines[1], resLine(0, 21, 117, 42, 42 / std::sqrt(21.0 * 117)));
    EXPECT_EQ(lines[2], resLine(1, 21, 21, s1, s1 / 21));
    EXPECT_EQ(lines[3], resLine(2, 21, 21, s1, s1 / 21));

    // One 3 x 3 block larger than the area: its first centre counts, the box
    // clipped to the frame. Box sums 7, 8, 6: Saa 49; Sbb 441 and 3; the
    // coefficients are 1.
    setHalfSizes(1, 1);
    const QStringList one = run();
    ASSERT_EQ(one.size(), 4);
    EXPECT_EQ(one[1], resLine(0, 49, 441, 147, 1));
    EXPECT_EQ(one[2], resLine(1, 49, 3, 7 * std::sqrt(3.0), 1));
}

TEST_F(BodyFourier, OnePassMatchesOnePassPerIndexToTheLastBit)
{
    // Irregular values, blocks clipped at the frame's edges, an even and an
    // odd transform length.
    for (int n : {7, 8}) {
        SCOPED_TRACE(n);
        load(n, 9, 6, [](int i, int x, int y) { return (x * 37 + y * 101 + i * i * 13) % 997; });
        body.imageView()->setSelectedArea(1, 1, 9, 6);
        setHalfSizes(1, 1);
        AnalyzeCond cond;
        ASSERT_TRUE(body.askAnalyzeCond(cond));
        ASSERT_GT(cond.centreCount(), 4);
        const Body::FourierSums sums = body.fourierSums(cond);
        const Body::FourierSums ref = perIndexReading(cond);
        ASSERT_EQ(sums.bb.size(), n);
        EXPECT_EQ(sums.aa, ref.aa);
        EXPECT_EQ(sums.bb, ref.bb);
        EXPECT_EQ(sums.ab, ref.ab);
        // One line per index.
        EXPECT_EQ(run().size(), n + 1);
    }
}

} // namespace
