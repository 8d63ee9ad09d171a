#include "imagedata/tiffdata.h"

#include <QDebug>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <QSysInfo>
#include <QtEndian>
#include <climits>
#include <cmath>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <tiffio.h>
#include <vector>
#include "core/boundedlinereader.h"
#include "core/globals.h"
#include "core/stringutil.h"
#include "imagedata/errpoints.h"
#include "imagedata/tiffdatabudget.h"
#include "imagedata/tiffdatalimits.h"

// The three readers of detector frames: TIFF, ".img" and text images.

using namespace TiffDataLimits;

namespace TiffDataLimits {

void range16(const quint16 *p, qint64 n, int &lo, int &hi)
{
    int mn = 65535, mx = 0;
    qint64 i = 0;
#ifdef __SSE2__
    // 8 pixels at a time: offset to signed, min/max, back.
    if (n >= 8) {
        const __m128i flip = _mm_set1_epi16(short(0x8000));
        __m128i a = _mm_set1_epi16(SHRT_MAX), b = _mm_set1_epi16(SHRT_MIN);
        for (; i + 8 <= n; i += 8) {
            const __m128i v =
                _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i)), flip);
            a = _mm_min_epi16(a, v);
            b = _mm_max_epi16(b, v);
        }
        alignas(16) short as[8], bs[8];
        _mm_store_si128(reinterpret_cast<__m128i *>(as), a);
        _mm_store_si128(reinterpret_cast<__m128i *>(bs), b);
        for (int k = 0; k < 8; k++) {
            mn = qMin(mn, int(quint16(as[k]) ^ 0x8000u));
            mx = qMax(mx, int(quint16(bs[k]) ^ 0x8000u));
        }
    }
#endif
    for (; i < n; i++) {
        mn = qMin(mn, int(p[i]));
        mx = qMax(mx, int(p[i]));
    }
    lo = mn;
    hi = mx;
}

} // namespace TiffDataLimits

namespace {

const char TextImageMagic[] = "#RVKT-CTImg";

template <typename T> void foldRange(const T *p, unsigned int n, double &lo, double &hi)
{
    if (n == 0)
        return;
    T a = p[0], b = p[0];
    for (unsigned int i = 1; i < n; i++) {
        a = p[i] < a ? p[i] : a;
        b = p[i] > b ? p[i] : b;
    }
    if (double(b) > hi)
        hi = double(b);
    if (double(a) < lo)
        lo = double(a);
}

template <> void foldRange<quint16>(const quint16 *p, unsigned int n, double &lo, double &hi)
{
    if (n == 0)
        return;
    int mn = 0, mx = 0;
    range16(p, n, mn, mx);
    if (double(mx) > hi)
        hi = double(mx);
    if (double(mn) < lo)
        lo = double(mn);
}

// ExposureTime of the EXIF directory just read, in the width libtiff stores it
// (float or double, depending on the library version).
bool exposureTime(TIFF *tif, double &seconds)
{
    const TIFFField *field = TIFFFieldWithTag(tif, EXIFTAG_EXPOSURETIME);
    if (!field)
        return false;
    if (TIFFFieldSetGetSize(field) == int(sizeof(float))) {
        float t = 0;
        if (!TIFFGetField(tif, EXIFTAG_EXPOSURETIME, &t))
            return false;
        seconds = t;
        return true;
    }
    if (TIFFFieldSetGetSize(field) != int(sizeof(double)))
        return false;
    double t = 0;
    if (!TIFFGetField(tif, EXIFTAG_EXPOSURETIME, &t))
        return false;
    seconds = t;
    return true;
}

struct TiffCloser
{
    void operator()(TIFF *tif) const { TIFFClose(tif); }
};

} // namespace

bool TiffData::allocPixelBlock(size_t bytes)
{
    freePixelBlock();
    pixelBlock = std::malloc(bytes);
    return pixelBlock != nullptr;
}

void TiffData::freePixelBlock()
{
    std::free(pixelBlock);
    pixelBlock = nullptr;
}

bool TiffData::load(const QString &fileName, const ErrPoints *list, TiffDataBudget *budget,
                    int turn)
{
    this->budget = budget;
    budgetTurn = turn;
    bool ok = false;
    try {
        ok = loadChosen(fileName, list);
    } catch (const std::bad_alloc &) {
        failRead();
        qDebug() << "Out of memory reading" << fileName;
    }
    // A file not read as far as its size passes its turn on.
    if (this->budget)
        this->budget->pass(turn);
    this->budget = nullptr;
    return ok;
}

