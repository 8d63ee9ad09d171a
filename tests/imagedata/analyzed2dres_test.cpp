#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>

#include <cmath>
#include <limits>
#include <memory>

#include "core/globals.h"
#include "imagedata/analyzed2dres.h"
#include "support/testfiles.h"

namespace {

// A map of w x h cells walked with one-pixel boxes (or the given box) over the whole image.
AnalyzeCond walker(int w, int h, int half = 0, QRectF area = QRectF())
{
    AnalyzeCond c;
    c.init(w, h, half, half, area.isNull() ? QRectF(0, 0, w, h) : area, -1, -1);
    return c;
}

void fill(Analyzed2DRes &m, const QVector<double> &values)
{
    const int w = m.area.width;
    for (int i = 0; i < values.size(); i++)
        m.setData(i % w, i / w, 0, 0, values[i]);
}

// The map's cells in row-major order, as value() or processedValue() reads them.
QVector<double> cells(const Analyzed2DRes &m, bool processed = false)
{
    QVector<double> v;
    for (int y = 0; y < m.area.height; y++)
        for (int x = 0; x < m.area.width; x++)
            v << (processed ? m.processedValue(x, y) : m.value(x, y));
    return v;
}

std::unique_ptr<unsigned short[]> exported(Analyzed2DRes &m, bool useRange, double lo, double hi,
                                           bool areaOnly)
{
    return std::unique_ptr<unsigned short[]>(m.tiffDataForSave(useRange, lo, hi, areaOnly));
}

} // namespace

TEST(Analyzed2DResTest, SetDataFillsClippedBoxAndTracksExtremes)
{
    Analyzed2DRes m("m");
    m.setArea(walker(3, 2));
    m.setData(2, 1, 1, 1, 5.0);
    EXPECT_EQ(cells(m), QVector<double>({0, 5, 5, 0, 5, 5}));
    EXPECT_EQ(m.max, 5.0);
    EXPECT_EQ(m.maxX, 2);
    EXPECT_EQ(m.maxY, 1);

    // The first position of an equal maximum is kept; a box wholly outside
    // still moves the extremes.
    m.setData(0, 0, 0, 0, 5.0);
    EXPECT_EQ(m.maxX, 2);
    m.setData(50, 50, 0, 0, -2.0);
    EXPECT_EQ(m.min, -2.0);
    EXPECT_EQ(m.minX, 50);
    EXPECT_EQ(cells(m), QVector<double>({5, 5, 5, 0, 5, 5}));

    // NaN never becomes an extreme.
    m.setData(0, 1, 0, 0, std::nan(""));
    EXPECT_EQ(m.max, 5.0);
    EXPECT_EQ(m.min, -2.0);
}

TEST(Analyzed2DResTest, SetDataWithHugeBoxesFillsTheMapWithoutWrapping)
{
    Analyzed2DRes m("m");
    m.setArea(walker(3, 2));
    m.setData(-2, 0, std::numeric_limits<int>::max(), 0, 7.0);
    EXPECT_EQ(cells(m), QVector<double>({7, 7, 7, 0, 0, 0}));
    m.setData(1, 1, 0, std::numeric_limits<int>::min(), 4.0);
    EXPECT_EQ(cells(m), QVector<double>({7, 4, 7, 0, 4, 0}));
}

TEST(Analyzed2DResTest, SetAreaEmptiesAndKeepsSettings)
{
    Analyzed2DRes m("m");
    m.setArea(walker(2, 2));
    fill(m, {1, 2, 3, 4});
    m.setFixedScale(true);
    m.setScale(-1, 1);
    m.setArea(walker(3, 1));
    EXPECT_EQ(cells(m), QVector<double>({0, 0, 0}));
    EXPECT_EQ(m.min, 1e300);
    EXPECT_TRUE(m.fixedScale);
    EXPECT_EQ(m.fixedMin, -1.0);
    EXPECT_FALSE(m.imageValid);
}

