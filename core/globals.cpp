#include "core/globals.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <climits>
#include <cmath>

#ifdef __GLIBC__
#include <malloc.h>
#endif


QString dataRoot = "C:/Data";
QString batchRoot = "C:/Data";
bool showAnalyzer2Button = false;

namespace {

struct ColorTable
{
    uchar v[ColorLutSize * 3];
};
struct GreyTable
{
    uchar v[GreyLutSize];
};

// Black to red, red to yellow, yellow to white.
constexpr ColorTable makeColorTable()
{
    ColorTable t{};
    for (int i = 0; i < ColorLutSize; i++) {
        uchar *p = t.v + 3 * i;
        if (i < 256) {
            p[0] = uchar(i); p[1] = 0; p[2] = 0;
        } else if (i < 511) {
            p[0] = 255; p[1] = uchar(i - 255); p[2] = 0;
        } else if (i < 766) {
            p[0] = 255; p[1] = 255; p[2] = uchar(i - 510);
        } else {
            p[0] = p[1] = p[2] = 255;
        }
    }
    return t;
}

constexpr GreyTable makeGreyTable()
{
    GreyTable t{};
    for (int i = 0; i < GreyLutSize; i++)
        t.v[i] = uchar(i);
    return t;
}

constexpr ColorTable colorTable = makeColorTable();
constexpr GreyTable greyTable = makeGreyTable();

} // namespace

const uchar *const colorLut = colorTable.v;
const uchar *const greyLut = greyTable.v;

const QVector<QColor> &curvePalette()
{
    static const QVector<QColor> palette = {
        QColor(255, 0, 0),   QColor(0, 255, 0),   QColor(0, 0, 255),
        QColor(255, 200, 0), QColor(255, 0, 200), QColor(200, 255, 0),
        QColor(200, 0, 255), QColor(0, 255, 200), QColor(0, 200, 255)};
    return palette;
}

static void registerResources()
{
    Q_INIT_RESOURCE(vantoscope);
}

void initCoreResources()
{
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);
}

void initGlobals()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    initCoreResources();
    batchRoot = dataRoot = "C:/Data";
    showAnalyzer2Button = false;
}

const uchar *greyOf(double v) { return greyLut + lutIndex(v, GreySteps, GreyLutSize - 1); }
const uchar *greyOf(int i) { return greyLut + qBound(0, i, GreyLutSize - 1); }
const uchar *colorOf(double v) { return colorLut + 3 * lutIndex(v, ColorSteps, ColorLutSize - 1); }
const uchar *colorOf(int i) { return colorLut + 3 * qBound(0, i, ColorLutSize - 1); }

LookupFunc lookupFuncFor(int format)
{
    switch (format) {
    case ImageFormatRGB888: return static_cast<const uchar *(*)(double)>(colorOf);
    case ImageFormatGrayscale8: return static_cast<const uchar *(*)(double)>(greyOf);
    default: return nullptr;
    }
}

QColor paletteColor(int i)
{
    const QVector<QColor> &palette = curvePalette();
    const int n = palette.size();
    return palette[((i % n) + n) % n];
}

int bytesPerPixel(int format) { return format == ImageFormatRGB888 ? 3 : 1; }
int alignedStride(int bytes) { return (bytes + 3) / 4 * 4; }
int rowStride(int format, int width)
{
    const qint64 bytes = qint64(width) * bytesPerPixel(format);
    if (bytes < 0 || bytes > INT_MAX - 3)
        return 0;  // no such row fits in memory
    return alignedStride(int(bytes));
}

uchar *newImageBuffer(int format, int width, int height, bool zeroed)
{
    if (width < 1 || height < 1)
        return nullptr;
    const qint64 size = qint64(rowStride(format, width)) * height;
    if (size < 1 || size > qint64(1) << 40)
        return nullptr;
    uchar *buf = new (std::nothrow) uchar[size_t(size)];
    if (buf && zeroed)
        memset(buf, 0, size_t(size));
    return buf;
}

QImage *newImage(int format, uchar *buffer, int width, int height)
{
    if (!buffer || (format != ImageFormatRGB888 && format != ImageFormatGrayscale8))
        return nullptr;
    return new QImage(buffer, width, height, rowStride(format, width),
                      QImage::Format(format));
}

void logDebug(const QString &text)
{
    qDebug() << text << QDateTime::currentDateTime().toString("yyMMdd hh:mm:ss.zzz");
}

QString addDefaultSuffix(const QString &fileName, const QString &defaultSuffix)
{
    QFileInfo fi(fileName);
    QString suffix = fi.suffix().isEmpty() ? defaultSuffix : fi.suffix();
    return fi.absoluteDir().absolutePath() + "/" + fi.completeBaseName() + "." + suffix;
}

QString insertTag(const QString &fileName, const QString &tag)
{
    QFileInfo fi(fileName);
    return fi.absoluteDir().absolutePath() + "/" + fi.completeBaseName() + "-" + tag + "."
           + fi.suffix();
}

QString keyValue(const QByteArray &header, const QString &key, char delimiter,
                 const QString &defaultValue)
{
    const QByteArray k = key.toLatin1();
    const int at = header.indexOf(k);
    if (at < 0)
        return defaultValue;
    const int start = at + k.size();
    int end = header.indexOf(delimiter, at);
    if (end < start)  // no delimiter after the key: up to the end
        end = header.size();
    QByteArray value = header.mid(start, end - start);
    const int zero = value.indexOf('\0');
    if (zero >= 0)
        value.truncate(zero);
    return QString::fromLatin1(value);
}

void tuneAllocator()
{
#ifdef __GLIBC__
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
}