bool TiffData::loadChosen(const QString &fileName, const ErrPoints *list)
{
    if (list)
        errPoints = list;
    QString why;
    QFile f(fileName);
    // Checked first: opening a FIFO would wait for a writer.
    if (!BoundedLineReader::isReadableFile(fileName, &why) || !f.open(QIODevice::ReadOnly)) {
        qDebug() << "Can not open (1)" << fileName << why;
        failRead();
        return false;
    }
    const QByteArray head = f.read(15);
    f.close();
    if (head.size() < 15) {
        qDebug() << "Error on reading file (1)" << fileName;
        failRead();
        return false;
    }
    if (head.startsWith("II") || head.startsWith("MM"))
        return readTiff(fileName);
    if (head.startsWith("IM"))
        return readImg(fileName);
    const int zero = head.indexOf('\0');
    const QByteArray text = zero >= 0 ? head.left(zero) : head;
    if (text.left(11) == TextImageMagic)
        return readText(fileName);
    qDebug() << "Unknown image format" << fileName;
    failRead();
    return false;
}

bool TiffData::readTiff(const QString &fileName)
{
    // "m": plain reads instead of mapping the file, "c": no chopping of a single
    // strip; libtiff then reads ahead in bounded chunks, which is fastest.
    std::unique_ptr<TIFF, TiffCloser> tif(
        TIFFOpen(QFile::encodeName(fileName).constData(), "rmc"));
    if (!tif) {
        qDebug() << "Can not open TIFF" << fileName;
        failRead();
        return false;
    }
    clear();
    pixelType = PixelTiff16;
    uint32_t w = 0, h = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    width = w;
    height = h;
    this->fileName = fileName;
    resetRange();

    uint16_t samples = 1, bits = 1, sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    if (TIFFIsTiled(tif.get())) {
        qDebug() << "Unsupported TIFF: tiled, only strips are read" << fileName;
        failRead();
        return false;
    }
    if (samples != 1 || bits != 16
        || (sampleFormat != SAMPLEFORMAT_UINT && sampleFormat != SAMPLEFORMAT_INT
            && sampleFormat != SAMPLEFORMAT_VOID)) {
        qDebug() << "Unsupported TIFF:" << samples << "samples of" << bits
                 << "bits per pixel, format" << sampleFormat
                 << "(only 1 sample of 16-bit integers is read)" << fileName;
        failRead();
        return false;
    }
    if (!sizeAcceptable(w, h, fileName) || !memoryAcceptable(w, h, 2, fileName)) {
        failRead();
        return false;
    }

    double seconds = DefaultExposureMs / 1000;
    toff_t exifOffset = 0;
    if (TIFFGetField(tif.get(), TIFFTAG_EXIFIFD, &exifOffset)) {
        const tdir_t imageDir = TIFFCurrentDirectory(tif.get());
        if (TIFFReadEXIFDirectory(tif.get(), exifOffset)) {
            double t = 0;
            if (exposureTime(tif.get(), t)) {
                if (std::isfinite(t) && t >= 0)
                    seconds = t;
                else
                    qDebug() << "Invalid exposure time" << t << "in" << fileName;
            }
        } else {
            qDebug() << "Can not read the EXIF directory of" << fileName;
        }
        // Back to the image before reading pixels.
        if (!TIFFSetDirectory(tif.get(), imageDir)) {
            qDebug() << "Can not return to the image directory of" << fileName;
            failRead();
            return false;
        }
    }
    exposureMs = 1000.0 * seconds;

    scanlineSize = qint64(TIFFScanlineSize64(tif.get()));
    if (scanlineSize < qint64(w) * 2) {
        qDebug() << "Invalid TIFF scanline size" << scanlineSize << "for width" << w << fileName;
        failRead();
        return false;
    }
    if (!admit(scanlineSize, h)) {
        failRead();
        return false;
    }
    if (!allocPixelBlock(size_t(scanlineSize) * h)) {
        qDebug() << "Out of memory reading" << fileName;
        failRead();
        return false;
    }
    uchar *block = static_cast<uchar *>(pixelBlock);
    rows.reserve(int(h));
    for (uint32_t row = 0; row < h; row++)
        rows.append(block + qint64(row) * scanlineSize);
    // Whole strips straight into the block: libtiff reads uncompressed ones
    // without a copy of its own.
    uint32_t perStrip = h;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ROWSPERSTRIP, &perStrip);
    if (perStrip == 0 || perStrip > h)
        perStrip = h;
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &compression);
    const uint32_t strips = TIFFNumberOfStrips(tif.get());
    for (uint32_t row = 0; row < h; row += perStrip) {
        const uint32_t n = qMin(perStrip, h - row);
        const tmsize_t want = tmsize_t(n) * tmsize_t(scanlineSize);
        uchar *at = block + qint64(row) * scanlineSize;
        const uint32_t strip = TIFFComputeStrip(tif.get(), row, 0);
        // A strip must hold its rows: the direct read does not look at its length.
        const bool tooShort = strip >= strips
                            || (compression == COMPRESSION_NONE
                                && TIFFGetStrileByteCount(tif.get(), strip) < uint64_t(want));
        if (tooShort || TIFFReadEncodedStrip(tif.get(), strip, at, want) < want) {
            qDebug() << "Error on reading TIFF row" << row << "of" << h << fileName;
            failRead();
            return false;
        }
        for (uint32_t r = 0; r < n; r++)
            foldRange(reinterpret_cast<const quint16 *>(at + qint64(r) * scanlineSize), w, min, max);
    }
    tif.reset();
    return finishRead(true);
}

