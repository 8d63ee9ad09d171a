#include "imagedata/analyzed2dres.h"

#include <QDebug>
#include <QFile>
#include <QSemaphore>
#include <QTextStream>
#include "core/taskpool.h"
#include <QtGlobal>

#include <atomic>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <new>

#include "core/globals.h"
#include "core/wholefile.h"

namespace {

const double Huge = 1e300;

// Zeros from calloc: fresh pages are not touched until values are stored, so
// a new map costs its first run no time up front. Given back by freeZeroArray.
double *newZeroArray(qint64 n)
{
    if (n <= 0)
        return nullptr;
    double *a = static_cast<double *>(std::calloc(size_t(n), sizeof(double)));
    if (a == nullptr)
        qDebug() << "Analyzed2DRes: can't allocate" << n << "values";
    return a;
}

void freeZeroArray(double *a)
{
    std::free(a);
}

double *copyArray(const double *src, qint64 n)
{
    if (src == nullptr || n <= 0)
        return nullptr;
    double *a = newZeroArray(n);
    if (a != nullptr)
        std::memcpy(a, src, size_t(n) * sizeof(double));
    return a;
}

// Fraction of v on the scale [lo, hi], safe for NaN, infinities and a scale of
// zero width (values equal to it get the lowest colour).
double scaleFraction(double v, double lo, double hi)
{
    if (std::isnan(v))
        return 0.0;
    const double span = hi - lo;
    double f;
    if (span == 0.0 || !std::isfinite(span))
        f = v > hi ? 1.0 : 0.0;
    else
        f = (v - lo) / span;
    if (std::isnan(f))
        return 0.0;
    return qBound(-1e6, f, 1e6);
}

// A value as a 16-bit sample of the scale [lo, hi]: lo is 0, hi 65535, also
// where hi lies below lo.
unsigned short sample16(double v, double lo, double hi)
{
    const double span = hi - lo;
    if (std::isnan(v) || span == 0.0 || !std::isfinite(span))
        return 0;
    v = qBound(qMin(lo, hi), v, qMax(lo, hi));
    const double t = (v - lo) / span * 65535.0;
    if (!(t >= 0.0))
        return 0;
    if (t >= 65535.0)
        return 65535;
    return static_cast<unsigned short>(t);
}

void trackRange(double v, double *lo, double *hi)
{
    if (v < *lo)
        *lo = v;
    if (v > *hi)
        *hi = v;
}

// Calls f for every centre of the walk, from the first, that lies inside the
// map; rowLog, when given, goes to the debug log with the y of every row.
template <typename F>
void walkInside(AnalyzeCond a, const char *rowLog, F f)
{
    a.reset();
    do {
        if (rowLog != nullptr && a.rowStart)
            qDebug() << rowLog << a.y;
        if (a.inside(a.x, a.y))
            f(a);
    } while (a.next());
}

// Cells lo..hi (inclusive) of a line of n cells, clipped; false when none is inside.
bool clipSpan(qint64 lo, qint64 hi, int n, int *c0, int *c1)
{
    lo = qMax<qint64>(lo, 0);
    hi = qMin<qint64>(hi, qint64(n) - 1);
    if (lo > hi)
        return false;
    *c0 = int(lo);
    *c1 = int(hi);
    return true;
}

// The cells of the box of half sizes |halfW|, |halfH| at (x, y) inside a
// width x height map; empty when none is.
QRect boxInMap(qint64 x, qint64 y, int halfW, int halfH, int width, int height)
{
    const qint64 a = qAbs(qint64(halfW)), b = qAbs(qint64(halfH));
    int c0, c1, r0, r1;
    if (!clipSpan(x - a, x + a, width, &c0, &c1) || !clipSpan(y - b, y + b, height, &r0, &r1))
        return QRect();
    return QRect(QPoint(c0, r0), QPoint(c1, r1));
}

// First and last centre of a line of the walk: the first is always visited,
// the others while below end.
void centreSpan(int first, int end, int step, qint64 *lo, qint64 *hi)
{
    *lo = first;
    *hi = first;
    if (step >= 1 && end > first)
        *hi = first + (qint64(end) - 1 - first) / step * step;
}

// The cells the boxes of a walk cover inside its map.
QRect walkBounds(const AnalyzeCond &a)
{
    qint64 xl, xh, yl, yh;
    centreSpan(a.x0 + a.halfW, a.x1, a.stepX, &xl, &xh);
    centreSpan(a.y0 + a.halfH, a.y1, a.stepY, &yl, &yh);
    const qint64 ha = qAbs(qint64(a.halfW)), hb = qAbs(qint64(a.halfH));
    int c0, c1, r0, r1;
    if (!clipSpan(xl - ha, xh + ha, a.width, &c0, &c1)
        || !clipSpan(yl - hb, yh + hb, a.height, &r0, &r1))
        return QRect();
    return QRect(QPoint(c0, r0), QPoint(c1, r1));
}

// The map's values seen on the grid of the walk's centres.
template <typename Read> struct CentreGrid
{
    CentreGrid(const AnalyzeCond &area, Read read)
        : read(read), sx(qMax(area.stepX, 1)), sy(qMax(area.stepY, 1))
    {
    }
    double at(int x, int y) const { return read(x, y); }

    Read read;
    int sx;
    int sy;
};

template <typename Read> CentreGrid<Read> centreGrid(const AnalyzeCond &area, Read read)
{
    return CentreGrid<Read>(area, read);
}

} // namespace

