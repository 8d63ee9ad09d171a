#include <QMetaType>
#include <memory>
#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/colorscale.h"
#include "imagedata/errpoints.h"
#include "imagedata/tiffdata.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

#include <sys/resource.h>

namespace {

TiffData *frame16(int w, int h, const std::function<int(int, int)> &f)
{
    return ImageFixtures::frame16(w, h, f);
}

TiffData *floatFrame(int w, int h, float v)
{
    return ImageFixtures::floatFrame(w, h, [v](int, int) { return v; });
}

int value(int x, int y) { return x + 10 * y; }

TEST(TiffDataBoxSum, SumsInsidePixelsWithoutRescaling)
{
    std::unique_ptr<TiffData> t(frame16(5, 4, value));
    EXPECT_EQ(t->boxSum(2, 1, 0, 0), 12.0);
    // 3 x 3 around (2, 1): columns 1..3, rows 0..2.
    EXPECT_EQ(t->boxSum(2, 1, 1, 1), 3 * (1 + 2 + 3) + 3 * 10 * (0 + 1 + 2));
    EXPECT_EQ(t->boxSum(2, 1, -1, -1), t->boxSum(2, 1, 1, 1));
    // Corner box half outside: only (0,0),(1,0),(0,1),(1,1).
    EXPECT_EQ(t->boxSum(0, 0, 1, 1), 0 + 1 + 10 + 11);
    EXPECT_EQ(t->boxSum(-5, -5, 1, 1), 0.0);
    EXPECT_EQ(t->boxSum(INT_MAX, INT_MAX, INT_MAX, INT_MAX), t->boxSum(2, 2, 10, 10));
    EXPECT_EQ(t->boxSum(INT_MAX, INT_MIN, INT_MAX, INT_MAX), 0.0);
}

TEST(TiffDataBoxSum, ReadsThroughTheShift)
{
    std::unique_ptr<TiffData> t(frame16(5, 4, value));
    t->shiftX = 2;
    t->shiftY = 1;
    EXPECT_EQ(t->pixelValue(2, 1), value(0, 0));
    EXPECT_EQ(t->pixelValue(4, 3), value(2, 2));
    EXPECT_EQ(t->pixelValue(1, 1), 0.0);
    EXPECT_EQ(t->boxSum(4, 3, 0, 0), value(2, 2));
    EXPECT_EQ(t->boxSum(1, 1, 1, 0), value(0, 0));   // columns 0..2 of row 1 -> only x=2 inside
}

TEST(TiffDataBoxSum, FloatAndEmptyFrames)
{
    std::unique_ptr<TiffData> f(floatFrame(3, 3, 1.5f));
    EXPECT_DOUBLE_EQ(f->boxSum(1, 1, 1, 1), 13.5);
    TiffData empty;
    EXPECT_EQ(empty.boxSum(0, 0, 3, 3), 0.0);
    EXPECT_EQ(empty.pixelValue(0, 0), 0.0);
}

TEST(TiffDataBoxSumAtEnergy, InterpolatesBetweenBracketingFrames)
{
    QVector<TiffData *> stack;
    EXPECT_EQ(boxSumAtEnergy(stack, 100, 0, 0, 0, 0), 1.0);
    for (int i = 0; i < 4; i++) {
        stack << frame16(2, 2, [i](int, int) { return 10 * (i + 1); });
        stack.last()->energy = 100.0 + 10 * i;   // 100 110 120 130 -> sums 40 80 120 160
    }
    EXPECT_DOUBLE_EQ(boxSumAtEnergy(stack, 115, 0, 0, 1, 1), 100.0);
    EXPECT_DOUBLE_EQ(boxSumAtEnergy(stack, 120, 0, 0, 1, 1), 120.0);
    EXPECT_DOUBLE_EQ(boxSumAtEnergy(stack, 90, 0, 0, 1, 1), 0.0);     // extrapolated below
    EXPECT_DOUBLE_EQ(boxSumAtEnergy(stack, 140, 0, 0, 1, 1), 200.0);  // extrapolated above
    EXPECT_DOUBLE_EQ(boxSumAtEnergy(stack, 130, 0, 0, 1, 1), 160.0);

    // Equal energies around E: the mean of their sums.
    stack[2]->energy = 110;
    stack[1]->energy = 110;
    EXPECT_DOUBLE_EQ(boxSumAtEnergy(QVector<TiffData *>{stack[1], stack[2]}, 110, 0, 0, 1, 1),
                     100.0);

    QVector<TiffData *> one{stack[0]};
    EXPECT_DOUBLE_EQ(boxSumAtEnergy(one, 5000, 0, 0, 1, 1), 40.0);
    clearTiffDataList(stack);
    EXPECT_TRUE(stack.isEmpty());
}

TEST(TiffDataRectAverage, MeanIncludesBothEndsAndOutsidePixels)
{
    std::unique_ptr<TiffData> t(frame16(5, 4, value));
    EXPECT_DOUBLE_EQ(t->rectAverage(QRectF(2.9, 1.2, 0.5, 0.9)), value(2, 1));   // 0 x 0
    EXPECT_DOUBLE_EQ(t->rectAverage(QRectF(1, 1, 1, 1)), (11 + 12 + 21 + 22) / 4.0);
    // Partly outside: columns 4..5, rows 3..4 -> only (4,3) inside, divisor 4.
    EXPECT_DOUBLE_EQ(t->rectAverage(QRectF(4, 3, 1, 1)), value(4, 3) / 4.0);
    EXPECT_EQ(t->rectAverage(QRectF(1, 1, -2, 1)), 0.0);
    EXPECT_EQ(t->rectAverage(QRectF(1, 1, 1, qQNaN())), 0.0);
    EXPECT_EQ(t->rectAverage(QRectF(1e30, 1, 1, 1)), 0.0);
}

TEST(TiffDataErrPoints, ReplacesListedPixelsByGoodNeighbourMean)
{
    ErrPoints list;
    list.valid = true;
    list.points << QPoint(2, 1) << QPoint(3, 1) << QPoint(0, 0);
    std::unique_ptr<TiffData> t(frame16(5, 4, value));
    t->errPoints = &list;
    t->applyErrPoints();
    // (2,1): neighbours without (3,1): 1, 2, 3, 11, 21, 22, 23 -> 83 / 7 = 11.857 -> 11.
    EXPECT_EQ(t->pixelValue(2, 1), 11.0);
    // (3,1): neighbours without (2,1): 2, 3, 4, 14, 22, 23, 24 -> 92 / 7 = 13.14 -> 13.
    EXPECT_EQ(t->pixelValue(3, 1), 13.0);
    // (0,0): inside neighbours 1, 10, 11 -> 7.33 -> 7.
    EXPECT_EQ(t->pixelValue(0, 0), 7.0);
    // The range is the one read.
    EXPECT_EQ(t->min, 0.0);
    EXPECT_EQ(t->max, 34.0);
}

TEST(TiffDataErrPoints, AllNeighboursListedOrOutsideGivesZero)
{
    ErrPoints list;
    list.valid = true;
    list.points << QPoint(0, 0) << QPoint(1, 0) << QPoint(0, 1) << QPoint(1, 1);
    std::unique_ptr<TiffData> t(frame16(2, 2, [](int, int) { return 50; }));
    t->errPoints = &list;
    EXPECT_EQ(t->valueErrCorrected(0, 0), 0.0);
    list.valid = false;   // the neighbour test then counts the listed pixels
    EXPECT_EQ(t->valueErrCorrected(0, 0), 50.0);
}

TEST(TiffDataErrPoints, NeighboursAreMatchedInDetectorCoordinates)
{
    // A frame at detector position (100, 200): the list holds detector coordinates.
    ErrPoints list;
    list.valid = true;
    list.points << QPoint(101, 201) << QPoint(102, 201);
    std::unique_ptr<TiffData> t(frame16(4, 4, value));
    t->errOriginX = 100;
    t->errOriginY = 200;
    t->errPoints = &list;
    t->applyErrPoints();
    // (1,1): neighbours without the listed (2,1): 0+1+2+10+20+21+22 = 76 / 7 -> 10.
    EXPECT_EQ(t->pixelValue(1, 1), 10.0);
    EXPECT_EQ(t->pixelValue(2, 1), (1 + 2 + 3 + 13 + 21 + 22 + 23) / 7);
    EXPECT_EQ(t->pixelValue(0, 0), 0.0);   // untouched
}

TEST(TiffDataErrPoints, StoresTruncatedValueInEachType)
{
    ErrPoints list;
    list.valid = true;
    list.points << QPoint(1, 1);
    // Neighbours 123 x 7 and 130 -> 991 / 8 = 123.875 -> 123 in 16 bits.
    std::unique_ptr<TiffData> t(
        frame16(3, 3, [](int x, int y) { return x == 2 && y == 2 ? 130 : 123; }));
    t->errPoints = &list;
    t->applyErrPoints();
    EXPECT_EQ(t->pixelValue(1, 1), 123.0);

    std::unique_ptr<TiffData> f(floatFrame(3, 3, 1.25f));
    f->errPoints = &list;
    static_cast<float *>(f->rows[1])[1] = 99;
    f->applyErrPoints();
    EXPECT_FLOAT_EQ(float(f->pixelValue(1, 1)), 1.25f);
}

TEST(TiffDataImage, GreyImageFollowsValuesAndShift)
{
    std::unique_ptr<TiffData> t(frame16(6, 2, [](int x, int) { return 250 - 50 * x; }));
    t->makeImage();
    ASSERT_NE(t->image, nullptr);
    EXPECT_EQ(t->image->format(), QImage::Format_Grayscale8);
    EXPECT_EQ(t->image->width(), 6);
    EXPECT_EQ(t->image->bytesPerLine(), 8);
    for (int x = 0; x < 6; x++)
        EXPECT_EQ(t->image->constScanLine(1)[x], *greyOf((250 - 50.0 * x) / 250.0)) << x;

    // Shifted two pixels right: the two leftmost columns show the value 0.
    t->shiftX = 2;
    t->makeImage();
    EXPECT_EQ(t->image->constScanLine(0)[0], *greyOf(0.0));
    EXPECT_EQ(t->image->constScanLine(0)[1], *greyOf(0.0));
    EXPECT_EQ(t->image->constScanLine(0)[2], 255);
    EXPECT_EQ(t->image->constScanLine(0)[5], *greyOf(100.0 / 250.0));
    t->shiftX = -3;
    t->shiftY = 1;
    t->makeImage();
    EXPECT_EQ(t->image->constScanLine(0)[0], 0);               // row moved away
    EXPECT_EQ(t->image->constScanLine(1)[0], *greyOf(100.0 / 250.0));
    EXPECT_EQ(t->image->constScanLine(1)[3], 0);
}

TEST(TiffDataImage, LargeSixteenBitFrameMatchesPerPixelColouring)
{
    // Many pixels over a small range: coloured through a value table.
    std::unique_ptr<TiffData> t(frame16(64, 64, [](int x, int y) { return 1000 + (x * 3 + y) % 97; }));
    t->shiftY = -1;
    t->makeImage();
    ASSERT_NE(t->image, nullptr);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            const double f = (t->pixelValue(x, y) - t->min) / (t->max - t->min);
            ASSERT_EQ(t->image->constScanLine(y)[x], *greyOf(f)) << x << "," << y;
        }
}

