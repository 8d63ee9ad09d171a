#include "analysis/elemanalysis.h"

#include <QDebug>

#include <cmath>
#include <vector>

#include "core/globals.h"
#include "core/innerproduct.h"
#include "core/spectrum.h"

namespace {

// The segment Spectrum::y interpolates x on, over the abscissae xs (as the
// lookups see them): the ends extended, inside found by the same bisection.
ElemAnalysis::Plan::Segment segmentOf(const QVector<double> &xs, double x)
{
    ElemAnalysis::Plan::Segment g;
    const int n = xs.size();
    if (n == 0)
        return g;
    if (n == 1) {
        g.lo = g.hi = 0;
        return g;
    }
    int lo, hi;
    if (x <= xs[0]) {
        lo = 0;
        hi = 1;
    } else if (x >= xs[n - 1]) {
        lo = n - 2;
        hi = n - 1;
    } else {
        lo = 0;
        hi = n - 1;
        int mid = (n - 1) / 2;
        do {
            const bool above = xs[mid] > x;
            hi = above ? mid : hi;
            lo = above ? lo : mid;
            mid = (lo + hi) / 2;
        } while (hi - 1 > lo);
    }
    g.lo = lo;
    g.hi = hi;
    g.x0 = xs[lo];
    g.x1 = xs[hi];
    return g;
}

// s.y(x) for the segment of x.
double valueOn(const QPointF *p, const ElemAnalysis::Plan::Segment &g, double x)
{
    if (g.lo < 0)
        return 0.0;
    if (g.lo == g.hi)
        return p[g.lo].y();
    return linearInterpolate(x, g.x0, p[g.lo].y(), g.x1, p[g.hi].y());
}

// The uncentred cosine of n pairs (a(i), b(i)), summed in order of i.
template <typename A, typename B>
bool cosineOf(int n, A a, B b, double *c)
{
    InnerProduct sum;
    for (int i = 0; i < n; ++i)
        sum.add(a(i), b(i));
    return sum.normalised(c);
}

} // namespace

bool ElemAnalysis::Plan::fits(const Spectrum &s) const
{
    const int n = points.size();
    if (s.count() != n || s.useOffset != useOffset || (useOffset && !(s.offset == offset)))
        return false;
    const QPointF *p = s.points.constData();
    const double *q = points.constData();
    for (int i = 0; i < n; ++i) {
        if (!(p[i].x() == q[i]))
            return false;
    }
    return true;
}

ElemAnalysis::Plan ElemAnalysis::plan(const Spectrum &s, const QVector<ElemRowData> &rows,
                                      const AElemsCondsData &bg, int mainT,
                                      const QVector<double> &stdRatios)
{
    Plan p;
    p.rows = rows;
    p.bg = bg;
    p.mainT = mainT;
    p.useOffset = s.useOffset;
    p.offset = s.offset;
    const double off = s.useOffset ? s.offset : 0.0;
    p.points.resize(s.count());
    p.x.resize(s.count());
    for (int i = 0; i < s.count(); ++i) {
        p.points[i] = s.points[i].x();
        p.x[i] = s.points[i].x() - off;
    }
    p.at.resize(rows.size());
    for (int j = 0; j < rows.size(); ++j) {
        const ElemRowData &row = rows[j];
        Plan::Row &r = p.at[j];
        r.plus = segmentOf(p.x, row.e0 + row.dE + off);
        r.minus = segmentOf(p.x, row.e0 - row.dE + off);
        pointWindow(p.x, row.e0 - row.dE, row.e0 + row.dE, &r.edge1, &r.edge2);
        pointWindow(p.x, row.roiS, row.roiE, &r.roi1, &r.roi2);
        if (row.use)
            p.used << j;
    }
    if (stdRatios.size() == rows.size()) {
        for (int j : qAsConst(p.used))
            p.stdUsed << stdRatios[j];
    }
    return p;
}

