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
    // The values of a row, kind by kind, as analyze() into an array gives them.
    enum Kind { DMut, DMutRatio, MuPlus, MuMinus, DE, Roi, NRoi, Kinds };

    // A job of the element analysis with what the analyses of spectra with
    // the same abscissae share: per row the segments mu+ and mu- are
    // interpolated on and the point windows; the rows in use and their
    // standard ratios. Built once, read by any thread.
    struct Plan
    {
        struct Segment
        {
            int lo = -1;            // -1: no points (0); lo == hi: one point
            int hi = -1;
            double x0 = 0.0, x1 = 0.0;
        };
        struct Row
        {
            Segment plus, minus;
            int edge1 = 0, edge2 = 0;   // the points of e0 -+ dE
            int roi1 = 0, roi2 = 0;     // the points of the region of interest
        };
        QVector<ElemRowData> rows;
        AElemsCondsData bg;
        int mainT = 0;
        QVector<double> points;   // the abscissae of the points as stored
        bool useOffset = false;
        double offset = 0.0;
        QVector<double> x;        // as the lookups see them
        QVector<Row> at;          // per row
        QVector<int> used;        // the rows in use
        QVector<double> stdUsed;  // their standard ratios; empty unless one per row

        // Whether s has the abscissae and offset this plan was built for.
        bool fits(const Spectrum &s) const;
    };
    // The plan for spectra with the abscissae (and offset) of s.
    static Plan plan(const Spectrum &s, const QVector<ElemRowData> &rows, const AElemsCondsData &bg,
                     int mainT, const QVector<double> &stdRatios);

    // Measures the edge of every row in s (x in eV, y mu-t, its offset
    // honoured, its shift not applied). Rows whose jump does not exceed their
    // threshold take the background values of bg. The ratios divide by the
    // jump of row mainT (by 1 when that jump is 0 or mainT is no row). The
    // answer is valid; its id is 0.
    static ElemsAnswer analyze(const Spectrum &s, const QVector<ElemRowData> &rows,
                               const AElemsCondsData &bg, int mainT);
    // The same for a spectrum the plan fits, into out: Kinds values per row,
    // out[kind * rows + row], then the correlation() with the plan's standard
    // ratios; the measured jumps into measured when not null.
    static void analyze(const Spectrum &s, const Plan &plan, double *out, double *measured = nullptr);

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
