#include <QCheckBox>
#include <QFontMetricsF>
#include <QImage>
#include <QLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "../display/widgetevents.h"
#include "display/dispa.h"
#include "imagedata/analyzed2dres.h"
#include "mainwindow/stats.h"
#include "support/screenshot.h"

namespace ev = widgetevents;

namespace {

// A w x h map holding f(x, y) in every pixel, its walk over a (w + extra) x h area.
template <typename F> AnalyzeCond fill(Analyzed2DRes &m, int w, int h, F f, int extra = 0)
{
    AnalyzeCond a;
    a.init(w, h, 0, 0, QRectF(0, 0, w, h), -1, -1);
    m.setArea(a);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            m.setData(x, y, 0, 0, f(x, y));
    a.init(w, h, 0, 0, QRectF(0, 0, w + extra, h), -1, -1);
    return a;
}

struct StatsWindow : ::testing::Test
{
    Stats s;
    Analyzed2DRes map;
    DispA *da = nullptr;

    void SetUp() override
    {
        s.resize(640, 480);
        s.layout()->activate();
        da = s.findChild<DispA *>("DA");
        ASSERT_NE(da, nullptr);
    }
    QString field(const char *name) const { return s.findChild<QLineEdit *>(name)->text(); }
    void setBins(const QString &t) { s.findChild<QLineEdit *>("Bins")->setText(t); }
    QImage plot() const { return da->grab().toImage(); }
    // Colour in the middle of bin i's bar of a map whose bins hold one value each.
    QColor barColour(int i)
    {
        const QImage img = plot();
        const double x = da->coord.realToScreenX(s.minValue() + (i + 0.5) * s.binSize());
        return QColor(img.pixel(int(x), int(da->coord.realToScreenY(0.5))));
    }
    // Separate dark marks on the row just under the plot: the ticks.
    int ticks()
    {
        const QImage img = plot();
        const int y = int(da->coord.winY0) + 5;
        int count = 0;
        bool dark = false;
        for (int x = 0; x < img.width(); x++) {
            const bool d = qGray(img.pixel(x, y)) < 60;
            count += d && !dark;
            dark = d;
        }
        return count;
    }
};

TEST_F(StatsWindow, EmptyAndConstantMapsDrawWithoutDividingByZero)
{
    plot();
    EXPECT_EQ(field("Num"), "0");
    EXPECT_EQ(field("Mean"), "0");

    s.calcStats(&map, fill(map, 4, 3, [](int, int) { return 5.0; }));
    EXPECT_EQ(s.minValue(), 5);
    EXPECT_EQ(s.maxValue(), 5);
    EXPECT_EQ(s.binSize(), 0);
    EXPECT_EQ(s.binCounts().value(0), 12);
    EXPECT_EQ(s.binCounts().count(0), s.binCount() - 1);
    EXPECT_NE(barColour(0), QColor(Qt::white));   // drawn with bins of width 1
    EXPECT_EQ(field("Num"), "12");
    EXPECT_EQ(field("Mean"), "5");
    EXPECT_EQ(field("Sigma"), "0");
}

TEST_F(StatsWindow, CentresOutsideTheMapCountAsZero)
{
    s.calcStats(&map, fill(map, 2, 2, [](int, int) { return 4.0; }, 2));
    plot();
    EXPECT_EQ(field("Num"), "8");
    EXPECT_EQ(field("Mean"), "2");
    EXPECT_EQ(field("Sigma"), "2");
    EXPECT_EQ(s.minValue(), 0);
    EXPECT_EQ(s.binCounts().first(), 4);
    EXPECT_EQ(s.binCounts().last(), 4);
}

TEST_F(StatsWindow, BinCountFromTheFieldIsBounded)
{
    fill(map, 3, 1, [](int x, int) { return double(x); });
    const QStringList typed = {"abc", "0", "-4", "7", "1000000000"};
    const QList<int> expected = {100, 100, 100, 7, 10000};
    for (int i = 0; i < typed.size(); i++) {
        setBins(typed[i]);
        s.calcStats(&map, map.area);
        EXPECT_EQ(s.binCount(), expected[i]) << typed[i].toStdString();
    }
}

TEST_F(StatsWindow, DraggedLimitsPickTheRangeAndExchangeOnRelease)
{
    fill(map, 10, 1, [](int x, int) { return double(x); });
    setBins("10");
    QSignalSpy selected(&s, &Stats::rangeSelected);
    s.calcStats(&map, map.area);
    EXPECT_EQ(selected.count(), 1);
    EXPECT_EQ(s.rangeLow(), 0);
    EXPECT_EQ(s.rangeHigh(), 9);
    plot();
    EXPECT_EQ(field("SelMean"), "4.05");   // lower bin edges 0 .. 8.1, both ends in

    const int y = int(da->coord.realToScreenY(0.5));
    auto px = [&](double v) { return QPointF(int(da->coord.realToScreenX(v) + 0.5), y); };
    ev::drag(da, px(0), px(5));   // lower line to 5
    ev::drag(da, px(9), px(2));   // upper line below it
    EXPECT_GT(selected.count(), 3);
    EXPECT_NEAR(s.rangeLow(), 2, 0.05);
    EXPECT_NEAR(s.rangeHigh(), 5, 0.05);
    EXPECT_EQ(s.selectedLo(), s.rangeLow());
    EXPECT_EQ(s.selectedHi(), s.rangeHigh());
    // Bins starting at 2.7, 3.6 and 4.5 lie in the range, one value each.
    plot();
    EXPECT_EQ(field("SelMean"), "3.6");

    // A press far from both lines drags nothing.
    ev::drag(da, px(7.5), px(8));
    EXPECT_NEAR(s.rangeHigh(), 5, 0.05);

    const int before = selected.count();
    s.findChild<QCheckBox *>("ShowOverImage")->setChecked(false);
    EXPECT_EQ(selected.count(), before + 1);
    EXPECT_FALSE(s.showOverImage());
}

} // namespace

