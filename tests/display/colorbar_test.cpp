#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

#include "core/globals.h"
#include "display/colorbar.h"
#include "imagedata/tiffdata.h"
#include "support/imagefixtures.h"
#include "widgetevents.h"

namespace ev = widgetevents;

namespace {

struct ColorBarTest : ::testing::Test
{
    ColorBar bar;
    void SetUp() override { bar.resize(30, 400); }
    int grey(double v)
    {
        uchar px = 77;
        EXPECT_EQ(bar.colorBytesOf(v, &px), &px + 1);
        return px;
    }
};

TEST_F(ColorBarTest, StartsGreyWithFullLimits)
{
    EXPECT_EQ(bar.format, 24);
    EXPECT_EQ(bar.pixmap.size(), QSize(20, 600));
    EXPECT_DOUBLE_EQ(bar.lowerLimit, 0);
    EXPECT_DOUBLE_EQ(bar.upperLimit, 1);
    EXPECT_DOUBLE_EQ(bar.valueMin, 0);
    EXPECT_DOUBLE_EQ(bar.valueMax, 1);
    EXPECT_FALSE(bar.dragging);
    EXPECT_EQ(bar.draggedLimit, &bar.lowerLimit);
}

TEST_F(ColorBarTest, LimitsStretchTheMap)
{
    bar.lowerLimit = 0.25;
    bar.upperLimit = 0.75;
    EXPECT_EQ(grey(0.2), 0);
    EXPECT_EQ(grey(0.5), 128);
    EXPECT_EQ(grey(0.8), 255);
    EXPECT_EQ(bar.colorOf(0.5), QColor(128, 128, 128));

    bar.format = 13;
    uchar px[3];
    EXPECT_EQ(bar.colorBytesOf(0.5, px), px + 3);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 128);
    EXPECT_EQ(px[2], 0);
    EXPECT_EQ(bar.colorOf(0.8), QColor(255, 255, 255));
    EXPECT_EQ(bar.colorOf(0.1), QColor(0, 0, 0));

    // An upper limit below the lower one inverts the map between them.
    bar.format = 24;
    bar.lowerLimit = 0.75;
    bar.upperLimit = 0.25;
    EXPECT_EQ(grey(0.8), 0);
    EXPECT_EQ(grey(0.3), 230);
    EXPECT_EQ(grey(0.1), 255);
}

TEST_F(ColorBarTest, UndefinedFractionsGiveTheFirstColour)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(grey(nan), 0);          // constant frame: 0 / 0
    EXPECT_EQ(grey(inf), 255);
    EXPECT_EQ(grey(-inf), 0);
    bar.lowerLimit = bar.upperLimit = 0.5;
    EXPECT_EQ(grey(0.4), 0);
    EXPECT_EQ(grey(0.9), 0);
    EXPECT_DOUBLE_EQ(bar.fractionOf(0.9), 0);
    bar.lowerLimit = nan;
    EXPECT_EQ(grey(0.9), 0);
    bar.lowerLimit = 0;
    bar.upperLimit = inf;
    EXPECT_EQ(grey(0.9), 0);

    // A format without a lookup writes nothing.
    bar.format = 5;
    uchar px = 42;
    EXPECT_EQ(bar.colorBytesOf(0.5, &px), &px);
    EXPECT_EQ(px, 42);
}

TEST_F(ColorBarTest, HeightColoursFollowTheWidget)
{
    EXPECT_EQ(bar.colorOfH(200), QColor(128, 128, 128));
    EXPECT_EQ(bar.colorOf(0.5), bar.colorOfH(200));
    EXPECT_EQ(bar.colorOfH(-10), QColor(0, 0, 0));
    EXPECT_EQ(bar.colorOfH(4000), QColor(255, 255, 255));
    bar.resize(30, 0);
    EXPECT_EQ(bar.colorOfH(10), QColor(0, 0, 0));
}

