#include "analysis/spectrumfit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "analysis/refvaluecache.h"
#include "core/globals.h"
#include "core/linalg.h"

namespace {

double offsetOf(const Spectrum &s)
{
    return s.useOffset ? s.offset : 0.0;
}

bool allFinite(const double *v, size_t count)
{
    return std::all_of(v, v + count, [](double x) { return std::isfinite(x); });
}

// Whether a fit reads the same from both snapshots of the rows: a copy of
// the same snapshot, or rows whose spectra share their points.
bool sameSpectrum(const Spectrum &a, const Spectrum &b)
{
    return a.points.constData() == b.points.constData() && a.points.size() == b.points.size() &&
           a.useOffset == b.useOffset && a.offset == b.offset && a.xMin == b.xMin &&
           a.xMax == b.xMax;
}

bool sameRows(const QVector<LcfRefData> &a, const QVector<LcfRefData> &b)
{
    if (a.size() != b.size())
        return false;
    if (a.constData() == b.constData())
        return true;
    for (int k = 0; k < a.size(); k++) {
        const LcfRefData &p = a.at(k), &q = b.at(k);
        if (p.inUse != q.inUse)
            return false;
        if (p.inUse && !(sameSpectrum(p.spectrum, q.spectrum) &&
                         sameSpectrum(p.spectrum.doubleNormalizedPreBase, q.spectrum.doubleNormalizedPreBase) &&
                         sameSpectrum(p.spectrum.doubleNormalizedPostBase, q.spectrum.doubleNormalizedPostBase)))
            return false;
    }
    return true;
}

// Whether the indexes follow one another without a gap.
bool isRun(const std::vector<int> &at)
{
    return at.empty() || at.back() - at.front() + 1 == int(at.size());
}

// The parts of a fit that depend only on the sample's energies, the rows and
// the fit range, kept in t while those stay the same.
// With sameEnergies false the energies are those of t.nextEnergy and t.nextPreX.
void keepRangeParts(SpectrumFit::Kind kind, const QVector<LcfRefData> &refs, double sE0,
                    double eE0, SpectrumFit::Scratch &t, bool sameEnergies)
{
    if (t.made && sameEnergies && t.kind == kind && t.sE0 == sE0 && t.eE0 == eE0 &&
        sameRows(t.rows, refs))
        return;
    t.made = true;
    t.kind = kind;
    t.sE0 = sE0;
    t.eE0 = eE0;
    t.rows = refs;
    if (!sameEnergies) {
        std::swap(t.energy, t.nextEnergy);
        std::swap(t.preX, t.nextPreX);
    }

    t.used.clear();
    for (const LcfRefData &r : qAsConst(t.rows)) {
        if (r.inUse)
            t.used.push_back(&r.spectrum);
    }
    // Fit range and curve range: where every used reference has points.
    double lo = sE0, hi = eE0, cLo = 0.0, cHi = 1e300;
    for (const XafsSpectrum *r : t.used) {
        const double off = offsetOf(*r);
        lo = std::max(lo, r->xMin - off);
        hi = std::min(hi, r->xMax - off);
        cLo = std::max(cLo, r->xMin - off);
        cHi = std::min(cHi, r->xMax - off);
    }
    t.lo = lo;
    t.hi = hi;
    const size_t np = t.energy.size();
    t.inFit.resize(np);
    t.needPre.resize(np);
    t.fitAt.clear();
    t.curveAt.clear();
    for (size_t i = 0; i < np; i++) {
        const double e = t.energy[i];
        const bool inFit = lo <= e && e <= hi, inCurve = cLo <= e && e <= cHi;
        t.inFit[i] = inFit;
        t.needPre[i] = inCurve || (kind != SpectrumFit::Mlcf && inFit);
        if (inFit)
            t.fitAt.push_back(int(i));
        if (inCurve)
            t.curveAt.push_back(int(i));
    }
    t.fitRun = isRun(t.fitAt);
    // The references' normalised forms at the sample energies: the
    // doubleNormalizedPreBase for the LCF fit and for the curve, the
    // doubleNormalizedPostBase for the MLCF fit.
    t.cache.begin(t.energy);
    t.refPre.clear();
    for (const XafsSpectrum *r : t.used)
        t.refPre.push_back(t.cache.values(r->doubleNormalizedPreBase, offsetOf(*r), t.needPre, true).data());
    t.cols.clear();
    t.ones.clear();
    if (kind == SpectrumFit::Mlcf) {
        t.ones.assign(np, 1.0);
        t.cols.push_back(t.ones.data());
        t.cols.push_back(t.energy.data());
        for (const XafsSpectrum *r : t.used)
            t.cols.push_back(t.cache.values(r->doubleNormalizedPostBase, offsetOf(*r), t.inFit, false).data());
    } else {
        t.cols = t.refPre;
    }
    // The normal matrix A = sum of v vT, v(r) = cols[r][i], over the points in the fit.
    const size_t m = t.cols.size();
    t.ata.assign(m * m, 0.0);
    for (const int i : t.fitAt) {
        for (size_t r = 0; r < m; r++) {
            const double vr = t.cols[r][size_t(i)];
            double *row = t.ata.data() + r * m;
            for (size_t c = r; c < m; c++)
                row[c] += vr * t.cols[c][size_t(i)];
        }
    }
    for (size_t r = 0; r < m; r++)
        for (size_t c = 0; c < r; c++)
            t.ata[r * m + c] = t.ata[c * m + r];
    // Its decomposition, as LinAlg::solve makes it for every right-hand side.
    t.ataRows.resize(m);
    t.lu.assign(2 * m * m, 0.0);
    t.lRows.resize(m);
    t.uRows.resize(m);
    t.perm.assign(m, 0);
    for (size_t r = 0; r < m; r++) {
        t.ataRows[r] = t.ata.data() + r * m;
        t.lRows[r] = t.lu.data() + r * m;
        t.uRows[r] = t.lu.data() + (m + r) * m;
    }
    LinAlg la;
    t.luOk = la.luDecompose(int(m), t.ataRows.data(), t.lRows.data(), t.uRows.data(), t.perm.data());

    // The residual's points: the inner points of the sample's
    // doubleNormalizedPreBase in [lo, hi], read on the curve (no offset) on
    // the segment where Spectrum::y's bisection ends.
    const std::vector<int> &node = t.curveAt;
    const int nodes = int(node.size());
    auto X = [&t, &node](int k) { return t.energy[size_t(node[size_t(k)])]; };
    const size_t nPre = t.preX.size();
    t.readings.clear();
    for (size_t j = 1; j + 1 < nPre; j++) {
        if (!(lo <= t.preX[j] && t.preX[j] <= hi))
            continue;
        SpectrumFit::Scratch::Reading r{int(j), 0, 0, false, 0.0, 0.0};
        if (nodes >= 2) {
            const double x = t.preX[j] + 0.0;
            Spectrum::segmentAt(x, nodes, X, &r.a, &r.b);
            r.flat = X(r.b) == X(r.a);
            r.dq = x - X(r.a);
            r.dx = X(r.b) - X(r.a);
        }
        t.readings.push_back(r);
    }
    // The longest stretch of readings on their segments' starts, one point
    // after the other on the sample and on the curve.
    const std::vector<SpectrumFit::Scratch::Reading> &rd = t.readings;
    auto onStart = [nodes](const SpectrumFit::Scratch::Reading &r) {
        return nodes >= 2 && !r.flat && r.dq == 0.0 && r.b == r.a + 1;
    };
    auto follows = [&rd, &node](size_t e) {
        return rd[e].j == rd[e - 1].j + 1 && rd[e].a == rd[e - 1].a + 1 &&
               node[size_t(rd[e].a)] == node[size_t(rd[e - 1].a)] + 1;
    };
    t.alignFrom = t.alignTo = t.alignAt = 0;
    for (size_t k = 0; k < rd.size();) {
        size_t e = k;
        while (e < rd.size() && onStart(rd[e]) && (e == k || follows(e)))
            e++;
        if (e - k > size_t(t.alignTo - t.alignFrom)) {
            t.alignFrom = int(k);
            t.alignTo = int(e);
            t.alignAt = node[size_t(rd[k].a)];
        }
        k = std::max(e, k + 1);
    }
    double dxMin = 1.0;
    for (int k = t.alignFrom; k < t.alignTo; k++)
        dxMin = std::min(dxMin, std::fabs(rd[size_t(k)].dx));
    // |v| <= limit gives |v(b) - v(a)| / dx <= 2e300 (1 + eps)^2.
    t.alignLimit = dxMin * 1e300;
    t.refMax.assign(t.refPre.size(), 0.0);
    for (size_t k = 0; k < t.refPre.size(); k++) {
        for (const int i : node) {
            const double v = std::fabs(t.refPre[k][size_t(i)]);
            t.refMax[k] = v <= t.refMax[k] ? t.refMax[k] : std::isnan(v) ? HUGE_VAL : v;
        }
    }
}

// Whether x holds the bits of the points' x.
bool sameX(const QPointF *p, const double *x, size_t count)
{
    auto bits = [](double v) {
        quint64 b;
        std::memcpy(&b, &v, sizeof b);
        return b;
    };
    quint64 d0 = 0, d1 = 0;
    size_t i = 0;
    for (; i + 2 <= count; i += 2) {
        d0 |= bits(p[i].x()) ^ bits(x[i]);
        d1 |= bits(p[i + 1].x()) ^ bits(x[i + 1]);
    }
    for (; i < count; i++)
        d0 |= bits(p[i].x()) ^ bits(x[i]);
    return (d0 | d1) == 0;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Takes the energies of s and of its doubleNormalizedPreBase, as the kept
// parts read them, anew when they differ from the kept ones; true when they
// are the same. Points whose x are those the kept ones came from, bit for
// bit, are not taken again.
bool sameEnergies(const XafsSpectrum &s, SpectrumFit::Scratch &t)
{
    const size_t np = size_t(s.count());
    const Spectrum &pre = s.doubleNormalizedPreBase;
    const size_t nPre = size_t(pre.count());
    const QPointF *p = s.points.constData(), *q = pre.points.constData();
    const double offset = offsetOf(s), preOffset = offsetOf(pre), shift = s.shift;
    if (t.made && t.rawExact && t.rawX.size() == np && t.rawPreX.size() == nPre &&
        sameBits(offset, t.rawOffset) && sameBits(shift, t.rawShift) &&
        sameBits(preOffset, t.rawPreOffset) && sameX(p, t.rawX.data(), np) &&
        sameX(q, t.rawPreX.data(), nPre))
        return true;

    bool same = t.made && t.energy.size() == np && t.preX.size() == nPre;
    for (size_t i = 0; same && i < np; i++)
        same = p[i].x() - offset - shift == t.energy[i];
    for (size_t j = 0; same && j < nPre; j++)
        same = q[j].x() - preOffset == t.preX[j];
    if (!same) {
        t.nextEnergy.resize(np);
        for (size_t i = 0; i < np; i++)
            t.nextEnergy[i] = p[i].x() - offset - shift;
        t.nextPreX.resize(nPre);
        for (size_t j = 0; j < nPre; j++)
            t.nextPreX[j] = q[j].x() - preOffset;
    }
    const std::vector<double> &e = same ? t.energy : t.nextEnergy;
    const std::vector<double> &x = same ? t.preX : t.nextPreX;
    auto noNaN = [](const std::vector<double> &v) {
        return std::none_of(v.cbegin(), v.cend(), [](double d) { return std::isnan(d); });
    };
    t.rawExact = noNaN(e) && noNaN(x);
    t.rawX.resize(np);
    for (size_t i = 0; i < np; i++)
        t.rawX[i] = p[i].x();
    t.rawPreX.resize(nPre);
    for (size_t j = 0; j < nPre; j++)
        t.rawPreX[j] = q[j].x();
    t.rawOffset = offset;
    t.rawShift = shift;
    t.rawPreOffset = preOffset;
    return same;
}

// b[r] = sum of cols[r][i] y(i) over i in [from, to), y(i) the y of point i
// of ys below count and 0 from there on; each sum in order of the points.
template <int M>
void sumRun(const double *const *cols, const QPointF *ys, size_t count, size_t from, size_t to,
            double *b)
{
    double acc[M];
    const double *col[M];
    for (int r = 0; r < M; r++) {
        acc[r] = 0.0;
        col[r] = cols[r];
    }
    size_t i = from;
    for (; i < to && i < count; i++) {
        const double y = ys[i].y();
#pragma GCC unroll 4
        for (int r = 0; r < M; r++)
            acc[r] += col[r][i] * y;
    }
    for (; i < to; i++) {
        for (int r = 0; r < M; r++)
            acc[r] += col[r][i] * 0.0;
    }
    for (int r = 0; r < M; r++)
        b[r] = acc[r];
}

// Solves A x = b, A the kept normal matrix and b = sum of v y over the points
// in the fit, y(i) the y of point i of ys (0 from count on); unknown r to
// sol[r]. False when the system is singular.
bool solveNormal(SpectrumFit::Scratch &t, const QPointF *ys, size_t count)
{
    const size_t m = t.cols.size();
    t.atb.resize(m);
    const double *const *cols = t.cols.data();
    const size_t from = t.fitAt.empty() ? 0 : size_t(t.fitAt.front());
    const size_t to = from + t.fitAt.size();
    if (t.fitRun && m == 2) {
        sumRun<2>(cols, ys, count, from, to, t.atb.data());
    } else if (t.fitRun && m == 3) {
        sumRun<3>(cols, ys, count, from, to, t.atb.data());
    } else if (t.fitRun && m == 4) {
        sumRun<4>(cols, ys, count, from, to, t.atb.data());
    } else {
        for (size_t r = 0; r < m; r++) {
            const double *col = t.cols[r];
            double acc = 0.0;
            for (const int i : t.fitAt)
                acc += col[i] * (size_t(i) < count ? ys[i].y() : 0.0);
            t.atb[r] = acc;
        }
    }
    // LinAlg::solve's two substitutions on the kept decomposition.
    if (!t.luOk)
        return false;
    t.forward.resize(m);
    t.back.resize(m);
    t.sol.resize(m);
    LinAlg la;
    const bool okL = la.solveL(int(m), t.lRows.data(), t.atb.data(), t.forward.data(), t.perm.data());
    const bool okU = la.solveU(int(m), t.uRows.data(), t.forward.data(), t.back.data(), t.perm.data());
    for (size_t k = 0; k < m; k++)
        t.sol[k] = t.back[size_t(t.perm[k])];
    return okL && okU;
}

// The curve of the fractions at energy index i: the sum of the references'
// values there times their fractions, from 0.0 in order of the references.
double curveValue(const SpectrumFit::Scratch &t, size_t i)
{
    double v = 0.0;
    for (size_t k = 0; k < t.fractions.size(); k++)
        v += t.refPre[k][i] * t.fractions[k];
    return v;
}

// A residual term: the squared deviation of f from yj relative to yj, 1 for yj zero.
inline double term(double f, double yj)
{
    if (yj == 0.0)
        return 1.0;
    const double d = (f - yj) / yj;
    return d * d;
}

// sum plus the terms of the curve at energy indexes from `from` on against y,
// in order.
template <int N>
double alignedSum(const double *const *refs, const double *f, size_t from, const QPointF *y,
                  size_t count, double sum)
{
    const double *ref[N];
    double fk[N];
    for (int k = 0; k < N; k++) {
        ref[k] = refs[k] + from;
        fk[k] = f[k];
    }
    for (size_t c = 0; c < count; c++) {
        double v = 0.0;
        for (int k = 0; k < N; k++)
            v += ref[k][c] * fk[k];
        sum += term(v, y[c].y());
    }
    return sum;
}

// Mean squared relative deviation of the curve from the sample's
// doubleNormalizedPreBase over its inner points in [lo, hi], divided once
// more by the sample's point count; a zero sample value counts 1. The curve
// is read as Spectrum::y reads it. A reading on its segment's start takes
// the value there where no slope can overflow: linearInterpolate's
// slope * 0 + v(a), with a finite slope, differs from it at most in the sign
// of a zero, which f - yj with yj not zero does not show.
double residual(const XafsSpectrum &s, const SpectrumFit::Scratch &t)
{
    const QPointF *pre = s.doubleNormalizedPreBase.points.constData();
    const std::vector<SpectrumFit::Scratch::Reading> &rd = t.readings;
    const size_t nodes = t.curveAt.size();
    auto value = [&t](int c) { return curveValue(t, size_t(t.curveAt[size_t(c)])); };
    auto at = [&value](const SpectrumFit::Scratch::Reading &r) {
        if (r.flat)
            return (value(r.a) + value(r.b)) / 2;
        return (value(r.b) - value(r.a)) / r.dx * r.dq + value(r.a);
    };
    double sum = 0.0;
    if (nodes < 2) {
        const double f = nodes ? value(0) : 0.0;
        for (const SpectrumFit::Scratch::Reading &r : rd)
            sum += term(f, pre[r.j].y());
    } else {
        // Every curve value at most bound in size (up to rounding).
        const size_t n = t.fractions.size();
        double bound = 0.0;
        for (size_t k = 0; k < n; k++)
            bound += std::fabs(t.fractions[k]) * t.refMax[k];
        const bool aligned = bound <= 0.5 * t.alignLimit;
        const size_t from = aligned ? size_t(t.alignFrom) : rd.size();
        const size_t to = aligned ? size_t(t.alignTo) : rd.size();
        for (size_t k = 0; k < from; k++)
            sum += term(at(rd[k]), pre[rd[k].j].y());
        if (from < to) {
            const double *const *refs = t.refPre.data();
            const double *f = t.fractions.data();
            const size_t i0 = size_t(t.alignAt), count = to - from;
            const QPointF *y = pre + rd[from].j;
            if (n == 2) {
                sum = alignedSum<2>(refs, f, i0, y, count, sum);
            } else if (n == 3) {
                sum = alignedSum<3>(refs, f, i0, y, count, sum);
            } else {
                for (size_t c = 0; c < count; c++)
                    sum += term(curveValue(t, i0 + c), y[c].y());
            }
        }
        for (size_t k = to; k < rd.size(); k++)
            sum += term(at(rd[k]), pre[rd[k].j].y());
    }
    const int counted = int(rd.size());
    return counted > 0 ? sum / counted / s.count() : 0.0;
}

} // namespace

const char *SpectrumFit::fitValues(Kind kind, const XafsSpectrum &s, const QVector<LcfRefData> &refs,
                                   int rowCount, double sE0, double eE0, Scratch &t, QString *why)
{
    int n = 0;
    for (const LcfRefData &r : refs)
        n += r.inUse ? 1 : 0;
    t.zansa = 0.0;
    t.fitted = false;
    // reason: what the user reads (translated where shown); detail, when
    // given, the debug text instead of it.
    auto empty = [&](const char *reason, const QString &detail = QString()) {
        if (why)
            *why = detail.isEmpty() ? QString::fromLatin1(reason) : detail;
        t.fractions.assign(size_t(n), 0.0);
        t.amounts.assign(size_t(n), 0.0);
        t.zansa = 0.0;
        return reason;
    };

    if (s.isEmpty())
        return empty(QT_TRANSLATE_NOOP("SpectrumFit", "sample without points"));
    if (rowCount < 2)
        return empty(QT_TRANSLATE_NOOP("SpectrumFit", "fewer than two reference rows"));
    if (rowCount != refs.size())
        return empty(QT_TRANSLATE_NOOP("SpectrumFit", "reference rows changed"),
                     QString("%1 reference rows but %2 in the snapshot").arg(rowCount).arg(refs.size()));
    if (kind == Lcf && s.dMut <= 0.0) {
        // Without an edge jump every row in use gets a zero.
        t.fractions.assign(size_t(n), 0.0);
        t.amounts.assign(size_t(n), 0.0);
        return nullptr;
    }

    // The kept parts hang on the energies, taken anew only when they changed.
    keepRangeParts(kind, refs, sE0, eE0, t, sameEnergies(s, t));

    const size_t np = size_t(s.count());
    const Spectrum &pre = s.doubleNormalizedPreBase;
    const bool solved = kind == Mlcf
        ? solveNormal(t, s.points.constData(), np)
        : solveNormal(t, pre.points.constData(), std::min(np, size_t(pre.count())));
    if (!solved)
        return empty(QT_TRANSLATE_NOOP("SpectrumFit", "singular system"));
    if (!allFinite(t.sol.data(), t.sol.size()))
        return empty(QT_TRANSLATE_NOOP("SpectrumFit", "fit result not finite"));

    t.fractions.clear();
    t.amounts.clear();
    if (kind == Mlcf) {
        double sum = 0.0;
        for (int k = 0; k < n; k++)
            sum += t.sol[size_t(k + 2)];
        if (!(sum > 0.0))
            return empty(QT_TRANSLATE_NOOP("SpectrumFit", "MLCF coefficients not positive"),
                         QString("MLCF coefficients sum to %1").arg(sum));
        for (int k = 0; k < n; k++) {
            const double c = std::max(0.0, t.sol[size_t(k + 2)]);
            t.amounts.push_back(c);
            t.fractions.push_back(c / sum);
        }
    } else {
        const double jump = std::max(0.0, s.dMut);
        for (int k = 0; k < n; k++) {
            t.fractions.push_back(t.sol[size_t(k)]);
            t.amounts.push_back(t.sol[size_t(k)] * jump);
        }
    }
    if (!allFinite(t.fractions.data(), t.fractions.size()) ||
        !allFinite(t.amounts.data(), t.amounts.size()))
        return empty(QT_TRANSLATE_NOOP("SpectrumFit", "fit result not finite"));

    t.zansa = residual(s, t);
    if (!std::isfinite(t.zansa))
        return empty(QT_TRANSLATE_NOOP("SpectrumFit", "residual not finite"));
    t.fitted = true;
    return nullptr;
}

FitAnswer SpectrumFit::fit(Kind kind, const XafsSpectrum &s, const QVector<LcfRefData> &refs,
                           int rowCount, double sE0, double eE0, const SuggestElm &sElm,
                           Scratch &t, QString *why, bool withCurve)
{
    FitAnswer ans;
    ans.failure = fitValues(kind, s, refs, rowCount, sE0, eE0, t, why);
    ans.fractions = QVector<double>(t.fractions.cbegin(), t.fractions.cend());
    ans.amounts = QVector<double>(t.amounts.cbegin(), t.amounts.cend());
    ans.zansa = t.zansa;
    if (t.fitted && withCurve) {
        Spectrum &curve = t.curve;
        curve.restart();
        curve.points.resize(int(t.curveAt.size()));
        QPointF *point = curve.points.data();
        for (const int i : t.curveAt)
            *point++ = QPointF(t.energy[size_t(i)], curveValue(t, size_t(i)));
        curve.rescanRange();
        ans.curve = XafsSpectrum(t.curve, kind == Mlcf ? "anal-MLCF" : "anal-LCF", 1, 0.0, sElm);
        ans.hasCurve = true;
    }
    return ans;
}

namespace {

double edgeAt(const XafsSpectrum &s, const SuggestElm &sElm, bool isMidPoint,
              const XafsSpectrum &ref, double rangeEV, double initDEeV, double minDEeV,
              XafsSpectrum::ShiftScratch &search, QString *why, const char **failure)
{
    double d;
    if (isMidPoint)
        d = s.midx - s.shift - sElm.edgeEV;
    else
        d = s.bestShift(ref, rangeEV, initDEeV, minDEeV, search) - s.shift;
    if (!std::isfinite(d)) {
        if (why)
            *why = QStringLiteral("edge position not finite, taken as 0");
        if (failure)
            *failure = QT_TRANSLATE_NOOP("SpectrumFit", "edge position not finite");
        d = 0.0;
    }
    return d;
}

} // namespace

double SpectrumFit::edgePosition(const XafsSpectrum &s, const SuggestElm &sElm, bool isMidPoint,
                                 const XafsSpectrum &ref, double rangeEV, double initDEeV,
                                 double minDEeV, QString *why, const char **failure)
{
    XafsSpectrum::ShiftScratch search;
    return edgeAt(s, sElm, isMidPoint, ref, rangeEV, initDEeV, minDEeV, search, why, failure);
}

double SpectrumFit::edgePosition(const XafsSpectrum &s, const SuggestElm &sElm, bool isMidPoint,
                                 const XafsSpectrum &ref, double rangeEV, double initDEeV,
                                 double minDEeV, Scratch &t, QString *why, const char **failure)
{
    // The search keeps what it read of the reference by its address: a
    // reference changed in place, or another one at the same address, is
    // read anew.
    const Spectrum &d = ref.doubleNormalizedPreBase;
    if (!isMidPoint && !sameSpectrum(t.shiftRef, d)) {
        t.shiftRef = d;
        t.shift.ref = nullptr;
    }
    return edgeAt(s, sElm, isMidPoint, ref, rangeEV, initDEeV, minDEeV, t.shift, why, failure);
}
