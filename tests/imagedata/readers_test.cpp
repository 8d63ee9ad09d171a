#include <QElapsedTimer>
#include <QFile>
#include <cmath>
#include <random>
#include <gtest/gtest.h>

#include "imagedata/energyrule.h"
#include "imagedata/errpoints.h"
#include "imagedata/tiffdata.h"
#include "support/hostilefiles.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/timing.h"

namespace {

void expectPixels(const TiffData &t, int w, int h, const QVector<quint16> &px)
{
    ASSERT_EQ(t.width, unsigned(w));
    ASSERT_EQ(t.height, unsigned(h));
    ASSERT_EQ(t.rowCount(), h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            ASSERT_EQ(t.pixelValue(x, y), px[y * w + x]) << x << "," << y;
}

// A failed load says so and leaves no pixels behind.
void expectFailed(const QString &file)
{
    TiffData t;
    EXPECT_FALSE(t.load(file, nullptr)) << file.toStdString();
    EXPECT_TRUE(t.rows.isEmpty());
    EXPECT_EQ(t.image, nullptr);
    EXPECT_EQ(t.boxSum(0, 0, 5, 5), 0.0);
}

class ReadersTest : public ::testing::Test
{
protected:
    TestFiles files;
};

// ---------------------------------------------------------------- TIFF

TEST_F(ReadersTest, TiffBothByteOrdersWithAndWithoutExposure)
{
    const QVector<quint16> px = ImageFixtures::pattern16(7, 5);
    for (bool bigEndian : {false, true}) {
        for (double exposure : {-1.0, 0.25}) {
            SCOPED_TRACE(testing::Message() << "bigEndian " << bigEndian << " exp " << exposure);
            const QString f =
                files.write("a.tif", ImageFixtures::tiff(7, 5, px, bigEndian, exposure));
            TiffData t;
            ASSERT_TRUE(t.load(f, nullptr));
            expectPixels(t, 7, 5, px);
            EXPECT_EQ(t.pixelType, int(TiffData::PixelTiff16));
            EXPECT_DOUBLE_EQ(t.exposureMs, exposure < 0 ? 100.0 : 250.0);
            EXPECT_EQ(t.fileName, f);
            EXPECT_EQ(t.scanlineSize, 14);
            EXPECT_EQ(t.min, 3.0);
            EXPECT_EQ(t.max, double(ImageFixtures::patternValue(6, 4)));
            EXPECT_EQ(t.errOriginX, 0);
            ASSERT_NE(t.image, nullptr);
            EXPECT_EQ(t.image->size(), QSize(7, 5));
        }
    }
}

TEST_F(ReadersTest, TiffWithSeveralStripsAndNonAsciiName)
{
    ImageFixtures::TiffOptions o;
    o.width = 9;
    o.height = 7;
    o.rowsPerStrip = 2;
    o.exposureSeconds = 1.5;
    const QString f = files.write(QString::fromUtf8("Probe-\xc3\xa4\xce\xbb-\xe6\xb8\xac.tif"),
                                  ImageFixtures::tiff(o));
    ASSERT_TRUE(QFile::exists(f));
    TiffData t;
    ASSERT_TRUE(t.load(f, nullptr));
    expectPixels(t, 9, 7, ImageFixtures::pattern16(9, 7));
    EXPECT_DOUBLE_EQ(t.exposureMs, 1500.0);
}

TEST_F(ReadersTest, TiffReplacesBadPixelsOfAValidList)
{
    QVector<quint16> px(16, 40);
    px[5] = 60000;   // (1,1)
    const QString f = files.write("bad.tif", ImageFixtures::tiff(4, 4, px));
    ErrPoints list;
    list.points << QPoint(1, 1);
    TiffData notInUse;
    ASSERT_TRUE(notInUse.load(f, &list));
    EXPECT_EQ(notInUse.pixelValue(1, 1), 60000.0);
    list.valid = true;
    TiffData t;
    ASSERT_TRUE(t.load(f, &list));
    EXPECT_EQ(t.errPoints, &list);
    EXPECT_EQ(t.pixelValue(1, 1), 40.0);
    EXPECT_EQ(t.max, 60000.0);   // range as read
}

TEST_F(ReadersTest, UnsupportedTiffsAreRefused)
{
    ImageFixtures::TiffOptions eight;
    eight.bitsPerSample = 8;
    expectFailed(files.write("8bit.tif", ImageFixtures::tiff(eight)));

    ImageFixtures::TiffOptions rgb;
    rgb.samplesPerPixel = 3;
    expectFailed(files.write("rgb.tif", ImageFixtures::tiff(rgb)));

    ImageFixtures::TiffOptions tiled;
    tiled.width = 16;
    tiled.height = 16;
    tiled.tiled = true;
    expectFailed(files.write("tiled.tif", ImageFixtures::tiff(tiled)));
}

TEST_F(ReadersTest, BrokenTiffsFailWithoutPixels)
{
    ImageFixtures::TiffOptions o;
    o.width = 32;
    o.height = 32;
    const QByteArray whole = ImageFixtures::tiff(o);

    ImageFixtures::TiffOptions lying = o;
    lying.claimedHeight = 4000;   // far more rows than stored
    expectFailed(files.write("tall.tif", ImageFixtures::tiff(lying)));

    ImageFixtures::TiffOptions huge = o;
    huge.claimedWidth = 2000000000;
    huge.claimedHeight = 2000000000;
    expectFailed(files.write("huge.tif", ImageFixtures::tiff(huge)));

    ImageFixtures::TiffOptions zero = o;
    zero.claimedWidth = 0;
    expectFailed(files.write("zero.tif", ImageFixtures::tiff(zero)));

    // Pixels first, directory last: cutting the file loses the directory.
    expectFailed(files.write("cut.tif", whole.left(whole.size() - 20)));
    expectFailed(files.write("head.tif", whole.left(16)));
    expectFailed(files.write("garbage.tif", QByteArray("II*\0", 4) + QByteArray(100, '\xff')));
    expectFailed(files.write("mm.tif", QByteArray("MM\0*", 4) + QByteArray(40, '\0')));
}

// ---------------------------------------------------------------- choice of reader

TEST_F(ReadersTest, ReaderIsChosenByTheFirstBytes)
{
    expectFailed(files.write("short.txt", "#RVKT-CTImg\n#"));   // 13 bytes
    expectFailed(files.write("empty.tif", QByteArray()));
    expectFailed(files.write("mi.tif", "MI" + QByteArray(40, '\0')));
    expectFailed(files.path("missing.tif"));
    expectFailed(files.write("lower.txt", ImageFixtures::textImage(0, 2, 0, 2, {1, 2, 3, 4})
                                              .replace("#RVKT-CTImg", "#rvkt-ctimg")));

    // A TIFF named like a text file is still a TIFF.
    TiffData t;
    ASSERT_TRUE(t.load(files.write("tiff.txt", ImageFixtures::tiff(3, 3, {}, true)), nullptr));
    EXPECT_EQ(t.pixelType, int(TiffData::PixelTiff16));
}

// ---------------------------------------------------------------- ".img"

TEST_F(ReadersTest, ImgSixteenAndThirtyTwoBitPixels)
{
    QVector<quint32> px;
    for (int i = 0; i < 12; i++)
        px << quint32(i * 1000 + 7);
    TiffData t16;
    ASSERT_TRUE(t16.load(files.write("a.img", ImageFixtures::img(4, 3, px,
                                                                 "Mode=x,ExposureTime=0.5,Gain=2",
                                                                 2, 30, 40)),
                         nullptr));
    EXPECT_EQ(t16.pixelType, int(TiffData::PixelImg16));
    EXPECT_EQ(t16.pixelValue(3, 2), 11007.0);
    EXPECT_EQ(t16.min, 7.0);
    EXPECT_EQ(t16.errOriginX, 30);
    EXPECT_EQ(t16.errOriginY, 40);
    EXPECT_DOUBLE_EQ(t16.exposureMs, 500.0);
    ASSERT_NE(t16.image, nullptr);

    px[5] = 4000000000u;
    TiffData t32;
    ASSERT_TRUE(t32.load(files.write("b.img", ImageFixtures::img(4, 3, px,
                                                                 "ExposureTime=250 us,"
                                                                 "BytesPerPixel=4",
                                                                 4)),
                         nullptr));
    EXPECT_EQ(t32.pixelType, int(TiffData::PixelImg32));
    EXPECT_EQ(t32.bytesPerPixel, 4);
    EXPECT_EQ(t32.pixelValue(1, 1), 4000000000.0);
    EXPECT_EQ(t32.max, 4000000000.0);
    EXPECT_DOUBLE_EQ(t32.exposureMs, 0.25);
}

TEST_F(ReadersTest, ImgExposureUnitsAndPixelSizes)
{
    const QVector<quint32> px(4, 9);
    struct Case
    {
        const char *comment;
        double ms;
        int bytesPerPixel;
    } cases[] = {{"ExposureTime=3 min", 3, 2},      {"ExposureTime=  2   s ", 2000, 2},
                 {"ExposureTime=20 ms", 20, 2},     {"", 100, 2},
                 {"BytesPerPixel=1", 100, 1},       {"BytesPerPixel=abc", 100, 0},
                 // Times no exposure can have keep the default, as in TIFF files.
                 {"ExposureTime=nan s", 100, 2},    {"ExposureTime=-5 ms", 100, 2},
                 {"ExposureTime=inf", 100, 2}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.comment);
        TiffData t;
        ASSERT_TRUE(t.load(files.write("c.img", ImageFixtures::img(2, 2, px, c.comment)), nullptr));
        EXPECT_DOUBLE_EQ(t.exposureMs, c.ms);
        EXPECT_EQ(t.bytesPerPixel, c.bytesPerPixel);
        EXPECT_EQ(t.pixelType, int(TiffData::PixelImg16));   // anything but 4 reads 2 bytes
        EXPECT_EQ(t.boxSum(0, 0, 1, 1), 36.0);
    }
}

TEST_F(ReadersTest, ImgBadPixelsUseTheDetectorOrigin)
{
    QVector<quint32> px(9, 100);
    px[4] = 9999;
    ErrPoints list;
    list.valid = true;
    list.points << QPoint(11, 21);
    TiffData t;
    ASSERT_TRUE(t.load(files.write("o.img", ImageFixtures::img(3, 3, px, "", 2, 10, 20)), &list));
    EXPECT_EQ(t.pixelValue(1, 1), 100.0);
}

TEST_F(ReadersTest, BrokenImgFilesFail)
{
    const QVector<quint32> px(12, 5);
    const QByteArray good = ImageFixtures::img(4, 3, px, "ExposureTime=1");
    expectFailed(files.write("trunc.img", good.left(good.size() - 1)));
    expectFailed(files.write("head.img", good.left(15)));
    expectFailed(files.write("wide.img", ImageFixtures::img(4, 3, px, "BytesPerPixel=4", 2)));
    expectFailed(files.write("zero.img", ImageFixtures::img(0, 3, {}, "")));
    expectFailed(files.write("lying.img", ImageFixtures::img(65535, 65535, px, "")));
    QByteArray longComment = good;
    longComment[2] = '\xff';   // comment length beyond the end of the file
    longComment[3] = '\xff';
    expectFailed(files.write("comment.img", longComment));

    TiffData t;
    EXPECT_EQ(t.readImgHeader(files.write("tiny.img", QByteArray("IM\x01\x02\x03\x04\x05\x06\x07", 9))), 0);
    EXPECT_EQ(t.readImgHeader(files.write("ten.img", QByteArray("IM\x00\x00\x02\x00\x01\x00\x05\x00", 10))), 64);
    EXPECT_EQ(t.width, 2u);
    EXPECT_EQ(t.errOriginY, 0);
}

// ---------------------------------------------------------------- text image

TEST_F(ReadersTest, TextImageValuesAreScaledAndClamped)
{
    const QString f = files.write("t.txt", ImageFixtures::textImage(10, 13, 5, 7,
                                                                    {2, -3, 0.5, 1, 0, 4}, -1,
                                                                    "-v2 extra"));
    TiffData t;
    ASSERT_TRUE(t.load(f, nullptr));
    EXPECT_EQ(t.pixelType, int(TiffData::PixelFloat));
    EXPECT_EQ(t.width, 3u);
    EXPECT_EQ(t.height, 2u);
    EXPECT_EQ(t.pixelValue(0, 0), 1000.0);
    EXPECT_EQ(t.pixelValue(1, 0), 0.0);
    EXPECT_EQ(t.pixelValue(2, 0), 250.0);
    EXPECT_EQ(t.pixelValue(2, 1), 2000.0);
    EXPECT_EQ(t.min, 0.0);
    EXPECT_EQ(t.max, 2000.0);
    EXPECT_EQ(t.exposureMs, 100.0);
    EXPECT_EQ(t.readTextHeader(f), 5);
}

TEST_F(ReadersTest, TextImageMissingLinesAreZeroAndBadPixelsAreNotReplaced)
{
    ErrPoints list;
    list.valid = true;
    list.points << QPoint(0, 0);
    QByteArray bytes = ImageFixtures::textImage(0, 2, 0, 2, {3, 1, 1, 1}, 2);
    bytes += "7\n";   // a line without value
    TiffData t;
    ASSERT_TRUE(t.load(files.write("m.txt", bytes), &list));
    EXPECT_EQ(t.pixelValue(0, 0), 1500.0);
    EXPECT_EQ(t.pixelValue(1, 0), 500.0);
    EXPECT_EQ(t.pixelValue(0, 1), 0.0);
    EXPECT_EQ(t.pixelValue(1, 1), 0.0);
}

TEST_F(ReadersTest, TextImageHeadersThatCannotBeHeldFail)
{
    expectFailed(files.write("w0.txt", ImageFixtures::textImage(10, 10, 0, 2, {1, 2})));
    expectFailed(files.write("neg.txt", ImageFixtures::textImage(5, 2, 0, 2, {1, 2})));
    expectFailed(files.write("big.txt", ImageFixtures::textImage(0, 2000000000, 0, 2000000000, {1})));
    expectFailed(files.write("ovf.txt", "#RVKT-CTImg\n# RANGE_X1 = 1e300\n# RANGE_Y1 = 2\n"));
    expectFailed(files.write("nan.txt", "#RVKT-CTImg\n# RANGE_X1 = nan\n# RANGE_Y1 = 2\n1 1 1\n"));
    expectFailed(files.write("span.txt",
                             "#RVKT-CTImg\n# RANGE_X0 = -2147483000\n# RANGE_X1 = 2147483000\n"
                             "# RANGE_Y1 = 1\n"));
    // 40 million pixels declared by a file of a few lines: within the size
    // limit, so read with the missing pixels 0, fast.
    QElapsedTimer clock;
    clock.start();
    TiffData t;
    DebugCapture log;
    ASSERT_TRUE(t.load(files.write("lines.txt", ImageFixtures::textImage(0, 200000, 0, 200, {1})),
                       nullptr));
    // Far below what a line per pixel would take, with room for a loaded
    // machine and the sanitizers.
    EXPECT_LT(clock.elapsed(), 30000 * SlowBuild);
    EXPECT_EQ(t.rowCount(), 200);
    EXPECT_EQ(t.pixelValue(0, 0), 500.0);
    EXPECT_EQ(t.pixelValue(1, 0), 0.0);
    EXPECT_EQ(t.pixelValue(199999, 199), 0.0);
    EXPECT_EQ(log.count("pixels missing"), 1);
    EXPECT_EQ(t.readTextHeader(files.path("nothere.txt")), -1);
}

TEST_F(ReadersTest, ReloadReplacesThePreviousFrame)
{
    TiffData t;
    ASSERT_TRUE(t.load(files.write("a.txt", ImageFixtures::textImage(0, 2, 0, 1, {1, 2})), nullptr));
    ASSERT_TRUE(t.load(files.write("b.img", ImageFixtures::img(3, 1, {4, 5, 6}, "")), nullptr));
    EXPECT_EQ(t.pixelType, int(TiffData::PixelImg16));
    EXPECT_EQ(t.rowCount(), 1);
    EXPECT_EQ(t.boxSum(1, 0, 1, 0), 15.0);
    ASSERT_TRUE(t.load(files.write("c.tif", ImageFixtures::tiff(2, 2, {1, 2, 3, 4})), nullptr));
    EXPECT_EQ(t.boxSum(0, 0, 1, 1), 10.0);
}

// ---------------------------------------------------------------- robustness

TEST_F(ReadersTest, CorruptedFilesFailOrLoadConsistently)
{
    QVector<quint32> px;
    for (int i = 0; i < 40; i++)
        px << quint32(i * 37);
    QVector<double> values;
    for (int i = 0; i < 40; i++)
        values << i * 0.25;
    ImageFixtures::TiffOptions strips;
    strips.width = 8;
    strips.height = 5;
    strips.rowsPerStrip = 2;
    strips.bigEndian = true;
    strips.exposureSeconds = 0.01;
    const QVector<QByteArray> originals = {
        ImageFixtures::tiff(8, 5, ImageFixtures::pattern16(8, 5), false, 0.5),
        ImageFixtures::tiff(strips),
        ImageFixtures::img(8, 5, px, "ExposureTime=1 ms,BytesPerPixel=4", 4),
        ImageFixtures::img(8, 5, px, "ExposureTime=1 ms"),
        ImageFixtures::textImage(0, 8, 0, 5, values)};
    std::mt19937 rng(12345);
    int loaded = 0, failed = 0;
    for (const QByteArray &original : originals) {
        for (int n = 0; n < 150; n++) {
            QByteArray bytes = original;
            std::uniform_int_distribution<int> at(0, bytes.size() - 1);
            if (n % 3 == 0) {
                bytes.truncate(at(rng));
            } else {
                for (int k = 0; k <= n % 4; k++)
                    bytes[at(rng)] = char(rng() & 0xff);
            }
            TiffData t;
            const QString f = files.write("corrupt.bin", bytes);
            if (t.load(f, &globalErrPoints)) {
                loaded++;
                ASSERT_EQ(t.rowCount(), int(t.height));
                ASSERT_GT(t.width, 0u);
                const double sum = t.boxSum(int(t.width) / 2, int(t.height) / 2, 100, 100);
                ASSERT_TRUE(std::isfinite(sum));
                ASSERT_GE(sum, 0.0);
                ASSERT_NE(t.image, nullptr);
            } else {
                failed++;
                ASSERT_TRUE(t.rows.isEmpty());
            }
        }
    }
    EXPECT_GT(loaded, 0);
    EXPECT_GT(failed, 0);
}

} // namespace