int TiffData::readImgHeader(const QString &fileName)
{
    width = height = 0;
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        qDebug() << "Can not open" << fileName << "[" << f.error() << "]";
        return 0;
    }
    QByteArray head = f.read(40);
    if (head.size() <= 9) {
        qDebug() << "Error on reading (4)" << fileName;
        return 0;
    }
    head.append(QByteArray(40 - head.size(), '\0'));
    const uchar *h = reinterpret_cast<const uchar *>(head.constData());
    const int commentLength = qFromLittleEndian<quint16>(h + 2);
    const unsigned int w = qFromLittleEndian<quint16>(h + 4);
    const unsigned int ht = qFromLittleEndian<quint16>(h + 6);
    errOriginX = qFromLittleEndian<quint16>(h + 8);
    errOriginY = qFromLittleEndian<quint16>(h + 10);
    f.close();

    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Can not open" << fileName;
        return 0;
    }
    f.seek(64);
    const QByteArray comment = f.read(commentLength);
    f.close();

    bytesPerPixel = keyValue(comment, "BytesPerPixel=", ',', "2").toInt();
    const QStringList exposure =
        keyValue(comment, "ExposureTime=", ',', "0.1").simplified().split(' ');
    const double t = exposure.value(0).toDouble();
    double factor = 1000;
    if (exposure.size() > 1) {
        const QString unit = exposure[1];
        if (unit == "us")
            factor = 0.001;
        else if (unit == "s")
            factor = 1000;
        else
            factor = 1;
    }
    exposureMs = t * factor;
    if (!std::isfinite(exposureMs) || exposureMs < 0) {
        qDebug() << "Invalid exposure time" << exposure.join(' ') << "in" << fileName;
        exposureMs = DefaultExposureMs;
    }
    width = w;
    height = ht;
    return 64 + commentLength;
}

bool TiffData::readImg(const QString &fileName)
{
    clear();
    const int offset = readImgHeader(fileName);
    if (offset < 1) {
        failRead();
        return false;
    }
    this->fileName = fileName;
    resetRange();
    const bool wide = bytesPerPixel == 4;
    if (!sizeAcceptable(width, height, fileName)
        || !memoryAcceptable(width, height, wide ? 4 : 2, fileName)) {
        failRead();
        return false;
    }
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        qDebug() << "Can not open (2)" << fileName;
        failRead();
        return false;
    }
    const int pixelSize = wide ? 4 : 2;
    const qint64 rowBytes = qint64(width) * pixelSize;
    auto truncated = [&]() {
        qDebug() << "invalid file size. expected (h,w) = " << height << width;
        qDebug() << (wide ? "Error on reading (2)" : "Error on reading (3)") << fileName;
        failRead();
        return false;
    };
    // Checked before anything is allocated: a header may claim more than the file holds.
    if (f.size() - offset < rowBytes * height || !f.seek(offset))
        return truncated();
    if (!admit(rowBytes, height)) {
        failRead();
        return false;
    }

    pixelType = wide ? PixelImg32 : PixelImg16;
    rows.reserve(int(height));
    for (unsigned int r = 0; r < height; r++) {
        void *row = wide ? static_cast<void *>(new (std::nothrow) quint32[width])
                         : static_cast<void *>(new (std::nothrow) quint16[width]);
        if (!row) {
            qDebug() << "Out of memory reading" << fileName;
            failRead();
            return false;
        }
        rows.append(row);
        if (f.read(static_cast<char *>(row), rowBytes) != rowBytes)
            return truncated();
        if (wide) {
            quint32 *p = static_cast<quint32 *>(row);
            if (QSysInfo::ByteOrder == QSysInfo::BigEndian)
                qFromLittleEndian<quint32>(p, width, p);
            foldRange(p, width, min, max);
        } else {
            quint16 *p = static_cast<quint16 *>(row);
            if (QSysInfo::ByteOrder == QSysInfo::BigEndian)
                qFromLittleEndian<quint16>(p, width, p);
            foldRange(p, width, min, max);
        }
    }
    f.close();
    return finishRead(true);
}

