#include <QImage>
#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>

#include "display/crosssview.h"
#include "display/procdispa.h"
#include "widgetevents.h"

namespace ev = widgetevents;

namespace {

QImage render(QWidget &w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int countColour(const QImage &img, const QColor &c)
{
    int n = 0;
    for (int y = 0; y < img.height(); y++)
        for (int x = 0; x < img.width(); x++)
            n += img.pixelColor(x, y) == c;
    return n;
}

} // namespace

TEST(ProcDispA, ReportsImagePointsThroughTheViewWindow)
{
    ProcDispA view;
    view.resize(200, 100);
    QSignalSpy spy(&view, &ProcDispA::mouseMoved);
    // Without image and view window every report is (0, 0).
    ev::move(&view, QPointF(50, 50));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_DOUBLE_EQ(spy.at(0).at(0).toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(spy.at(0).at(1).toDouble(), 0.0);
    EXPECT_FALSE(render(view).isNull());  // no image: nothing but the background

    QImage img(400, 300, QImage::Format_RGB32);
    img.fill(QColor(10, 200, 30));
    view.setImage(&img);
    EXPECT_DOUBLE_EQ(view.viewW, 0.0);  // setImage stores the pointer only
    view.fitToImage();
    EXPECT_DOUBLE_EQ(view.viewW, 400.0);
    EXPECT_DOUBLE_EQ(view.viewH, 300.0);
    ev::move(&view, QPointF(50, 50));
    EXPECT_DOUBLE_EQ(spy.last().at(0).toDouble(), 100.0);
    EXPECT_DOUBLE_EQ(spy.last().at(1).toDouble(), 150.0);

    const QImage shot = render(view);
    EXPECT_EQ(shot.pixelColor(100, 50), QColor(10, 200, 30));
    EXPECT_DOUBLE_EQ(view.coord.realX1, 400.0);
    EXPECT_DOUBLE_EQ(view.coord.screenY1, 100.0);  // y downwards, as the image
}

TEST(ProcDispA, WheelZoomKeepsThePointUnderTheMouse)
{
    ProcDispA view;
    view.resize(200, 100);
    QImage img(400, 300, QImage::Format_RGB32);
    view.setImage(&img);
    view.fitToImage();
    ev::move(&view, QPointF(50, 25));
    const double ix = 50 / 200.0 * view.viewW + view.viewX;
    const double iy = 25 / 100.0 * view.viewH + view.viewY;
    ev::wheel(&view, QPointF(50, 25), 120);
    EXPECT_NEAR(view.viewW, 400 / 1.1, 1e-9);
    EXPECT_NEAR(view.viewH, 300 / 1.1, 1e-9);
    EXPECT_NEAR(50 / 200.0 * view.viewW + view.viewX, ix, 1e-9);
    EXPECT_NEAR(25 / 100.0 * view.viewH + view.viewY, iy, 1e-9);

    // Zoom is bounded both ways and does nothing when disabled.
    for (int i = 0; i < 3000; i++)
        ev::wheel(&view, QPointF(50, 25), 120);
    EXPECT_GE(view.viewW, ProcDispA::MinViewSize);
    for (int i = 0; i < 3000; i++)
        ev::wheel(&view, QPointF(50, 25), -120);
    EXPECT_LE(view.viewW, ProcDispA::MaxViewSize);
    EXPECT_TRUE(std::isfinite(view.viewX));
    view.zoomEnabled = false;
    const double w = view.viewW;
    ev::wheel(&view, QPointF(50, 25), 120);
    EXPECT_DOUBLE_EQ(view.viewW, w);
}

TEST(CrossSView, HorizontalProfileAndMarker)
{
    CrossSView view;
    EXPECT_FALSE(view.zoomEnabled);
    EXPECT_FALSE(view.panEnabled);
    EXPECT_EQ(view.vertical, 0);
    EXPECT_EQ(view.markerPos, 0);
    view.resize(101, 51);
    const QColor marker(192, 192, 0);
    EXPECT_EQ(countColour(render(view), marker), 0);  // no profile: nothing drawn

    view.profile.useOffset = true;
    view.profile.offset = 10;
    for (int i = 0; i <= 100; i++)
        view.profile.addPoint(i + 10, i % 2 ? 5.0 : 0.0);
    view.markerPos = 50;
    const QImage img = render(view);
    EXPECT_DOUBLE_EQ(view.profileCoord.realX0, 0.0);
    EXPECT_DOUBLE_EQ(view.profileCoord.realX1, 100.0);
    const int x = int(view.profileCoord.realToScreenX(50));
    EXPECT_EQ(img.pixelColor(x, 1), marker);
    EXPECT_EQ(img.pixelColor(x, 49), marker);
    EXPECT_GT(countColour(img, QColor(0, 0, 0)), 50);
}

TEST(CrossSView, VerticalProfileRunsUpwards)
{
    CrossSView view;
    view.vertical = 1;
    view.resize(60, 100);
    for (int i = 0; i < 100; i++)
        view.profile.addPoint(i, i / 9.9);
    view.markerPos = 50;
    const QImage img = render(view);
    EXPECT_NEAR(view.profileCoord.realToScreenY(0), 100.0, 1e-9);  // position 0 at the bottom
    EXPECT_NEAR(view.profileCoord.realToScreenX(10.0), 60.0, 1e-9);
    const int y = int(view.profileCoord.realToScreenY(50));
    EXPECT_EQ(img.pixelColor(1, y), QColor(192, 192, 0));
    EXPECT_EQ(img.pixelColor(58, y), QColor(192, 192, 0));
}

TEST(CrossSView, FlatAndOnePointProfilesDrawSafely)
{
    CrossSView view;
    view.resize(80, 40);
    view.profile.addPoint(3, 7);
    view.markerPos = 3;
    EXPECT_FALSE(render(view).isNull());
    for (int i = 0; i < 10; i++)
        view.profile.addPoint(4 + i, 7);
    view.vertical = 1;
    EXPECT_FALSE(render(view).isNull());
}
