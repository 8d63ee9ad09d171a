#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display/chcoord.h"

namespace {

TEST(ChCoordMapping, MarginsGiveWholePixelInnerWindow)
{
    ChCoord c;
    c.setScreenRange(0, 300, 400, 0);
    c.setScreenWindowByMargins();
    EXPECT_DOUBLE_EQ(c.winX0, 40);
    EXPECT_DOUBLE_EQ(c.winX1, 380);
    EXPECT_DOUBLE_EQ(c.winY0, 270);
    EXPECT_DOUBLE_EQ(c.winY1, 15);

    c.setScreenRange(0, 0, 35, 10);
    EXPECT_DOUBLE_EQ(c.winX0, 0);   // the full range resets the window
    c.setScreenWindowByMargins();
    EXPECT_DOUBLE_EQ(c.winX0, 3);
    EXPECT_DOUBLE_EQ(c.winX1, 34);
}

TEST(ChCoordMapping, ReversedRangesMapLinearlyBothWays)
{
    ChCoord c;
    c.setScreenRange(0, 300, 400, 0);
    c.setScreenWindowByMargins();
    c.setRealRange(7000, 0, 7400, 1);
    EXPECT_DOUBLE_EQ(c.realToScreenY(0), 270);
    EXPECT_DOUBLE_EQ(c.realToScreenY(1), 15);
    EXPECT_DOUBLE_EQ(c.realToScreenX(7200), 210);
    EXPECT_DOUBLE_EQ(c.screenToRealX(c.realToScreenX(7123.5)), 7123.5);
    EXPECT_DOUBLE_EQ(c.screenToRealY(c.realToScreenY(0.25)), 0.25);
    EXPECT_DOUBLE_EQ(c.realToScreenLengthX(100), 85);
    EXPECT_DOUBLE_EQ(c.realToScreenLengthY(0.5), -127.5);
    EXPECT_DOUBLE_EQ(c.screenToRealLengthX(85), 100);
    EXPECT_DOUBLE_EQ(c.screenToRealOffsetX(210), 200);
    EXPECT_DOUBLE_EQ(c.screenToRealClampedX(1000), 7400);
    EXPECT_DOUBLE_EQ(c.screenToRealClampedY(1000), 0);
}

TEST(ChCoordMapping, EmptyRangesMapToTheMiddleInsteadOfDividingByZero)
{
    ChCoord c;
    c.setScreenRange(0, 100, 200, 0);
    c.setRealRange(5, 3, 5, 3);
    EXPECT_DOUBLE_EQ(c.realToScreenX(5), 100);
    EXPECT_DOUBLE_EQ(c.realToScreenY(7), 50);
    EXPECT_DOUBLE_EQ(c.realToScreenLengthX(1), 0);
    c.setScreenRange(10, 10, 10, 10);
    c.setRealRange(0, 0, 4, 8);
    EXPECT_DOUBLE_EQ(c.screenToRealX(10), 2);
    EXPECT_DOUBLE_EQ(c.screenToRealY(99), 4);
}

TEST(ChCoordMapping, EdgeBandsAndTickSteps)
{
    ChCoord c;
    c.setScreenRange(0, 100, 200, 0);
    c.setScreenWindow(20, 90, 180, 10);
    EXPECT_TRUE(c.isNearScreenXEdge(30));
    EXPECT_FALSE(c.isNearScreenXEdge(100));
    EXPECT_TRUE(c.isNearScreenYEdge(85));
    EXPECT_TRUE(c.isNearFullScreenXEdge(195));
    EXPECT_FALSE(c.isNearFullScreenXEdge(30));

    c.setRealRange(0, 0, 160, 1);   // one real unit per pixel
    EXPECT_DOUBLE_EQ(c.tickStep(1, 15), 20);
    EXPECT_DOUBLE_EQ(c.tickStep(1, 1e9), 1e8);
}

TEST(ChCoordTicks, DecimalStepsOverOrdinaryRanges)
{
    ChCoord c;
    double step, first, last;
    EXPECT_EQ(c.axisTicks(7100, 7400, step, first, last), 7);
    EXPECT_DOUBLE_EQ(step, 50);
    EXPECT_DOUBLE_EQ(first, 7100);
    EXPECT_DOUBLE_EQ(last, 7400);

    // A power-of-ten width: the step is a fifth of it.
    EXPECT_EQ(c.axisTicks(0, 100, step, first, last), 6);
    EXPECT_DOUBLE_EQ(step, 20);

    EXPECT_EQ(c.axisTicks(0.25, 5.25, step, first, last), 5);
    EXPECT_DOUBLE_EQ(step, 1);
    EXPECT_DOUBLE_EQ(first, 1);
    EXPECT_DOUBLE_EQ(last, 5);

    EXPECT_EQ(c.axisTicks(1, 10, step, first, last), 5);   // width 9 d: step 2 d
    EXPECT_DOUBLE_EQ(step, 2);
    EXPECT_DOUBLE_EQ(first, 2);

    const QVector<double> t = c.axisTickValues(7100, 7400);
    ASSERT_EQ(t.size(), 7);
    EXPECT_DOUBLE_EQ(t[1], 7150);
}

TEST(ChCoordTicks, DegenerateRangesEndWithABoundedCount)
{
    ChCoord c;
    double step, first, last;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(c.axisTicks(nan, 1, step, first, last), 0);
    EXPECT_EQ(c.axisTicks(0, inf, step, first, last), 0);
    EXPECT_EQ(c.axisTicks(-1e308, 1e308, step, first, last), 0);   // width overflows

    EXPECT_EQ(c.axisTicks(3.5, 3.5, step, first, last), 1);
    EXPECT_DOUBLE_EQ(first, 3.5);
    EXPECT_GT(step, 0);
    EXPECT_EQ(c.axisTicks(0, 0, step, first, last), 1);

    // Reversed ends give the ticks of the ascending range.
    EXPECT_EQ(c.axisTicks(7400, 7100, step, first, last), 7);
    EXPECT_DOUBLE_EQ(first, 7100);

    // A width far below the values' precision: a few ticks, never a hang.
    const int n = c.axisTicks(1e20, 1e20 + 1e5, step, first, last);
    EXPECT_GE(n, 1);
    EXPECT_LE(n, ChCoord::MaxAxisTicks);

    EXPECT_EQ(ChCoord::tickCount(0, 0, 10), 0);
    EXPECT_EQ(ChCoord::tickCount(-1, 0, 10), 0);
    EXPECT_EQ(ChCoord::tickCount(1, 10, 0), 0);
    EXPECT_EQ(ChCoord::tickCount(1e-300, 0, 1), ChCoord::MaxAxisTicks);
    EXPECT_EQ(ChCoord::tickCount(nan, 0, 1), 0);
}

TEST(ChCoordTicks, SafeTruncation)
{
    EXPECT_EQ(ChCoord::toInt(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(ChCoord::toInt(-2.7), -2);
    EXPECT_EQ(ChCoord::toInt(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(ChCoord::toInt(-1e300), -std::numeric_limits<int>::max());
}

} // namespace
