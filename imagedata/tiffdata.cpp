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
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <tiffio.h>
#include <vector>

#include "core/globals.h"
#include "core/stringutil.h"
#include "display/colorbar.h"
#include "imagedata/errpoints.h"

namespace {

// Exposure of a frame whose file records none, or records an invalid one.
const double DefaultExposureMs = 100.0;

const double RangeStartMin = std::numeric_limits<double>::max();
const double RangeStartMax = std::numeric_limits<double>::min();   // smallest positive normal

// Frames larger than this are refused before anything is allocated.
const qint64 MaxFrameSide = qint64(1) << 20;
const qint64 MaxFramePixels = qint64(1) << 28;

const char TextImageMagic[] = "#RVKT-CTImg";

bool sizeAcceptable(qint64 w, qint64 h, const QString &fileName)
{
    if (w < 1 || h < 1) {
        qDebug() << "Empty image" << w << "x" << h << fileName;
        return false;
    }
    if (w > MaxFrameSide || h > MaxFrameSide || w * h > MaxFramePixels) {
        qDebug() << "Image size out of range" << w << "x" << h << fileName;
        return false;
    }
    return true;
}

// One line of a text file without its line end.
QString textLine(const QByteArray &raw)
{
    int end = raw.size();
    while (end > 0 && (raw[end - 1] == '\n' || raw[end - 1] == '\r'))
        end--;
    return QString::fromLocal8Bit(raw.constData(), end);
}

// Truncates toward zero; false when no int can hold the value.
bool truncatedInt(double v, qint64 &out)
{
    if (!std::isfinite(v) || std::fabs(v) >= 2147483648.0)
        return false;
    out = qint64(std::trunc(v));
    return true;
}

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

#ifdef __SSE2__
// 16-bit rows are folded 8 pixels at a time: offset to signed, min/max, back.
template <> void foldRange<quint16>(const quint16 *p, unsigned int n, double &lo, double &hi)
{
    if (n == 0)
        return;
    const __m128i flip = _mm_set1_epi16(short(0x8000));
    __m128i a = _mm_set1_epi16(SHRT_MAX), b = _mm_set1_epi16(SHRT_MIN);
    unsigned int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i v =
            _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i)), flip);
        a = _mm_min_epi16(a, v);
        b = _mm_max_epi16(b, v);
    }
    alignas(16) short as[8], bs[8];
    _mm_store_si128(reinterpret_cast<__m128i *>(as), a);
    _mm_store_si128(reinterpret_cast<__m128i *>(bs), b);
    int mn = 65535, mx = 0;
    for (int k = 0; k < 8; k++) {
        mn = qMin(mn, int(quint16(as[k]) ^ 0x8000u));
        mx = qMax(mx, int(quint16(bs[k]) ^ 0x8000u));
    }
    for (; i < n; i++) {
        mn = qMin(mn, int(p[i]));
        mx = qMax(mx, int(p[i]));
    }
    if (double(mx) > hi)
        hi = double(mx);
    if (double(mn) < lo)
        lo = double(mn);
}
#endif

quint64 pointKey(int x, int y) { return (quint64(quint32(x)) << 32) | quint32(y); }

bool fitsInt(qint64 v) { return v >= INT_MIN && v <= INT_MAX; }

// Mean of the neighbours of (x, y) that lie inside the frame and are not
// listed; listed(px, py) is asked in detector coordinates (origin added).
template <typename Listed>
double meanOfGoodNeighbours(const TiffData &frame, qint64 x, qint64 y, Listed listed)
{
    double sum = 0;
    int count = 0;
    for (int dy = -1; dy <= 1; dy++) {
        for (int dx = -1; dx <= 1; dx++) {
            if (dx == 0 && dy == 0)
                continue;
            const qint64 nx = x + dx, ny = y + dy;
            const qint64 col = nx - frame.shiftX, row = ny - frame.shiftY;
            if (col < 0 || col >= qint64(frame.width) || row < 0 || row >= frame.rowCount())
                continue;
            const qint64 px = nx + frame.errOriginX, py = ny + frame.errOriginY;
            if (fitsInt(px) && fitsInt(py) && listed(int(px), int(py)))
                continue;
            sum += frame.storedValue(int(col), int(row));
            count++;
        }
    }
    return count > 0 ? sum / count : 0.0;
}