// Bad-pixel lists, energy reference files and text images: an endless,
// special or overlong file is refused at once, the previous contents kept
// where the reader keeps them, and nothing is read in part.
TEST_F(ReadersTest, EndlessSpecialAndOverlongTextFilesAreRefused)
{
    QStringList hostile = hostileTextFiles(files);
    QByteArray longText = ImageFixtures::textImage(0, 2, 0, 1, {1, 2});
    longText.insert(longText.indexOf("\n", longText.indexOf("RANGE_Y1")) + 1,
                    QByteArray(40 << 20, ' ') + "\n");
    const QString longImage = files.write("long.txt", longText);
    EnergyRule rule;
    ASSERT_TRUE(rule.loadRefFile(files.write("ref.dat", "x\n13.5\n")));
    for (const QString &path : hostile) {
        ErrPoints list;
        EXPECT_FALSE(list.load(path, false)) << path.toStdString();
        EXPECT_FALSE(list.valid);
        EXPECT_TRUE(list.points.isEmpty());
        EXPECT_FALSE(rule.loadRefFile(path)) << path.toStdString();
        EXPECT_EQ(rule.refEnergies().size(), 1);
        TiffData t;
        EXPECT_EQ(t.readTextHeader(path), -1);
        expectFailed(path);
    }
    expectFailed(longImage);
}