Analyzed2DRes::Analyzed2DRes(QString name)
    : QObject(nullptr), no(0), name(name), imageValid(false), image(nullptr),
      imageBuffer(nullptr), data(nullptr), min(Huge), max(-Huge), minX(0), minY(0), maxX(0),
      maxY(0), fixedMin(Huge), fixedMax(-Huge), fixedScale(false),
      imageFormat(ImageFormatGrayscale8), count(0), procMin(0), procMax(1.0), procData(nullptr),
      deglitchFactor(2.0), deglitchRatio(0.9), useProcImg(false)
{
    clear();
}

Analyzed2DRes::~Analyzed2DRes()
{
    freeArrays();
}

double Analyzed2DRes::cellOf(const double *cells, int x, int y) const
{
    if (cells == nullptr || !stored.contains(x, y))
        return 0.0;
    return cells[qint64(y - stored.y()) * stored.width() + (x - stored.x())];
}

void Analyzed2DRes::fillBox(double *cells, int x, int y, int halfW, int halfH, double v) const
{
    if (cells == nullptr)
        return;
    const QRect box = boxInMap(x, y, halfW, halfH, area.width, area.height) & stored;
    if (box.isEmpty())
        return;
    const int w = stored.width();
    for (int r = box.top(); r <= box.bottom(); r++) {
        double *row = cells + qint64(r - stored.y()) * w - stored.x();
        for (int c = box.left(); c <= box.right(); c++)
            row[c] = v;
    }
}

bool Analyzed2DRes::store(const QRect &need)
{
    if (need.isEmpty() || stored.contains(need))
        return !need.isEmpty();
    if (storeFailed)
        return false;
    // The walk's boxes at first; anything past them takes the whole map.
    const QRect whole(0, 0, area.width, area.height);
    const QRect next = data == nullptr ? (walkBounds(area) | need) & whole : whole;
    const qint64 n = qint64(next.width()) * next.height();
    double *cells = newZeroArray(n);
    double *proc = procData != nullptr ? newZeroArray(n) : nullptr;
    if (cells == nullptr || (procData != nullptr && proc == nullptr)) {
        freeZeroArray(cells);
        freeZeroArray(proc);
        storeFailed = true;
        return false;
    }
    // The cells held so far move into the new storage.
    for (int r = stored.top(); data != nullptr && r <= stored.bottom(); r++) {
        const qint64 from = qint64(r - stored.y()) * stored.width();
        const qint64 to = qint64(r - next.y()) * next.width() + (stored.x() - next.x());
        std::memcpy(cells + to, data + from, size_t(stored.width()) * sizeof(double));
        if (proc != nullptr)
            std::memcpy(proc + to, procData + from, size_t(stored.width()) * sizeof(double));
    }
    freeZeroArray(data);
    freeZeroArray(procData);
    data = cells;
    procData = proc;
    stored = next;
    return true;
}

bool Analyzed2DRes::storeProcessed()
{
    if (cellCount() == 0)
        return false;
    // A map without values still has a processed copy (of zeros) over its walk.
    if (data == nullptr && !store(walkBounds(area)))
        return false;
    if (procData == nullptr)
        procData = newZeroArray(qint64(stored.width()) * stored.height());
    return procData != nullptr;
}

