#ifndef SPECTRUM_H
#define SPECTRUM_H

#include <QPointF>
#include <QVector>

// An ordered list of (x, y) points, x ascending, with the extremes of what was
// added, an optional smoothed copy of the y values and an optional x offset
// through which every lookup sees the x axis shifted (x - offset).
// A plain value type: copies share the point vectors until one side changes.
class Spectrum
{
public:
    static constexpr int unsetIYMin = -1879048193;
    static constexpr int unsetIYMax = 1879048193;

    Spectrum();

    // Every field back to its initial value except points and smoothed.
    void reset();
    void resetRange();
    // Empties points and smoothed and resets the range.
    void clearPoints();
    // As a new spectrum; the vectors keep their room.
    void restart();
    // As a copy of s whose points and smoothed values are copied into this
    // spectrum's own vectors, which keep their room, instead of shared.
    void assignKeepingRoom(const Spectrum &s);
    // Appends (x, y); a strictly new extreme of x or y is recorded (ties keep the earlier index).
    void addPoint(double x, double y)
    {
        points.append(QPointF(x, y));
        if (x < xMin)
            xMin = x;
        if (y < yMin) {
            yMin = y;
            iYMin = points.size() - 1;
        }
        if (x > xMax)
            xMax = x;
        if (y > yMax) {
            yMax = y;
            iYMax = points.size() - 1;
        }
    }

    // The extremes of all points, as adding them one by one would set them.
    void rescanRange();
    // The first i in [from, to) for which pred(i) holds, to if none; pred
    // turns from false to true at most once along i.
    template <typename Pred> static int firstIndex(int from, int to, Pred pred)
    {
        while (from < to) {
            const int mid = from + (to - from) / 2;
            if (pred(mid))
                to = mid;
            else
                from = mid + 1;
        }
        return from;
    }
    // The segment *lo, *hi of n >= 2 points, X(i) the x of point i, that
    // interpolate reads at x: the first at or below X(0), the last at or
    // above X(n - 1) (and for NaN), else the one its bisection ends on.
    template <typename XOf> static void segmentAt(double x, int n, XOf X, int *lo, int *hi)
    {
        if (x <= X(0)) {
            *lo = 0;
            *hi = 1;
        } else if (x >= X(n - 1)) {
            *lo = n - 2;
            *hi = n - 1;
        } else {
            int a = 0, b = n - 1;
            int mid = (n - 1) / 2;
            do {  // written without branches: the comparison is unpredictable
                const bool above = X(mid) > x;
                b = above ? mid : b;
                a = above ? a : mid;
                mid = (a + b) / 2;
            } while (b - 1 > a);
            *lo = a;
            *hi = b;
        }
    }
    // The same extremes gathered by a loop that writes the points itself.
    struct RangeScan
    {
        double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
        int i0 = unsetIYMin, i1 = unsetIYMax;
        void add(int i, double x, double y)
        {
            addX(x);
            addY(i, y);
        }
        void addX(double x)
        {
            if (x < x0)
                x0 = x;
            if (x > x1)
                x1 = x;
        }
        void addY(int i, double y)
        {
            if (y < y0) {
                y0 = y;
                i0 = i;
            }
            if (y > y1) {
                y1 = y;
                i1 = i;
            }
        }
        // All of x[0 .. n - 1], ascending with no NaN: the first is the least;
        // the last is the greatest unless a zero of the other sign comes first.
        void addAscendingX(const double *x, int n)
        {
            if (n > 0 && x[n - 1] != 0.0) {
                addX(x[0]);
                addX(x[n - 1]);
            } else {
                for (int i = 0; i < n; i++)
                    addX(x[i]);
            }
        }
        void storeIn(Spectrum &s) const
        {
            s.xMin = x0;
            s.xMax = x1;
            s.yMin = y0;
            s.yMax = y1;
            s.iYMin = i0;
            s.iYMax = i1;
        }
    };

    int count() const { return points.size(); }
    bool isEmpty() const { return points.isEmpty(); }
    // x of point i as the lookups see it (less offset when useOffset).
    double xAt(int i) const { return useOffset ? points[i].x() - offset : points[i].x(); }
    // Smoothed value of point i; 0.0 for an index without one.
    double smoothedAt(int i) const
    {
        return (i >= 0 && i < smoothed.size()) ? smoothed[i] : 0.0;
    }

    // Interpolated y at x (linear, extended beyond both ends).
    double y(double x) const;
    // The same on the smoothed values.
    double smoothedY(double x) const;
    // y(x[i]) into out[i] for every i < count with want[i] (every i when want
    // is null), 0 elsewhere. Over ascending points the segments are found by
    // walking them while the queries ascend.
    void valuesAt(const double *x, const char *want, int count, double *out) const;
    // The same for a caller that knows whether ascending() holds.
    void valuesAt(const double *x, const char *want, int count, double *out, bool ascends) const;
    // Whether every point's x is at or below the next one's (false with a NaN).
    bool ascending() const;
    // Whether x as the lookups see it (xAt) ascends with no NaN: ascending()
    // with a finite offset or none.
    bool lookupsAscend() const;
    // Running mean over the window i-w .. i+w, clipped at both ends.
    void smooth(int w);

    bool inUse;
    QVector<QPointF> points;
    double xMin;
    double yMin;
    double xMax;
    double yMax;
    int iYMin;
    int iYMax;
    QVector<double> smoothed;
    bool useOffset;
    double offset;
    double extra;  // carried with the spectrum; read by no operation here

private:
    // Lookup on the given values, one per point (values may be shorter).
    double interpolate(double x, const double *values, int nValues) const;
};

#endif
