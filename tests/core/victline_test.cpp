#include <gtest/gtest.h>

#include "core/victline.h"
#include "support/testfiles.h"

#include <cmath>
#include <vector>

namespace {

Spectrum tenToForty()
{
    Spectrum s;
    for (int i = 1; i <= 4; i++)
        s.addPoint(10.0 * i, i);
    return s;
}

VictLine straight(double slope, double c, double lo, double hi, bool preEdge)
{
    VictLine l(preEdge);
    l.linear = 1;
    l.slope = slope;
    l.c = c;
    l.fitLo = lo;
    l.fitHi = hi;
    return l;
}

} // namespace

TEST(VictLineFit, WindowEndsDifferBetweenKinds)
{
    const Spectrum s = tenToForty();
    VictLine line;
    EXPECT_TRUE(line.fit(s, 10.0, 30.0, 1));
    EXPECT_NEAR(line.slope, 0.1, 1e-12);
    EXPECT_NEAR(line.c, 0.0, 1e-12);
    EXPECT_EQ(line.nPoints, 2);
    EXPECT_NEAR(line.sigma, 0.0, 1e-12);

    VictLine vic;
    vic.fit(s, 10.0, 30.0, 0);
    EXPECT_EQ(vic.linear, 0);
    EXPECT_EQ(vic.nPoints, 3);
}

TEST(VictLineFit, TooFewPointsKeepsCoefficients)
{
    Spectrum s;
    s.addPoint(10, 1);
    s.addPoint(20, 2);
    VictLine line;
    line.c = 4.0;
    line.slope = 0.5;
    line.sigma = 0.25;
    line.nPoints = 9;
    EXPECT_FALSE(line.fit(s, 0.0, 100.0, 1));
    EXPECT_EQ(line.c, 4.0);
    EXPECT_EQ(line.slope, 0.5);
    EXPECT_EQ(line.sigma, 0.25);
    EXPECT_EQ(line.nPoints, 9);
    EXPECT_EQ(line.fitLo, 0.0);
    EXPECT_EQ(line.fitHi, 100.0);
    EXPECT_FALSE(line.fitOk);

    s.addPoint(30, 3);
    EXPECT_FALSE(line.fit(s, 0.0, 100.0, 0));
}

TEST(VictLineFit, OnePointInWindow)
{
    const Spectrum s = tenToForty();
    VictLine line;
    EXPECT_FALSE(line.fit(s, 15.0, 25.0, 1));
    EXPECT_EQ(line.slope, 0.0);
    EXPECT_EQ(line.c, 2.0);
    EXPECT_FALSE(line.fit(s, 100.0, 200.0, 1));
    EXPECT_EQ(line.c, 0.0);
    EXPECT_EQ(line.sigma, 1.0);
}

TEST(VictLineFit, VictoreenRecoversCoefficients)
{
    const double c = 0.3, b = -0.02, a = 0.004;
    auto curve = [=](double e) {
        const double l = VictLine::hc / e;
        return c + b * l * l * l + a * l * l * l * l;
    };
    Spectrum s;
    for (double e = 7000; e <= 7400; e += 5)
        s.addPoint(e, curve(e));
    VictLine line;
    ASSERT_TRUE(line.fit(s, 7000, 7400, 0));
    EXPECT_NEAR(line.valueAt(7123.0), curve(7123.0), 1e-9);
    EXPECT_NEAR(line.c, c, 1e-6);
    EXPECT_NEAR(line.b, b, 1e-6);
    EXPECT_NEAR(line.a, a, 1e-6);
    EXPECT_LT(line.sigma, 1e-9);
}

TEST(VictLineFit, WindowReadThroughOffset)
{
    Spectrum s;
    for (int i = 0; i < 10; i++)
        s.addPoint(100 + i, 2.0 * i);
    s.useOffset = true;
    s.offset = 100.0;
    VictLine line;
    ASSERT_TRUE(line.fit(s, 0.0, 5.0, 1));
    EXPECT_NEAR(line.slope, 2.0, 1e-12);
    EXPECT_NEAR(line.c, 0.0, 1e-10);
    EXPECT_EQ(line.nPoints, 5);
}

TEST(VictLineCorrection, EqualSlopesNoCorrection)
{
    VictLine pre = straight(0.002, 0.0, 0, 100, true);
    VictLine post = straight(0.002, 1.0, 120, 300, false);
    pre.genCorrected(post);
    post.genCorrected(pre);
    EXPECT_FALSE(pre.cubicOn);
    EXPECT_FALSE(post.cubicOn);
    EXPECT_EQ(pre.count(), 0);
}

