#include "imagefixtures.h"

#include <QtEndian>
#include <cmath>

#include "imagedata/tiffdata.h"

namespace {

template <typename T, typename F> TiffData *memoryFrame(int width, int height, int type, F value)
{
    TiffData *t = new TiffData;
    t->width = unsigned(width);
    t->height = unsigned(height);
    t->pixelType = type;
    t->min = 1.7976931348623157e308;
    t->max = 2.2250738585072014e-308;
    for (int y = 0; y < height; y++) {
        T *row = new T[width];
        for (int x = 0; x < width; x++) {
            row[x] = T(value(x, y));
            t->min = qMin(t->min, double(row[x]));
            t->max = qMax(t->max, double(row[x]));
        }
        t->rows.append(row);
    }
    return t;
}

enum { Short = 3, Long = 4, Rational = 5 };

// Byte writer in one TIFF byte order.
class Bytes
{
public:
    explicit Bytes(bool bigEndian) : be(bigEndian) {}
    QByteArray data;
    int pos() const { return data.size(); }
    template <typename T> void put(T v)
    {
        uchar b[sizeof(T)];
        if (be)
            qToBigEndian(v, b);
        else
            qToLittleEndian(v, b);
        data.append(reinterpret_cast<const char *>(b), int(sizeof(T)));
    }
    void u16(quint16 v) { put(v); }
    void u32(quint32 v) { put(v); }
    void set32(int at, quint32 v)
    {
        uchar *b = reinterpret_cast<uchar *>(data.data()) + at;
        if (be)
            qToBigEndian(v, b);
        else
            qToLittleEndian(v, b);
    }
    void align()
    {
        if (data.size() % 2)
            data.append('\0');
    }

private:
    bool be;
};

struct Entry
{
    quint16 tag;
    quint16 type;
    quint32 count;
    quint32 value;   // value (SHORT/LONG with one item) or offset
};

void writeIfd(Bytes &b, const QVector<Entry> &entries)
{
    b.u16(quint16(entries.size()));
    for (const Entry &e : entries) {
        b.u16(e.tag);
        b.u16(e.type);
        b.u32(e.count);
        if (e.type == Short && e.count == 1) {
            b.u16(quint16(e.value));   // left-justified in the value field
            b.u16(0);
        } else {
            b.u32(e.value);
        }
    }
    b.u32(0);
}

// Entry whose LONG array either fits the value field or is stored at an offset.
Entry longArray(Bytes &b, quint16 tag, const QVector<quint32> &values)
{
    if (values.size() == 1)
        return {tag, Long, 1, values[0]};
    b.align();
    const quint32 at = quint32(b.pos());
    for (quint32 v : values)
        b.u32(v);
    return {tag, Long, quint32(values.size()), at};
}

} // namespace

TiffData *ImageFixtures::frame16(int width, int height, const std::function<int(int, int)> &value)
{
    return memoryFrame<quint16>(width, height, TiffData::PixelImg16, value);
}

TiffData *ImageFixtures::floatFrame(int width, int height,
                                    const std::function<float(int, int)> &value)
{
    return memoryFrame<float>(width, height, TiffData::PixelFloat, value);
}

quint16 ImageFixtures::patternValue(int x, int y) { return quint16((x * 7 + y * 131 + 3) & 0xffff); }

QVector<quint16> ImageFixtures::pixels16(int width, int height,
                                         const std::function<int(int, int)> &value)
{
    QVector<quint16> px;
    px.reserve(width * height);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            px << quint16(value(x, y));
    return px;
}

QVector<quint16> ImageFixtures::pattern16(int width, int height)
{
    QVector<quint16> v;
    v.reserve(width * height);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            v.append(patternValue(x, y));
    return v;
}

QByteArray ImageFixtures::tiff(int width, int height, const QVector<quint16> &pixels,
                               bool bigEndian, double exposureSeconds)
{
    TiffOptions o;
    o.width = width;
    o.height = height;
    o.pixels = pixels;
    o.bigEndian = bigEndian;
    o.exposureSeconds = exposureSeconds;
    return tiff(o);
}

