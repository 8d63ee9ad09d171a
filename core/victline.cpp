#include "core/victline.h"

#include "core/linalg.h"

#include <algorithm>
#include <cmath>

VictLine::VictLine(bool preEdge)
{
    restart(preEdge);
}

void VictLine::restart(bool preEdge)
{
    Spectrum::restart();
    if (!controlPoints.isEmpty())
        controlPoints.resize(0);
    fitOk = false;
    linear = 1;
    c = b = a = slope = 0.0;
    sigma = 1.0;
    nPoints = 0;
    fitLo = fitHi = 0.0;
    cubicOn = false;
    cubicAbove = true;
    mode = StoredCurve;
    p0 = p1 = p2 = p3 = 0.0;
    this->preEdge = preEdge;
}

namespace {

// The first index in [from, to) whose x less off satisfies pred, to if none;
// pred turns from false to true at most once along ascending x.
template <typename Pred>
int firstWhere(const QPointF *p, double off, int from, int to, Pred pred)
{
    return Spectrum::firstIndex(from, to, [&](int i) { return pred(p[i].x() - off); });
}

} // namespace

void VictLine::lineValues(const double *e, int n, double *out) const
{
    bool ascends = true;
    for (int i = 0; i + 1 < n && ascends; i++)
        ascends = e[i] <= e[i + 1];
    lineValues(e, n, out, ascends);
}

void VictLine::lineValues(const double *e, int n, double *out, bool ascends) const
{
    auto plainRun = [this, e, out](int from, int to) {
        if (linear) {
            const double s = slope, c0 = c;
            int i = from;
            for (; i + 1 < to; i += 2) {  // two at a time: half the loop's steps
                out[i] = s * e[i] + c0;
                out[i + 1] = s * e[i + 1] + c0;
            }
            if (i < to)
                out[i] = s * e[i] + c0;
        } else {
            for (int i = from; i < to; i++)
                out[i] = plainValue(e[i]);
        }
    };
    if (!cubicOn) {
        plainRun(0, n);
        return;
    }
    if (mode != StoredCurve || !ascends) {
        for (int i = 0; i < n; i++)
            out[i] = valueAt(e[i]);
        return;
    }
    // Over ascending energies the region is one run of them, looked up along
    // the stored curve in one walk.
    int from = 0, to = n;
    if (cubicAbove)
        from = firstIndex(0, n, [this, e](int i) { return e[i] > fitHi; });
    else
        to = firstIndex(0, n, [this, e](int i) { return !(e[i] < fitLo); });
    plainRun(0, from);
    Spectrum::valuesAt(e + from, nullptr, to - from, out + from, curveAscends);
    plainRun(to, n);
}

void VictLine::clearCorrection()
{
    cubicOn = false;
    if (!controlPoints.isEmpty())
        controlPoints.resize(0);
    if (!points.isEmpty())
        points.resize(0);
    if (!smoothed.isEmpty())
        smoothed.resize(0);
    resetRange();
}

bool VictLine::fit(const Spectrum &s, double lo, double hi, int linear)
{
    return fit(s, lo, hi, linear, s.lookupsAscend());
}

bool VictLine::fit(const Spectrum &s, double lo, double hi, int linear, bool ascends)
{
    clearCorrection();
    this->linear = linear;
    fitLo = lo;
    fitHi = hi;
    fitOk = linear ? fitLinear(s, ascends) : fitVictoreen(s, ascends);
    return fitOk;
}