TEST(Analyzed2DResTest, Export16BitWithGivenRange)
{
    Analyzed2DRes m("m");
    m.setArea(walker(3, 1));
    fill(m, {12, -3, 5});
    for (bool areaOnly : {false, true}) {
        auto out = exported(m, true, 0, 10, areaOnly);
        ASSERT_TRUE(out);
        EXPECT_EQ(out[0], 65535);
        EXPECT_EQ(out[1], 0);
        EXPECT_EQ(out[2], 32767);
        EXPECT_EQ(m.count, 3);
        // A range given the wrong way round still keeps the values apart.
        out = exported(m, true, 10, 0, areaOnly);
        ASSERT_TRUE(out);
        EXPECT_EQ(out[0], 0);
        EXPECT_EQ(out[1], 65535);
        EXPECT_EQ(out[2], 32767);
    }
}

TEST(Analyzed2DResTest, Export16BitOwnRangeIgnoresFixedScale)
{
    Analyzed2DRes m("m");
    m.setArea(walker(2, 1));
    fill(m, {2, 4});
    m.fixedScale = true;
    m.fixedMin = 0;
    m.fixedMax = 100;
    auto out = exported(m, false, 0, 0, false);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 65535);

    // A constant map has a scale of zero width: zeros.
    Analyzed2DRes c("c");
    c.setArea(walker(2, 2));
    fill(c, {3, 3, 3, 3});
    auto flat = exported(c, false, 0, 0, false);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(flat[i], 0);
}

TEST(Analyzed2DResTest, Export16BitAreaModeWritesCentresInWalkOrder)
{
    Analyzed2DRes m("m");
    // 3 x 2 centres of 3 x 3 boxes on a 9 x 6 map.
    m.setArea(walker(9, 6, 1));
    for (int cy : {1, 4})
        for (int cx : {1, 4, 7})
            m.setData(cx, cy, 1, 1, cx + 10 * cy);
    auto full = exported(m, true, 0, 100, false);
    EXPECT_EQ(m.count, 54);
    auto out = exported(m, true, 0, 100, true);
    EXPECT_EQ(m.count, 6);
    int i = 0;
    for (int cy : {1, 4})
        for (int cx : {1, 4, 7})
            EXPECT_EQ(out[i++], full[cy * 9 + cx]);
    EXPECT_LT(out[0], out[1]);
    EXPECT_LT(out[2], out[3]);
}

TEST(Analyzed2DResTest, Export16BitAreaPastTheMapIsClipped)
{
    Analyzed2DRes m("m");
    // The walk covers 10 x 10 centres, the map only 2 x 2 cells.
    AnalyzeCond c;
    c.init(2, 2, 0, 0, QRectF(-4, -4, 10, 10), 1, 1);
    m.setArea(c);
    m.setData(1, 1, 0, 0, 8.0);
    auto out = exported(m, true, 0, 8, true);
    ASSERT_TRUE(out);
    EXPECT_EQ(m.count, 4);
    EXPECT_EQ(out[3], 65535);
}

TEST(Analyzed2DResTest, NonFiniteValuesAreSafe)
{
    Analyzed2DRes m("m");
    m.setArea(walker(4, 1));
    const double inf = std::numeric_limits<double>::infinity();
    fill(m, {std::nan(""), inf, -inf, 5});
    auto out = exported(m, true, 0, 10, false);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 65535);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 32767);

    // An infinite range gives zeros rather than a NaN cast.
    auto wide = exported(m, true, -inf, inf, false);
    EXPECT_EQ(wide[3], 0);

    m.setScale(0, 10);
    m.setFixedScale(true);
    ASSERT_NE(m.img(), nullptr);
    EXPECT_EQ(m.img()->size(), QSize(4, 1));
    EXPECT_EQ(qGray(m.img()->pixel(0, 0)), 0);
    EXPECT_EQ(qGray(m.img()->pixel(1, 0)), 255);
    EXPECT_EQ(qGray(m.img()->pixel(2, 0)), 0);
}

