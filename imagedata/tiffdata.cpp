#include "imagedata/tiffdata.h"

#include <algorithm>

#include <QDebug>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <QSysInfo>
#include <QThread>
#include <QtEndian>
#include <climits>
#include <cmath>
#include <cstdio>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <sys/resource.h>
#include <tiffio.h>
#include <unistd.h>
#include <vector>
#include "core/globals.h"
#include "core/stringutil.h"
#include "imagedata/errpoints.h"
#include "imagedata/tiffdatabudget.h"
#include "imagedata/tiffdatalimits.h"

using namespace TiffDataLimits;

namespace TiffDataLimits {

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

qint64 machineMemory()
{
    double have = double(sysconf(_SC_PHYS_PAGES)) * double(sysconf(_SC_PAGESIZE));
    for (int resource : {RLIMIT_DATA, RLIMIT_AS}) {
        struct rlimit lim;
        if (getrlimit(resource, &lim) == 0 && lim.rlim_cur != RLIM_INFINITY)
            have = have > 0 ? qMin(have, double(lim.rlim_cur)) : double(lim.rlim_cur);
    }
    return have > 0 && have < 9e18 ? qint64(have) : 0;
}

namespace {

// The value of a "Key: n kB" line of a file under /proc, in bytes; -1 when missing.
qint64 procBytes(const char *path, const char *key)
{
    FILE *f = std::fopen(path, "r");
    if (!f)
        return -1;
    const size_t keyLength = std::strlen(key);
    char line[256];
    qint64 bytes = -1;
    while (bytes < 0 && std::fgets(line, sizeof line, f)) {
        long long kb = 0;
        if (std::strncmp(line, key, keyLength) == 0 && line[keyLength] == ':'
            && std::sscanf(line + keyLength + 1, "%lld", &kb) == 1)
            bytes = qint64(kb) * 1024;
    }
    std::fclose(f);
    return bytes;
}

// What is left under a limit of the process, -1 without one.
double leftUnder(int resource, const char *usedKey)
{
    struct rlimit lim;
    if (getrlimit(resource, &lim) != 0 || lim.rlim_cur == RLIM_INFINITY)
        return -1;
    return double(lim.rlim_cur) - double(qMax<qint64>(procBytes("/proc/self/status", usedKey), 0));
}

} // namespace

qint64 freeMemory()
{
    struct rlimit lim;
    const double stack = getrlimit(RLIMIT_STACK, &lim) == 0 && lim.rlim_cur != RLIM_INFINITY
                                 && lim.rlim_cur > 0
                             ? double(lim.rlim_cur)
                             : double(8 << 20);
    const double arena = double(64 << 20);
    const double threads =
        double(WorkThreadsPerCore * qMax(1, QThread::idealThreadCount()) + WorkThreadsBeside);
    double room = -1;
    auto least = [&room](double left, double kept) {
        if (left >= 0)
            room = room < 0 ? qMax(left - kept, 0.0) : qMin(room, qMax(left - kept, 0.0));
    };
    const qint64 available = procBytes("/proc/meminfo", "MemAvailable");
    const qint64 installed = procBytes("/proc/meminfo", "MemTotal");
    if (available >= 0)
        least(double(available) - double(qMax<qint64>(installed, 0)) / 16, threads * stack);
    least(leftUnder(RLIMIT_DATA, "VmData"), threads * stack);
    least(leftUnder(RLIMIT_AS, "VmSize"), threads * (stack + arena));
    if (room < 0)
        return -1;
    return qint64(qMin(qMax(room - double(WorkMarginBytes), 0.0), 9e18));
}

bool memoryAcceptable(qint64 w, qint64 h, int pixelBytes, const QString &fileName)
{
    // Pixel rows and a display image of up to 4 bytes a pixel.
    const double need = double(w) * double(h) * (pixelBytes + 4);
    const double have = double(machineMemory());
    if (have > 0 && need > have) {
        qDebug() << "Image too large for the memory:" << w << "x" << h << "needs"
                 << qint64(need / 1048576) << "MB of" << qint64(have / 1048576) << "MB" << fileName;
        return false;
    }
    return true;
}

bool truncatedInt(double v, qint64 &out)
{
    if (!std::isfinite(v) || std::fabs(v) >= 2147483648.0)
        return false;
    out = qint64(std::trunc(v));
    return true;
}

} // namespace TiffDataLimits

namespace {

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

template <typename T> void freeRows(QVector<void *> &rows)
{
    for (void *p : rows)
        delete[] static_cast<T *>(p);
}

} // namespace

TiffData::TiffData()
    : imageFormat(ImageFormatGrayscale8), bytesPerPixel(2), width(0), height(0), errOriginX(0),
      errOriginY(0), errPoints(&globalErrPoints), scanlineSize(0), min(RangeStartMin),
      max(RangeStartMax), energy(0), imageBuffer(nullptr), image(nullptr),
      exposureMs(DefaultExposureMs), shiftX(0), shiftY(0), pixelType(PixelNone), displayImageOnLoad(true),
      budget(nullptr), budgetTurn(-1), pixelBlock(nullptr)
{
}

TiffData::~TiffData() { clear(); }

