#include "imagedata/analyzecond.h"

#include <QtGlobal>

#include <climits>

namespace {

// A step below 1 would never leave its row.
int walkStep(int step)
{
    return step < 1 ? 1 : step;
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
    this->halfW = qAbs(halfW);
    this->halfH = qAbs(halfH);
    x0 = int(area.x());
    x1 = int(area.x() + area.width());
    y0 = int(area.y());
    y1 = int(area.y() + area.height());
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
    x += walkStep(stepX);
    rowStart = false;
    if (x < x1)
        return true;
    rowStart = true;
    x = x0 + halfW;
    y += walkStep(stepY);
    return y < y1;
}

bool AnalyzeCond::clippedBox(int *c0, int *c1, int *r0, int *r1) const
{
    const int a = qAbs(halfW);
    const int b = qAbs(halfH);
    *c0 = qMax(x - a, 0);
    *c1 = qMin(x + a, width - 1);
    *r0 = qMax(y - b, 0);
    *r1 = qMin(y + b, height - 1);
    return *c0 <= *c1 && *r0 <= *r1;
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
