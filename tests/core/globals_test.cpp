#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <gtest/gtest.h>

#include "core/globals.h"
#include "support/testfiles.h"

namespace {

QColor rgbAt(const uchar *p) { return QColor(p[0], p[1], p[2]); }

TEST(ColourTables, ColourAndGreyLookups)
{
    EXPECT_EQ(rgbAt(colorOf(1.0)), QColor(255, 255, 255));
    EXPECT_EQ(colorOf(1.0), colorLut + 3 * 766);
    EXPECT_EQ(colorOf(0.5), colorLut + 3 * 383);
    EXPECT_EQ(rgbAt(colorOf(0.5)), QColor(255, 128, 0));
    EXPECT_EQ(rgbAt(colorOf(-0.2)), QColor(0, 0, 0));
    EXPECT_EQ(rgbAt(colorOf(7.0)), QColor(255, 255, 255));
    EXPECT_EQ(rgbAt(colorOf(std::nan(""))), QColor(0, 0, 0));
    EXPECT_EQ(rgbAt(colorOf(255)), QColor(255, 0, 0));
    EXPECT_EQ(rgbAt(colorOf(510)), QColor(255, 255, 0));
    EXPECT_EQ(rgbAt(colorOf(765)), QColor(255, 255, 255));
    EXPECT_EQ(colorOf(9999), colorLut + 3 * 766);
    EXPECT_EQ(colorOf(-4), colorLut);

    EXPECT_EQ(*greyOf(1.0), 255);
    EXPECT_EQ(*greyOf(0.999), 255);
    EXPECT_EQ(*greyOf(0.5), 128);
    EXPECT_EQ(*greyOf(-1.0), 0);
    EXPECT_EQ(*greyOf(300), 255);
    EXPECT_EQ(*greyOf(-3), 0);
    EXPECT_EQ(*greyOf(17), 17);

    EXPECT_EQ(lookupFuncFor(ImageFormatRGB888)(0.5), colorOf(0.5));
    EXPECT_EQ(lookupFuncFor(ImageFormatGrayscale8)(0.5), greyOf(0.5));
    EXPECT_EQ(lookupFuncFor(4), nullptr);
}

TEST(ColourTables, Palette)
{
    ASSERT_GE(curvePalette().size(), 9);
    EXPECT_EQ(paletteColor(0), QColor(255, 0, 0));
    EXPECT_EQ(paletteColor(4), QColor(255, 0, 200));
    EXPECT_EQ(paletteColor(8), QColor(0, 200, 255));
    EXPECT_EQ(paletteColor(9), paletteColor(0));
    EXPECT_EQ(paletteColor(13), paletteColor(4));
}

TEST(ImageBuffers, StridesAndBuffers)
{
    EXPECT_EQ(bytesPerPixel(ImageFormatRGB888), 3);
    EXPECT_EQ(bytesPerPixel(ImageFormatGrayscale8), 1);
    EXPECT_EQ(rowStride(ImageFormatRGB888, 5), 16);
    EXPECT_EQ(rowStride(ImageFormatGrayscale8, 5), 8);
    EXPECT_EQ(alignedStride(0), 0);
    EXPECT_EQ(alignedStride(8), 8);

    EXPECT_EQ(newImageBuffer(ImageFormatRGB888, 0, 5), nullptr);
    EXPECT_EQ(newImageBuffer(ImageFormatRGB888, 5, 0), nullptr);
    EXPECT_EQ(newImageBuffer(ImageFormatGrayscale8, -2, 5), nullptr);

    uchar *buf = newImageBuffer(ImageFormatRGB888, 5, 3);
    ASSERT_NE(buf, nullptr);
    for (int i = 0; i < 16 * 3; i++)
        ASSERT_EQ(buf[i], 0) << i;
    QImage *img = newImage(ImageFormatRGB888, buf, 5, 3);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->format(), QImage::Format_RGB888);
    EXPECT_EQ(img->bytesPerLine(), 16);
    // The image works on the buffer itself.
    buf[16 + 3] = 200;
    EXPECT_EQ(qRed(img->pixel(1, 1)), 200);
    delete img;
    delete[] buf;

    uchar *grey = newImageBuffer(ImageFormatGrayscale8, 5, 2);
    QImage *gimg = newImage(ImageFormatGrayscale8, grey, 5, 2);
    ASSERT_NE(gimg, nullptr);
    EXPECT_EQ(gimg->format(), QImage::Format_Grayscale8);
    EXPECT_EQ(newImage(5, grey, 5, 2), nullptr);
    delete gimg;
    delete[] grey;
}

TEST(Helpers, FileNamesAndInterpolation)
{
    TestFiles files;
    const QString dir = QFileInfo(files.dir()).absoluteFilePath();
    EXPECT_EQ(addDefaultSuffix(files.path("map"), "dat"), dir + "/map.dat");
    EXPECT_EQ(addDefaultSuffix(files.path("map.tif"), "dat"), dir + "/map.tif");
    EXPECT_EQ(addDefaultSuffix(files.path("a.b.png"), "dat"), dir + "/a.b.png");
    EXPECT_TRUE(QFileInfo(addDefaultSuffix("rel", "dat")).isAbsolute());
    EXPECT_EQ(insertTag(files.path("map.tif"), "cBar"), dir + "/map-cBar.tif");
    EXPECT_EQ(insertTag(files.path("map"), "cBar"), dir + "/map-cBar.");

    EXPECT_DOUBLE_EQ(linearInterpolate(2, 1, 10, 3, 30), 20);
    EXPECT_DOUBLE_EQ(linearInterpolate(5, 1, 10, 3, 30), 50);
    EXPECT_DOUBLE_EQ(linearInterpolate(9, 2, 4, 2, 8), 6);
}

TEST(Helpers, KeyValueInHeaders)
{
    const QByteArray h("Exposure=10ms;Mode=fast;Tail=end");
    EXPECT_EQ(keyValue(h, "Mode=", ';', "none"), "fast");
    EXPECT_EQ(keyValue(h, "Exposure=", ';', "none"), "10ms");
    EXPECT_EQ(keyValue(h, "Absent=", ';', "none"), "none");
    // No delimiter after the key: the rest of the header.
    EXPECT_EQ(keyValue(h, "Tail=", ';', "none"), "end");
    // Stops at a zero byte.
    const QByteArray z("Name=ab\0cd;", 11);
    EXPECT_EQ(keyValue(z, "Name=", ';', ""), "ab");
}

TEST(Helpers, LogLineCarriesTheTime)
{
    DebugCapture log;
    logDebug("loading done");
    ASSERT_FALSE(log.messages().isEmpty());
    const QString line = log.messages().last();
    EXPECT_TRUE(line.contains("loading done"));
    const QRegExp stamp(".*\\d{6} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}.*");
    EXPECT_TRUE(stamp.exactMatch(line)) << line.toStdString();
}

}  // namespace