template <typename Stored, typename Empty>
void Analyzed2DRes::walkRow(int r, Stored out, Empty fill) const
{
    const int w = qMax(area.width, 0);
    if (data == nullptr || r < stored.top() || r > stored.bottom()) {
        fill(0, w - 1);
        return;
    }
    if (stored.left() > 0)
        fill(0, stored.left() - 1);
    out(stored.left(), stored.right(), qint64(r - stored.y()) * stored.width());
    if (stored.right() < w - 1)
        fill(stored.right() + 1, w - 1);
}

int Analyzed2DRes::cellCount() const
{
    if (area.width <= 0 || area.height <= 0)
        return 0;
    const qint64 n = qint64(area.width) * area.height;
    return n > INT_MAX ? 0 : int(n);
}

void Analyzed2DRes::freeArrays()
{
    stored = QRect();
    storeFailed = false;
    delete image;
    image = nullptr;
    delete[] imageBuffer;
    imageBuffer = nullptr;
    freeZeroArray(data);
    data = nullptr;
    freeZeroArray(procData);
    procData = nullptr;
}

const double *Analyzed2DRes::source() const
{
    return useProcImg ? procData : data;
}

// A fixed range that marks "no value" is never the scale: the free one is.
bool Analyzed2DRes::fixedInUse() const
{
    return fixedScale && ColorScale::isValueRange(fixedMin, fixedMax);
}

double Analyzed2DRes::scaleMin() const
{
    return fixedInUse() ? fixedMin : useProcImg ? procMin : min;
}

double Analyzed2DRes::scaleMax() const
{
    return fixedInUse() ? fixedMax : useProcImg ? procMax : max;
}

double Analyzed2DRes::value(int x, int y) const
{
    return cellOf(data, x, y);
}

double Analyzed2DRes::processedValue(int x, int y) const
{
    return cellOf(procData, x, y);
}

double Analyzed2DRes::shownValue(int x, int y) const
{
    return useProcImg ? processedValue(x, y) : value(x, y);
}

void Analyzed2DRes::setArea(AnalyzeCond walker)
{
    area = walker;
    procMin = 0;
    procMax = 1.0;
    min = Huge;
    max = -Huge;
    freeArrays();
    imageValid = false;
}

void Analyzed2DRes::clear()
{
    setArea(AnalyzeCond());
}

void Analyzed2DRes::setNo(int n)
{
    no = n;
}

void Analyzed2DRes::noteValue(int x, int y, double v)
{
    if (v > max) {
        max = v;
        maxX = x;
        maxY = y;
    }
    if (v < min) {
        min = v;
        minX = x;
        minY = y;
    }
}

void Analyzed2DRes::setData(int x, int y, int halfW, int halfH, double v)
{
    noteValue(x, y, v);
    // A one-cell box among the stored cells, as runs of one-pixel boxes record them.
    if (halfW == 0 && halfH == 0 && data != nullptr && x >= stored.left() && x <= stored.right()
        && y >= stored.top() && y <= stored.bottom()) {
        data[qint64(y - stored.top()) * stored.width() + (x - stored.left())] = v;
        return;
    }
    const QRect box = boxInMap(x, y, halfW, halfH, area.width, area.height);
    if (box.isEmpty())
        return;
    const bool failedBefore = storeFailed;
    if (!store(box)) {
        if (!failedBefore)
            qDebug() << "Analyzed2DRes:" << name << "can't store the value at" << x << y;
        return;
    }
    fillBox(data, x, y, halfW, halfH, v);
}

bool Analyzed2DRes::setCells(const double *values)
{
    const int w = area.width, h = area.height;
    if (values == nullptr || w <= 0 || h <= 0)
        return true;
    if (!store(QRect(0, 0, w, h))) {
        qDebug() << "Analyzed2DRes:" << name << "can't store" << w << "x" << h << "cells";
        return false;
    }
    for (int y = 0; y < h; y++) {
        const double *from = values + qint64(y) * w;
        for (int x = 0; x < w; x++)
            noteValue(x, y, from[x]);
        std::memcpy(data + qint64(y) * w, from, size_t(w) * sizeof(double));
    }
    return true;
}

void Analyzed2DRes::genImg()
{
    newImg();
    paintImg();
}

