#include "analysis/analyzeproc.h"

#include <QDebug>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/elemanalysis.h"
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
double residual(const XafsSpectrum &s, const XafsSpectrum &curve, double lo, double hi)
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

AnalyzeProc::AnalyzeProc(QObject *parent)
    : QObject(parent), contAccess(false), zansa(0.0), dEdge(0.0), lcfOld(false)
{
}

AnalyzeProc::~AnalyzeProc() = default;

void AnalyzeProc::setContAccess(bool f)
{
    contAccess = f;
}

void AnalyzeProc::analyzeSpectrum0(XafsSpectrum s, QVector<LCFReference *> lcfrs0,
                                   XafsSpectrum *res, bool isMLCF, double sE0, double eE0,
                                   SuggestElm sElm)
{
    if (isMLCF)
        analyzeSpectrumByMLCF(s, lcfrs0, res, sE0, eE0, sElm);
    else if (lcfOld)
        analyzeSpectrumByLCF_Old(s, lcfrs0, res, sE0, eE0, sElm);
    else
        analyzeSpectrumByLCF(s, lcfrs0, res, sE0, eE0, sElm);
}

void AnalyzeProc::analyzeSpectrumByLCF(XafsSpectrum s, QVector<LCFReference *> lcfrs0,
                                       XafsSpectrum *res, double sE0, double eE0,
                                       SuggestElm sElm)
{
    Q_UNUSED(res);
    fit(Lcf, s, lcfrs0.size(), sE0, eE0, sElm);
}

void AnalyzeProc::analyzeSpectrumByLCF_Old(XafsSpectrum s, QVector<LCFReference *> lcfrs0,
                                           XafsSpectrum *res, double sE0, double eE0,
                                           SuggestElm sElm)
{
    Q_UNUSED(res);
    fit(LcfOld, s, lcfrs0.size(), sE0, eE0, sElm);
}

void AnalyzeProc::analyzeSpectrumByMLCF(XafsSpectrum s, QVector<LCFReference *> lcfrs0,
                                        XafsSpectrum *res, double sE0, double eE0,
                                        SuggestElm sElm)
{
    Q_UNUSED(res);
    fit(Mlcf, s, lcfrs0.size(), sE0, eE0, sElm);
}