void ElemAnalysis::analyze(const Spectrum &s, const Plan &plan, double *out, double *measured)
{
    const int e = plan.rows.size();
    const double off = s.useOffset ? s.offset : 0.0;
    const QPointF *p = s.points.constData();
    const double *x = plan.x.constData();
    const AElemsCondsData &bg = plan.bg;
    double *v[Kinds];
    for (int kind = 0; kind < Kinds; ++kind)
        v[kind] = out + kind * e;

    for (int j = 0; j < e; ++j) {
        const ElemRowData &row = plan.rows[j];
        const Plan::Row &at = plan.at[j];
        const double muPlus = valueOn(p, at.plus, row.e0 + row.dE + off);
        const double muMinus = valueOn(p, at.minus, row.e0 - row.dE + off);
        const double dMut = muPlus - muMinus;
        if (measured)
            measured[j] = dMut;
        if (!(dMut > row.thDMut)) {
            v[DMut][j] = v[MuPlus][j] = v[MuMinus][j] = bg.bgDMut;
            v[DE][j] = bg.bgDE;
            v[Roi][j] = bg.bgROI;
            v[NRoi][j] = bg.bgNROI;
            continue;
        }
        v[DMut][j] = dMut;
        v[MuPlus][j] = muPlus;
        v[MuMinus][j] = muMinus;

        // Edge position: the mean of the upward crossings of the half level.
        const double level = (muPlus + muMinus) / 2.0;
        double sum = 0.0;
        int crossings = 0;
        for (int k = at.edge1; k < at.edge2; ++k) {
            if (p[k].y() < level && level <= p[k + 1].y()) {
                sum += (x[k] + x[k + 1]) / 2.0;
                ++crossings;
            }
        }
        v[DE][j] = crossings > 0 ? sum / crossings - row.e0 : 0.0;

        // Region of interest: the mean height above mu-.
        double roi = 0.0;
        if (at.roi1 < at.roi2) {
            for (int k = at.roi1; k < at.roi2; ++k)
                roi += p[k].y() - muMinus;
            roi /= at.roi2 - at.roi1;
        }
        if (row.noNeg && roi < 0.0) {
            v[Roi][j] = bg.bgROI;
            v[NRoi][j] = bg.bgNROI;
        } else {
            v[Roi][j] = roi;
            // A jump of 0 passes only a negative threshold: no ratio to take.
            v[NRoi][j] = dMut != 0.0 ? roi / dMut : bg.bgNROI;
        }
    }

    double divisor = 1.0;
    if (plan.mainT >= 0 && plan.mainT < e) {
        if (v[DMut][plan.mainT] != 0.0)
            divisor = v[DMut][plan.mainT];
    } else if (e > 0) {
        qDebug() << "ElemAnalysis: target row" << plan.mainT << "is not one of" << e
                 << "rows; ratios taken against 1";
    }
    for (int j = 0; j < e; ++j)
        v[DMutRatio][j] = v[DMut][j] / divisor;

    const int *used = plan.used.constData();
    const double *ratio = v[DMutRatio], *std = plan.stdUsed.constData();
    double c = 0.0;
    if (!cosineOf(plan.stdUsed.size(), [&](int i) { return ratio[used[i]]; },
                  [&](int i) { return std[i]; }, &c))
        c = 0.0;
    out[Kinds * e] = c;
}

ElemsAnswer ElemAnalysis::analyze(const Spectrum &s, const QVector<ElemRowData> &rows,
                                  const AElemsCondsData &bg, int mainT)
{
    const int e = rows.size();
    std::vector<double> out(static_cast<size_t>(Kinds * e + 1));
    std::vector<double> measured(static_cast<size_t>(e));
    analyze(s, plan(s, rows, bg, mainT, QVector<double>()), out.data(), measured.data());
    ElemsAnswer a;
    a.valid = true;
    QVector<double> *kinds[Kinds] = {&a.dMut, &a.dMutRatio, &a.muPlus, &a.muMinus,
                                     &a.dE,   &a.roi,       &a.nroi};
    for (int kind = 0; kind < Kinds; ++kind)
        *kinds[kind] = QVector<double>(out.cbegin() + kind * e, out.cbegin() + (kind + 1) * e);
    a.res = QVector<double>(measured.cbegin(), measured.cend());
    return a;
}

void ElemAnalysis::pointWindow(const QVector<double> &x, double lo, double hi, int *i1, int *i2)
{
    const int n = x.size();
    const auto first = [&](double e) {
        for (int i = 0; i + 1 < n; ++i) {
            if ((x[i] + x[i + 1]) / 2.0 > e)
                return i;
        }
        return n - 1;
    };
    *i1 = first(lo);
    *i2 = first(hi);
    if (n <= 1 || *i1 >= *i2)
        *i1 = *i2 = qMax(n - 1, 0);
}

bool ElemAnalysis::cosine(const double *a, const double *b, int n, double *c)
{
    return cosineOf(n, [a](int i) { return a[i]; }, [b](int i) { return b[i]; }, c);
}

double ElemAnalysis::correlation(const ElemsAnswer &a, const QVector<ElemRowData> &rows,
                                 const QVector<double> &stdRatios)
{
    if (a.dMutRatio.size() != rows.size() || stdRatios.size() != rows.size())
        return 0.0;
    std::vector<double> r, s;
    for (int j = 0; j < rows.size(); j++) {
        if (rows[j].use) {
            r.push_back(a.dMutRatio[j]);
            s.push_back(stdRatios[j]);
        }
    }
    double c = 0.0;
    if (!cosine(r.data(), s.data(), int(r.size()), &c))
        return 0.0;
    return c;
}