TEST(VictLineCorrection, SteeperPreCorrectsPreOnly)
{
    VictLine pre = straight(0.004, 0.0, 0, 100, true);
    VictLine post = straight(0.0, 1.0, 120, 300, false);
    pre.genCorrected(post);
    post.genCorrected(pre);
    ASSERT_TRUE(pre.cubicOn);
    EXPECT_TRUE(pre.cubicAbove);
    EXPECT_FALSE(post.cubicOn);

    // J = 0.6, Ex = 250, t = 0.375, d = 7.5, y3 = 1 - t J / 2.
    ASSERT_EQ(pre.controlPoints.size(), 4);
    EXPECT_DOUBLE_EQ(pre.controlPoints[0].x(), 100.0);
    EXPECT_DOUBLE_EQ(pre.controlPoints[0].y(), 0.4);
    EXPECT_DOUBLE_EQ(pre.controlPoints[1].x(), 107.5);
    EXPECT_DOUBLE_EQ(pre.controlPoints[1].y(), 0.43);
    EXPECT_DOUBLE_EQ(pre.controlPoints[2].x(), 292.5);
    EXPECT_DOUBLE_EQ(pre.controlPoints[3].y(), 0.8875);
    EXPECT_EQ(pre.count(), 100);
    EXPECT_DOUBLE_EQ(pre.points.first().x(), 100.0);
    EXPECT_LT(pre.points.last().x(), 300.0);

    // Inside the window the plain line, above it the stored curve.
    EXPECT_DOUBLE_EQ(pre.valueAt(50.0), 0.2);
    EXPECT_DOUBLE_EQ(pre.valueAt(100.0), 0.4);
    EXPECT_DOUBLE_EQ(pre.valueAt(200.0), pre.y(200.0));
    EXPECT_NE(pre.valueAt(200.0), pre.plainValue(200.0));
    EXPECT_DOUBLE_EQ(pre.valueAt(400.0), pre.y(400.0));

    // Without the stored curve the region reads the cubic p0..p3.
    pre.mode = 0;
    pre.p0 = 1.0;
    pre.p1 = 2.0;
    pre.p2 = 3.0;
    pre.p3 = 4.0;
    EXPECT_DOUBLE_EQ(pre.valueAt(200.0), ((200.0 + 2.0) * 200.0 + 3.0) * 200.0 + 4.0);
}

TEST(VictLineCorrection, SteeperPostCorrectsPostOnly)
{
    VictLine pre = straight(0.0, 0.0, 0, 100, true);
    VictLine post = straight(0.004, -0.2, 120, 300, false);
    pre.genCorrected(post);
    post.genCorrected(pre);
    EXPECT_FALSE(pre.cubicOn);
    ASSERT_TRUE(post.cubicOn);
    EXPECT_FALSE(post.cubicAbove);
    EXPECT_EQ(post.count(), 100);
    EXPECT_DOUBLE_EQ(post.controlPoints[3].x(), 120.0);
    EXPECT_DOUBLE_EQ(post.controlPoints[3].y(), post.plainValue(120.0));
    EXPECT_DOUBLE_EQ(post.valueAt(200.0), post.plainValue(200.0));
    EXPECT_DOUBLE_EQ(post.valueAt(60.0), post.y(60.0));
}

TEST(VictLineCorrection, LargeTLeavesLineUncorrected)
{
    VictLine pre = straight(0.001, 0.0, 0, 100, true);  // t = 2.25
    VictLine post = straight(0.0, 1.0, 120, 300, false);
    pre.genCorrected(post);
    EXPECT_FALSE(pre.cubicOn);
    EXPECT_TRUE(pre.controlPoints.isEmpty());

    // A window of no width gives no finite t: no correction either.
    VictLine flat = straight(0.004, 0.0, 0, 300, true);
    flat.genCorrected(post);
    EXPECT_FALSE(flat.cubicOn);
}

TEST(VictLineCorrection, RebuildAndRefitStartAfresh)
{
    VictLine pre = straight(0.004, 0.0, 0, 100, true);
    VictLine post = straight(0.0, 1.0, 120, 300, false);
    pre.genCorrected(post);
    pre.genCorrected(post);
    EXPECT_EQ(pre.count(), 100);
    EXPECT_EQ(pre.controlPoints.size(), 4);

    const Spectrum s = tenToForty();
    pre.fit(s, 10.0, 40.0, 1);
    EXPECT_FALSE(pre.cubicOn);
    EXPECT_EQ(pre.count(), 0);
    EXPECT_TRUE(pre.controlPoints.isEmpty());
}

