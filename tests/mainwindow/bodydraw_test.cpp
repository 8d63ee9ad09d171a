#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <functional>
#include <gtest/gtest.h>

#include "../display/widgetevents.h"
#include "analysis/ui/analyzer.h"
#include "display/crosssview.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "support/waitfor.h"
#include "support/imagefixtures.h"
#include "support/screenshot.h"
#include "support/testfiles.h"
#include "support/timing.h"

namespace ev = widgetevents;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *w) { w->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            count++;
        return false;
    }
};

class BodyDraw : public ::testing::Test
{
protected:
    template <typename T> T *widget(const char *name) { return body.findChild<T *>(name); }
    void setBox(int hw, int hh)
    {
        widget<QLineEdit>("HWidth")->setText(QString::number(hw));
        widget<QLineEdit>("VWidth")->setText(QString::number(hh));
    }

    // An I1 frame handed over as the loader hands it; value(x, y) per pixel.
    void addFrame(int w, int h, const std::function<int(int, int)> &value, int eV = 8950)
    {
        TiffData *f = ImageFixtures::frame16(w, h, value);
        f->fileName = QString("f_%1_0000.img").arg(eV);
        body.loadedI1(f, body.i1Stack().size());
    }

    // The analysis window's edge map over the analysis area, value(x, y) per
    // block, chosen for display.
    Analyzed2DRes *showMap(const std::function<double(int, int)> &value)
    {
        Analyzer *a = body.analysisWindow();
        a->findChild<QAbstractButton *>("ShowDEdge")->setChecked(true);
        AnalyzeCond c;
        if (!body.askAnalyzeCond(c))
            return nullptr;
        Analyzed2DRes &map = a->dEdgeMap;
        map.setArea(c);
        do {
            map.setData(c.x, c.y, c.halfW, c.halfH, value(c.x, c.y));
        } while (c.next());
        map.genImg();
        return a->currentMap() == &map ? &map : nullptr;
    }

    void showWindow(int w, int h)
    {
        body.resize(w, h);
        body.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&body));
    }

    Body body;
    TestFiles files;
};

} // namespace

TEST_F(BodyDraw, AnalysisAreaIsTheSelectionOrViewReachingTheImage)
{
    AnalyzeCond c;
    EXPECT_TRUE(body.analysisArea().isEmpty());
    EXPECT_FALSE(body.askAnalyzeCond(c));

    addFrame(10, 8, [](int x, int) { return x; });
    ImgDispA *view = body.imageView();
    EXPECT_EQ(body.analysisArea(), QRectF(0, 0, 10, 8));

    view->viewX = 5;
    view->viewY = -3;
    view->viewW = 20;
    view->viewH = 5;
    EXPECT_EQ(body.analysisArea(), QRectF(5, -3, 20, 5));

    // A selection wins over the view window and is not clipped to the image either.
    view->setSelectedArea(4, 20, -5, 2);
    EXPECT_EQ(body.analysisArea(), QRectF(-5, 2, 9, 18));
    setBox(1, 0);
    ASSERT_TRUE(body.askAnalyzeCond(c));
    EXPECT_EQ(c.width, 10);
    EXPECT_EQ(c.height, 8);
    EXPECT_EQ(c.halfW, 1);
    EXPECT_EQ(c.halfH, 0);
    EXPECT_EQ(c.x0, -5);
    EXPECT_EQ(c.y0, 2);
    EXPECT_EQ(c.stepX, 3);   // boxes side by side

    view->setSelectedArea(20, 20, 30, 30);
    EXPECT_TRUE(body.analysisArea().isEmpty());
    EXPECT_FALSE(body.askAnalyzeCond(c));
}

