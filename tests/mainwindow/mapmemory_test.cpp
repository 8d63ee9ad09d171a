// Memory of an area run on a large frame: a 4 x 4 fit run over frames of
// 8192 x 8192 pixels, loaded from small compressed files through the I1 panel
// and the loader thread, through the real main and analysis windows.
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <vector>

#include "analysis/ui/analyzer.h"
#include "display/imgdispa.h"
#include "mainwindow/body.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

const int Side = 8192;

// A deflate-compressed 16-bit TIFF of zeros, a few hundred kB on disk.
bool writeZeroTiff(const QString &name)
{
    TIFF *tif = TIFFOpen(QFile::encodeName(name).constData(), "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(Side));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(Side));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 256);
    std::vector<quint16> row(Side, 0);
    bool ok = true;
    for (int y = 0; y < Side && ok; y++)
        ok = TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) == 1;
    TIFFClose(tif);
    return ok;
}

// The peak resident size of this process in kB, since the last reset.
qint64 peakKb()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

bool resetPeak()
{
    QFile f("/proc/self/clear_refs");
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

} // namespace

TEST(MapMemory, FitRunOfFourByFourBlocksOnLargeFramesStaysUnderOneGigabyte)
{
    TestFiles files;
    Body body;
    Analyzer *an = body.analysisWindow();
    for (int k = 0; k < 2; k++) {
        QVector<double> values;
        const QString text =
            resampledSpectrum(k ? "spectra/feo_rt1.dat" : "spectra/fe2o3_rt1.dat", 7050, 2.5, 60, values);
        an->setLCFStd(k, true, 0, files.writeText(QString("ref%1.dat").arg(k), text), "0");
    }
    const QString first = files.path("big_7100_0000.tif");
    ASSERT_TRUE(writeZeroTiff(first));
    ASSERT_LT(QFile(first).size(), 1 << 20);

    if (!resetPeak())
        GTEST_SKIP() << "the peak resident size can not be reset here";
    QSignalSpy done(&body, &Body::finishBatchExec);
    body.readI1Files({first}, true);
    ASSERT_TRUE(waitFor([&] { return done.contains({4}); }, 60000));
    QCoreApplication::processEvents();
    ASSERT_EQ(body.i1Stack().size(), 1);

    body.findChild<QLineEdit *>("HWidth")->setText("0");
    body.findChild<QLineEdit *>("VWidth")->setText("0");
    body.imageView()->setSelectedArea(100, 200, 104, 204);
    done.clear();
    body.start2DAnalysis();
    ASSERT_TRUE(waitFor([&] { return !body.isAnalyzing(); }, 60000));
    EXPECT_TRUE(done.contains({EX_analyzer_exec_LCF}));

    // The residual map, filled by every block, holds the run's 16 cells.
    EXPECT_EQ(an->zansaMap.storedRect(), QRect(100, 200, 4, 4));

    const qint64 peak = peakKb();
    std::printf("peak resident size of the load and the run: %lld kB\n", peak);
    EXPECT_GT(peak, 0);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // The sanitizers' shadow memory and quarantine count in the resident size.
    EXPECT_LT(peak, 1024 * 1024);
#endif
}