namespace {

} // namespace

// Over ascending energies a fit reads only its window's run of points; the
// lines must be the full scan's to the bit, at awkward windows and energies.
TEST(VictLineFit, WindowRunGivesTheFullScansLine)
{
    const double xs[] = {-3, -1, 0, 0, 2, 5, 5, 5, 8, 13, 21, 21};
    std::vector<Spectrum> spectra;
    Spectrum s;
    for (int i = 0; i < 12; i++)
        s.addPoint(xs[i], std::sin(1.3 * i) + 0.1 * i);
    spectra.push_back(s);
    s.useOffset = true;
    s.offset = -2.5;
    spectra.push_back(s);
    s.offset = 1e17;  // distinct x meet after the shift
    spectra.push_back(s);
    for (int n : {3, 4}) {
        Spectrum few;
        for (int i = 0; i < n; i++)
            few.addPoint(7000.0 + 10 * i, 1.0 / (i + 1));
        spectra.push_back(few);
    }

    std::vector<double> ends = {-INFINITY, INFINITY, NAN, -2.0, 0.0, 3.5, 5.0, 21.0, 22.0,
                                7000.0, 7010.0, 7015.0, 7030.0, 1e17};
    for (const Spectrum &sp : spectra) {
        ASSERT_TRUE(sp.lookupsAscend());
        for (int i = 0; i < sp.count(); i++)
            ends.push_back(sp.xAt(i));
    }
    int fits = 0;
    for (const Spectrum &sp : spectra) {
        for (double lo : ends) {
            for (double hi : ends) {
                for (int linear : {1, 0}) {
                    VictLine run, scan, plain;
                    const bool okRun = run.fit(sp, lo, hi, linear, true);
                    const bool okScan = scan.fit(sp, lo, hi, linear, false);
                    const bool okPlain = plain.fit(sp, lo, hi, linear);
                    SCOPED_TRACE(testing::Message() << "lo " << lo << " hi " << hi << " linear "
                                                    << linear << " n " << sp.count());
                    ASSERT_EQ(okRun, okScan);
                    ASSERT_EQ(okPlain, okScan);
                    for (const VictLine *l : {&run, &plain}) {
                        ASSERT_TRUE(sameBitsOrNaN(l->c, scan.c));
                        ASSERT_TRUE(sameBitsOrNaN(l->b, scan.b));
                        ASSERT_TRUE(sameBitsOrNaN(l->a, scan.a));
                        ASSERT_TRUE(sameBitsOrNaN(l->slope, scan.slope));
                        ASSERT_TRUE(sameBitsOrNaN(l->sigma, scan.sigma));
                        ASSERT_EQ(l->nPoints, scan.nPoints);
                    }
                    fits++;
                }
            }
        }
    }
    EXPECT_GT(fits, 1000);
}

// The line values over ascending energies walk the stored curve once; they
// are valueAt's at every energy, also at the window's ends, beyond the curve
// and along a curve whose x turn back.
TEST(VictLineCorrection, LineValuesEqualValueAt)
{
    VictLine pre = straight(0.004, 0.0, 0, 100, true);
    VictLine post = straight(0.0, 1.0, 120, 300, false);
    pre.genCorrected(post);
    VictLine turning = straight(0.004, 2.0, 0, 100, true);  // below the post line: t < 0
    turning.genCorrected(post);
    VictLine pre2 = straight(0.0, 0.0, 0, 100, true);
    VictLine post2 = straight(0.004, -0.2, 120, 300, false);
    post2.genCorrected(pre2);
    VictLine vic;
    vic.linear = 0;
    vic.c = 1.0;
    vic.b = -2e-4;
    vic.a = 3e-6;
    ASSERT_TRUE(pre.cubicOn && turning.cubicOn && post2.cubicOn);
    ASSERT_LT(turning.controlPoints[1].x(), turning.controlPoints[0].x());

    std::vector<double> e = {-50, 0, 0, 60, 82.5, 90, 99.5, 100, 100, 100.25, 120, 150, 150,
                             299, 300, 301, 317.5, 400};
    for (const VictLine *l : {&pre, &turning, &post2, &post, &vic}) {
        std::vector<double> out(e.size());
        l->lineValues(e.data(), int(e.size()), out.data(), true);
        for (size_t i = 0; i < e.size(); i++)
            ASSERT_TRUE(sameBitsOrNaN(out[i], l->valueAt(e[i]))) << "at " << e[i];
    }
}