QByteArray ImageFixtures::tiff(const TiffOptions &o)
{
    const QVector<quint16> px = o.pixels.isEmpty() ? pattern16(o.width, o.height) : o.pixels;
    const int spp = o.samplesPerPixel;
    const int bytesPerSample = o.bitsPerSample == 8 ? 1 : 2;
    Bytes b(o.bigEndian);
    b.data.append(o.bigEndian ? "MM" : "II");
    b.u16(42);
    b.u32(0);   // first directory, set below

    auto sample = [&](int x, int y) -> quint16 {
        return x < o.width && y < o.height ? px.value(y * o.width + x) : 0;
    };
    auto put = [&](quint16 v) {
        for (int s = 0; s < spp; s++) {
            if (bytesPerSample == 1)
                b.data.append(char(v & 0xff));
            else
                b.u16(v);
        }
    };

    QVector<quint32> offsets, counts;
    const int tileSide = 16;
    if (o.tiled) {
        for (int ty = 0; ty < o.height; ty += tileSide) {
            for (int tx = 0; tx < o.width; tx += tileSide) {
                b.align();
                offsets << quint32(b.pos());
                for (int y = ty; y < ty + tileSide; y++)
                    for (int x = tx; x < tx + tileSide; x++)
                        put(sample(x, y));
                counts << quint32(b.pos()) - offsets.last();
            }
        }
    } else {
        const int rps = o.rowsPerStrip > 0 ? o.rowsPerStrip : qMax(o.height, 1);
        for (int y0 = 0; y0 < o.height; y0 += rps) {
            b.align();
            offsets << quint32(b.pos());
            for (int y = y0; y < qMin(o.height, y0 + rps); y++)
                for (int x = 0; x < o.width; x++)
                    put(sample(x, y));
            counts << quint32(b.pos()) - offsets.last();
        }
        if (offsets.isEmpty()) {
            offsets << quint32(b.pos());
            counts << 0;
        }
    }

    QVector<Entry> entries;
    entries << Entry{256, Long, 1, quint32(o.claimedWidth >= 0 ? o.claimedWidth : o.width)};
    entries << Entry{257, Long, 1, quint32(o.claimedHeight >= 0 ? o.claimedHeight : o.height)};
    if (spp == 1) {
        entries << Entry{258, Short, 1, quint32(o.bitsPerSample)};
    } else {
        b.align();
        const quint32 at = quint32(b.pos());
        for (int s = 0; s < spp; s++)
            b.u16(quint16(o.bitsPerSample));
        entries << Entry{258, Short, quint32(spp), at};
    }
    entries << Entry{259, Short, 1, 1};
    entries << Entry{262, Short, 1, quint32(spp >= 3 ? 2 : 1)};
    if (!o.tiled)
        entries << longArray(b, 273, offsets);
    entries << Entry{277, Short, 1, quint32(spp)};
    if (!o.tiled) {
        entries << Entry{278, Long, 1,
                         quint32(o.rowsPerStrip > 0 ? o.rowsPerStrip : qMax(o.height, 1))};
        entries << longArray(b, 279, counts);
    }
    entries << Entry{284, Short, 1, 1};
    if (o.tiled) {
        entries << Entry{322, Short, 1, quint32(tileSide)};
        entries << Entry{323, Short, 1, quint32(tileSide)};
        entries << longArray(b, 324, offsets);
        entries << longArray(b, 325, counts);
    }
    quint32 rationalAt = 0;
    if (o.exposureSeconds >= 0) {
        b.align();
        rationalAt = quint32(b.pos());
        b.u32(quint32(std::llround(o.exposureSeconds * 1000000.0)));
        b.u32(1000000);
    }

    b.align();
    const int ifd0 = b.pos();
    b.set32(4, quint32(ifd0));
    const int ifd0Size = 2 + 12 * (entries.size() + (o.exposureSeconds >= 0 ? 1 : 0)) + 4;
    if (o.exposureSeconds >= 0)
        entries << Entry{34665, Long, 1, quint32(ifd0 + ifd0Size)};
    writeIfd(b, entries);
    if (o.exposureSeconds >= 0)
        writeIfd(b, {Entry{33434, Rational, 1, rationalAt}});

    return o.truncateTo >= 0 ? b.data.left(o.truncateTo) : b.data;
}

QByteArray ImageFixtures::img(int width, int height, const QVector<quint32> &pixels,
                              const QByteArray &comment, int filePixelBytes, int originX,
                              int originY)
{
    QByteArray d(64, '\0');
    uchar *h = reinterpret_cast<uchar *>(d.data());
    h[0] = 'I';
    h[1] = 'M';
    qToLittleEndian(quint16(comment.size()), h + 2);
    qToLittleEndian(quint16(width), h + 4);
    qToLittleEndian(quint16(height), h + 6);
    qToLittleEndian(quint16(originX), h + 8);
    qToLittleEndian(quint16(originY), h + 10);
    d.append(comment);
    for (quint32 v : pixels) {
        uchar b[4];
        if (filePixelBytes == 4) {
            qToLittleEndian(v, b);
            d.append(reinterpret_cast<const char *>(b), 4);
        } else {
            qToLittleEndian(quint16(v), b);
            d.append(reinterpret_cast<const char *>(b), 2);
        }
    }
    return d;
}

QByteArray ImageFixtures::textImage(int x0, int x1, int y0, int y1, const QVector<double> &values,
                                    int bodyLines, const QByteArray &magicSuffix)
{
    QByteArray d = "#RVKT-CTImg" + magicSuffix + "\n";
    d += "# RANGE_X0 = " + QByteArray::number(x0) + "\n";
    d += "# RANGE_X1 = " + QByteArray::number(x1) + "\n";
    d += "# RANGE_Y0 = " + QByteArray::number(y0) + "\n";
    d += "# RANGE_Y1 = " + QByteArray::number(y1) + "\n";
    const int w = qMax(x1 - x0, 1);
    const int n = bodyLines < 0 ? values.size() : qMin(bodyLines, values.size());
    for (int k = 0; k < n; k++)
        d += QByteArray::number(x0 + k % w) + " " + QByteArray::number(y0 + k / w) + " "
             + QByteArray::number(values[k], 'g', 10) + "\n";
    return d;
}
