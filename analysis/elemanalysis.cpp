#include "analysis/elemanalysis.h"

#include <QDebug>

#include <cmath>
#include <vector>

#include "core/spectrum.h"

namespace {

// One row measured: the values the answer takes for it.
struct RowResult
{
    double measured;   // the jump as measured, whatever the threshold
    double dMut, muPlus, muMinus, dE, roi, nroi;
};

RowResult measure(const Spectrum &s, const QVector<double> &x, double off,
                  const ElemRowData &row, const AElemsCondsData &bg)
{
    const double muPlus = s.y(row.e0 + row.dE + off);
    const double muMinus = s.y(row.e0 - row.dE + off);
    const double dMut = muPlus - muMinus;
    RowResult r{dMut, bg.bgDMut, bg.bgDMut, bg.bgDMut, bg.bgDE, bg.bgROI, bg.bgNROI};
    if (!(dMut > row.thDMut))
        return r;

    r.dMut = dMut;
    r.muPlus = muPlus;
    r.muMinus = muMinus;
    r.dE = 0.0;

    // Edge position: the mean of the upward crossings of the half level.
    int i1, i2;
    ElemAnalysis::pointWindow(x, row.e0 - row.dE, row.e0 + row.dE, &i1, &i2);
    const double level = (muPlus + muMinus) / 2.0;
    double sum = 0.0;
    int crossings = 0;
    for (int k = i1; k < i2; ++k) {
        if (s.points[k].y() < level && level <= s.points[k + 1].y()) {
            sum += (x[k] + x[k + 1]) / 2.0;
            ++crossings;
        }
    }
    if (crossings > 0)
        r.dE = sum / crossings - row.e0;

    // Region of interest: the mean height above mu-.
    ElemAnalysis::pointWindow(x, row.roiS, row.roiE, &i1, &i2);
    double roi = 0.0;
    if (i1 < i2) {
        for (int k = i1; k < i2; ++k)
            roi += s.points[k].y() - muMinus;
        roi /= i2 - i1;
    }
    if (row.noNeg && roi < 0.0) {
        r.roi = bg.bgROI;
        r.nroi = bg.bgNROI;
    } else {
        r.roi = roi;
        // A jump of 0 passes only a negative threshold: no ratio to take.
        r.nroi = dMut != 0.0 ? roi / dMut : bg.bgNROI;
    }
    return r;
}

} // namespace

ElemsAnswer ElemAnalysis::analyze(const Spectrum &s, const QVector<ElemRowData> &rows,
                                  const AElemsCondsData &bg, int mainT)
{
    ElemsAnswer a;
    a.valid = true;
    const double off = s.useOffset ? s.offset : 0.0;
    QVector<double> x(s.count());
    for (int i = 0; i < x.size(); ++i)
        x[i] = s.points[i].x() - off;

    for (const ElemRowData &row : rows) {
        const RowResult r = measure(s, x, off, row, bg);
        a.res << r.measured;
        a.dMut << r.dMut;
        a.muPlus << r.muPlus;
        a.muMinus << r.muMinus;
        a.dE << r.dE;
        a.roi << r.roi;
        a.nroi << r.nroi;
    }
    if (rows.isEmpty())
        return a;

    double divisor = 1.0;
    if (mainT >= 0 && mainT < rows.size()) {
        if (a.dMut[mainT] != 0.0)
            divisor = a.dMut[mainT];
    } else {
        qDebug() << "ElemAnalysis: target row" << mainT << "is not one of" << rows.size()
                 << "rows; ratios taken against 1";
    }
    for (double d : qAsConst(a.dMut))
        a.dMutRatio << d / divisor;
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
    double sa = 0.0, sb = 0.0, p = 0.0;
    for (int i = 0; i < n; ++i) {
        sa += a[i] * a[i];
        sb += b[i] * b[i];
        p += a[i] * b[i];
    }
    if (!(sa > 0.0) || !(sb > 0.0))
        return false;
    *c = p / std::sqrt(sa * sb);
    return true;
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