void Analyzed2DRes::newImg()
{
    delete image;
    image = nullptr;
    delete[] imageBuffer;
    imageBuffer = nullptr;

    const int w = qMax(area.width, 0);
    const int h = qMax(area.height, 0);
    // Cleared by paintImg, in the thread that paints: a fresh buffer's pages
    // are first touched there.
    imageBuffer = cellCount() > 0 ? newImageBuffer(imageFormat, w, h, false) : nullptr;
    if (imageBuffer != nullptr)
        image = newImage(imageFormat, imageBuffer, w, h);
    if (image == nullptr) {
        delete[] imageBuffer;
        imageBuffer = nullptr;
        image = new QImage();
    }
}

void Analyzed2DRes::paintImg()
{
    if (imageBuffer != nullptr) {
        const int w = qMax(area.width, 0);
        const int h = qMax(area.height, 0);
        const double *src = source();
        const double lo = scaleMin();
        const double hi = scaleMax();
        const int stride = rowStride(imageFormat, w);
        // Cells without a stored value are 0: their pixel is made once.
        const ColorScale::Writer write(colorScale, imageFormat);
        uchar zero[8] = {};
        const int zeroBytes = int(write(scaleFraction(0.0, lo, hi), zero) - zero);
        for (int r = 0; r < h; r++) {
            uchar *line = imageBuffer + qint64(r) * stride;
            walkRow(
                r,
                [&](int c0, int c1, qint64 at) {
                    uchar *p = line + qint64(c0) * zeroBytes;
                    for (int c = c0; c <= c1; c++) {
                        const double v = src != nullptr ? src[at + c - c0] : 0.0;
                        p = write(scaleFraction(v, lo, hi), p);
                    }
                },
                [&](int c0, int c1) {
                    for (uchar *p = line + qint64(c0) * zeroBytes,
                               *end = line + qint64(c1 + 1) * zeroBytes;
                         p < end; p += zeroBytes)
                        std::memcpy(p, zero, size_t(zeroBytes));
                });
            // Every pixel is written above; the row's padding is cleared.
            const qint64 used = qint64(w) * zeroBytes;
            if (stride > used)
                std::memset(line + used, 0, size_t(stride - used));
        }
    }
    imageValid = true;
}

void Analyzed2DRes::genImgs(const QVector<Analyzed2DRes *> &maps, const ColorScale &scale,
                            TaskPool *helpers)
{
    QVector<Analyzed2DRes *> todo;
    // The images are made here, in this thread's heap, and painted anywhere.
    for (Analyzed2DRes *map : maps) {
        if (map && !todo.contains(map)) {
            map->colorScale = scale;
            map->newImg();
            todo << map;
        }
    }
    std::atomic<int> next(0);
    auto paint = [&] {
        for (int i = next++; i < todo.size(); i = next++)
            todo[i]->paintImg();
    };
    // Only threads free at once help: the wait below never waits for a busy pool.
    QSemaphore helped;
    int started = 0;
    while (helpers && started + 1 < todo.size() && helpers->tryStart([&] {
        paint();
        helped.release();
    }))
        started++;
    paint();
    helped.acquire(started);
}

QImage *Analyzed2DRes::img()
{
    return image;
}

void Analyzed2DRes::tiffRange(bool useRange, double *lo, double *hi) const
{
    if (useRange)
        return;
    *lo = useProcImg ? procMin : min;
    *hi = useProcImg ? procMax : max;
}

unsigned short *Analyzed2DRes::tiffDataForSave(bool useRange, double lo, double hi,
                                               bool areaOnly)
{
    // No value recorded (a map given an area by a run that filled none of it):
    // nothing to export.
    const int n = hasData() ? cellCount() : 0;
    if (n == 0)
        return nullptr;
    tiffRange(useRange, &lo, &hi);
    unsigned short *out = new (std::nothrow) unsigned short[size_t(n)]();
    if (out == nullptr) {
        qDebug() << "Analyzed2DRes: can't allocate" << n << "samples";
        return nullptr;
    }
    if (areaOnly) {
        // Centres outside the map are left out, so at most one sample per cell.
        int k = 0;
        walkInside(area, nullptr, [&](const AnalyzeCond &a) {
            if (k < n)
                out[k++] = sample16(shownValue(a.x, a.y), lo, hi);
        });
        count = k;
    } else {
        const double *src = source();
        const unsigned short zero = sample16(0.0, lo, hi);
        const int w = area.width;
        for (int r = 0; r < area.height; r++) {
            unsigned short *line = out + qint64(r) * w;
            walkRow(
                r,
                [&](int c0, int c1, qint64 at) {
                    for (int c = c0; c <= c1; c++)
                        line[c] = sample16(src != nullptr ? src[at + c - c0] : 0.0, lo, hi);
                },
                [&](int c0, int c1) { std::fill(line + c0, line + c1 + 1, zero); });
        }
        count = n;
    }
    return out;
}