TEST(TiffDataImage, AllZeroAndFlatFramesNeedNoDivision)
{
    std::unique_ptr<TiffData> zero(frame16(3, 3, [](int, int) { return 0; }));
    zero->min = 0;
    zero->max = 2.2250738585072014e-308;
    zero->makeImage();
    ASSERT_NE(zero->image, nullptr);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 3; x++)
            EXPECT_EQ(zero->image->pixelColor(x, y), QColor(0, 0, 0));

    std::unique_ptr<TiffData> flat(frame16(3, 3, [](int, int) { return 1; }));
    flat->shiftX = 1;
    flat->makeImage();
    ASSERT_NE(flat->image, nullptr);
    EXPECT_EQ(flat->image->constScanLine(0)[0], 0);   // uncovered: value 0, below the range
}

TEST(TiffDataImage, ColoursThroughTheColourScaleSnapshot)
{
    ColorScale scale;
    scale.format = ImageFormatRGB888;
    scale.lowerLimit = 0.25;
    scale.upperLimit = 0.75;
    std::unique_ptr<TiffData> t(frame16(5, 1, [](int x, int) { return x * 25; }));   // f = 0 .. 1
    t->imageFormat = ImageFormatRGB888;
    t->makeImage(scale);
    ASSERT_NE(t->image, nullptr);
    const uchar *row = t->image->constScanLine(0);
    const uchar *first = colorOf(0.0), *mid = colorOf(0.5), *last = colorOf(1.0);
    EXPECT_EQ(QByteArray((const char *)row, 3), QByteArray((const char *)first, 3));
    EXPECT_EQ(QByteArray((const char *)row + 3, 3), QByteArray((const char *)first, 3));
    EXPECT_EQ(QByteArray((const char *)row + 6, 3), QByteArray((const char *)mid, 3));
    EXPECT_EQ(QByteArray((const char *)row + 12, 3), QByteArray((const char *)last, 3));

    // The snapshot stays with the frame: a rebuild colours the same way.
    const QByteArray before((const char *)row, 15);
    t->makeImage();
    EXPECT_EQ(QByteArray((const char *)t->image->constScanLine(0), 15), before);
}