TEST(Analyzed2DResTest, GenImgUsesScaleRule)
{
    Analyzed2DRes m("m");
    m.setArea(walker(3, 1));
    fill(m, {0, 5, 10});
    m.genImg();
    ASSERT_TRUE(m.imageValid);
    EXPECT_EQ(m.img()->format(), QImage::Format_Grayscale8);
    EXPECT_EQ(qGray(m.img()->pixel(0, 0)), 0);
    EXPECT_EQ(qGray(m.img()->pixel(1, 0)), 128);
    EXPECT_EQ(qGray(m.img()->pixel(2, 0)), 255);

    // A fixed scale of zero width gives the lowest colour to values equal to it.
    m.setScale(5, 5);
    m.setFixedScale(true);
    EXPECT_EQ(qGray(m.img()->pixel(1, 0)), 0);
    EXPECT_EQ(qGray(m.img()->pixel(2, 0)), 255);
}

TEST(Analyzed2DResTest, ClearedMapGivesEmptyImageAndNoExport)
{
    Analyzed2DRes m("m");
    m.setArea(walker(2, 2));
    m.clear();
    m.genImg();
    EXPECT_TRUE(m.imageValid);
    ASSERT_NE(m.img(), nullptr);
    EXPECT_TRUE(m.img()->isNull());
    EXPECT_EQ(m.tiffDataForSave(false, 0, 0, false), nullptr);
    // An area that no value was recorded in: nothing in either format.
    TestFiles files;
    m.setArea(walker(2, 2));
    EXPECT_EQ(m.tiffDataForSave(true, 0, 1, true), nullptr);
    EXPECT_FALSE(m.saveAsText(QFileInfo(files.path("none.dat")), false, false, true));
    EXPECT_FALSE(QFileInfo::exists(files.path("none.dat")));
}

TEST(Analyzed2DResTest, DeglitchReplacesSpikeInProcessedCopy)
{
    Analyzed2DRes m("m");
    m.setArea(walker(3, 1));
    fill(m, {1, 9, 1});
    m.deglitch();
    EXPECT_EQ(cells(m, true), QVector<double>({1, 1, 1}));
    EXPECT_EQ(m.procMin, 1.0);
    EXPECT_EQ(m.procMax, 1.0);
    EXPECT_EQ(cells(m), QVector<double>({1, 9, 1}));

    // The processed copy is what is shown and exported once selected.
    m.selectProcImg(true);
    EXPECT_EQ(qGray(m.img()->pixel(1, 0)), 0);
    auto out = exported(m, true, 0, 9, false);
    EXPECT_EQ(out[1], static_cast<unsigned short>(65535.0 / 9));

    m.copyProc2Data();
    EXPECT_EQ(cells(m), QVector<double>({1, 1, 1}));
    EXPECT_EQ(m.max, 1.0);

    Analyzed2DRes one("one");
    one.setArea(walker(1, 1));
    fill(one, {4});
    one.deglitch();
    EXPECT_EQ(one.processedValue(0, 0), 4.0);
}

TEST(Analyzed2DResTest, DeglitchUsesVerticalNeighboursAndFillsBoxes)
{
    Analyzed2DRes m("m");
    // A column of three one-pixel centres, stepped 2 apart, on a 2 x 6 map.
    AnalyzeCond c;
    c.init(2, 6, 0, 0, QRectF(0, 0, 2, 6), 2, 2);
    c.halfW = c.halfH = 0;
    m.setArea(c);
    m.setData(0, 0, 0, 0, 2);
    m.setData(0, 2, 0, 0, 20);
    m.setData(0, 4, 0, 0, 2);
    m.deglitch();
    EXPECT_EQ(m.processedValue(0, 2), 2.0);
    EXPECT_EQ(m.value(0, 2), 20.0);
}

TEST(Analyzed2DResTest, Deglitch2ReplacesOutliersByGoodNeighbours)
{
    Analyzed2DRes m("m");
    m.setArea(walker(3, 3));
    fill(m, {1, 1, 1,
             1, 50, 1,
             1, 1, 1});
    m.deglitch2(5);
    EXPECT_EQ(m.processedValue(1, 1), 1.0);
    EXPECT_EQ(m.procMin, 1.0);
    EXPECT_EQ(m.procMax, 1.0);

    // A threshold below every |v| gives m = 0 and zeros everywhere.
    m.deglitch2(0.5);
    EXPECT_EQ(cells(m, true), QVector<double>(9, 0.0));
}

