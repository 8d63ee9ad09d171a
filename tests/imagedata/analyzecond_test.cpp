#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include <QPoint>
#include <QtNumeric>
#include <QVector>

#include "imagedata/analyzecond.h"

namespace {

QVector<QPoint> walk(AnalyzeCond c, int limit = 100000)
{
    QVector<QPoint> centres;
    c.reset();
    do {
        centres << QPoint(c.x, c.y);
    } while (c.next() && centres.size() < limit);
    return centres;
}

} // namespace

TEST(AnalyzeCondTest, TilesAreaWithOnePixelBoxes)
{
    AnalyzeCond c;
    c.init(20, 20, 0, 0, QRectF(0, 0, 10, 4), -1, -1);
    const QVector<QPoint> centres = walk(c);
    ASSERT_EQ(centres.size(), 40);
    EXPECT_EQ(centres.first(), QPoint(0, 0));
    EXPECT_EQ(centres.last(), QPoint(9, 3));
    EXPECT_EQ(c.centreCount(), 40);
}

TEST(AnalyzeCondTest, WideBoxesStepByTheirWidth)
{
    AnalyzeCond c;
    c.init(20, 20, 1, 0, QRectF(0, 0, 10, 4), -1, -1);
    EXPECT_EQ(c.stepX, 3);
    QVector<int> firstRow;
    c.reset();
    do {
        if (c.y == 0)
            firstRow << c.x;
    } while (c.next());
    EXPECT_EQ(firstRow, QVector<int>({1, 4, 7}));
    EXPECT_EQ(c.centreCount(), 12);
}

TEST(AnalyzeCondTest, RowStartMarksFirstCentreOfEachRow)
{
    AnalyzeCond c;
    c.init(10, 10, 0, 0, QRectF(0, 0, 2, 2), 1, 1);
    EXPECT_TRUE(c.rowStart);
    ASSERT_TRUE(c.next());
    EXPECT_FALSE(c.rowStart);
    ASSERT_TRUE(c.next());
    EXPECT_TRUE(c.rowStart);
    EXPECT_EQ(c.y, 1);
}

TEST(AnalyzeCondTest, BoundsTruncatedAndTurnedRound)
{
    AnalyzeCond c;
    c.init(20, 20, 0, 0, QRectF(5.0, 0, -3.0, 1), 1, 1);
    EXPECT_EQ(c.x0, 2);
    EXPECT_EQ(c.x1, 5);
    c.init(20, 20, 0, 0, QRectF(0.6, 0, 9.7, 1), 1, 1);
    EXPECT_EQ(c.x0, 0);
    EXPECT_EQ(c.x1, 10);
}

TEST(AnalyzeCondTest, BoundsNoIntHoldsAreHeldInRange)
{
    AnalyzeCond c;
    c.init(20, 20, 0, 0, QRectF(qQNaN(), 0, 10, 2), 1, 1);
    EXPECT_EQ(c.x0, 0);
    EXPECT_EQ(c.x1, 0);
    EXPECT_EQ(walk(c).size(), 2);

    c.init(20, 20, 0, 0, QRectF(0, 0, 1e20, 1), 1, 1);
    EXPECT_EQ(c.x0, 0);
    EXPECT_GT(c.x1, 0);
    c.init(20, 20, INT_MIN, 0, QRectF(-1e20, 0, 2e20, 1), 1, 1);
    EXPECT_LT(c.x0, 0);
    EXPECT_GT(c.x1, 0);
    EXPECT_GT(c.halfW, 0);
    EXPECT_GT(c.x0 + c.halfW, INT_MIN / 2);

    // A step as large as an int ends the row instead of wrapping round.
    c.init(20, 20, 0, 0, QRectF(0, 0, 10, 3), INT_MAX, INT_MAX);
    EXPECT_EQ(walk(c), QVector<QPoint>({QPoint(0, 0)}));
}