// Over ascending x the points from fitLo up to fitHi are one run of them.
bool VictLine::fitLinear(const Spectrum &s, bool ascends)
{
    const int n = s.count();
    if (n < 3)
        return false;

    const QPointF *p = s.points.constData();
    const double off = s.useOffset ? s.offset : 0.0;
    double sn = 0.0, sx = 0.0, sxx = 0.0, sy = 0.0, sxy = 0.0;
    auto add = [&](int i, double e) {
        const double y = p[i].y();
        sx += e;
        sxx += e * e;
        sy += y;
        sxy += e * y;
    };
    int from = 0, to = n;
    if (ascends) {
        to = firstWhere(p, off, 0, n, [this](double e) { return e >= fitHi; });
        from = firstWhere(p, off, 0, to, [this](double e) { return !(e < fitLo); });
        for (int i = from; i < to; i++)
            add(i, p[i].x() - off);
        // A count of ones adds up exactly.
        sn = std::max(0, to - from);
    } else {
        for (int i = 0; i < n; i++) {
            const double e = p[i].x() - off;
            if (e >= fitHi)
                break;
            if (e < fitLo)
                continue;
            sn += 1.0;
            add(i, e);
        }
    }

    bool ok = false;
    if (sn >= 2.0) {
        double row0[2] = {sxx, sx};
        double row1[2] = {sx, sn};
        double *m[2] = {row0, row1};
        const double rhs[2] = {sxy, sy};
        double result[2];
        LinAlg la;
        ok = la.solve(2, m, rhs, result);
        slope = result[0];
        c = result[1];
    } else if (sn == 1.0) {
        slope = 0.0;
        c = sy;
    } else {
        slope = 0.0;
        c = 0.0;
    }

    // The residual window of a straight line is the fit's.
    updateSigma(s, ascends, from, to);
    return ok;
}

// Points at E <= 0 have no wavelength and are left out.
bool VictLine::fitVictoreen(const Spectrum &s, bool ascends)
{
    const int n = s.count();
    if (n < 4)
        return false;

    const QPointF *p = s.points.constData();
    const double off = s.useOffset ? s.offset : 0.0;
    double sn = 0.0, s3 = 0.0, s4 = 0.0, s33 = 0.0, s34 = 0.0, s44 = 0.0;
    double sy = 0.0, s3y = 0.0, s4y = 0.0;
    auto add = [&](int i, double e) {
        const double y = p[i].y();
        const double l = hc / e;
        const double l3 = l * l * l;
        const double l4 = l3 * l;
        sn += 1.0;
        s3 += l3;
        s4 += l4;
        s33 += l3 * l3;
        s34 += l3 * l4;
        s44 += l4 * l4;
        sy += y;
        s3y += l3 * y;
        s4y += l4 * y;
    };
    int from = 0, to = n;
    if (ascends) {
        auto inFrom = [this](double e) { return !(e < fitLo) && !(e <= 0.0); };
        to = firstWhere(p, off, 0, n, [this](double e) { return e >= fitHi; });
        from = firstWhere(p, off, 0, to, inFrom);
        for (int i = from; i < to; i++)
            add(i, p[i].x() - off);
        // The residual window takes points at fitHi itself as well.
        const int sigmaTo = firstWhere(p, off, to, n, [this](double e) { return e > fitHi; });
        from = firstWhere(p, off, from, sigmaTo, inFrom);
        to = sigmaTo;
    } else {
        for (int i = 0; i < n; i++) {
            const double e = p[i].x() - off;
            if (e >= fitHi)
                break;
            if (e < fitLo || e <= 0.0)
                continue;
            add(i, e);
        }
    }

    double row0[3] = {sn, s3, s4};
    double row1[3] = {s3, s33, s34};
    double row2[3] = {s4, s34, s44};
    double *m[3] = {row0, row1, row2};
    const double rhs[3] = {sy, s3y, s4y};
    double result[3];
    LinAlg la;
    const bool ok = la.solve(3, m, rhs, result);
    c = result[0];
    b = result[1];
    a = result[2];

    updateSigma(s, ascends, from, to);
    return ok;
}

// Root-mean-square residual over the whole window: every point from fitLo up
// to fitHi, fitHi itself only for a Victoreen line (which has no value at E <= 0).
void VictLine::updateSigma(const Spectrum &s, bool ascends, int from, int to)
{
    const QPointF *p = s.points.constData();
    const double off = s.useOffset ? s.offset : 0.0;
    double ss = 0.0;
    int count = 0;
    if (ascends) {
        if (linear) {
            const double sl = slope, c0 = c;
            for (int i = from; i < to; i++) {
                const double r = p[i].y() - (sl * (p[i].x() - off) + c0);
                ss += r * r;
            }
        } else {
            for (int i = from; i < to; i++) {
                const double r = p[i].y() - plainValue(p[i].x() - off);
                ss += r * r;
            }
        }
        count = std::max(0, to - from);
    } else {
        for (int i = 0, n = s.count(); i < n; i++) {
            const double e = p[i].x() - off;
            if (e < fitLo || e > fitHi || (linear ? e == fitHi : e <= 0.0))
                continue;
            const double r = p[i].y() - plainValue(e);
            ss += r * r;
            count++;
        }
    }
    nPoints = count;
    sigma = count > 0 ? std::sqrt(ss / count) : 1.0;
}