TEST(Analyzed2DResTest, DeglitchWalkPastTheMapStaysInside)
{
    Analyzed2DRes m("m");
    AnalyzeCond c;
    c.init(3, 3, 1, 1, QRectF(-5, -5, 20, 20), 1, 1);
    m.setArea(c);
    for (int i = 0; i < 9; i++)
        m.setData(i % 3, i / 3, 0, 0, i);
    m.deglitch();
    m.deglitch2(3);
    EXPECT_GE(m.procMin, 0.0);
    EXPECT_LE(m.procMax, 8.0);
}

TEST(Analyzed2DResTest, CopyFromCopiesArraysAndImage)
{
    Analyzed2DRes src("src");
    src.setNo(3);
    src.setArea(walker(2, 2));
    fill(src, {1, 2, 3, 4});
    src.genImg();

    Analyzed2DRes dst("dst");
    dst.copyFrom(&src);
    EXPECT_EQ(dst.name, QString("src"));
    EXPECT_EQ(dst.no, 3);
    EXPECT_EQ(dst.max, 4.0);
    ASSERT_NE(dst.data, nullptr);
    ASSERT_NE(dst.data, src.data);
    EXPECT_EQ(cells(dst), cells(src));
    ASSERT_NE(dst.img(), nullptr);
    EXPECT_EQ(*dst.img(), *src.img());
    EXPECT_NE(dst.imageBuffer, src.imageBuffer);

    // Arrays are copied even when the source has no image yet.
    Analyzed2DRes raw("raw");
    raw.setArea(walker(2, 1));
    fill(raw, {7, 8});
    dst.copyFrom(&raw);
    ASSERT_NE(dst.data, nullptr);
    EXPECT_EQ(cells(dst), QVector<double>({7, 8}));
    EXPECT_FALSE(dst.imageValid);

    // Copying onto itself or from nothing changes nothing.
    dst.copyFrom(&dst);
    dst.copyFrom(nullptr);
    EXPECT_EQ(cells(dst), QVector<double>({7, 8}));
}

TEST(Analyzed2DResTest, TextExportInRowsAndXyLines)
{
    TestFiles files;
    Analyzed2DRes m("m");
    m.setArea(walker(4, 4, 0, QRectF(1, 2, 2, 2)));
    m.setData(1, 2, 0, 0, 1.5);
    m.setData(2, 2, 0, 0, 2);
    m.setData(1, 3, 0, 0, 1234567);
    m.setData(2, 3, 0, 0, -0.25);

    ASSERT_TRUE(m.saveAsText(QFileInfo(files.path("rows.dat")), false, true, false));
    EXPECT_EQ(files.read("rows.dat"), QByteArray("\n1.5,2\n1.23457e+06,-0.25\n"));

    ASSERT_TRUE(m.saveAsText(QFileInfo(files.path("rows2.dat")), true, false, false));
    EXPECT_EQ(files.read("rows2.dat"), QByteArray("\n1.5 2\n1.23457e+06 -0.25\n"));

    ASSERT_TRUE(m.saveAsText(QFileInfo(files.path("xy.dat")), false, true, true));
    EXPECT_EQ(files.read("xy.dat"),
              QByteArray("1,2,1.5\n2,2,2\n1,3,1.23457e+06\n2,3,-0.25\n"));

    ASSERT_TRUE(m.saveAsText(QFileInfo(files.path("xy2.dat")), false, false, true));
    EXPECT_EQ(files.read("xy2.dat").left(8), QByteArray("1 2 1.5\n"));

    DebugCapture log;
    EXPECT_FALSE(m.saveAsText(QFileInfo(files.path("no/such/dir/x.dat")), false, true, true));
    EXPECT_TRUE(log.contains("Can not write"));
}

