#include <gtest/gtest.h>

#include "core/victline.h"

#include <cmath>

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
