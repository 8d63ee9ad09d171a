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


// The first of c, c + step, ... whose box of half size half reaches cell 0.
qint64 reachingFrom(qint64 c, int half, int step)
{
    const qint64 lo = -qint64(half);
    return c >= lo ? c : c + (lo - c + step - 1) / step * step;
}

// End (exclusive) of the centres of a line whose box reaches a line of n
// cells, and at most end.
qint64 reachEnd(qint64 end, int half, int n)
{
    return qMin(end, qint64(n) + half);
}

// The first centre of a line from first towards end that reaches the n
// cells; first itself when none does.
int firstReaching(int first, int end, int half, int n, int step)
{
    const qint64 c = reachingFrom(first, half, step);
    return c < reachEnd(end, half, n) ? int(c) : first;
}

// Number of centres a walk visits on a line from first towards end; the
// first always counts.
qint64 lineCentres(int first, int end, int half, int n, int step)
{
    const qint64 c = reachingFrom(first, half, step), e = reachEnd(end, half, n);
    return c < e ? (e - c + step - 1) / step : 1;
}

// Whether a centre a walk visits on a line from first towards end lies on
// the n cells.
bool lineCentreInside(int first, int end, int half, int n, int step)
{
    const qint64 c = reachingFrom(first, half, step), e = reachEnd(end, half, n);
    if (!(c < e))
        return first >= 0 && first < n;
    const qint64 lowest = c >= 0 ? c : c + (-c + step - 1) / step * step;
    return lowest < qMin(e, qint64(n));
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
    x = firstReaching(x0 + halfW, x1, halfW, width, walkStep(stepX));
    y = firstReaching(y0 + halfH, y1, halfH, height, walkStep(stepY));
    rowStart = true;
}

bool AnalyzeCond::next()
{
    // In 64 bits: a step as large as an int must not wrap round. Centres
    // whose box lies wholly outside the image are stepped over at once.
    const int sx = walkStep(stepX), sy = walkStep(stepY);
    const qint64 nx = reachingFrom(qint64(x) + sx, halfW, sx);
    rowStart = false;
    if (nx < reachEnd(x1, halfW, width)) {
        x = int(nx);
        return true;
    }
    rowStart = true;
    x = firstReaching(x0 + halfW, x1, halfW, width, sx);
    const qint64 ny = reachingFrom(qint64(y) + sy, halfH, sy);
    y = int(qMin<qint64>(ny, INT_MAX));
    return ny < reachEnd(y1, halfH, height);
}

bool AnalyzeCond::reaches(int cx, int cy) const
{
    const qint64 a = halfW, b = halfH;
    return cx + a >= 0 && cx - a < width && cy + b >= 0 && cy - b < height;
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

bool AnalyzeCond::centreOnImage() const
{
    return lineCentreInside(x0 + halfW, x1, halfW, width, walkStep(stepX))
           && lineCentreInside(y0 + halfH, y1, halfH, height, walkStep(stepY));
}

qint64 AnalyzeCond::areaCentreCount() const
{
    const int sx = walkStep(stepX), sy = walkStep(stepY);
    auto line = [](qint64 first, qint64 end, int step) {
        return first >= end ? qint64(1) : (end - first + step - 1) / step;
    };
    return line(qint64(x0) + halfW, x1, sx) * line(qint64(y0) + halfH, y1, sy);
}

int AnalyzeCond::centreCount() const
{
    const qint64 n = lineCentres(x0 + halfW, x1, halfW, width, walkStep(stepX))
                     * lineCentres(y0 + halfH, y1, halfH, height, walkStep(stepY));
    return n > INT_MAX ? INT_MAX : int(n);
}
