#include <gtest/gtest.h>

#include "core/spectrum.h"

#include <cmath>

namespace {

Spectrum make(std::initializer_list<QPointF> pts)
{
    Spectrum s;
    for (const QPointF &p : pts)
        s.addPoint(p.x(), p.y());
    return s;
}

} // namespace

TEST(SpectrumLookup, EmptyAndSinglePoint)
{
    Spectrum empty;
    EXPECT_EQ(empty.y(-5.0), 0.0);
    EXPECT_EQ(empty.y(1e6), 0.0);
    EXPECT_EQ(empty.smoothedY(3.0), 0.0);

    Spectrum one = make({{10.0, 7.5}});
    EXPECT_EQ(one.y(-100.0), 7.5);
    EXPECT_EQ(one.y(10.0), 7.5);
    EXPECT_EQ(one.y(1e9), 7.5);
    one.smooth(2);
    EXPECT_EQ(one.smoothedY(-3.0), 7.5);
}

TEST(SpectrumLookup, TwoPointsExtendBothWays)
{
    Spectrum s = make({{10.0, 1.0}, {20.0, 3.0}});
    EXPECT_DOUBLE_EQ(s.y(15.0), 2.0);
    EXPECT_DOUBLE_EQ(s.y(0.0), -1.0);
    EXPECT_DOUBLE_EQ(s.y(30.0), 5.0);
}

TEST(SpectrumLookup, EndsAndDuplicateX)
{
    Spectrum s = make({{1.0, 4.0}, {2.0, 6.0}, {3.0, 9.0}, {4.0, 1.0}});
    EXPECT_DOUBLE_EQ(s.y(1.0), 4.0);
    EXPECT_DOUBLE_EQ(s.y(4.0), 1.0);
    EXPECT_DOUBLE_EQ(s.y(2.5), 7.5);

    // The last segment joins two points at the same x: their mean, not inf.
    Spectrum dup = make({{1.0, 0.0}, {2.0, 2.0}, {2.0, 6.0}});
    EXPECT_DOUBLE_EQ(dup.y(5.0), 4.0);
    EXPECT_DOUBLE_EQ(dup.y(2.0), 4.0);
    EXPECT_DOUBLE_EQ(dup.y(1.5), 1.0);
}

TEST(SpectrumLookup, BisectionMatchesLinearScan)
{
    Spectrum s;
    for (int i = 0; i < 57; i++)
        s.addPoint(i * 1.5 + (i % 3) * 0.2, std::sin(i * 0.3));
    for (double x = 0.1; x < 84.0; x += 0.37) {
        int k = 0;
        while (k + 2 < s.count() && s.points[k + 1].x() <= x)
            k++;
        const QPointF a = s.points[k], b = s.points[k + 1];
        const double expect = a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x());
        ASSERT_NEAR(s.y(x), expect, 1e-12) << "x = " << x;
    }
}

TEST(SpectrumLookup, OffsetShiftsLookupsNotRange)
{
    Spectrum s = make({{100.0, 1.0}, {110.0, 3.0}, {120.0, 4.0}});
    const double plain = s.y(110.0);
    const double plainBetween = s.y(113.0);
    s.useOffset = true;
    s.offset = 5.0;
    EXPECT_DOUBLE_EQ(s.y(105.0), plain);
    EXPECT_DOUBLE_EQ(s.y(108.0), plainBetween);
    EXPECT_DOUBLE_EQ(s.xAt(1), 105.0);
    EXPECT_EQ(s.xMin, 100.0);
    EXPECT_EQ(s.xMax, 120.0);
}

TEST(SpectrumRange, ExtremesAndTies)
{
    Spectrum s = make({{1.0, 3.0}, {2.0, -1.0}, {3.0, 5.0}, {4.0, -1.0}, {5.0, 5.0}});
    EXPECT_EQ(s.xMin, 1.0);
    EXPECT_EQ(s.xMax, 5.0);
    EXPECT_EQ(s.yMin, -1.0);
    EXPECT_EQ(s.yMax, 5.0);
    EXPECT_EQ(s.iYMin, 1);
    EXPECT_EQ(s.iYMax, 2);

    s.resetRange();
    EXPECT_EQ(s.count(), 5);
    EXPECT_EQ(s.xMin, 1e300);
    EXPECT_EQ(s.yMax, -1e300);
    EXPECT_EQ(s.iYMin, -1879048193);
    EXPECT_EQ(s.iYMax, 1879048193);

    s.useOffset = true;
    s.offset = 2.0;
    s.inUse = false;
    s.reset();
    EXPECT_EQ(s.count(), 5);
    EXPECT_FALSE(s.useOffset);
    EXPECT_EQ(s.offset, 0.0);
    EXPECT_TRUE(s.inUse);
}

TEST(SpectrumSmooth, ClippedRunningMean)
{
    Spectrum s = make({{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}});
    s.smooth(2);
    ASSERT_EQ(s.smoothed.size(), 5);
    const double expect[5] = {2.0, 2.5, 3.0, 3.5, 4.0};
    for (int i = 0; i < 5; i++)
        EXPECT_DOUBLE_EQ(s.smoothed[i], expect[i]);
    EXPECT_DOUBLE_EQ(s.smoothedY(1.5), 2.25);

    // A window wider than the spectrum averages every point.
    s.smooth(10);
    for (double v : s.smoothed)
        EXPECT_DOUBLE_EQ(v, 3.0);
}

TEST(SpectrumSmooth, ShortSmoothedVectorReadsNothingOutside)
{
    Spectrum s = make({{1, 1}, {2, 2}, {3, 3}});
    s.smoothed = {10.0};
    EXPECT_EQ(s.smoothedY(2.5), 0.0);
    EXPECT_DOUBLE_EQ(s.smoothedY(1.0), 10.0);
    EXPECT_EQ(s.smoothedAt(7), 0.0);
}

TEST(SpectrumCopy, SharesStorageUntilChanged)
{
    Spectrum s = make({{1, 1}, {2, 2}, {3, 3}});
    s.smooth(1);
    Spectrum copy = s;
    EXPECT_EQ(copy.points.constData(), s.points.constData());
    EXPECT_EQ(copy.smoothed.constData(), s.smoothed.constData());
    copy.addPoint(4, 4);
    EXPECT_NE(copy.points.constData(), s.points.constData());
    EXPECT_EQ(s.count(), 3);
}