void TiffData::clear()
{
    switch (pixelType) {
    case PixelTiff16: freePixelBlock(); break;
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

qint64 TiffData::memoryBytes() const
{
    qint64 rowBytes = 0;
    switch (pixelType) {
    case PixelTiff16: rowBytes = scanlineSize; break;
    case PixelImg16: rowBytes = qint64(width) * 2; break;
    case PixelImg32:
    case PixelFloat: rowBytes = qint64(width) * 4; break;
    default: break;
    }
    qint64 bytes = 0;
    for (const void *row : rows) {
        if (row)
            bytes += rowBytes;
    }
    if (imageBuffer)
        bytes += qint64(rowStride(imageFormat, int(width))) * height;
    return bytes;
}

bool TiffData::admit(qint64 rowBytes, qint64 h)
{
    TiffDataBudget *b = budget;
    if (!b)
        return true;
    budget = nullptr;
    const qint64 display = displayImageOnLoad ? qint64(rowStride(imageFormat, int(width))) * h : 0;
    return b->reserve(budgetTurn, rowBytes * h + display, fileName, qint64(width) * h);
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
double TiffData::sumRect(qint64 x0, qint64 x1, qint64 y0, qint64 y1, int dx, int dy) const
{
    const qint64 c0 = qMax<qint64>(x0 - dx, 0);
    const qint64 c1 = qMin<qint64>(x1 - dx, qint64(width) - 1);
    const qint64 r0 = qMax<qint64>(y0 - dy, 0);
    const qint64 r1 = qMin<qint64>(y1 - dy, qint64(rows.size()) - 1);
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
    return boxSum(x, y, hw, hh, shiftX, shiftY);
}

double TiffData::boxSum(int x, int y, int hw, int hh, int dx, int dy) const
{
    const qint64 a = qAbs(qint64(hw)), b = qAbs(qint64(hh));
    return sumRect(qint64(x) - a, qint64(x) + a, qint64(y) - b, qint64(y) + b, dx, dy);
}

// The boxes of one row band: the rows clipped once, the pixel type chosen once.
namespace {

// A one-pixel box as sumFrameRect adds it up.
// (through a signed type: the same value, a shorter conversion)
double pixelAsSum(quint16 v) { return double(qint64(v)); }
double pixelAsSum(quint32 v) { return double(qint64(v)); }
double pixelAsSum(float v) { return 0.0 + double(v); }

} // namespace

template <typename T>
void TiffData::sumRects(const int *xs, int count, qint64 a, qint64 r0, qint64 r1, int dx,
                        double *out) const
{
    if (a == 0 && r0 == r1) {
        // One-pixel boxes: a direct read of the row.
        const T *row = static_cast<const T *>(rows[int(r0)]);
        if (!row) {
            std::fill(out, out + count, 0.0);
            return;
        }
        const quint64 w = width;
        for (int k = 0; k < count; k++) {
            const quint64 c = quint64(qint64(xs[k]) - dx);
            out[k] = c < w ? pixelAsSum(row[c]) : 0.0;
        }
        return;
    }
    for (int k = 0; k < count; k++) {
        const qint64 c0 = qMax<qint64>(qint64(xs[k]) - a - dx, 0);
        const qint64 c1 = qMin<qint64>(qint64(xs[k]) + a - dx, qint64(width) - 1);
        out[k] = c0 > c1 || r0 > r1 ? 0.0 : sumFrameRect<T>(c0, c1, r0, r1);
    }
}

void TiffData::boxSums(const int *xs, int count, int y, int hw, int hh, int dx, int dy,
                       double *out) const
{
    const qint64 a = qAbs(qint64(hw)), b = qAbs(qint64(hh));
    const qint64 r0 = qMax<qint64>(qint64(y) - b - dy, 0);
    const qint64 r1 = qMin<qint64>(qint64(y) + b - dy, qint64(rows.size()) - 1);
    switch (pixelType) {
    case PixelTiff16:
    case PixelImg16: sumRects<quint16>(xs, count, a, r0, r1, dx, out); break;
    case PixelImg32: sumRects<quint32>(xs, count, a, r0, r1, dx, out); break;
    case PixelFloat: sumRects<float>(xs, count, a, r0, r1, dx, out); break;
    default: std::fill(out, out + qMax(count, 0), 0.0); break;
    }
}

void TiffData::prefetchBand(int x0, int x1, int y, int hw, int hh, int dx, int dy) const
{
    int size = 0;
    switch (pixelType) {
    case PixelTiff16:
    case PixelImg16: size = 2; break;
    case PixelImg32:
    case PixelFloat: size = 4; break;
    default: return;
    }
    const qint64 a = qAbs(qint64(hw)), b = qAbs(qint64(hh));
    const qint64 c0 = qMax<qint64>(qint64(qMin(x0, x1)) - a - dx, 0);
    const qint64 c1 = qMin<qint64>(qint64(qMax(x0, x1)) + a - dx, qint64(width) - 1);
    const qint64 r0 = qMax<qint64>(qint64(y) - b - dy, 0);
    // Later rows of a tall box follow in the hardware's own prefetching.
    const qint64 r1 = qMin<qint64>(qMin<qint64>(qint64(y) + b - dy, r0 + 3), qint64(rows.size()) - 1);
    const int Line = 64;
    for (qint64 r = r0; r <= r1 && c0 <= c1; r++) {
        const char *p = static_cast<const char *>(rows[int(r)]);
        if (!p)
            continue;
        const char *last = p + c1 * size;
        for (const char *q = p + c0 * size; q <= last; q += Line)
            __builtin_prefetch(q);
        __builtin_prefetch(last);
    }
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
    return sumRect(X, X + W, Y, Y + H, shiftX, shiftY) / (double(W + 1) * double(H + 1));
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