void VictLine::genCorrected(const VictLine &other)
{
    if (preEdge)
        genCurveInPre(other);
    else
        genCurveInPost(other);
}

namespace {

// The weights of the four control points at u = 0, 0.01, ..., 0.99.
struct BezierWeights
{
    double w[100][4];
    BezierWeights()
    {
        double u = 0.0;
        for (int k = 0; k < 100; k++) {
            const double v = 1.0 - u;
            w[k][0] = v * v * v;
            w[k][1] = 3.0 * u * v * v;
            w[k][2] = 3.0 * u * u * v;
            w[k][3] = u * u * u;
            u += 0.01;
        }
    }
};

} // namespace

// The cubic Bezier curve through the four control points, sampled at
// u = 0, 0.01, ..., 0.99, becomes the stored curve of the region (the
// points, empty before: every builder clears the correction first).
void VictLine::storeCurve(const QPointF &c0, const QPointF &c1, const QPointF &c2,
                          const QPointF &c3, bool above)
{
    static const BezierWeights bezier;
    controlPoints.resize(4);
    QPointF *cp = controlPoints.data();
    cp[0] = c0;
    cp[1] = c1;
    cp[2] = c2;
    cp[3] = c3;
    points.resize(100);
    QPointF *out = points.data();
    RangeScan range;
    bool ascends = true;
    double lastX = 0.0;
    for (int k = 0; k < 100; k++) {
        const double *w = bezier.w[k];
        const double x = w[0] * c0.x() + w[1] * c1.x() + w[2] * c2.x() + w[3] * c3.x();
        const double y = w[0] * c0.y() + w[1] * c1.y() + w[2] * c2.y() + w[3] * c3.y();
        out[k] = QPointF(x, y);
        range.add(k, x, y);
        if (k > 0 && !(lastX <= x))
            ascends = false;
        lastX = x;
    }
    range.storeIn(*this);
    curveAscends = ascends;
    mode = StoredCurve;
    cubicOn = true;
    cubicAbove = above;
}

// Above this line's window, from its own end with its own slope to the end of
// the post-edge window with the post-edge slope.
void VictLine::genCurveInPre(const VictLine &post)
{
    clearCorrection();
    const double sQ = slope;
    const double sP = post.slope;
    if (!linear || !post.linear || !(sP < sQ))
        return;

    const double e1 = fitHi;
    const double e2 = post.fitHi;
    const double j = post.plainValue(e1) - plainValue(e1);
    const double ex = e1 - j / (sP - sQ);
    const double t = 0.5 * (ex - e1) / (e2 - e1);
    if (!std::isfinite(t) || t > 1.0)
        return;

    const double d = 0.1 * t * (e2 - e1);
    const double y3 = post.plainValue(e2) - t * j / 2;
    const double q1 = plainValue(e1);
    storeCurve(QPointF(e1, q1), QPointF(e1 + d, q1 + sQ * d), QPointF(e2 - d, y3 - sP * d),
               QPointF(e2, y3), true);
}

// Below this line's window, from the start of the pre-edge window with the
// pre-edge slope to this line's own start with its own slope.
void VictLine::genCurveInPost(const VictLine &pre)
{
    clearCorrection();
    const double sQ = pre.slope;
    const double sP = slope;
    if (!linear || !pre.linear || !(sQ < sP))
        return;

    const double ea = pre.fitLo;
    const double eb = fitLo;
    const double ex = ea + (pre.plainValue(ea) - plainValue(ea)) / (sP - sQ);
    const double t = 0.5 * (ex - eb) / (ea - eb);
    if (!std::isfinite(t) || t > 1.0)
        return;

    const double d = 0.1 * t * (ea - eb);
    const double pb = plainValue(eb);
    const double y0 = pre.plainValue(ea) + t * (pb - pre.plainValue(eb)) / 2;
    storeCurve(QPointF(ea, y0), QPointF(ea - d, y0 - sQ * d), QPointF(eb + d, pb + sP * d),
               QPointF(eb, pb), false);
}