// The value labels under the histogram are drawn whole: their ink stays
// clear of the plot's bottom edge, at the usual window size and a small one.
TEST(StatsWindowLabels, AxisLabelsAreNotCutByTheEdge)
{
    Stats s;
    Analyzed2DRes map;
    s.calcStats(&map, fill(map, 40, 10, [](int x, int y) { return 12345.678 + 37.25 * x + y; }));
    for (const QSize &size : {QSize(640, 480), QSize(420, 300)}) {
        s.resize(size);
        s.layout()->activate();
        DispA *da = s.findChild<DispA *>("DA");
        const QImage img = da->grab().toImage();
        saveScreenshot(&s, QString("stats-%1").arg(size.width()), size.width(), size.height());
        const int below = int(da->coord.winY0) + 12;
        int ink = 0, edgeInk = 0;
        for (int y = below; y < img.height(); y++)
            for (int x = 0; x < img.width(); x++) {
                const bool dark = qGray(img.pixel(x, y)) < 200;
                ink += dark;
                edgeInk += dark && y >= img.height() - 2;
            }
        EXPECT_GT(ink, 60) << size.width();
        EXPECT_EQ(edgeInk, 0) << size.width();
    }
}

// The value labels stand under the tick marks, at about the window's font
// size: the band of the ticks holds nothing but the ticks, and the longest
// label's ink is about as long as its text at the default font.
TEST(StatsWindowLabels, LabelsUnderTheTicksAtTheWindowFont)
{
    Stats s;
    Analyzed2DRes map;
    s.calcStats(&map, fill(map, 40, 10, [](int x, int y) { return 12345.678 + 37.25 * x + y; }));
    s.resize(640, 480);
    s.layout()->activate();
    DispA *da = s.findChild<DispA *>("DA");
    const QImage img = da->grab().toImage();
    const int y0 = int(da->coord.winY0);
    auto dark = [&](int x, int y) { return qGray(img.pixel(x, y)) < 200; };
    int ticks = 0;
    for (int x = 0; x < img.width(); x++) {
        int inBand = 0;
        for (int y = y0 + 4; y <= y0 + 9; y++)
            inBand += dark(x, y);
        EXPECT_TRUE(inBand == 0 || inBand == 6) << x;
        ticks += inBand == 6;
    }
    EXPECT_GE(ticks, 11);
    int last = 0;
    for (int y = y0 + 11; y < img.height(); y++)
        for (int x = 0; x < img.width(); x++)
            if (dark(x, y))
                last = y;
    const double longest = QFontMetricsF(QFont()).horizontalAdvance("1.235e+04");
    EXPECT_GE(last - (y0 + 11), 0.8 * longest);
}
