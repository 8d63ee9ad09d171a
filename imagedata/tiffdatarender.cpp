#include "imagedata/tiffdata.h"

#include <algorithm>

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
#include "imagedata/tiffdatalimits.h"

// The frame's display image, coloured through its colour-scale snapshot.

using namespace TiffDataLimits;

namespace {

// Writes the display bytes of a normalised value through a colour scale.
class PixelPainter
{
public:
    PixelPainter(const ColorScale &scale, int format)
        : write(scale, format), bpp(::bytesPerPixel(format)),
          usableFormat(lookupFuncFor(format) != nullptr)
    {
    }
    bool usable() const { return usableFormat; }
    int bytes() const { return bpp; }
    void paint(double f, uchar *out) const { write(f, out); }

private:
    ColorScale::Writer write;
    int bpp;
    bool usableFormat;
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

// True when all n values lie in lo..hi.
template <typename T> bool insideTable(const T *, int, qint64, qint64) { return false; }
template <> bool insideTable<quint16>(const quint16 *p, int n, qint64 lo, qint64 hi)
{
    int a = 0, b = 0;
    range16(p, n, a, b);
    return n <= 0 || (a >= lo && b <= hi);
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
    if (lut && bpp == 1 && insideTable(src, xb - xa, lutLo, lutHi)) {
        // The usual row: every value has its entry.
        const uint lo = uint(lutLo);
        for (int x = xa; x < xb; x++)
            out[x] = lut[uint(src[x - xa]) - lo];
    } else if (lut && bpp == 1) {
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

} // namespace

void TiffData::makeImage(const ColorScale &scale)
{
    colorScale = scale;
    makeImage();
}

void TiffData::makeImage()
{
    delete image;
    image = nullptr;
    delete[] imageBuffer;
    imageBuffer = nullptr;

    const PixelPainter painter(colorScale, imageFormat);
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
    // The buffer comes zeroed: rows of zeros need no writing when 0 shows as zero bytes.
    const bool zeroIsBlank = std::all_of(zeroPixel, zeroPixel + bpp, [](uchar b) { return b == 0; });

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
            if (!zeroIsBlank)
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

