#include "imagedata/analyzecond.h"

#include <QDebug>
#include <QtGlobal>

#include <climits>
#include <cmath>

namespace {

// A step below 1 would never leave its row.
int walkStep(int step)
{
    return step < 1 ? 1 : step;
}

// Bounds and half-sizes are kept within these, so that centres, box edges
// and steps of side-by-side boxes stay within int.
const double BoundLimit = double(1 << 29);
const int HalfLimit = 1 << 28;

// An area bound truncated toward zero; NaN gives 0.
int areaBound(double v)
{
    if (!(std::fabs(v) <= BoundLimit)) {
        qDebug() << "AnalyzeCond: area bound" << v << "out of range";
        return std::isnan(v) ? 0 : int(qBound(-BoundLimit, v, BoundLimit));
    }
    return int(v);
}

int halfSize(int half)
{
    return half < 0 ? (half < -HalfLimit ? HalfLimit : -half) : qMin(half, HalfLimit);
}

// Number of positions first, first + step, ... below end; the first always counts.
int positions(int first, int end, int step)
{
    if (first >= end)
        return 1;
    const qint64 span = qint64(end) - first;
    return int((span + step - 1) / step);
}

} // namespace

AnalyzeCond::AnalyzeCond()
    : width(0), height(0), halfW(0), halfH(0), x0(0), x1(0), stepX(1), y0(0), y1(0), stepY(1),
      x(0), y(0), rowStart(true)
{
}

void AnalyzeCond::init(int width, int height, int halfW, int halfH, const QRectF &area, int stepX,
                       int stepY)
{
    this->width = width;
    this->height = height;
    // A box is 2*|half|+1 wide, as everywhere boxes are summed or filled.
    this->halfW = halfSize(halfW);
    this->halfH = halfSize(halfH);
    x0 = areaBound(area.x());
    x1 = areaBound(area.x() + area.width());
    y0 = areaBound(area.y());
    y1 = areaBound(area.y() + area.height());
    this->stepX = stepX < 0 ? 2 * this->halfW + 1 : walkStep(stepX);
    this->stepY = stepY < 0 ? 2 * this->halfH + 1 : walkStep(stepY);
    if (x0 > x1)
        qSwap(x0, x1);
    if (y0 > y1)
        qSwap(y0, y1);
    reset();
}

void AnalyzeCond::reset()
{
    x = x0 + halfW;
    y = y0 + halfH;
    rowStart = true;
}

bool AnalyzeCond::next()
{
    // In 64 bits: a step as large as an int must not wrap round.
    const qint64 nx = qint64(x) + walkStep(stepX);
    rowStart = false;
    if (nx < x1) {
        x = int(nx);
        return true;
    }
    rowStart = true;
    x = x0 + halfW;
    const qint64 ny = qint64(y) + walkStep(stepY);
    y = int(qMin<qint64>(ny, INT_MAX));
    return ny < y1;
}

bool AnalyzeCond::clippedBox(int *c0, int *c1, int *r0, int *r1) const
{
    // In 64 bits: any centre and half-size, however large, clip without wrapping.
    const qint64 a = qAbs(qint64(halfW));
    const qint64 b = qAbs(qint64(halfH));
    const qint64 cx0 = qMax<qint64>(x - a, 0), cx1 = qMin<qint64>(x + a, qint64(width) - 1);
    const qint64 ry0 = qMax<qint64>(y - b, 0), ry1 = qMin<qint64>(y + b, qint64(height) - 1);
    if (cx0 > cx1 || ry0 > ry1)
        return false;
    *c0 = int(cx0);
    *c1 = int(cx1);
    *r0 = int(ry0);
    *r1 = int(ry1);
    return true;
}

void AnalyzeCond::fillBlock(double *map, double v) const
{
    int c0, c1, r0, r1;
    if (map == nullptr || !clippedBox(&c0, &c1, &r0, &r1))
        return;
    for (int r = r0; r <= r1; r++) {
        double *row = map + qint64(r) * width;
        for (int c = c0; c <= c1; c++)
            row[c] = v;
    }
}

int AnalyzeCond::centreCount() const
{
    const qint64 n = qint64(positions(x0 + halfW, x1, walkStep(stepX)))
                     * positions(y0 + halfH, y1, walkStep(stepY));
    return n > INT_MAX ? INT_MAX : int(n);
}