void Analyzed2DRes::deglitch()
{
    if (!storeProcessed())
        return;
    const auto grid = centreGrid(area, [this](int x, int y) { return value(x, y); });

    double gSum = 0;
    int centres = 0;
    walkInside(area, "deglitch", [&](const AnalyzeCond &a) {
        const double c2 = 2 * grid.at(a.x, a.y);
        double g = 0;
        int terms = 0;
        if (a.inside(a.x - grid.sx, a.y) && a.inside(a.x + grid.sx, a.y)) {
            g += std::fabs(c2 - grid.at(a.x - grid.sx, a.y) - grid.at(a.x + grid.sx, a.y));
            terms++;
        }
        if (a.inside(a.x, a.y - grid.sy) && a.inside(a.x, a.y + grid.sy)) {
            g += std::fabs(c2 - grid.at(a.x, a.y - grid.sy) - grid.at(a.x, a.y + grid.sy));
            terms++;
        }
        if (terms > 0)
            g /= terms;
        fillBox(procData, a.x, a.y, a.halfW, a.halfH, g);
        gSum += g;
        centres++;
    });

    const double threshold = centres > 0 ? gSum / centres * deglitchFactor : 0.0;
    const double band = (max - min) * deglitchRatio;
    procMin = Huge;
    procMax = -Huge;
    walkInside(area, "deglitch 2", [&](const AnalyzeCond &a) {
        const double g = processedValue(a.x, a.y);
        double val = grid.at(a.x, a.y);
        if (g > threshold && (val < min + band || val > max - band)) {
            const int nx[4] = {a.x - grid.sx, a.x + grid.sx, a.x, a.x};
            const int ny[4] = {a.y, a.y, a.y - grid.sy, a.y + grid.sy};
            double sum = 0;
            int used = 0;
            for (int i = 0; i < 4; i++) {
                if (a.inside(nx[i], ny[i])) {
                    sum += grid.at(nx[i], ny[i]);
                    used++;
                }
            }
            if (used > 0)
                val = sum / used;
        }
        trackRange(val, &procMin, &procMax);
        fillBox(procData, a.x, a.y, a.halfW, a.halfH, val);
    });

    if (useProcImg)
        genImg();
}

void Analyzed2DRes::setDeglitchConds(double factor, double ratio)
{
    deglitchFactor = factor;
    deglitchRatio = ratio;
}

void Analyzed2DRes::selectProcImg(bool b)
{
    useProcImg = b;
    genImg();
}

void Analyzed2DRes::deglitch2(double th)
{
    if (!storeProcessed())
        return;
    const auto grid = centreGrid(area, [this](int x, int y) { return value(x, y); });

    double sum = 0;
    int used = 0;
    walkInside(area, "deglitch2", [&](const AnalyzeCond &a) {
        const double val = grid.at(a.x, a.y);
        if (std::fabs(val) < th) {
            sum += val;
            used++;
        }
    });
    const double m = used > 0 ? sum / used : 0.0;

    procMin = Huge;
    procMax = -Huge;
    walkInside(area, "deglitch 2", [&](const AnalyzeCond &a) {
        double val = grid.at(a.x, a.y);
        if (std::fabs(val - m) > th) {
            double nSum = 0;
            int nUsed = 0;
            for (int dx = -1; dx <= 1; dx++) {
                for (int dy = -1; dy <= 1; dy++) {
                    const int cx = a.x + dx * grid.sx;
                    const int cy = a.y + dy * grid.sy;
                    if ((dx == 0 && dy == 0) || !a.inside(cx, cy))
                        continue;
                    const double u = grid.at(cx, cy);
                    if (std::fabs(u - m) < th) {
                        nSum += u;
                        nUsed++;
                    }
                }
            }
            val = nUsed > 0 ? nSum / nUsed : 0.0;
        }
        trackRange(val, &procMin, &procMax);
        fillBox(procData, a.x, a.y, a.halfW, a.halfH, val);
    });

    if (useProcImg)
        genImg();
}

