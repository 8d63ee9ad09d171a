#ifndef SPECTRUMFIT_H
#define SPECTRUMFIT_H

#include <QString>
#include <QVector>

#include <vector>

#include "analysis/fitanswer.h"
#include "analysis/lcfrefdata.h"
#include "analysis/refvaluecache.h"
#include "core/suggestelm.h"
#include "core/xafsspectrum.h"

// The fits and the edge position of one spectrum as plain functions of the
// spectrum and a snapshot of the rows: the analysis worker and the area runs'
// pool threads call the same code.
class SpectrumFit
{
public:
    enum Kind { Lcf, LcfOld, Mlcf };

    // What one thread keeps from one fit to the next: everything that depends
    // only on the sample's energies, the rows and the fit range (reference
    // values there, ranges, the normal matrix), taken again when one of those
    // changes, and the buffers of a fit.
    struct Scratch
    {
        RefValueCache cache;
        // What the kept parts were made for; rows holds the spectra alive.
        bool made = false;
        Kind kind = Lcf;
        double sE0 = 0.0, eE0 = 0.0;
        QVector<LcfRefData> rows;
        std::vector<double> energy, preX;
        // The kept parts.
        std::vector<const XafsSpectrum *> used;
        double lo = 0.0, hi = 0.0;
        std::vector<char> inFit, needPre;
        // Indexes of the energies in the fit and on the curve, ascending;
        // fitRun when those in the fit follow one another without a gap.
        std::vector<int> fitAt, curveAt;
        bool fitRun = false;
        std::vector<const double *> refPre, cols;
        std::vector<double> ones, ata;
        std::vector<double *> ataRows;
        // The normal matrix decomposed once: rows, order and whether it held.
        std::vector<double> lu;
        std::vector<double *> lRows, uRows;
        std::vector<int> perm;
        bool luOk = false;
        // A residual point: the sample's point j, read on the curve between
        // its points a and b; dq is the query less a's energy, dx b's energy
        // less a's, flat whether those two are equal.
        struct Reading
        {
            int j, a, b;
            bool flat;
            double dq, dx;
        };
        std::vector<Reading> readings;
        // Readings [alignFrom, alignTo) lie on their segments' starts, at
        // points one after the other from the energy index alignAt: there the
        // curve's value is read while no slope can overflow, which needs
        // every curve value at most alignLimit in size. refMax: the largest
        // size of each reference's values on the curve (inf for a NaN).
        int alignFrom = 0, alignTo = 0, alignAt = 0;
        double alignLimit = 0.0;
        std::vector<double> refMax;
        // The x of the points the energies were taken from, bit for bit, and
        // whether no energy is NaN (then equal bits mean equal energies).
        std::vector<double> rawX, rawPreX;
        double rawOffset = 0.0, rawShift = 0.0, rawPreOffset = 0.0;
        bool rawExact = false;
        // A fit's own.
        std::vector<double> nextEnergy, nextPreX;
        std::vector<double> atb, forward, back, sol, fractions, amounts;
        Spectrum curve;
        XafsSpectrum::ShiftScratch shift;
        Spectrum shiftRef;   // what shift was made for
        double zansa = 0.0;
        bool fitted = false;   // the last fit was made: its curve can be drawn
    };

    // LCF fits the sample's doubleNormalizedPreBase with the references';
    // MLCF fits the raw mu-t with a constant, a slope and the references'
    // doubleNormalizedPostBase. rowCount is the number of row pointers of
    // the request, which must match refs. The answer holds one fraction and
    // amount per row in use (id 0); the curve and zansa use those fractions.
    // A degenerate fit gives zeros, no curve, and why says what went wrong;
    // the answer's failure names the kind of fault for the user.
    // Without withCurve the curve is not kept as a spectrum (zansa is the same).
    static FitAnswer fit(Kind kind, const XafsSpectrum &s, const QVector<LcfRefData> &refs,
                         int rowCount, double sE0, double eE0, const SuggestElm &sElm,
                         Scratch &scratch, QString *why, bool withCurve = true);
    // The same fit without an answer: the fractions, amounts and zansa land in
    // scratch (fractions and amounts empty on a failure); the failure or null.
    // A fit without an edge jump gives zeros and null.
    static const char *fitValues(Kind kind, const XafsSpectrum &s, const QVector<LcfRefData> &refs,
                                 int rowCount, double sE0, double eE0, Scratch &scratch,
                                 QString *why);

    // The edge position of s: in midpoint mode against the suggested edge
    // energy, otherwise the shift that best aligns s with ref; not finite
    // gives 0, a note in why and in failure a literal marked for translation
    // in the context "SpectrumFit".
    static double edgePosition(const XafsSpectrum &s, const SuggestElm &sElm, bool isMidPoint,
                               const XafsSpectrum &ref, double rangeEV, double initDEeV,
                               double minDEeV, QString *why, const char **failure = nullptr);
    // The same keeping the search's buffers in scratch from one block to the next.
    static double edgePosition(const XafsSpectrum &s, const SuggestElm &sElm, bool isMidPoint,
                               const XafsSpectrum &ref, double rangeEV, double initDEeV,
                               double minDEeV, Scratch &scratch, QString *why,
                               const char **failure = nullptr);
};

#endif