TEST(AnalyzeCondTest, EmptyAreaStillYieldsFirstCentreOfEachRow)
{
    AnalyzeCond c;
    c.init(10, 10, 0, 0, QRectF(0, 0, 0, 2), 1, 1);
    EXPECT_EQ(walk(c), QVector<QPoint>({QPoint(0, 0), QPoint(0, 1)}));
    EXPECT_EQ(c.centreCount(), 2);
}

TEST(AnalyzeCondTest, ZeroStepsAndNegativeHalfSizesEndTheWalk)
{
    AnalyzeCond c;
    c.init(10, 10, 0, 0, QRectF(0, 0, 3, 2), 0, 0);
    EXPECT_EQ(walk(c).size(), 6);

    // A negative half-size is a box of the same size as the positive one.
    c.init(10, 10, -1, -1, QRectF(0, 0, 6, 6), -1, -1);
    EXPECT_EQ(c.halfW, 1);
    EXPECT_EQ(c.stepX, 3);
    EXPECT_EQ(walk(c).size(), 4);

    // Steps written directly afterwards cannot stall the walk either.
    c.stepX = 0;
    c.stepY = -4;
    EXPECT_EQ(walk(c).size(), 5 * 5);
}

TEST(AnalyzeCondTest, FillBlockStaysInsideTheMap)
{
    AnalyzeCond c;
    c.init(4, 3, 1, 1, QRectF(0, 0, 4, 3), 1, 1);
    QVector<double> map(4 * 3, 0.0);
    c.x = 3;
    c.y = 0;
    c.fillBlock(map.data(), 7.0);
    const QVector<double> expected = {0, 0, 7, 7,
                                      0, 0, 7, 7,
                                      0, 0, 0, 0};
    EXPECT_EQ(map, expected);

    // A box wholly outside writes nothing.
    c.x = -5;
    c.y = 10;
    c.fillBlock(map.data(), 1.0);
    EXPECT_EQ(map, expected);
}

// The grid starts at the area's corner, also left of and above the image;
// centres whose box lies wholly off the image are stepped over, so an area of
// extreme bounds walks only the boxes that reach the image.
TEST(AnalyzeCondTest, AreaIsWalkedAsSelectedAndOnlyWhereItsBoxesReachTheImage)
{
    AnalyzeCond c;
    c.init(22, 16, 1, 1, QRectF(-1, -1, 22, 18), -1, -1);
    EXPECT_EQ(c.x0, -1);
    EXPECT_EQ(c.y1, 17);
    QVector<QPoint> grid;
    for (int y = 0; y <= 15; y += 3)
        for (int x = 0; x <= 18; x += 3)
            grid << QPoint(x, y);
    EXPECT_EQ(walk(c), grid);
    EXPECT_EQ(c.centreCount(), 42);

    const double far = 2147483647.0;
    c.init(22, 16, 1, 1, QRectF(-far - 1, -far - 1, 2 * far, 2 * far), -1, -1);
    const QVector<QPoint> centres = walk(c, 1000);
    ASSERT_LT(centres.size(), 1000);
    EXPECT_EQ(centres.size(), c.centreCount());
    for (const QPoint &p : centres)
        EXPECT_TRUE(c.reaches(p.x(), p.y())) << p.x() << "," << p.y();
    EXPECT_EQ(centres.size(), 8 * 6);
}

// Whether a centre the walk visits lies on the image, told without walking,
// agrees with the walk over areas around, across and far past a 9 x 7 image.
TEST(AnalyzeCondTest, CentreOnImageAgreesWithTheWalk)
{
    for (int half : {0, 1, 3, 6})
        for (int step : {-1, 1, 5})
            for (int a = -14; a <= 14; a += 2)
                for (int len : {0, 1, 4, 9, 30}) {
                    AnalyzeCond c;
                    c.init(9, 7, half, half / 2, QRectF(a, a / 2 - 3, len, len / 2 + 1), step, step);
                    const QVector<QPoint> centres = walk(c);
                    const bool on = std::any_of(centres.begin(), centres.end(),
                                                [&](const QPoint &p) { return c.inside(p.x(), p.y()); });
                    EXPECT_EQ(c.centreOnImage(), on) << half << " " << step << " " << a << " " << len;
                }
}