TEST(Analyzed2DResTest, TextExportPastTheMapListsOnlyItsCells)
{
    TestFiles files;
    Analyzed2DRes m("m");
    AnalyzeCond c;
    c.init(2, 1, 0, 0, QRectF(-1, 0, 4, 2), 1, 1);
    m.setArea(c);
    m.setData(0, 0, 0, 0, 3);
    m.setData(1, 0, 0, 0, 4);
    ASSERT_TRUE(m.saveAsText(QFileInfo(files.path("t.dat")), false, false, false));
    EXPECT_EQ(files.read("t.dat"), QByteArray("\n3 4\n"));
}

// A map over a small area of a large image holds only the area's cells, yet
// shows, exports, deglitches and writes exactly what the same map holding
// every cell does (cells outside the area are 0).
TEST(Analyzed2DResTest, AreaStorageGivesTheSameResultsAsTheWholeMap)
{
    TestFiles files;
    const int W = 40, H = 30;
    // 3 x 3 boxes stepped 2 apart over (10, 5)-(19, 12): overlapping boxes.
    AnalyzeCond c;
    c.init(W, H, 1, 1, QRectF(10, 5, 9, 7), 2, 2);
    Analyzed2DRes part("part"), whole("whole");
    for (Analyzed2DRes *m : {&part, &whole}) {
        m->setArea(c);
        EXPECT_FALSE(m->hasData());
    }
    // The corners get the value 0, so the extremes stay as they are: the first
    // stores the walk's cells and the corner, the second the whole map.
    whole.setData(W - 1, H - 1, 0, 0, 0.0);
    EXPECT_EQ(whole.storedRect(), QRect(QPoint(10, 5), QPoint(W - 1, H - 1)));
    whole.setData(0, 0, 0, 0, 0.0);
    AnalyzeCond a = c;
    int k = 0;
    do {
        const double v = (k++ % 5 == 2) ? 40.0 : std::sin(a.x * 0.7) + 0.1 * a.y - 1.0;
        part.setData(a.x, a.y, a.halfW, a.halfH, v);
        whole.setData(a.x, a.y, a.halfW, a.halfH, v);
    } while (a.next());
    EXPECT_EQ(part.storedRect(), QRect(10, 5, 9, 7));
    EXPECT_EQ(whole.storedRect(), QRect(0, 0, W, H));
    ASSERT_LT(part.min, 0.0);
    EXPECT_EQ(part.min, whole.min);
    EXPECT_EQ(part.max, whole.max);

    auto same = [&](const char *what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(cells(part), cells(whole));
        EXPECT_EQ(cells(part, true), cells(whole, true));
        part.genImg();
        whole.genImg();
        EXPECT_EQ(*part.img(), *whole.img());
        for (bool areaOnly : {false, true}) {
            auto p = exported(part, false, 0, 0, areaOnly);
            auto w = exported(whole, false, 0, 0, areaOnly);
            EXPECT_EQ(part.count, whole.count);
            EXPECT_TRUE(std::equal(p.get(), p.get() + part.count, w.get()));
        }
        ASSERT_TRUE(part.saveAsText(QFileInfo(files.path("p.dat")), false, false, true));
        ASSERT_TRUE(whole.saveAsText(QFileInfo(files.path("w.dat")), false, false, true));
        EXPECT_EQ(files.read("p.dat"), files.read("w.dat"));
    };
    same("as recorded");
    for (Analyzed2DRes *m : {&part, &whole}) {
        m->deglitch();
        m->selectProcImg(true);
    }
    EXPECT_EQ(part.procMin, whole.procMin);
    EXPECT_EQ(part.procMax, whole.procMax);
    same("deglitched");
    for (Analyzed2DRes *m : {&part, &whole}) {
        m->deglitch2(1.5);
        m->copyProc2Data();
        m->selectProcImg(false);
    }
    same("second filter taken into the data");

    // A copy holds the same cells; a value past the area widens the storage
    // and keeps what was there.
    Analyzed2DRes copy("copy");
    copy.copyFrom(&part);
    EXPECT_EQ(cells(copy), cells(part));
    copy.setData(0, 0, 0, 0, 3.0);
    EXPECT_EQ(copy.storedRect(), QRect(0, 0, W, H));
    EXPECT_EQ(copy.value(0, 0), 3.0);
    EXPECT_EQ(copy.value(12, 7), part.value(12, 7));
}
