#include "analysis/spectrumfit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/refvaluecache.h"
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

bool allFinite(const QVector<double> &v)
{
    return allFinite(v.constData(), size_t(v.size()));
}

// Solves the normal equations of the columns over the points marked in use:
// A = sum of v vT and b = sum of v y, v(r) = cols[r][i]; unknown r to sol[r].
// False when the system is singular.
bool solveNormal(const std::vector<const double *> &cols, const double *y,
                 const std::vector<char> &use, std::vector<double> &sol)
{
    const int m = int(cols.size());
    std::vector<double> ata(size_t(m) * size_t(m), 0.0), atb(size_t(m), 0.0);
    for (size_t i = 0; i < use.size(); i++) {
        if (!use[i])
            continue;
        for (int r = 0; r < m; r++) {
            const double vr = cols[size_t(r)][i];
            double *row = ata.data() + size_t(r) * size_t(m);
            for (int c = r; c < m; c++)
                row[c] += vr * cols[size_t(c)][i];
            atb[size_t(r)] += vr * y[i];
        }
    }
    LinAlg la;
    double **a = la.newMatrix(m);
    for (int r = 0; r < m; r++)
        for (int c = 0; c < m; c++)
            a[r][c] = c >= r ? ata[size_t(r) * size_t(m) + size_t(c)] : ata[size_t(c) * size_t(m) + size_t(r)];
    sol.assign(size_t(m), 0.0);
    const bool ok = la.solve(m, a, atb.data(), sol.data(), true);
    la.deleteMatrix(m, a);
    return ok;
}

// Mean squared relative deviation of the curve from the sample's
// doubleNormalizedPreBase over its inner points in [lo, hi], divided once
// more by the sample's point count; a zero sample value counts 1.
double residual(const XafsSpectrum &s, const Spectrum &curve, double lo, double hi)
{
    const Spectrum &pre = s.doubleNormalizedPreBase;
    const size_t nPre = size_t(pre.count());
    const double preOff = offsetOf(pre);
    const double curveOff = offsetOf(curve);
    std::vector<double> x(nPre), at(nPre), f;
    std::vector<char> inside(nPre, 0);
    for (size_t j = 1; j + 1 < nPre; j++) {
        x[j] = pre.points[int(j)].x() - preOff;
        inside[j] = lo <= x[j] && x[j] <= hi;
        at[j] = x[j] + curveOff;
    }
    RefValueCache::valuesAt(curve, at, inside, f);
    double sum = 0.0;
    int counted = 0;
    for (size_t j = 1; j + 1 < nPre; j++) {
        if (!inside[j])
            continue;
        const double yj = pre.points[int(j)].y();
        double term = 1.0;
        if (yj != 0.0) {
            const double d = (f[j] - yj) / yj;
            term = d * d;
        }
        sum += term;
        counted++;
    }
    return counted > 0 ? sum / counted / s.count() : 0.0;
}

} // namespace

