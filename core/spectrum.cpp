#include "core/spectrum.h"

#include "core/globals.h"

#include <algorithm>
#include <cmath>

Spectrum::Spectrum()
    : inUse(true), xMin(1e300), yMin(1e300), xMax(-1e300), yMax(-1e300), iYMin(unsetIYMin),
      iYMax(unsetIYMax), useOffset(false), offset(0.0), extra(0.0)
{
}

void Spectrum::reset()
{
    inUse = true;
    resetRange();
    useOffset = false;
    offset = 0.0;
    extra = 0.0;
}

void Spectrum::resetRange()
{
    xMin = yMin = 1e300;
    xMax = yMax = -1e300;
    iYMin = unsetIYMin;
    iYMax = unsetIYMax;
}

void Spectrum::clearPoints()
{
    points.resize(0);
    smoothed.resize(0);
    resetRange();
}

void Spectrum::restart()
{
    // A new spectrum has no room to keep: its vectors stay as they are.
    if (!points.isEmpty())
        points.resize(0);
    if (!smoothed.isEmpty())
        smoothed.resize(0);
    reset();
}

void Spectrum::assignKeepingRoom(const Spectrum &s)
{
    if (&s == this)
        return;
    points.resize(s.points.size());
    std::copy(s.points.cbegin(), s.points.cend(), points.begin());
    smoothed.resize(s.smoothed.size());
    std::copy(s.smoothed.cbegin(), s.smoothed.cend(), smoothed.begin());
    inUse = s.inUse;
    xMin = s.xMin;
    yMin = s.yMin;
    xMax = s.xMax;
    yMax = s.yMax;
    iYMin = s.iYMin;
    iYMax = s.iYMax;
    useOffset = s.useOffset;
    offset = s.offset;
    extra = s.extra;
}

void Spectrum::rescanRange()
{
    RangeScan r;
    const QPointF *p = points.constData();
    for (int i = 0, n = points.size(); i < n; i++)
        r.add(i, p[i].x(), p[i].y());
    r.storeIn(*this);
}

// values == nullptr reads the y of the points. Only indexes below nValues are
// read; a missing value reads as 0.0.
double Spectrum::interpolate(double x, const double *values, int nValues) const
{
    const int n = points.size();
    const QPointF *p = points.constData();
    const double off = useOffset ? offset : 0.0;
    auto X = [p, off](int i) { return p[i].x() - off; };
    auto Y = [p, values, nValues](int i) {
        if (!values)
            return p[i].y();
        return i < nValues ? values[i] : 0.0;
    };

    if (n == 0)
        return 0.0;
    if (n == 1)
        return Y(0);
    int lo, hi;
    segmentAt(x, n, X, &lo, &hi);
    return linearInterpolate(x, X(lo), Y(lo), X(hi), Y(hi));
}

double Spectrum::y(double x) const
{
    return interpolate(x, nullptr, 0);
}

bool Spectrum::ascending() const
{
    const int n = points.size();
    const QPointF *p = points.constData();
    for (int i = 0; i + 1 < n; i++) {
        if (!(p[i].x() <= p[i + 1].x()))
            return false;
    }
    return true;
}

bool Spectrum::lookupsAscend() const
{
    return (!useOffset || std::isfinite(offset)) && ascending();
}

void Spectrum::valuesAt(const double *x, const char *want, int count, double *out) const
{
    valuesAt(x, want, count, out, ascending());
}

void Spectrum::valuesAt(const double *x, const char *want, int count, double *out, bool ascends) const
{
    const int n = points.size();
    const QPointF *p = points.constData();
    if (!ascends || n < 2) {
        for (int i = 0; i < count; i++)
            out[i] = !want || want[i] ? y(x[i]) : 0.0;
        return;
    }
    // The segment interpolate's bisection ends on: the first at or below the
    // first point, the last at or above the last point (and for NaN), else
    // the last one that starts at or below the query.
    const double off = useOffset ? offset : 0.0;
    auto X = [p, off](int i) { return p[i].x() - off; };
    const double first = X(0), last = X(n - 1);
    int lo = 0;
    for (int i = 0; i < count; i++) {
        if (want && !want[i]) {
            out[i] = 0.0;
            continue;
        }
        const double q = x[i];
        int k;
        if (q <= first) {
            k = 0;
        } else if (!(q < last)) {
            k = n - 2;
        } else {
            if (X(lo) > q)
                lo = 0;
            while (X(lo + 1) <= q)
                lo++;
            k = lo;
        }
        out[i] = linearInterpolate(q, X(k), p[k].y(), X(k + 1), p[k + 1].y());
    }
}

double Spectrum::smoothedY(double x) const
{
    return interpolate(x, smoothed.constData(), smoothed.size());
}

void Spectrum::smooth(int w)
{
    const int n = points.size();
    if (w < 0)
        w = 0;
    smoothed.resize(n);
    if (n == 0)
        return;
    const QPointF *p = points.constData();
    double *s = smoothed.data();
    double sum = 0.0;
    int inWindow = 0;
    for (int j = 0; j <= w && j < n; j++) {
        sum += p[j].y();
        inWindow++;
    }
    auto step = [&](int i) {
        s[i] = inWindow > 0 ? sum / inWindow : 0.0;
        if (i - w >= 0) {
            sum -= p[i - w].y();
            inWindow--;
        }
        if (i + w + 1 < n) {
            sum += p[i + w + 1].y();
            inWindow++;
        }
    };
    int i = 0;
    // Between the ends a point leaves and a point enters the window at every
    // step: the count stays.
    const int fullTo = n - w - 1;
    if (w < fullTo) {
        for (; i < w; i++)
            step(i);
        const double full = inWindow;
        for (; i < fullTo; i++) {
            s[i] = sum / full;
            sum -= p[i - w].y();
            sum += p[i + w + 1].y();
        }
    }
    for (; i < n; i++)
        step(i);
}