int TiffData::readTextHeader(const QString &fileName)
{
    width = height = 0;
    BoundedLineReader f(fileName);
    if (!f.open(QStringLiteral("TiffData::readTextHeader"))) {
        qDebug() << "Can not open" << fileName << "[" << f.errorString() << "]";
        return -1;
    }
    int lines = 0;
    qint64 x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    bool numbersOk = true;
    QString line;
    while (f.readLine(line)) {
        QString item;
        QString rest = splitItem(line, item);
        if (!item.startsWith('#'))
            break;
        if (lines == std::numeric_limits<int>::max()) {
            qDebug() << "Too many header lines in" << fileName;
            return -1;
        }
        lines++;
        QString key, sep, value;
        rest = splitItem(rest, key);
        rest = splitItem(rest, sep);
        rest = splitItem(rest, value);
        qDebug() << "ksv" << key << sep << value;
        const QString k = key.toUpper();
        qint64 *target = k == "RANGE_X0"   ? &x0
                         : k == "RANGE_X1" ? &x1
                         : k == "RANGE_Y0" ? &y0
                         : k == "RANGE_Y1" ? &y1
                                           : nullptr;
        if (target && !truncatedInt(value.toDouble(), *target)) {
            qDebug() << "Header value out of range:" << key << value << fileName;
            numbersOk = false;
        }
    }
    if (f.failed())
        return -1;
    f.close();
    const qint64 w = x1 - x0, h = y1 - y0;
    qDebug() << "rrr" << x0 << x1 << y0 << y1 << w << h;
    if (!numbersOk || !sizeAcceptable(w, h, fileName))
        return -1;
    clear();
    width = unsigned(w);
    height = unsigned(h);
    pixelType = PixelFloat;
    return lines;
}

bool TiffData::readText(const QString &fileName)
{
    clear();
    const int headerLines = readTextHeader(fileName);
    if (headerLines < 0) {
        failRead();
        return false;
    }
    this->fileName = fileName;
    resetRange();
    // The header alone decides what the frame holds: a short body reads as zeros.
    if (!memoryAcceptable(width, height, 4, fileName) || !admit(qint64(width) * 4, height)) {
        failRead();
        return false;
    }
    BoundedLineReader f(fileName);
    if (!f.open(QStringLiteral("TiffData::readText"))) {
        qDebug() << "Can not open (2)" << fileName;
        failRead();
        return false;
    }
    QString line;
    for (int i = 0; i < headerLines && f.readLine(line); i++) {
    }

    bool reportedBadValue = false;
    bool more = !f.failed();
    qint64 missing = more ? 0 : qint64(width) * height;
    pixelType = PixelFloat;
    rows.reserve(int(height));
    for (unsigned int r = 0; r < height; r++) {
        if (!more) {
            // Past the body: a row of zeros, which no memory holds.
            rows.append(nullptr);
            continue;
        }
        // Zeroed: the pixels after the last line of the body stay 0.
        float *row = new (std::nothrow) float[width]();
        if (!row) {
            qDebug() << "Out of memory reading" << fileName;
            failRead();
            return false;
        }
        rows.append(row);
        for (unsigned int c = 0; more && c < width; c++) {
            if (!f.readLine(line)) {
                if (f.failed()) {
                    failRead();
                    return false;
                }
                more = false;
                missing = qint64(width) * height - (qint64(r) * width + c);
                break;
            }
            QString item;
            QString rest = splitItem(line, item);   // x
            rest = splitItem(rest, item);           // y
            rest = splitItem(rest, item);           // value
            double v = item.toDouble() * 500.0;
            if (std::isnan(v)) {
                if (!reportedBadValue)
                    qDebug() << "Invalid pixel value read as 0 in" << fileName;
                reportedBadValue = true;
                v = 0;
            }
            v = qBound(0.0, v, double(std::numeric_limits<float>::max()));
            row[c] = float(v);
        }
        foldRange(row, width, min, max);
    }
    f.close();
    if (missing > 0) {
        const float zero = 0;
        foldRange(&zero, 1, min, max);
        qDebug() << "Text image" << fileName << ":" << missing << "of" << qint64(width) * height
                 << "pixels missing, read as 0";
    }
    return finishRead(false);   // text images get no bad-pixel replacement
}

