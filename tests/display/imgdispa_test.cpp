#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

#include "core/globals.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "imagedata/analyzecond.h"
#include "imagedata/analyzed2dres.h"
#include "imagedata/tiffdata.h"
#include "widgetevents.h"

namespace ev = widgetevents;

namespace {

// A 16-bit frame in memory whose pixel (x, y) holds x + y.
std::unique_ptr<TiffData> makeFrame(int w, int h)
{
    std::unique_ptr<TiffData> f(new TiffData);
    f->width = w;
    f->height = h;
    f->pixelType = TiffData::PixelImg16;
    for (int y = 0; y < h; y++) {
        quint16 *row = new quint16[w];
        for (int x = 0; x < w; x++)
            row[x] = quint16(x + y);
        f->rows.append(row);
    }
    f->min = 0;
    f->max = w + h - 2;
    return f;
}

struct ImgDispATest : ::testing::Test
{
    ColorBar bar;
    ImgDispA view;
    std::unique_ptr<TiffData> frame = makeFrame(640, 480);
    void SetUp() override
    {
        view.cBar = &bar;
        bar.resize(20, 300);
        view.resize(640, 480);
    }
    void show() { view.setImage(frame.get()); }
    void expectView(double x, double y, double w, double h)
    {
        EXPECT_NEAR(view.viewX, x, 0.01);
        EXPECT_NEAR(view.viewY, y, 0.01);
        EXPECT_NEAR(view.viewW, w, 0.01);
        EXPECT_NEAR(view.viewH, h, 0.01);
    }
    void expectArea(double x, double y, double w, double h)
    {
        EXPECT_DOUBLE_EQ(view.areaX, x);
        EXPECT_DOUBLE_EQ(view.areaY, y);
        EXPECT_DOUBLE_EQ(view.areaW, w);
        EXPECT_DOUBLE_EQ(view.areaH, h);
    }
};

TEST_F(ImgDispATest, FirstFrameFitsTheViewLaterFramesKeepIt)
{
    view.resetImageViewWindow();   // no frame yet: ignored
    expectView(0, 0, 0, 0);
    view.setImage(nullptr);
    EXPECT_EQ(view.frame, nullptr);

    show();
    EXPECT_EQ(view.frame, frame.get());
    ASSERT_NE(frame->image, nullptr);
    EXPECT_EQ(view.frameImage, frame->image);
    expectView(0, 0, 640, 480);

    auto small = makeFrame(100, 50);
    view.setImage(small.get());
    expectView(0, 0, 640, 480);
    view.resetImageViewWindow();
    expectView(0, 0, 100, 50);
}

TEST_F(ImgDispATest, WheelZoomKeepsThePointUnderTheMouse)
{
    show();
    ev::move(&view, QPointF(320, 240));
    ev::wheel(&view, QPointF(320, 240), 120);
    expectView(29.09, 21.82, 581.82, 436.36);

    ev::wheel(&view, QPointF(320, 240), -120);   // and back out
    expectView(0, 0, 640, 480);

    view.zoomEnabled = false;
    ev::wheel(&view, QPointF(320, 240), 120);
    expectView(0, 0, 640, 480);
}

TEST_F(ImgDispATest, EdgeBandsZoomOneAxis)
{
    show();
    ev::move(&view, QPointF(32, 240));   // 5 % from the left
    ev::wheel(&view, QPointF(32, 240), 120);
    EXPECT_DOUBLE_EQ(view.viewX, 0);
    EXPECT_DOUBLE_EQ(view.viewW, 640);
    EXPECT_NEAR(view.viewH, 436.36, 0.01);
    EXPECT_NEAR(view.viewY, 21.82, 0.01);

    view.resetImageViewWindow();
    ev::move(&view, QPointF(320, 470));   // bottom band
    ev::wheel(&view, QPointF(320, 470), 120);
    EXPECT_NEAR(view.viewW, 581.82, 0.01);
    EXPECT_DOUBLE_EQ(view.viewH, 480);
    EXPECT_DOUBLE_EQ(view.viewY, 0);

    view.resetImageViewWindow();
    ev::move(&view, QPointF(635, 5));   // a corner counts as left/right band
    ev::wheel(&view, QPointF(635, 5), 120);
    EXPECT_DOUBLE_EQ(view.viewW, 640);
    EXPECT_NEAR(view.viewH, 436.36, 0.01);
}

TEST_F(ImgDispATest, ZoomStaysWithinBoundsAndNeedsAView)
{
    ev::move(&view, QPointF(320, 240));
    ev::wheel(&view, QPointF(320, 240), 120);   // nothing shown yet
    expectView(0, 0, 0, 0);

    show();
    for (int i = 0; i < 500; i++)
        ev::wheel(&view, QPointF(320, 240), 120);
    EXPECT_DOUBLE_EQ(view.viewW, ImgDispA::MinViewSize);
    EXPECT_DOUBLE_EQ(view.viewH, ImgDispA::MinViewSize);
    EXPECT_NEAR(view.viewX + view.viewW / 2, 320, 1e-6);   // still about the mouse
    for (int i = 0; i < 2000; i++)
        ev::wheel(&view, QPointF(320, 240), -120);
    EXPECT_DOUBLE_EQ(view.viewW, ImgDispA::MaxViewSize);
    EXPECT_TRUE(std::isfinite(view.viewX));
    EXPECT_NEAR(view.viewY + view.viewH / 2, 240, 1e-3);
    EXPECT_FALSE(view.grab().isNull());
}

TEST_F(ImgDispATest, RubberBandSelectsANormalisedArea)
{
    show();
    QSignalSpy selected(&view, &ImgDispA::newAreaSelected), moved(&view, &ImgDispA::mouseMoved);
    ev::press(&view, QPointF(50, 40));
    EXPECT_TRUE(view.selecting);
    expectArea(50, 40, 0, 0);
    ev::move(&view, QPointF(10, 20), Qt::LeftButton);
    expectArea(50, 40, -40, -20);
    ev::release(&view, QPointF(10, 20));
    EXPECT_FALSE(view.selecting);
    EXPECT_TRUE(view.areaValid);
    expectArea(10, 20, 40, 20);
    EXPECT_EQ(selected.count(), 1);
    EXPECT_EQ(moved.count(), 0);   // no position reports while a button is held
    expectView(0, 0, 640, 480);

    // A click without a drag: no signal, the area shrinks to the click point,
    // the flag stays and the old area can be recalled.
    ev::press(&view, QPointF(300, 200));
    ev::release(&view, QPointF(300, 200));
    EXPECT_EQ(selected.count(), 1);
    EXPECT_TRUE(view.areaValid);
    expectArea(300, 200, 0, 0);
    view.recallOldSelectedArea();
    expectArea(10, 20, 40, 20);
}

TEST_F(ImgDispATest, CtrlDragZoomsToTheArea)
{
    show();
    QSignalSpy selected(&view, &ImgDispA::newAreaSelected);
    ev::drag(&view, QPointF(100, 300), QPointF(300, 100), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(selected.count(), 1);
    expectArea(100, 100, 200, 200);
    expectView(100, 100, 200, 200);

    // Image coordinates now follow the zoomed view.
    ev::drag(&view, QPointF(0, 0), QPointF(320, 240));
    expectArea(100, 100, 100, 100);
    expectView(100, 100, 200, 200);
}

TEST_F(ImgDispATest, RightClickClearsTheArea)
{
    show();
    ev::drag(&view, QPointF(10, 10), QPointF(110, 60));
    ASSERT_TRUE(view.areaValid);
    ev::press(&view, QPointF(200, 200), Qt::RightButton);
    ev::release(&view, QPointF(200, 200), Qt::RightButton);
    EXPECT_FALSE(view.areaValid);
    EXPECT_FALSE(view.selecting);
    expectArea(0, 0, 0, 0);
    view.setViewWAsSelectedArea();
    expectView(0, 0, 640, 480);
}

TEST_F(ImgDispATest, ShiftDragPansTheView)
{
    show();
    ev::press(&view, QPointF(100, 100), Qt::LeftButton, Qt::ShiftModifier);
    ev::move(&view, QPointF(110, 120), Qt::LeftButton, Qt::ShiftModifier);
    // Releasing Shift mid-drag keeps the gesture chosen at the press.
    ev::move(&view, QPointF(120, 120), Qt::LeftButton);
    ev::release(&view, QPointF(120, 120));
    expectView(-20, -20, 640, 480);
    EXPECT_FALSE(view.areaValid);

    view.panEnabled = false;
    ev::drag(&view, QPointF(100, 100), QPointF(200, 200), Qt::LeftButton, Qt::ShiftModifier);
    expectView(-20, -20, 640, 480);
}

TEST_F(ImgDispATest, MovesReportImageCoordinates)
{
    QSignalSpy moved(&view, &ImgDispA::mouseMoved);
    // Before any frame a drag changes nothing.
    ev::drag(&view, QPointF(10, 10), QPointF(50, 50));
    EXPECT_DOUBLE_EQ(view.areaW, 0);

    show();
    view.setSelectedArea(0, 0, 320, 240);
    view.setViewWAsSelectedArea();
    moved.clear();
    ev::move(&view, QPointF(101, 51));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_DOUBLE_EQ(moved[0][0].toDouble(), 50.5);
    EXPECT_DOUBLE_EQ(moved[0][1].toDouble(), 25.5);
}

TEST_F(ImgDispATest, AreaFromCornersAndViewFromArea)
{
    show();
    QSignalSpy selected(&view, &ImgDispA::newAreaSelected);
    view.setSelectedArea(10, 20, 5, 8);
    expectArea(10, 20, -5, -12);
    EXPECT_TRUE(view.areaValid);
    EXPECT_EQ(selected.count(), 0);
    view.setViewWAsSelectedArea();
    expectView(5, 8, 5, 12);

    view.setSelectedArea(10, 10, 10, 50);   // empty: the view is kept
    view.setViewWAsSelectedArea();
    expectView(5, 8, 5, 12);
}

TEST_F(ImgDispATest, AFrameRebuildingItsImageIsFollowed)
{
    show();
    bar.lowerLimit = 0.5;   // the bar changed: the frame rebuilds its image
    frame->makeImage(bar.scale());
    view.grab();
    EXPECT_EQ(view.frameImage, frame->image);
    const QImage img = view.viewWindowImage();
    EXPECT_EQ(qGray(img.pixel(300, 200)), 0);
    EXPECT_EQ(qGray(img.pixel(639, 479)), 255);
}

// The saved view image holds the image's own pixels in the view: the full
// view gives the image's size, a view far past the image no more than the
// image, a zoomed view its pixels.
TEST_F(ImgDispATest, ViewWindowImageIsThePartOfTheImageInTheView)
{
    EXPECT_TRUE(view.viewWindowImage().isNull());
    show();
    QImage img = view.viewWindowImage();
    ASSERT_EQ(img.size(), QSize(640, 480));
    EXPECT_EQ(img.pixel(639, 479), frame->image->pixel(639, 479));
    EXPECT_GT(qGray(img.pixel(639, 479)), 250);

    view.setSelectedArea(-20000, -20000, 20000, 20000);
    view.setViewWAsSelectedArea();
    ASSERT_DOUBLE_EQ(view.viewW, 40000);
    img = view.viewWindowImage();
    EXPECT_EQ(img.size(), QSize(640, 480));
    EXPECT_EQ(img.pixel(0, 0), frame->image->pixel(0, 0));

    view.setSelectedArea(100, 50, 110, 58);
    view.setViewWAsSelectedArea();
    img = view.viewWindowImage();
    ASSERT_EQ(img.size(), QSize(10, 8));
    EXPECT_EQ(img.pixel(9, 7), frame->image->pixel(109, 57));

    view.setSelectedArea(700, 0, 800, 100);   // off the image
    view.setViewWAsSelectedArea();
    EXPECT_TRUE(view.viewWindowImage().isNull());
}

TEST_F(ImgDispATest, PaintingAFrameSetsTheMappingAndTheBarRange)
{
    show();
    view.setSelectedArea(320, 240, 640, 480);
    view.setViewWAsSelectedArea();
    const QImage shot = view.grab().toImage();
    EXPECT_DOUBLE_EQ(bar.valueMin, 0);
    EXPECT_DOUBLE_EQ(bar.valueMax, 1118);
    // The widget's top-left shows image point (320, 240), mid-grey.
    EXPECT_NEAR(qGray(shot.pixel(1, 1)), 560 * 256 / 1118, 2);
    EXPECT_DOUBLE_EQ(view.coord.realToScreenX(320), 0);
    EXPECT_DOUBLE_EQ(view.coord.realToScreenY(480), 480);

    QSignalSpy moved(&view, &ImgDispA::mouseMoved);
    view.setRealMousePos(400, 300);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_DOUBLE_EQ(moved[0][0].toDouble(), 400);
    EXPECT_DOUBLE_EQ(moved[0][1].toDouble(), 300);
}

TEST_F(ImgDispATest, OverlayShowsTheMapAndPushesItsRange)
{
    show();
    Analyzed2DRes map("a2d test");
    AnalyzeCond walk;
    walk.init(640, 480, 0, 0, QRectF(0, 0, 640, 480), 1, 1);
    map.setArea(walk);
    map.setData(0, 0, 0, 0, -3.0);
    map.setData(5, 5, 0, 0, 9.0);
    view.setShowOverLayer(true);
    EXPECT_TRUE(view.viewWindowImage().isNull());   // no map yet
    view.overlayMap = &map;
    QImage shot = view.grab().toImage();            // map without image: white
    EXPECT_EQ(QColor(shot.pixel(320, 240)), QColor(Qt::white));

    map.genImg();
    shot = view.grab().toImage();
    EXPECT_DOUBLE_EQ(bar.valueMin, -3);
    EXPECT_DOUBLE_EQ(bar.valueMax, 9);
    EXPECT_EQ(qGray(shot.pixel(0, 0)), 0);            // -3 at the bottom of the scale
    EXPECT_EQ(qGray(shot.pixel(320, 240)), 64);       // 0 is a quarter up
    const QImage part = view.viewWindowImage();
    EXPECT_EQ(part.size(), QSize(640, 480));
    EXPECT_EQ(qGray(part.pixel(5, 5)), 255);

    map.fixedScale = true;
    map.fixedMin = 0;
    map.fixedMax = 100;
    view.grab();
    EXPECT_DOUBLE_EQ(bar.valueMax, 100);
}

} // namespace
