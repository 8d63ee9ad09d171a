#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <tiffio.h>

#include "imagedata/tiffdata.h"
#include "imagedata/tiffwriter.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

namespace {

struct TiffFile
{
    // "c": strips as stored, not chopped into smaller ones by the library.
    explicit TiffFile(const QString &name)
        : tif(TIFFOpen(QFile::encodeName(name).constData(), "rc"))
    {
    }
    ~TiffFile()
    {
        if (tif)
            TIFFClose(tif);
    }
    uint32_t u32(ttag_t tag) const
    {
        uint32_t v = 0;
        EXPECT_TRUE(TIFFGetField(tif, tag, &v)) << tag;
        return v;
    }
    uint16_t u16(ttag_t tag) const
    {
        uint16_t v = 0;
        EXPECT_TRUE(TIFFGetField(tif, tag, &v)) << tag;
        return v;
    }
    QVector<quint16> strip(tstrip_t s) const
    {
        const tmsize_t n = TIFFRawStripSize(tif, s);
        QVector<quint16> v(int(n / 2));
        EXPECT_EQ(TIFFReadEncodedStrip(tif, s, v.data(), n), n);
        return v;
    }
    TIFF *tif;
};

class TiffWriterTest : public ::testing::Test
{
protected:
    TestFiles files;
    TiffWriter writer;
};

TEST_F(TiffWriterTest, TagsAndStripsOfAWrittenImage)
{
    const QVector<quint16> px = ImageFixtures::pattern16(100, 250);
    const QString f = files.path("map.tif");
    ASSERT_TRUE(writer.writeTiff(f, 100, 250, px.constData()));
    TiffFile t(f);
    ASSERT_NE(t.tif, nullptr);
    EXPECT_EQ(t.u32(TIFFTAG_IMAGEWIDTH), 100u);
    EXPECT_EQ(t.u32(TIFFTAG_IMAGELENGTH), 250u);
    EXPECT_EQ(t.u16(TIFFTAG_COMPRESSION), COMPRESSION_NONE);
    EXPECT_EQ(t.u16(TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(t.u32(TIFFTAG_ROWSPERSTRIP), 100u);   // the width
    EXPECT_EQ(t.u16(TIFFTAG_SAMPLESPERPIXEL), 1);
    EXPECT_EQ(t.u16(TIFFTAG_BITSPERSAMPLE), 16);
    EXPECT_EQ(t.u16(TIFFTAG_PLANARCONFIG), PLANARCONFIG_CONTIG);
    EXPECT_EQ(t.u16(TIFFTAG_ORIENTATION), ORIENTATION_TOPLEFT);
    ASSERT_EQ(TIFFNumberOfStrips(t.tif), 3u);
    EXPECT_EQ(t.strip(0), px.mid(0, 100 * 100));
    EXPECT_EQ(t.strip(1), px.mid(100 * 100, 100 * 100));
    EXPECT_EQ(t.strip(2), px.mid(200 * 100, 50 * 100));

    // A column two samples wide: strips of 8 kB or more, not of two rows.
    const QVector<quint16> column = ImageFixtures::pattern16(2, 10000);
    ASSERT_TRUE(writer.writeTiff(files.path("column.tif"), 2, 10000, column.constData()));
    TiffFile c(files.path("column.tif"));
    EXPECT_GE(c.u32(TIFFTAG_ROWSPERSTRIP) * 4, 8192u);
    QVector<quint16> back;
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(c.tif); s++)
        back += c.strip(s);
    EXPECT_EQ(back, column);
}

TEST_F(TiffWriterTest, WideImageIsOneStripAndReadsBack)
{
    const QVector<quint16> px = ImageFixtures::pattern16(300, 10);
    const QString f = files.path("wide.tif");
    ASSERT_TRUE(writer.writeTiff(f, 300, 10, px.constData()));
    {
        TiffFile t(f);
        ASSERT_NE(t.tif, nullptr);
        EXPECT_EQ(TIFFNumberOfStrips(t.tif), 1u);
        EXPECT_EQ(t.u32(TIFFTAG_ROWSPERSTRIP), 300u);
    }
    TiffData back;
    ASSERT_TRUE(back.load(f, nullptr));
    ASSERT_EQ(back.width, 300u);
    for (int y = 0; y < 10; y++)
        for (int x = 0; x < 300; x++)
            ASSERT_EQ(back.pixelValue(x, y), px[y * 300 + x]);
}

TEST_F(TiffWriterTest, FlatAndDarkFrames)
{
    const QString flat = files.path("flat.dat");
    const QString dark = files.path("dark.dat");
    ASSERT_TRUE(writer.writeFlat(flat, 4, 3));
    ASSERT_TRUE(writer.writeDark(dark, 4, 3));
    TiffData f, d;
    ASSERT_TRUE(f.load(flat, nullptr));
    EXPECT_EQ(f.min, 1.0);
    EXPECT_EQ(f.max, 1.0);
    EXPECT_EQ(f.boxSum(1, 1, 1, 1), 9.0);
    ASSERT_TRUE(d.load(dark, nullptr));
    EXPECT_EQ(d.min, 0.0);
    EXPECT_EQ(d.boxSum(1, 1, 5, 5), 0.0);
}

TEST_F(TiffWriterTest, ReplacesAnExistingFileAndTakesNonAsciiNames)
{
    const QString f = files.path(QString::fromUtf8("Karte-\xc3\xb6\xe5\x9c\xb0.tif"));
    ASSERT_TRUE(writer.writeConstTiff(f, 5, 5, 7));
    ASSERT_TRUE(writer.writeConstTiff(f, 2, 2, 9));
    TiffData t;
    ASSERT_TRUE(t.load(f, nullptr));
    EXPECT_EQ(t.width, 2u);
    EXPECT_EQ(t.boxSum(0, 0, 1, 1), 4 * 9.0);
}

TEST_F(TiffWriterTest, RefusesEmptyImagesAndUnwritablePlaces)
{
    const quint16 one = 1;
    EXPECT_FALSE(writer.writeTiff(files.path("h0.tif"), 5, 0, &one));
    EXPECT_FALSE(writer.writeTiff(files.path("w0.tif"), 0, 5, &one));
    EXPECT_FALSE(writer.writeTiff(files.path("neg.tif"), -3, -3, &one));
    EXPECT_FALSE(writer.writeTiff(files.path("null.tif"), 2, 2, nullptr));
    EXPECT_FALSE(writer.writeDark(files.path("d0.tif"), 0, 0));
    EXPECT_FALSE(writer.writeFlat(files.path("huge.tif"), 1 << 20, 1 << 20));
    EXPECT_FALSE(writer.writeFlat(files.path("nodir/x.tif"), 2, 2));
    EXPECT_TRUE(QDir(files.dir()).entryList(QDir::Files).isEmpty());
}

// Runs f with the size of files written limited to maxBytes, as on a full disk.
template <typename F> bool withFileSizeLimit(rlim_t maxBytes, F f)
{
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = maxBytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    const bool result = f();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    return result;
}

TEST_F(TiffWriterTest, FailedWriteLeavesNoFile)
{
    const QVector<quint16> px = ImageFixtures::pattern16(64, 64);   // 8 KB of samples
    const QString midway = files.path("midway.tif");
    EXPECT_FALSE(withFileSizeLimit(4096, [&] { return writer.writeTiff(midway, 64, 64, px.constData()); }));
    EXPECT_FALSE(QFileInfo::exists(midway));

    const QString header = files.path("header.tif");
    EXPECT_FALSE(withFileSizeLimit(4, [&] { return writer.writeFlat(header, 4, 4); }));
    EXPECT_FALSE(QFileInfo::exists(header));
}

TEST_F(TiffWriterTest, FileThatCannotBeOpenedIsLeftAsItWas)
{
    const QString dir = files.path("adir.tif");
    ASSERT_TRUE(QDir().mkpath(dir + "/inner"));
    EXPECT_FALSE(writer.writeFlat(dir, 4, 4));
    EXPECT_TRUE(QFileInfo(dir + "/inner").isDir());

    const QString readOnly = files.write("keep.tif", QByteArray(100, 'x'));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    if (QFileInfo(readOnly).isWritable())
        GTEST_SKIP() << "running with permissions that ignore read-only files";
    EXPECT_FALSE(writer.writeFlat(readOnly, 4, 4));
    EXPECT_EQ(QFileInfo(readOnly).size(), 100);
}

} // namespace