#if !VANTOSCOPE_CLASSIC
// The statistics of the shown map are computed when the map or the area
// changes, not on every repaint: a window left alone paints nothing.
TEST_F(BodyDraw, IdleWindowWithStatisticsDoesNotRepaint)
{
    setBox(0, 0);
    addFrame(64, 64, [](int x, int y) { return x + y; });
    ASSERT_NE(showMap([](int x, int y) { return double(x * y); }), nullptr);
    widget<QRadioButton>("ShowResAnalysis")->setChecked(true);
    showWindow(1000, 800);
    QSignalSpy ranges(body.statistics(), &Stats::rangeSelected);
    widget<QPushButton>("ShowStatistics")->click();
    EXPECT_TRUE(body.statsOverlayOn());
    QTest::qWait(200);

    PaintCounter paints(body.imageView());
    const int rangesBefore = ranges.count();
    QTest::qWait(300);
    EXPECT_LE(paints.count, 2);
    EXPECT_EQ(ranges.count(), rangesBefore);

    // A new area brings one new computation, then quiet again.
    body.imageView()->setSelectedArea(0, 0, 10, 10);
    EXPECT_TRUE(waitFor([&] { return ranges.count() > rangesBefore; }, 2000));
    QTest::qWait(100);
    paints.count = 0;
    const int rangesAfter = ranges.count();
    QTest::qWait(300);
    EXPECT_LE(paints.count, 2);
    EXPECT_EQ(ranges.count(), rangesAfter);
    body.statistics()->hide();
}

// The blocks whose value lies in the range picked on the histogram are
// outlined over the shown map, and only those; inside the outlines the map
// keeps the colours of its colour bar.
TEST_F(BodyDraw, MarksOnlyBlocksInThePickedRange)
{
    setBox(1, 1);   // 3 x 3 blocks centred at x = 1, 4, 7, 10
    addFrame(12, 9, [](int, int) { return 100; });
    ASSERT_NE(showMap([](int x, int) { return double(x); }), nullptr);
    widget<QRadioButton>("ShowResAnalysis")->setChecked(true);
    showWindow(900, 700);
    // Nothing is marked until the statistics are asked for.
    body.imageView()->grab();
    QTest::qWait(50);
    EXPECT_FALSE(body.statsOverlayOn());
    widget<QPushButton>("ShowStatistics")->click();
    Stats *stats = body.statistics();
    stats->resize(640, 480);
    DispA *da = stats->findChild<DispA *>("DA");
    ASSERT_NE(da, nullptr);
    da->grab();
    EXPECT_EQ(body.statsOverlayLo(), 1);
    EXPECT_EQ(body.statsOverlayHi(), 10);

    const int y = int(da->coord.realToScreenY(0.5));
    auto px = [&](double v) { return QPointF(int(da->coord.realToScreenX(v) + 0.5), y); };
    ev::drag(da, px(10), px(5.5));
    EXPECT_NEAR(body.statsOverlayHi(), 5.5, 0.1);

    ImgDispA *view = body.imageView();
    const QColor mark(255, 200, 200);
    auto markPixels = [&](const QImage &shot, int block) {
        int n = 0;
        const int x0 = int(view->coord.realToScreenX(3 * block));
        const int x1 = int(view->coord.realToScreenX(3 * block + 3));
        const int y0 = int(view->coord.realToScreenY(3)), y1 = int(view->coord.realToScreenY(6));
        for (int sy = y0; sy < y1; sy++)
            for (int sx = x0; sx < x1; sx++)
                n += QColor(shot.pixel(sx, sy)) == mark;
        return n;
    };
    auto centre = [&](const QImage &shot, int block) {
        return shot.pixel(int(view->coord.realToScreenX(3 * block + 1.5)),
                          int(view->coord.realToScreenY(4.5)));
    };
    const QImage shot = view->grab().toImage();
    EXPECT_GT(markPixels(shot, 0), 20);
    EXPECT_GT(markPixels(shot, 1), 20);
    EXPECT_EQ(markPixels(shot, 2), 0);
    EXPECT_EQ(markPixels(shot, 3), 0);

    // Unticking "Show Over Image" takes the marks away; the map's colours
    // inside the blocks were never changed by them.
    stats->findChild<QAbstractButton *>("ShowOverImage")->setChecked(false);
    const QImage plain = view->grab().toImage();
    EXPECT_EQ(markPixels(plain, 0), 0);
    EXPECT_EQ(markPixels(plain, 1), 0);
    for (int block = 0; block < 4; block++)
        EXPECT_EQ(centre(plain, block), centre(shot, block)) << block;
    EXPECT_NE(centre(plain, 0), centre(plain, 1));
    stats->hide();
}

TEST_F(BodyDraw, LargeAreaOverlayRepaintsQuickly)
{
    setBox(0, 0);
    addFrame(512, 512, [](int x, int y) { return (x * 3 + y) % 4000; });
    ASSERT_NE(showMap([](int x, int y) { return double((x + y) % 7); }), nullptr);
    showWindow(1200, 900);
    widget<QPushButton>("ShowStatistics")->click();
    body.statistics()->hide();
    ASSERT_TRUE(body.statsOverlayOn());
    ImgDispA *view = body.imageView();
    view->repaint();

    const int rounds = 10;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; i++)
        view->repaint();
    EXPECT_LT(t.elapsed() / double(rounds), 20.0 * SlowBuild);
}
#endif

