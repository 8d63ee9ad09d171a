#ifndef ELEMANALYSIS_H
#define ELEMANALYSIS_H

#include <QVector>

#include "analysis/aelemscondsdata.h"
#include "analysis/elemrowdata.h"
#include "analysis/elemsanswer.h"

class Spectrum;

// The element analysis of one spectrum and the correlation measure of the
// element ratios; plain computations, usable from any thread.
class ElemAnalysis
{
public:
    // Measures the edge of every row in s (x in eV, y mu-t, its offset
    // honoured, its shift not applied). Rows whose jump does not exceed their
    // threshold take the background values of bg. The ratios divide by the
    // jump of row mainT (by 1 when that jump is 0 or mainT is no row). The
    // answer is valid; its id is 0.
    static ElemsAnswer analyze(const Spectrum &s, const QVector<ElemRowData> &rows,
                               const AElemsCondsData &bg, int mainT);

    // The points between lo and hi: indices i1 <= k < i2 of the abscissae x,
    // where i1 is the first i with (x[i] + x[i+1]) / 2 > lo (the last index
    // when there is none), i2 the same for hi. Empty when i1 >= i2.
    static void pointWindow(const QVector<double> &x, double lo, double hi, int *i1, int *i2);

    // The correlation of an answer's ratios with the standard ratios over the
    // rows in use: cosine() of (dMutRatio[j], stdRatios[j]); 0 when it cannot
    // be computed or the sizes do not match.
    static double correlation(const ElemsAnswer &a, const QVector<ElemRowData> &rows,
                              const QVector<double> &stdRatios);

    // The uncentred cosine P / sqrt(A B) of n pairs, A = sum a^2, B = sum b^2,
    // P = sum a b; false, c untouched, unless A > 0 and B > 0.
    static bool cosine(const double *a, const double *b, int n, double *c);
};

#endif
