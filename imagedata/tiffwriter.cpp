#include "imagedata/tiffwriter.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <cstring>
#include <new>
#include <tiffio.h>
#include <vector>

namespace {

// Sets the tags in order; false at the first one the library refuses.
bool setTags(TIFF *tif, int w, int h, bool rgb = false)
{
    return TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(w))
           && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(h))
           && TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_NONE))
           && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                           uint16_t(rgb ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK))
           && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(w))
           && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(rgb ? 3 : 1))
           && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(rgb ? 8 : 16))
           && TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG))
           && TIFFSetField(tif, TIFFTAG_ORIENTATION, uint16_t(ORIENTATION_TOPLEFT));
}

// Rows of rowBytes bytes each, from the top.
bool writeStrips(TIFF *tif, qint64 rowBytes, int h, const uchar *bytes)
{
    uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip < 1)
        return false;
    qint64 written = 0;
    for (tstrip_t s = 0; written < h; s++) {
        const uint32_t n = uint32_t(qMin<qint64>(rowsPerStrip, h - written));
        const tmsize_t size = TIFFVStripSize(tif, n);
        // The library only reads from the buffer.
        void *data = const_cast<uchar *>(bytes + written * rowBytes);
        if (size <= 0 || TIFFWriteEncodedStrip(tif, s, data, size) < 0)
            return false;
        written += n;
    }
    return true;
}

} // namespace

namespace {

// Opens, tags, writes and closes; removes what a failure left behind.
bool writeFile(const QString &fileName, int w, int h, bool rgb, qint64 rowBytes,
               const uchar *bytes)
{
    const QFileInfo before(fileName);
    const bool existed = before.exists();
    const qint64 sizeBefore = existed ? before.size() : 0;
    const QByteArray path = QFile::encodeName(fileName);
    TIFF *tif = TIFFOpen(path.constData(), "w");
    if (!tif) {
        qDebug() << "TiffWriter: can not open" << fileName;
        // The library may have created or emptied the file before failing.
        const QFileInfo after(fileName);
        if (after.exists() && after.size() < 8 && (!existed || after.size() != sizeBefore))
            QFile::remove(fileName);
        return false;
    }
    bool ok = setTags(tif, w, h, rgb) && writeStrips(tif, rowBytes, h, bytes);
    // The directory is written on close; flush first to see whether it went out.
    ok = ok && TIFFFlush(tif);
    TIFFClose(tif);
    if (!ok) {
        qDebug() << "TiffWriter: error writing" << fileName;
        QFile::remove(fileName);
    }
    return ok;
}

} // namespace

bool TiffWriter::writeTiff(const QString &fileName, int w, int h, const quint16 *samples)
{
    if (w < 1 || h < 1 || !samples) {
        qDebug() << "TiffWriter: nothing to write" << w << "x" << h << fileName;
        return false;
    }
    return writeFile(fileName, w, h, false, qint64(w) * 2,
                     reinterpret_cast<const uchar *>(samples));
}

bool TiffWriter::writeRgb(const QString &fileName, const QImage &image)
{
    if (image.isNull()) {
        qDebug() << "TiffWriter: no picture to write" << fileName;
        return false;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const int w = rgb.width(), h = rgb.height();
    // QImage pads its rows; the file's rows are packed.
    const qint64 rowBytes = qint64(w) * 3;
    if (rowBytes * h > qint64(1) << 30) {
        qDebug() << "TiffWriter: picture too large" << w << "x" << h << fileName;
        return false;
    }
    QByteArray packed;
    packed.resize(int(rowBytes * h));
    for (int y = 0; y < h; y++)
        memcpy(packed.data() + y * rowBytes, rgb.constScanLine(y), size_t(rowBytes));
    return writeFile(fileName, w, h, true, rowBytes,
                     reinterpret_cast<const uchar *>(packed.constData()));
}

bool TiffWriter::writeConstTiff(const QString &fileName, int w, int h, quint16 value)
{
    const qint64 n = qint64(w) * h;
    if (w < 1 || h < 1 || n > (qint64(1) << 31)) {
        qDebug() << "TiffWriter: size out of range" << w << "x" << h << fileName;
        return false;
    }
    std::vector<quint16> samples;
    try {
        samples.assign(size_t(n), value);
    } catch (const std::bad_alloc &) {
        qDebug() << "TiffWriter: out of memory for" << w << "x" << h << fileName;
        return false;
    }
    return writeTiff(fileName, w, h, samples.data());
}

bool TiffWriter::writeFlat(const QString &fileName, int w, int h)
{
    return writeConstTiff(fileName, w, h, 1);
}

bool TiffWriter::writeDark(const QString &fileName, int w, int h)
{
    return writeConstTiff(fileName, w, h, 0);
}
