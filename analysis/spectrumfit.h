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
        std::vector<char> inFit, inCurve, needPre, inside;
        std::vector<const double *> refPre, cols;
        std::vector<double> ones, ata, at;
        std::vector<double *> ataRows;
        int curvePoints = 0;
        // A fit's own.
        std::vector<double> nextEnergy, nextPreX;
        std::vector<double> y, atb, sol, fractions, amounts, f;
        Spectrum curve;
        double zansa = 0.0;
        bool fitted = false;   // the last fit was made and left its curve
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
};

#endif