// Writes the display bytes of a normalised value through the current bar.
class PixelPainter
{
public:
    explicit PixelPainter(int format)
        : bar(currentColorBar), format(format), bpp(::bytesPerPixel(format)),
          lookup(lookupFuncFor(format))
    {
    }
    bool usable() const { return lookup != nullptr; }
    int bytes() const { return bpp; }
    void paint(double f, uchar *out) const
    {
        if (bar && bar->format == format) {
            bar->colorBytesOf(f, out);
        } else if (bar) {
            const QColor c = bar->colorOf(f);
            if (bpp == 3) {
                out[0] = uchar(c.red());
                out[1] = uchar(c.green());
                out[2] = uchar(c.blue());
            } else {
                out[0] = uchar(qGray(c.rgb()));
            }
        } else {
            const uchar *px = lookup(std::isnan(f) ? 0.0 : f);
            for (int i = 0; i < bpp; i++)
                out[i] = px[i];
        }
    }

private:
    const ColorBar *bar;
    int format;
    int bpp;
    LookupFunc lookup;
};

// (v - min) / (max - min), with a flat or empty range mapped to 0 or 1.
class Normaliser
{
public:
    Normaliser(double lo, double hi) : lo(lo), span(hi - lo) {}
    double operator()(double v) const
    {
        if (span > 0 && std::isfinite(span)) {
            const double f = (v - lo) / span;
            if (std::isfinite(f))
                return f;
        }
        return v > lo ? 1.0 : 0.0;
    }

private:
    double lo;
    double span;
};

// n copies of one pixel.
void fillPixels(uchar *out, int n, const uchar *pixel, int bpp)
{
    if (bpp == 1) {
        memset(out, pixel[0], size_t(qMax(n, 0)));
        return;
    }
    for (int i = 0; i < n; i++)
        memcpy(out + i * bpp, pixel, size_t(bpp));
}

// Colours one display row: columns [xa, xb) come from the stored row src
// (starting at column xa - shiftX), the others show the value 0.
template <typename T>
void paintRow(const T *src, int w, int xa, int xb, const uchar *zeroPixel,
              const PixelPainter &painter, const Normaliser &norm, const uchar *lut, qint64 lutLo,
              qint64 lutHi, uchar *out)
{
    const int bpp = painter.bytes();
    fillPixels(out, xa, zeroPixel, bpp);
    if (lut && bpp == 1) {
        // Branch-free table pass; values outside the table are put right after.
        const quint64 span = quint64(lutHi - lutLo);
        bool outside = false;
        for (int x = xa; x < xb; x++) {
            const quint64 i = quint64(qint64(src[x - xa]) - lutLo);
            const bool in = i <= span;
            out[x] = lut[in ? i : 0];
            outside |= !in;
        }
        if (outside) {
            for (int x = xa; x < xb; x++) {
                const qint64 v = qint64(src[x - xa]);
                if (v < lutLo || v > lutHi)
                    painter.paint(norm(double(v)), out + x);
            }
        }
    } else if (lut) {
        for (int x = xa; x < xb; x++) {
            const qint64 v = qint64(src[x - xa]);
            if (v >= lutLo && v <= lutHi)
                memcpy(out + x * bpp, lut + (v - lutLo) * bpp, size_t(bpp));
            else
                painter.paint(norm(double(v)), out + x * bpp);
        }
    } else {
        for (int x = xa; x < xb; x++)
            painter.paint(norm(double(src[x - xa])), out + x * bpp);
    }
    fillPixels(out + xb * bpp, w - xb, zeroPixel, bpp);
}