TEST_F(ColorBarTest, PixmapShowsScaleLimitLinesAndLabels)
{
    bar.lowerLimit = 0.25;
    bar.upperLimit = 0.75;
    bar.valueMin = 0;
    bar.valueMax = 65535;
    bar.paintCBar();
    QImage img = bar.pixmap.toImage();
    // Bottom row fraction 0, top row nearly 1; a row in the middle about 0.5.
    EXPECT_EQ(QColor(img.pixel(2, 599)), QColor(0, 0, 0));
    EXPECT_EQ(QColor(img.pixel(2, 0)), QColor(255, 255, 255));
    EXPECT_NEAR(qGray(img.pixel(2, 300)), 128, 2);
    EXPECT_EQ(QColor(img.pixel(2, 150)), QColor(0, 192, 255));
    EXPECT_EQ(QColor(img.pixel(2, 450)), QColor(0, 192, 255));

    // Labels are drawn in their own colour near both ends.
    auto labelPixels = [&](int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = 0; x < img.width(); x++) {
                const QColor c(img.pixel(x, y));
                if (c.green() > 200 && c.red() < 100 && c.blue() > 100 && c.blue() < 230)
                    n++;
            }
        return n;
    };
    EXPECT_GT(labelPixels(0, 100), 0);
    EXPECT_GT(labelPixels(500, 600), 0);
    EXPECT_EQ(labelPixels(250, 350), 0);   // no drag label while idle
    // On a dark backing, at the white end too.
    int darkest = 255;
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < img.width(); x++)
            darkest = qMin(darkest, qGray(img.pixel(x, y)));
    EXPECT_LT(darkest, 80);

    // The widget shows the pixmap stretched.
    const QImage shown = bar.grab().toImage();
    EXPECT_EQ(shown.size(), QSize(30, 400));
    EXPECT_EQ(QColor(shown.pixel(15, 398)), QColor(0, 0, 0));

    // The range of an empty map, or one that is no number, gets no labels.
    for (auto range : {std::make_pair(1e300, -1e300), std::make_pair(std::nan(""), 1.0)}) {
        bar.setValueRange(range.first, range.second);
        img = bar.pixmap.toImage();
        EXPECT_EQ(labelPixels(0, 600), 0) << range.first;
    }
}

TEST_F(ColorBarTest, DraggingTheNearerLimit)
{
    QSignalSpy updating(&bar, &ColorBar::cBarUpdating), updated(&bar, &ColorBar::cBarUpdated);
    ev::press(&bar, QPointF(10, 280));   // 30 % of the height
    EXPECT_TRUE(bar.dragging);
    EXPECT_EQ(bar.draggedLimit, &bar.lowerLimit);
    ev::move(&bar, QPointF(10, 300), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(bar.lowerLimit, 0.25);
    ev::move(&bar, QPointF(10, 440), Qt::LeftButton);   // below the widget: not clamped
    EXPECT_DOUBLE_EQ(bar.lowerLimit, -0.1);
    EXPECT_EQ(updating.count(), 2);
    ev::release(&bar, QPointF(10, 440));
    EXPECT_FALSE(bar.dragging);
    EXPECT_EQ(updated.count(), 1);

    ev::press(&bar, QPointF(10, 40));
    EXPECT_EQ(bar.draggedLimit, &bar.upperLimit);
    ev::move(&bar, QPointF(10, 360), Qt::LeftButton);
    ev::release(&bar, QPointF(10, 360));
    EXPECT_DOUBLE_EQ(bar.upperLimit, 0.1);
    EXPECT_DOUBLE_EQ(bar.lowerLimit, -0.1);

    // Moves without a button neither drag nor signal.
    ev::move(&bar, QPointF(10, 0));
    EXPECT_DOUBLE_EQ(bar.upperLimit, 0.1);
    EXPECT_EQ(updating.count(), 3);
}

// After the limits are dragged, the painted scale shows the same stretch as
// a frame coloured through the bar: a ramp 0..599 down the frame meets the
// bar's pixmap row for row.
TEST_F(ColorBarTest, DraggedScaleMatchesTheColouredImage)
{
    ev::press(&bar, QPointF(10, 280));
    ev::move(&bar, QPointF(10, 300), Qt::LeftButton);
    ev::release(&bar, QPointF(10, 300));
    ev::press(&bar, QPointF(10, 40));
    ev::move(&bar, QPointF(10, 100), Qt::LeftButton);
    ev::release(&bar, QPointF(10, 100));
    ASSERT_DOUBLE_EQ(bar.lowerLimit, 0.25);
    ASSERT_DOUBLE_EQ(bar.upperLimit, 0.75);

    std::unique_ptr<TiffData> ramp(ImageFixtures::frame16(1, 600, [](int, int y) { return 599 - y; }));
    ramp->makeImage(bar.scale());
    const QImage painted = bar.pixmap.toImage();
    int differing = 0;
    for (int y = 0; y < 600; y++) {
        if (y == 150 || y == 450)   // the limit lines
            continue;
        const int shown = qGray(painted.pixel(2, y)), image = qGray(ramp->image->pixel(0, y));
        differing += std::abs(shown - image) > 3;
    }
    EXPECT_EQ(differing, 0);
    // Below the lower limit the first colour, above the upper one the last.
    EXPECT_EQ(qGray(painted.pixel(2, 500)), 0);
    EXPECT_EQ(qGray(painted.pixel(2, 100)), 255);
    EXPECT_EQ(bar.colorOfH(120), bar.colorOf(0.3));
}

TEST_F(ColorBarTest, PressHalfwayBetweenLimitsDragsNothing)
{
    QSignalSpy updating(&bar, &ColorBar::cBarUpdating);
    ev::press(&bar, QPointF(10, 200));
    EXPECT_FALSE(bar.dragging);
    ev::move(&bar, QPointF(10, 100), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(bar.lowerLimit, 0);
    EXPECT_DOUBLE_EQ(bar.upperLimit, 1);
    EXPECT_EQ(updating.count(), 1);   // still reported while the button is held
    ev::release(&bar, QPointF(10, 100));
}

} // namespace
