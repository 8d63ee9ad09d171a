#include "imagedata/tiffwriter.h"

#include <QDebug>
#include <QFile>
#include <QImage>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

#include "core/wholefile.h"

namespace {

// Strips below this size are joined: a tall, narrow image is not written a
// row or two at a time.
const qint64 StripBytes = 8192;

// Rows per strip: the width, as files have always had it, unless such strips
// are small and the image has more rows than one of them.
uint32_t rowsPerStrip(int w, int h, qint64 rowBytes)
{
    qint64 rows = w;
    if (rows < h && rows * rowBytes < StripBytes)
        rows = qMin<qint64>(h, (StripBytes + rowBytes - 1) / qMax<qint64>(rowBytes, 1));
    return uint32_t(rows);
}

// Sets the tags in order; false at the first one the library refuses.
bool setTags(TIFF *tif, int w, int h, qint64 rowBytes, bool rgb)
{
    return TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(w))
           && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(h))
           && TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_NONE))
           && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                           uint16_t(rgb ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK))
           && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip(w, h, rowBytes))
           && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(rgb ? 3 : 1))
           && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(rgb ? 8 : 16))
           && TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG))
           && TIFFSetField(tif, TIFFTAG_ORIENTATION, uint16_t(ORIENTATION_TOPLEFT));
}

// Rows of rowBytes bytes each, from the top.
bool writeStrips(TIFF *tif, qint64 rowBytes, int h, const uchar *bytes)
{
    uint32_t rows = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
    if (rows < 1)
        return false;
    qint64 written = 0;
    for (tstrip_t s = 0; written < h; s++) {
        const uint32_t n = uint32_t(qMin<qint64>(rows, h - written));
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

// The first error the library reports while one file is written: the
// system's reason when there is one, else the library's message.
struct TiffErrors
{
    QString why;

    static int handler(TIFF *, void *user, const char *module, const char *fmt, va_list ap)
    {
        const int err = errno;
        TiffErrors *self = static_cast<TiffErrors *>(user);
        if (self->why.isEmpty()) {
            char text[512];
            vsnprintf(text, sizeof text, fmt, ap);
            self->why = err ? QString::fromLocal8Bit(strerror(err))
                            : QString("%1: %2").arg(QString::fromLocal8Bit(module ? module : ""),
                                                    QString::fromLocal8Bit(text));
        }
        return 1;   // said once, on the writer's own line
    }
};

// Tags and strips into a temporary file beside the target, which replaces the
// target once the library has written all; a failure leaves the target as it was.
bool writeFile(const QString &fileName, int w, int h, bool rgb, qint64 rowBytes,
               const uchar *bytes)
{
    WholeFile out(fileName);
    if (!out.open(false))
        return false;
    TiffErrors errors;
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, &TiffErrors::handler, &errors);
    // The library closes its own descriptor; the file's own is checked on commit.
    const int fd = ::dup(out.handle());
    errno = 0;
    TIFF *tif = fd < 0 ? nullptr
                       : TIFFFdOpenExt(fd, QFile::encodeName(fileName).constData(), "w", options);
    TIFFOpenOptionsFree(options);
    if (!tif) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        out.fail(err ? QString::fromLocal8Bit(strerror(err))
                     : QStringLiteral("the TIFF library can not open it"));
        return false;
    }
    errno = 0;
    // The directory is written on flush: its failure shows here, not on close.
    const bool ok = setTags(tif, w, h, rowBytes, rgb) && writeStrips(tif, rowBytes, h, bytes)
                    && TIFFFlush(tif);
    TIFFClose(tif);
    if (!ok) {
        out.fail(!errors.why.isEmpty() ? errors.why
                                       : QStringLiteral("the TIFF library refused the image"));
        return false;
    }
    return out.commit();
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