void Analyzed2DRes::copyProc2Data()
{
    if (cellCount() == 0)
        return;
    // Without a processed copy every cell of it is 0.
    const qint64 n = qint64(stored.width()) * stored.height();
    if (data != nullptr && procData != nullptr)
        std::memcpy(data, procData, size_t(n) * sizeof(double));
    else if (data != nullptr)
        std::fill(data, data + n, 0.0);
    min = procMin;
    max = procMax;
}

void Analyzed2DRes::setFixedScale(bool b)
{
    fixedScale = b;
    genImg();
}

void Analyzed2DRes::setScale(double lo, double hi)
{
    fixedMin = lo;
    fixedMax = hi;
    genImg();
}


void Analyzed2DRes::copyFrom(const Analyzed2DRes *source)
{
    if (source == nullptr || source == this)
        return;
    no = source->no;
    name = source->name;
    area = source->area;
    imageFormat = source->imageFormat;
    count = source->count;
    min = source->min;
    max = source->max;
    fixedMin = source->fixedMin;
    fixedMax = source->fixedMax;
    fixedScale = source->fixedScale;
    procMin = source->procMin;
    procMax = source->procMax;
    useProcImg = source->useProcImg;
    colorScale = source->colorScale;
    deglitchFactor = source->deglitchFactor;
    deglitchRatio = source->deglitchRatio;

    freeArrays();
    const qint64 n = qint64(source->stored.width()) * source->stored.height();
    data = copyArray(source->data, n);
    procData = copyArray(source->procData, n);
    if (data != nullptr) {
        stored = source->stored;
    } else {
        freeZeroArray(procData);
        procData = nullptr;
    }

    imageValid = false;
    const QImage *srcImage = source->imageValid ? source->image : nullptr;
    if (srcImage == nullptr)
        return;
    const int fmt = int(srcImage->format());
    if (source->imageBuffer != nullptr && !srcImage->isNull()) {
        imageBuffer = newImageBuffer(fmt, srcImage->width(), srcImage->height());
        if (imageBuffer != nullptr) {
            const qint64 bytes = qMin<qint64>(qint64(rowStride(fmt, srcImage->width()))
                                                  * srcImage->height(),
                                              qint64(srcImage->bytesPerLine()) * srcImage->height());
            std::memcpy(imageBuffer, srcImage->constBits(), size_t(bytes));
            image = newImage(fmt, imageBuffer, srcImage->width(), srcImage->height());
        }
        if (image == nullptr) {
            delete[] imageBuffer;
            imageBuffer = nullptr;
        }
    }
    if (image == nullptr)
        image = new QImage(srcImage->copy());
    imageValid = true;
}

bool Analyzed2DRes::saveAsText(QFileInfo file, bool areaOnly, bool commaSeparated, bool xyValues)
{
    Q_UNUSED(areaOnly); // the text always lists the centres of the walk
    WholeFile f(file.filePath());
    if (!f.open())
        return false;
    QTextStream &out = f.stream();
    const QString sep = commaSeparated ? QStringLiteral(",") : QStringLiteral(" ");
    const QString xyFormat = commaSeparated ? QStringLiteral("%1,%2,%3\n")
                                            : QStringLiteral("%1 %2 %3\n");
    QStringList row;
    int rowY = area.y0 + area.halfH;
    qint64 written = 0;
    auto flushRow = [&]() {
        if (!row.isEmpty())
            out << "\n" << row.join(sep);
        row.clear();
    };
    if (hasData() && cellCount() > 0) {
        walkInside(area, nullptr, [&](const AnalyzeCond &a) {
            ++written;
            const QString v = QString::number(value(a.x, a.y), 'g', 6);
            if (xyValues) {
                out << xyFormat.arg(a.x).arg(a.y).arg(v);
                return;
            }
            if (a.y != rowY)
                flushRow();
            rowY = a.y;
            row << v;
        });
    }
    // Nothing of the walk lies on the map: an earlier file stays as it is.
    if (written == 0) {
        f.fail(QStringLiteral("the map holds no data"));
        return false;
    }
    if (!xyValues) {
        flushRow();
        out << "\n";
    }
    return f.commit();
}