FitAnswer SpectrumFit::fit(Kind kind, const XafsSpectrum &s, const QVector<LcfRefData> &refs,
                           int rowCount, double sE0, double eE0, const SuggestElm &sElm,
                           RefValueCache &cache, QString *why, bool withCurve)
{
    std::vector<const XafsSpectrum *> used;
    for (const LcfRefData &r : refs) {
        if (r.inUse)
            used.push_back(&r.spectrum);
    }
    const int n = int(used.size());
    // reason: what the user reads (translated where shown); detail, when
    // given, the debug text instead of it.
    auto empty = [&](const char *reason, const QString &detail = QString()) {
        if (why)
            *why = detail.isEmpty() ? QString::fromLatin1(reason) : detail;
        FitAnswer a;
        a.fractions = QVector<double>(n, 0.0);
        a.amounts = a.fractions;
        a.failure = reason;
        return a;
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
        FitAnswer a;
        a.fractions = QVector<double>(n, 0.0);
        a.amounts = a.fractions;
        return a;
    }

    // Fit range and curve range: where every used reference has points.
    double lo = sE0, hi = eE0, cLo = 0.0, cHi = 1e300;
    for (const XafsSpectrum *r : used) {
        const double off = offsetOf(*r);
        lo = std::max(lo, r->xMin - off);
        hi = std::min(hi, r->xMax - off);
        cLo = std::max(cLo, r->xMin - off);
        cHi = std::min(cHi, r->xMax - off);
    }

    const size_t np = size_t(s.count());
    const double sampleOff = offsetOf(s);
    std::vector<double> energy(np);
    std::vector<char> inFit(np), inCurve(np), needPre(np);
    for (size_t i = 0; i < np; i++) {
        const double e = s.points[int(i)].x() - sampleOff - s.shift;
        energy[i] = e;
        inFit[i] = lo <= e && e <= hi;
        inCurve[i] = cLo <= e && e <= cHi;
        needPre[i] = inCurve[i] || (kind != Mlcf && inFit[i]);
    }
    // The references' normalised forms at the sample energies: the
    // doubleNormalizedPreBase for the LCF fit and for the curve, the
    // doubleNormalizedPostBase for the MLCF fit.
    cache.begin(energy);
    std::vector<const double *> refPre;
    for (const XafsSpectrum *r : used)
        refPre.push_back(cache.values(r->doubleNormalizedPreBase, offsetOf(*r), needPre, true).data());

    std::vector<const double *> cols;
    std::vector<double> y(np, 0.0), ones;
    if (kind == Mlcf) {
        ones.assign(np, 1.0);
        cols.push_back(ones.data());
        cols.push_back(energy.data());
        for (const XafsSpectrum *r : used)
            cols.push_back(cache.values(r->doubleNormalizedPostBase, offsetOf(*r), inFit, false).data());
        for (size_t i = 0; i < np; i++)
            y[i] = s.points[int(i)].y();
    } else {
        cols = refPre;
        const Spectrum &pre = s.doubleNormalizedPreBase;
        for (size_t i = 0; i < np && int(i) < pre.count(); i++)
            y[i] = pre.points[int(i)].y();
    }
    std::vector<double> sol;
    if (!solveNormal(cols, y.data(), inFit, sol))
        return empty(QT_TRANSLATE_NOOP("SpectrumFit", "singular system"));
    if (!allFinite(sol.data(), sol.size()))
        return empty(QT_TRANSLATE_NOOP("SpectrumFit", "fit result not finite"));

    FitAnswer ans;
    if (kind == Mlcf) {
        double sum = 0.0;
        for (int k = 0; k < n; k++)
            sum += sol[size_t(k + 2)];
        if (!(sum > 0.0))
            return empty(QT_TRANSLATE_NOOP("SpectrumFit", "MLCF coefficients not positive"),
                         QString("MLCF coefficients sum to %1").arg(sum));
        for (int k = 0; k < n; k++) {
            const double c = std::max(0.0, sol[size_t(k + 2)]);
            ans.amounts << c;
            ans.fractions << c / sum;
        }
    } else {
        const double jump = std::max(0.0, s.dMut);
        for (int k = 0; k < n; k++) {
            ans.fractions << sol[size_t(k)];
            ans.amounts << sol[size_t(k)] * jump;
        }
    }
    if (!allFinite(ans.fractions) || !allFinite(ans.amounts))
        return empty(QT_TRANSLATE_NOOP("SpectrumFit", "fit result not finite"));

    // The curve of this spectrum's own fractions.
    Spectrum curve;
    curve.points.resize(int(std::count(inCurve.cbegin(), inCurve.cend(), char(1))));
    QPointF *point = curve.points.data();
    for (size_t i = 0; i < np; i++) {
        if (!inCurve[i])
            continue;
        double v = 0.0;
        for (int k = 0; k < n; k++)
            v += refPre[size_t(k)][i] * ans.fractions[k];
        *point++ = QPointF(energy[i], v);
    }
    curve.rescanRange();
    ans.zansa = residual(s, curve, lo, hi);
    if (withCurve) {
        ans.curve = XafsSpectrum(curve, kind == Mlcf ? "anal-MLCF" : "anal-LCF", 1, 0.0, sElm);
        ans.hasCurve = true;
    }
    if (!std::isfinite(ans.zansa))
        return empty(QT_TRANSLATE_NOOP("SpectrumFit", "residual not finite"));
    return ans;
}

double SpectrumFit::edgePosition(const XafsSpectrum &s, const SuggestElm &sElm, bool isMidPoint,
                                 const XafsSpectrum &ref, double rangeEV, double initDEeV,
                                 double minDEeV, QString *why, const char **failure)
{
    double d;
    if (isMidPoint)
        d = s.midx - s.shift - sElm.edgeEV;
    else
        d = s.bestShift(ref, rangeEV, initDEeV, minDEeV) - s.shift;
    if (!std::isfinite(d)) {
        if (why)
            *why = QStringLiteral("edge position not finite, taken as 0");
        if (failure)
            *failure = QT_TRANSLATE_NOOP("SpectrumFit", "edge position not finite");
        d = 0.0;
    }
    return d;
}