// LCF fits the sample's doubleNormalizedPreBase with the references'; MLCF
// fits the raw mu-t with a constant, a slope and the references'
// doubleNormalizedPostBase. rowCount is the number of row pointers of the
// request, which must match the stored snapshot.
void AnalyzeProc::fit(FitKind kind, const XafsSpectrum &s, int rowCount, double sE0, double eE0,
                      const SuggestElm &sElm)
{
    const QVector<LcfRefData> refs = stored.refs;
    std::vector<const XafsSpectrum *> used;
    std::vector<double> storedFraction;
    for (const LcfRefData &r : refs) {
        if (r.inUse) {
            used.push_back(&r.spectrum);
            storedFraction.push_back(r.fraction);
        }
    }
    const int n = int(used.size());

    if (s.isEmpty()) {
        answerEmpty(n, "sample without points");
        return;
    }
    if (rowCount < 2) {
        answerEmpty(n, "fewer than two reference rows");
        return;
    }
    if (rowCount != refs.size()) {
        answerEmpty(n, QString("%1 reference rows but %2 in the snapshot").arg(rowCount).arg(refs.size()));
        return;
    }
    if (kind == Lcf && s.dMut <= 0.0) {
        // Without an edge jump every row, used or not, gets a zero.
        FitAnswer a;
        a.id = stored.id;
        a.fractions = QVector<double>(rowCount, 0.0);
        a.amounts = a.fractions;
        answer(a);
        return;
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
    refValues.begin(energy);
    std::vector<const double *> refPre;
    for (const XafsSpectrum *r : used)
        refPre.push_back(refValues.values(r->doubleNormalizedPreBase, offsetOf(*r), needPre, true).data());

    std::vector<const double *> cols;
    std::vector<double> y(np, 0.0), ones;
    if (kind == Mlcf) {
        ones.assign(np, 1.0);
        cols.push_back(ones.data());
        cols.push_back(energy.data());
        for (const XafsSpectrum *r : used)
            cols.push_back(refValues.values(r->doubleNormalizedPostBase, offsetOf(*r), inFit, false).data());
        for (size_t i = 0; i < np; i++)
            y[i] = s.points[int(i)].y();
    } else {
        cols = refPre;
        const Spectrum &pre = s.doubleNormalizedPreBase;
        for (size_t i = 0; i < np && int(i) < pre.count(); i++)
            y[i] = pre.points[int(i)].y();
    }
    std::vector<double> sol;
    if (!solveNormal(cols, y.data(), inFit, sol)) {
        answerEmpty(n, "singular system");
        return;
    }
    if (!allFinite(sol.data(), sol.size())) {
        answerEmpty(n, "fit result not finite");
        return;
    }

    FitAnswer ans;
    ans.id = stored.id;
    if (kind == Mlcf) {
        double sum = 0.0;
        for (int k = 0; k < n; k++)
            sum += sol[size_t(k + 2)];
        if (!(sum > 0.0)) {
            answerEmpty(n, QString("MLCF coefficients sum to %1").arg(sum));
            return;
        }
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
    if (!allFinite(ans.fractions) || !allFinite(ans.amounts)) {
        answerEmpty(n, "fit result not finite");
        return;
    }

    // The curve uses the fractions the rows hold after this fit: the new ones,
    // or the stored ones while a map run keeps the rows as they are.
    if (!stored.contAccess)
        storedFraction.assign(ans.fractions.cbegin(), ans.fractions.cend());
    Spectrum curve;
    curve.points.resize(int(std::count(inCurve.cbegin(), inCurve.cend(), char(1))));
    QPointF *point = curve.points.data();
    for (size_t i = 0; i < np; i++) {
        if (!inCurve[i])
            continue;
        double v = 0.0;
        for (int k = 0; k < n; k++)
            v += refPre[size_t(k)][i] * storedFraction[size_t(k)];
        *point++ = QPointF(energy[i], v);
    }
    curve.rescanRange();
    ans.curve = XafsSpectrum(curve, kind == Mlcf ? "anal-MLCF" : "anal-LCF", 1, 0.0, sElm);
    ans.hasCurve = true;
    ans.zansa = residual(s, ans.curve, lo, hi);
    if (!std::isfinite(ans.zansa)) {
        answerEmpty(n, "residual not finite");
        return;
    }
    answer(ans);
}

void AnalyzeProc::answerEmpty(int count, const QString &why)
{
    qDebug() << "AnalyzeProc: no fit," << why;
    FitAnswer a;
    a.id = stored.id;
    a.fractions = QVector<double>(count, 0.0);
    a.amounts = a.fractions;
    answer(a);
}

void AnalyzeProc::answer(FitAnswer &a)
{
    fractions = a.fractions;
    amounts = a.amounts;
    zansa = a.zansa;
    emit fitAnswered(a);
    emit newZ(zansa);
    emit finished();
}

// Midpoint mode: the sample's edge against the suggested edge energy;
// otherwise the shift that best aligns the sample with ref.
#if VANTOSCOPE_CLASSIC
void AnalyzeProc::analyzeSpectrumDEdge0(XafsSpectrum s, SuggestElm sElm, bool isMidPoint,
                                        XafsSpectrum ref)
{
    const double cwRangeEV = ClassicCompRange;
    const double cwInitDEeV = ClassicInitStep;
    const double cwMinDEeV = ClassicMinStep;
#else
void AnalyzeProc::analyzeSpectrumDEdge0(XafsSpectrum s, SuggestElm sElm, bool isMidPoint,
                                        XafsSpectrum ref, double cwRangeEV, double cwInitDEeV,
                                        double cwMinDEeV)
{
#endif
    double d;
    if (isMidPoint)
        d = s.midx - s.shift - sElm.edgeEV;
    else
        d = s.bestShift(ref, cwRangeEV, cwInitDEeV, cwMinDEeV) - s.shift;
    if (!std::isfinite(d)) {
        qDebug() << "AnalyzeProc: edge position not finite, taken as 0";
        d = 0.0;
    }
    dEdge = d;
    emit dEdgeAnswered(stored.id, dEdge);
    emit newDEdge(dEdge);
    emit finished();
}

// The rows, the background values and the target come from the stored
// snapshot; the row pointers are only counted and res0 is not written (the
// answer carries its contents). Always answered.
void AnalyzeProc::analyzeSpectrumElems0(XafsSpectrum s, QVector<ElemCtrl *> elems,
                                        QVector<double> *res0, int mainT, const AElemsConds *aec)
{
    Q_UNUSED(res0);
    Q_UNUSED(mainT);
    Q_UNUSED(aec);
    ElemsAnswer a;
    if (elems.size() == stored.elems.size()) {
        a = ElemAnalysis::analyze(s, stored.elems, stored.aec, stored.mainT);
    } else {
        qDebug() << "AnalyzeProc: no element analysis," << elems.size() << "element rows but"
                 << stored.elems.size() << "in the snapshot";
    }
    a.id = stored.id;
    elemDMut = a.dMut;
    elemDMutRatio = a.dMutRatio;
    elemMuPlus = a.muPlus;
    elemMuMinus = a.muMinus;
    elemDE = a.dE;
    elemROI = a.roi;
    elemNROI = a.nroi;
    emit elemsAnswered(a);
    emit finishedAElems();
}

void AnalyzeProc::setLcfOld(bool f)
{
    lcfOld = f;
    qDebug() << "lcf old flg" << f;
}

void AnalyzeProc::setRequest(AnalysisRequest request)
{
    stored = request;
}