// A view with no image (the shift map before one is made) gets no marks:
// no pointer cross, no box, mirrored or not.
TEST_F(BodyDraw, NoMarksOverAViewWithoutImage)
{
    showWindow(900, 700);
    addFrame(40, 30, [](int x, int y) { return 1000 + 10 * x + y; });
    setBox(3, 3);
    ImgDispA *view = body.imageView();
    ev::move(view, QPointF(view->width() / 3, view->height() / 3));
    auto marks = [view] {
        const QImage img = view->grab().toImage();
        int n = 0;
        for (int y = 0; y < img.height(); y++)
            for (int x = 0; x < img.width(); x++) {
                const QColor c = img.pixelColor(x, y);
                n += c == QColor(255, 0, 0) || c == QColor(192, 192, 0);
            }
        return n;
    };
    ASSERT_GT(marks(), 0);
    widget<QRadioButton>("ShowShiftMap")->setChecked(true);
    ev::move(view, QPointF(view->width() / 2, view->height() / 2));
    EXPECT_EQ(marks(), 0);
}

TEST_F(BodyDraw, ScreenshotOfALoadedStack)
{
    QStringList names;
    for (int i = 0; i < 5; i++) {
        QVector<quint16> pixels;
        for (int y = 0; y < 120; y++)
            for (int x = 0; x < 160; x++)
                pixels << quint16(1000 + 20 * i + 30 * ((x - 80) * (x - 80) + (y - 60) * (y - 60) < 1600));
        names << files.write(QString("s_%1_0000.tif").arg(8970 + 10 * i),
                             ImageFixtures::tiff(160, 120, pixels, false, 0.1));
    }
    QSignalSpy done(&body, &Body::finishBatchExec);
    body.i1Panel()->emitFilesSelected(names);
    ASSERT_TRUE(done.wait(20000));
    ASSERT_EQ(body.i1Stack().size(), 5);
    body.imageView()->setSelectedArea(40, 20, 120, 100);
    const QString path = saveScreenshot(&body, "main-window-loaded-stack", 1280, 860);
    if (!screenshotDir().isEmpty()) {
        EXPECT_TRUE(QFileInfo::exists(path));
    }
}

// Corners at the ends of int are drawn as far as they lie on the view: the
// selection's sides run from its bottom edge to the top of the view, and a
// pointer box far right of the image leaves the view free of its colour.
TEST_F(BodyDraw, RectanglesWithExtremeCornersAreDrawnWhereTheyLieOnTheView)
{
    setBox(1, 1);
    addFrame(40, 30, [](int, int) { return 100; });
    showWindow(900, 700);
    ImgDispA *view = body.imageView();
    const QColor area(192, 192, 255), pointer(255, 0, 0);
    auto count = [](const QImage &shot, const QColor &colour, int x0, int x1, int y0, int y1) {
        int n = 0;
        for (int y = qMax(y0, 0); y <= qMin(y1, shot.height() - 1); y++)
            for (int x = qMax(x0, 0); x <= qMin(x1, shot.width() - 1); x++)
                n += QColor(shot.pixel(x, y)) == colour;
        return n;
    };
    view->setSelectedArea(14, 20, 26, INT_MIN);
    QImage shot = view->grab().toImage();
    const int left = int(view->coord.realToScreenX(14));
    const int right = int(view->coord.realToScreenX(26));
    const int bottom = int(view->coord.realToScreenY(20));
    const int top = int(view->coord.realToScreenY(0));
    EXPECT_GT(count(shot, area, left - 1, left + 1, top, bottom - 2), (bottom - top) / 2);
    EXPECT_GT(count(shot, area, right - 1, right + 1, top, bottom - 2), (bottom - top) / 2);
    EXPECT_GT(count(shot, area, left + 2, right - 2, bottom - 1, bottom + 1), (right - left) / 2);

    view->setRealMousePos(2147483647.0, 0);
    shot = view->grab().toImage();
    EXPECT_EQ(count(shot, pointer, 0, shot.width(), 0, shot.height()), 0);
}