TEST(TiffDataImage, EmptyFrameGetsNoImage)
{
    TiffData t;
    t.makeImage();
    EXPECT_EQ(t.image, nullptr);
    EXPECT_EQ(t.imageBuffer, nullptr);
}

TEST(TiffDataLifecycle, ClearKeepsSizeAndRange)
{
    std::unique_ptr<TiffData> t(frame16(4, 3, value));
    t->makeImage();
    t->clear();
    EXPECT_TRUE(t->rows.isEmpty());
    EXPECT_EQ(t->image, nullptr);
    EXPECT_EQ(t->width, 4u);
    EXPECT_EQ(t->max, 23.0);
    EXPECT_EQ(t->pixelType, int(TiffData::PixelImg16));
    TiffData fresh;
    EXPECT_EQ(fresh.errPoints, &globalErrPoints);
    EXPECT_EQ(fresh.exposureMs, 100.0);
    EXPECT_EQ(fresh.pixelType, int(TiffData::PixelNone));
}

} // namespace

// A frame whose decoded size does not fit the memory the process may use is
// refused from its header, before anything is allocated; smaller ones load.
TEST(TiffDataLimitsTest, FrameLargerThanTheMemoryIsRefusedBeforeDecoding)
{
    TestFiles files;
    ImageFixtures::TiffOptions huge;
    huge.claimedWidth = 16384;
    huge.claimedHeight = 16384;
    const QString tif = files.write("huge.tif", ImageFixtures::tiff(huge));
    const QString img = files.write("huge.img", ImageFixtures::img(16384, 16384, {}, "BytesPerPixel=4,", 4));
    // A text image's header alone claims the size: its body is one value.
    const QString text = files.write("huge.txt", ImageFixtures::textImage(0, 16384, 0, 16384, {1}, 1));
    const QString small = files.write("small.tif",
                                      ImageFixtures::tiff(512, 512, ImageFixtures::pattern16(512, 512)));

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' own mappings count against the data limit";
#endif
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_DATA, &saved), 0);
    struct rlimit low = saved;
    low.rlim_cur = rlim_t(1) << 30;
    if (saved.rlim_max != RLIM_INFINITY && saved.rlim_max < low.rlim_cur)
        GTEST_SKIP() << "data limit below 1 GB already";
    ASSERT_EQ(setrlimit(RLIMIT_DATA, &low), 0);
    DebugCapture log;
    TiffData a, b, c, d;
    const bool loadedTif = a.load(tif, nullptr);
    const bool loadedImg = b.load(img, nullptr);
    const bool loadedSmall = c.load(small, nullptr);
    const bool loadedText = d.load(text, nullptr);
    setrlimit(RLIMIT_DATA, &saved);

    EXPECT_FALSE(loadedTif);
    EXPECT_FALSE(loadedImg);
    EXPECT_FALSE(loadedText);
    EXPECT_EQ(a.rowCount() + b.rowCount() + d.rowCount(), 0);
    EXPECT_EQ(log.count("Image too large for the memory"), 3);
    EXPECT_TRUE(loadedSmall);
    EXPECT_EQ(c.rowCount(), 512);
}