template <typename T> void freeRows(QVector<void *> &rows)
{
    for (void *p : rows)
        delete[] static_cast<T *>(p);
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

TiffData::TiffData()
    : imageFormat(ImageFormatGrayscale8), bytesPerPixel(2), width(0), height(0), errOriginX(0),
      errOriginY(0), errPoints(&globalErrPoints), scanlineSize(0), min(RangeStartMin),
      max(RangeStartMax), energy(0), cBar(nullptr), imageBuffer(nullptr), image(nullptr),
      exposureMs(DefaultExposureMs), shiftX(0), shiftY(0), pixelType(PixelNone), displayImageOnLoad(true)
{
}

TiffData::~TiffData() { clear(); }

void TiffData::clear()
{
    switch (pixelType) {
    case PixelTiff16:
        for (void *p : rows) {
            if (p)
                _TIFFfree(p);
        }
        break;
    case PixelImg16: freeRows<quint16>(rows); break;
    case PixelImg32: freeRows<quint32>(rows); break;
    case PixelFloat: freeRows<float>(rows); break;
    default: break;
    }
    rows.clear();
    delete image;
    image = nullptr;
    delete[] imageBuffer;
    imageBuffer = nullptr;
}

void TiffData::resetRange()
{
    min = RangeStartMin;
    max = RangeStartMax;
}

// A failed read keeps no pixel rows.
void TiffData::failRead()
{
    clear();
    pixelType = PixelNone;
}

// The end of every successful read.
bool TiffData::finishRead(bool replaceBadPixels)
{
    if (replaceBadPixels && errPoints && errPoints->valid)
        applyErrPoints();
    if (displayImageOnLoad)
        makeImage();
    return true;
}

void clearTiffDataList(QVector<TiffData *> &frames)
{
    qDeleteAll(frames);
    frames.clear();
}

void registerTiffDataMetaType() { qRegisterMetaType<TiffData *>("TiffData*"); }

// ---------------------------------------------------------------- reading

bool TiffData::load(const QString &fileName, const ErrPoints *list)
{
    if (list)
        errPoints = list;
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        qDebug() << "Can not open (1)" << fileName;
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
    if (!sizeAcceptable(w, h, fileName)) {
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
    rows.reserve(int(h));
    for (uint32_t row = 0; row < h; row++) {
        void *buf = _TIFFmalloc(tmsize_t(scanlineSize));
        if (!buf) {
            qDebug() << "Out of memory reading" << fileName;
            failRead();
            return false;
        }
        rows.append(buf);
        if (TIFFReadScanline(tif.get(), buf, row, 0) < 1) {
            qDebug() << "Error on reading TIFF row" << row << "of" << h << fileName;
            failRead();
            return false;
        }
        foldRange(static_cast<const quint16 *>(buf), w, min, max);
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
    if (!sizeAcceptable(width, height, fileName)) {
        failRead();
        return false;
    }
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        qDebug() << "Can not open (2)" << fileName;
        failRead();
        return false;
    }
    const bool wide = bytesPerPixel == 4;
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
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Can not open" << fileName << "[" << f.error() << "]";
        return -1;
    }
    int lines = 0;
    qint64 x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    bool numbersOk = true;
    while (!f.atEnd()) {
        const QString line = textLine(f.readLine());
        QString item;
        QString rest = splitItem(line, item);
        if (!item.startsWith('#'))
            break;
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
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Can not open (2)" << fileName;
        failRead();
        return false;
    }
    for (int i = 0; i < headerLines && !f.atEnd(); i++)
        f.readLine();

    bool reportedBadValue = false;
    pixelType = PixelFloat;
    rows.reserve(int(height));
    for (unsigned int r = 0; r < height; r++) {
        float *row = new (std::nothrow) float[width];
        if (!row) {
            qDebug() << "Out of memory reading" << fileName;
            failRead();
            return false;
        }
        rows.append(row);
        for (unsigned int c = 0; c < width; c++) {
            double value = 0;
            if (!f.atEnd()) {
                QString item;
                QString rest = textLine(f.readLine());
                rest = splitItem(rest, item);   // x
                rest = splitItem(rest, item);   // y
                rest = splitItem(rest, item);   // value
                value = item.toDouble();
            }
            double v = value * 500.0;
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
    return finishRead(false);   // text images get no bad-pixel replacement
}

// ---------------------------------------------------------------- pixels

double TiffData::storedValue(int col, int row) const
{
    if (col < 0 || qint64(col) >= qint64(width) || row < 0 || row >= rows.size())
        return 0.0;
    const void *p = rows[row];
    if (!p)
        return 0.0;
    switch (pixelType) {
    case PixelTiff16:
    case PixelImg16: return static_cast<const quint16 *>(p)[col];
    case PixelImg32: return static_cast<const quint32 *>(p)[col];
    case PixelFloat: return static_cast<const float *>(p)[col];
    default: return 0.0;
    }
}

double TiffData::pixelValue(int x, int y) const
{
    const qint64 col = qint64(x) - shiftX, row = qint64(y) - shiftY;
    if (col < 0 || col >= qint64(width) || row < 0 || row >= rows.size())
        return 0.0;
    return storedValue(int(col), int(row));
}

// Sum over stored columns c0..c1 and rows r0..r1, all inside the frame.
template <typename T>
double TiffData::sumFrameRect(qint64 c0, qint64 c1, qint64 r0, qint64 r1) const
{
    quint64 total = 0;
    for (qint64 r = r0; r <= r1; r++) {
        const T *p = static_cast<const T *>(rows[int(r)]);
        if (!p)
            continue;
        quint64 acc = 0;
        for (qint64 c = c0; c <= c1; c++)
            acc += p[c];
        total += acc;
    }
    return double(total);
}

template <> double TiffData::sumFrameRect<float>(qint64 c0, qint64 c1, qint64 r0, qint64 r1) const
{
    // Column by column, as the sums of text images have always been taken.
    double total = 0;
    for (qint64 c = c0; c <= c1; c++) {
        for (qint64 r = r0; r <= r1; r++) {
            const float *p = static_cast<const float *>(rows[int(r)]);
            if (p)
                total += double(p[c]);
        }
    }
    return total;
}

// Sum over image columns x0..x1 and rows y0..y1 (inclusive) by the pixel rule.
double TiffData::sumRect(qint64 x0, qint64 x1, qint64 y0, qint64 y1) const
{
    const qint64 c0 = qMax<qint64>(x0 - shiftX, 0);
    const qint64 c1 = qMin<qint64>(x1 - shiftX, qint64(width) - 1);
    const qint64 r0 = qMax<qint64>(y0 - shiftY, 0);
    const qint64 r1 = qMin<qint64>(y1 - shiftY, qint64(rows.size()) - 1);
    if (c0 > c1 || r0 > r1)
        return 0.0;
    switch (pixelType) {
    case PixelTiff16:
    case PixelImg16: return sumFrameRect<quint16>(c0, c1, r0, r1);
    case PixelImg32: return sumFrameRect<quint32>(c0, c1, r0, r1);
    case PixelFloat: return sumFrameRect<float>(c0, c1, r0, r1);
    default: return 0.0;
    }
}

double TiffData::boxSum(int x, int y, int hw, int hh) const
{
    const qint64 a = qAbs(qint64(hw)), b = qAbs(qint64(hh));
    return sumRect(qint64(x) - a, qint64(x) + a, qint64(y) - b, qint64(y) + b);
}

double boxSumAtEnergy(const QVector<TiffData *> &frames, double E, int x, int y, int hw, int hh)
{
    const int n = frames.size();
    if (n == 0)
        return 1.0;
    auto sum = [&](int i) { return frames[i] ? frames[i]->boxSum(x, y, hw, hh) : 0.0; };
    auto energy = [&](int i) { return frames[i] ? frames[i]->energy : 0.0; };
    if (n == 1)
        return sum(0);
    int lo, hi;
    if (E < energy(0)) {
        lo = 0;
        hi = 1;
    } else if (E >= energy(n - 1)) {
        lo = n - 2;
        hi = n - 1;
    } else {
        lo = 0;
        hi = n - 1;
        while (lo + 1 < hi) {
            const int mid = (lo + hi) / 2;
            if (E >= energy(mid))
                lo = mid;
            else
                hi = mid;
        }
    }
    return linearInterpolate(E, energy(lo), sum(lo), energy(hi), sum(hi));
}

double TiffData::rectAverage(const QRectF &r) const
{
    qint64 X, Y, W, H;
    if (!truncatedInt(r.x(), X) || !truncatedInt(r.y(), Y) || !truncatedInt(r.width(), W)
        || !truncatedInt(r.height(), H)) {
        qDebug() << "rectAverage: rectangle out of range" << r;
        return 0.0;
    }
    if (W < 0 || H < 0)
        return 0.0;
    return sumRect(X, X + W, Y, Y + H) / (double(W + 1) * double(H + 1));
}

double TiffData::valueErrCorrected(int x, int y) const
{
    const ErrPoints *list = errPoints && errPoints->valid ? errPoints : nullptr;
    return meanOfGoodNeighbours(*this, x, y,
                                [list](int px, int py) { return list && list->contains(px, py); });
}

void TiffData::storeValue(int col, int row, double v)
{
    void *p = rows[row];
    switch (pixelType) {
    case PixelTiff16:
    case PixelImg16: static_cast<quint16 *>(p)[col] = quint16(qint64(v)); break;
    case PixelImg32: static_cast<quint32 *>(p)[col] = quint32(qint64(v)); break;
    case PixelFloat: static_cast<float *>(p)[col] = float(v); break;
    default: break;
    }
}

void TiffData::applyErrPoints()
{
    if (!errPoints || pixelType == PixelNone)
        return;
    // The neighbour test looks every point up in a set instead of the list.
    QSet<quint64> listed;
    const bool inUse = errPoints->valid;
    if (inUse) {
        listed.reserve(errPoints->points.size());
        for (const QPoint &p : errPoints->points)
            listed.insert(pointKey(p.x(), p.y()));
    }
    auto isListed = [&](int px, int py) { return inUse && listed.contains(pointKey(px, py)); };
    for (const QPoint &p : errPoints->points) {
        const qint64 fx = qint64(p.x()) - errOriginX, fy = qint64(p.y()) - errOriginY;
        const qint64 col = fx - shiftX, row = fy - shiftY;
        if (col < 0 || col >= qint64(width) || row < 0 || row >= rows.size() || !rows[int(row)])
            continue;
        const double v = meanOfGoodNeighbours(*this, fx, fy, isListed);
        storeValue(int(col), int(row), v);
    }
}

// ---------------------------------------------------------------- display

void TiffData::setCBarRange()
{
    if (!cBar)
        return;
    cBar->valueMin = min;
    cBar->valueMax = max;
    cBar->paintCBar();
}

void TiffData::makeImage()
{
    delete image;
    image = nullptr;
    delete[] imageBuffer;
    imageBuffer = nullptr;

    const PixelPainter painter(imageFormat);
    if (!painter.usable()) {
        qDebug() << "makeImage: unknown image format" << imageFormat;
        return;
    }
    if (width > MaxFrameSide || height > MaxFrameSide
        || qint64(width) * height > MaxFramePixels)
        return;
    const int w = int(width), h = int(height);
    imageBuffer = newImageBuffer(imageFormat, w, h);
    if (!imageBuffer)
        return;

    const int bpp = painter.bytes();
    const int stride = rowStride(imageFormat, w);
    const Normaliser norm(min, max);
    uchar zeroPixel[3] = {0, 0, 0};
    painter.paint(norm(0.0), zeroPixel);

    // 16-bit frames colour through a table of every value in their range.
    std::vector<uchar> lut;
    qint64 lutLo = 0, lutHi = -1;
    const bool sixteen = pixelType == PixelTiff16 || pixelType == PixelImg16;
    if (sixteen && min <= max) {
        lutLo = qBound<qint64>(0, qint64(std::floor(min)), 65535);
        lutHi = qBound<qint64>(0, qint64(std::ceil(max)), 65535);
        if (lutHi - lutLo + 1 <= qint64(w) * h) {
            lut.resize(size_t(lutHi - lutLo + 1) * size_t(bpp));
            for (qint64 v = lutLo; v <= lutHi; v++)
                painter.paint(norm(double(v)), lut.data() + (v - lutLo) * bpp);
        } else {
            lutHi = -1;
        }
    }
    const uchar *lutData = lut.empty() ? nullptr : lut.data();

    const int xa = int(qBound<qint64>(0, shiftX, w));
    const int xb = int(qBound<qint64>(0, qint64(shiftX) + w, w));
    const int nrows = qMin(rows.size(), h);
    for (int y = 0; y < nrows; y++) {
        uchar *out = imageBuffer + qint64(y) * stride;
        const qint64 row = qint64(y) - shiftY;
        const void *src = row >= 0 && row < rows.size() ? rows[int(row)] : nullptr;
        if (!src || xa >= xb) {
            fillPixels(out, w, zeroPixel, bpp);
            continue;
        }
        const int offset = xa - shiftX;   // first stored column shown
        switch (pixelType) {
        case PixelTiff16:
        case PixelImg16:
            paintRow(static_cast<const quint16 *>(src) + offset, w, xa, xb, zeroPixel, painter,
                     norm, lutData, lutLo, lutHi, out);
            break;
        case PixelImg32:
            paintRow(static_cast<const quint32 *>(src) + offset, w, xa, xb, zeroPixel, painter,
                     norm, nullptr, 0, -1, out);
            break;
        case PixelFloat:
            paintRow(static_cast<const float *>(src) + offset, w, xa, xb, zeroPixel, painter,
                     norm, nullptr, 0, -1, out);
            break;
        default: fillPixels(out, w, zeroPixel, bpp); break;
        }
    }
    image = newImage(imageFormat, imageBuffer, w, h);
}
