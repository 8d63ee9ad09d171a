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
    t.inCurve.resize(np);
    t.needPre.resize(np);
    t.curvePoints = 0;
    for (size_t i = 0; i < np; i++) {
        const double e = t.energy[i];
        t.inFit[i] = lo <= e && e <= hi;
        t.inCurve[i] = cLo <= e && e <= cHi;
        t.needPre[i] = t.inCurve[i] || (kind != SpectrumFit::Mlcf && t.inFit[i]);
        t.curvePoints += t.inCurve[i];
    }
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
    const int m = int(t.cols.size());
    t.ata.assign(size_t(m) * size_t(m), 0.0);
    for (size_t i = 0; i < np; i++) {
        if (!t.inFit[i])
            continue;
        for (int r = 0; r < m; r++) {
            const double vr = t.cols[size_t(r)][i];
            double *row = t.ata.data() + size_t(r) * size_t(m);
            for (int c = r; c < m; c++)
                row[c] += vr * t.cols[size_t(c)][i];
        }
    }
    for (int r = 0; r < m; r++)
        for (int c = 0; c < r; c++)
            t.ata[size_t(r) * size_t(m) + size_t(c)] = t.ata[size_t(c) * size_t(m) + size_t(r)];
    // The residual's points: the inner points of the sample's
    // doubleNormalizedPreBase in [lo, hi], read on the curve (no offset).
    const size_t nPre = t.preX.size();
    t.inside.assign(nPre, 0);
    t.at.assign(nPre, 0.0);
    for (size_t j = 1; j + 1 < nPre; j++) {
        t.inside[j] = lo <= t.preX[j] && t.preX[j] <= hi;
        t.at[j] = t.preX[j] + 0.0;
    }
}

// Solves A x = b, A the kept normal matrix and b = sum of v y over the points
// in the fit; unknown r to sol[r]. False when the system is singular.
bool solveNormal(SpectrumFit::Scratch &t, const double *y)
{
    const int m = int(t.cols.size());
    t.atb.assign(size_t(m), 0.0);
    const char *in = t.inFit.data();
    const size_t np = t.inFit.size();
    // Each sum in order of the points, in a register.
    for (int r = 0; r < m; r++) {
        const double *col = t.cols[size_t(r)];
        double acc = 0.0;
        for (size_t i = 0; i < np; i++) {
            if (in[i])
                acc += col[i] * y[i];
        }
        t.atb[size_t(r)] = acc;
    }
    // The solver reads the matrix without changing it.
    t.ataRows.resize(size_t(m));
    for (int r = 0; r < m; r++)
        t.ataRows[size_t(r)] = t.ata.data() + size_t(r) * size_t(m);
    t.sol.assign(size_t(m), 0.0);
    LinAlg la;
    return la.solve(m, t.ataRows.data(), t.atb.data(), t.sol.data(), true);
}

// Mean squared relative deviation of the curve from the sample's
// doubleNormalizedPreBase over its inner points in [lo, hi], divided once
// more by the sample's point count; a zero sample value counts 1.
double residual(const XafsSpectrum &s, SpectrumFit::Scratch &t)
{
    const Spectrum &pre = s.doubleNormalizedPreBase;
    const size_t nPre = t.preX.size();
    t.f.resize(nPre);
    t.curve.valuesAt(t.at.data(), t.inside.data(), int(nPre), t.f.data());
    double sum = 0.0;
    int counted = 0;
    for (size_t j = 1; j + 1 < nPre; j++) {
        if (!t.inside[j])
            continue;
        const double yj = pre.points[int(j)].y();
        double term = 1.0;
        if (yj != 0.0) {
            const double d = (t.f[j] - yj) / yj;
            term = d * d;
        }
        sum += term;
        counted++;
    }
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

    // The energies the kept parts hang on, taken anew only when they changed.
    const size_t np = size_t(s.count());
    const double sampleOff = offsetOf(s);
    const QPointF *p = s.points.constData();
    const Spectrum &pre = s.doubleNormalizedPreBase;
    const double preOff = offsetOf(pre);
    const size_t nPre = size_t(pre.count());
    const QPointF *q = pre.points.constData();
    bool same = t.made && t.energy.size() == np && t.preX.size() == nPre;
    for (size_t i = 0; same && i < np; i++)
        same = p[i].x() - sampleOff - s.shift == t.energy[i];
    for (size_t j = 0; same && j < nPre; j++)
        same = q[j].x() - preOff == t.preX[j];
    if (!same) {
        t.nextEnergy.resize(np);
        for (size_t i = 0; i < np; i++)
            t.nextEnergy[i] = p[i].x() - sampleOff - s.shift;
        t.nextPreX.resize(nPre);
        for (size_t j = 0; j < nPre; j++)
            t.nextPreX[j] = q[j].x() - preOff;
    }
    keepRangeParts(kind, refs, sE0, eE0, t, same);

    t.y.assign(np, 0.0);
    if (kind == Mlcf) {
        for (size_t i = 0; i < np; i++)
            t.y[i] = s.points[int(i)].y();
    } else {
        for (size_t i = 0; i < np && int(i) < pre.count(); i++)
            t.y[i] = pre.points[int(i)].y();
    }
    if (!solveNormal(t, t.y.data()))
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

    // The curve of this spectrum's own fractions.
    Spectrum &curve = t.curve;
    curve.restart();
    curve.points.resize(t.curvePoints);
    QPointF *point = curve.points.data();
    for (size_t i = 0; i < np; i++) {
        if (!t.inCurve[i])
            continue;
        double v = 0.0;
        for (int k = 0; k < n; k++)
            v += t.refPre[size_t(k)][i] * t.fractions[size_t(k)];
        *point++ = QPointF(t.energy[i], v);
    }
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
        t.curve.rescanRange();
        ans.curve = XafsSpectrum(t.curve, kind == Mlcf ? "anal-MLCF" : "anal-LCF", 1, 0.0, sElm);
        ans.hasCurve = true;
    }
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
