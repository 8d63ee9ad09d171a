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

QVector<double> cells(const double *a, int n)
{
    return QVector<double>(a, a + n);
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
    EXPECT_EQ(cells(m.data, 6), QVector<double>({0, 5, 5, 0, 5, 5}));
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
    EXPECT_EQ(cells(m.data, 6), QVector<double>({5, 5, 5, 0, 5, 5}));

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
    EXPECT_EQ(cells(m.data, 6), QVector<double>({7, 7, 7, 0, 0, 0}));
    m.setData(1, 1, 0, std::numeric_limits<int>::min(), 4.0);
    EXPECT_EQ(cells(m.data, 6), QVector<double>({7, 4, 7, 0, 4, 0}));
}

TEST(Analyzed2DResTest, SetAreaEmptiesAndKeepsSettings)
{
    Analyzed2DRes m("m");
    m.setArea(walker(2, 2));
    fill(m, {1, 2, 3, 4});
    m.setFixedScale(true);
    m.setScale(-1, 1);
    m.setArea(walker(3, 1));
    EXPECT_EQ(cells(m.data, 3), QVector<double>({0, 0, 0}));
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
    m.data[0] = std::nan("");
    m.data[1] = inf;
    m.data[2] = -inf;
    m.data[3] = 5;
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
}

TEST(Analyzed2DResTest, DeglitchReplacesSpikeInProcessedCopy)
{
    Analyzed2DRes m("m");
    m.setArea(walker(3, 1));
    fill(m, {1, 9, 1});
    m.deglitch();
    EXPECT_EQ(cells(m.procData, 3), QVector<double>({1, 1, 1}));
    EXPECT_EQ(m.procMin, 1.0);
    EXPECT_EQ(m.procMax, 1.0);
    EXPECT_EQ(cells(m.data, 3), QVector<double>({1, 9, 1}));

    // The processed copy is what is shown and exported once selected.
    m.selectProcImg(true);
    EXPECT_EQ(qGray(m.img()->pixel(1, 0)), 0);
    auto out = exported(m, true, 0, 9, false);
    EXPECT_EQ(out[1], static_cast<unsigned short>(65535.0 / 9));

    m.copyProc2Data();
    EXPECT_EQ(cells(m.data, 3), QVector<double>({1, 1, 1}));
    EXPECT_EQ(m.max, 1.0);

    Analyzed2DRes one("one");
    one.setArea(walker(1, 1));
    fill(one, {4});
    one.deglitch();
    EXPECT_EQ(one.procData[0], 4.0);
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
    EXPECT_EQ(m.procData[2 * 2], 2.0);
    EXPECT_EQ(m.data[2 * 2], 20.0);
}

TEST(Analyzed2DResTest, Deglitch2ReplacesOutliersByGoodNeighbours)
{
    Analyzed2DRes m("m");
    m.setArea(walker(3, 3));
    fill(m, {1, 1, 1,
             1, 50, 1,
             1, 1, 1});
    m.deglitch2(5);
    EXPECT_EQ(m.procData[4], 1.0);
    EXPECT_EQ(m.procMin, 1.0);
    EXPECT_EQ(m.procMax, 1.0);

    // A threshold below every |v| gives m = 0 and zeros everywhere.
    m.deglitch2(0.5);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(m.procData[i], 0.0);
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
    EXPECT_EQ(cells(dst.data, 4), cells(src.data, 4));
    ASSERT_NE(dst.img(), nullptr);
    EXPECT_EQ(*dst.img(), *src.img());
    EXPECT_NE(dst.imageBuffer, src.imageBuffer);

    // Arrays are copied even when the source has no image yet.
    Analyzed2DRes raw("raw");
    raw.setArea(walker(2, 1));
    fill(raw, {7, 8});
    dst.copyFrom(&raw);
    ASSERT_NE(dst.data, nullptr);
    EXPECT_EQ(cells(dst.data, 2), QVector<double>({7, 8}));
    EXPECT_FALSE(dst.imageValid);

    // Copying onto itself or from nothing changes nothing.
    dst.copyFrom(&dst);
    dst.copyFrom(nullptr);
    EXPECT_EQ(cells(dst.data, 2), QVector<double>({7, 8}));
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
    EXPECT_TRUE(log.contains("Can't open"));
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
