#ifndef SPECTRUMFIT_H
#define SPECTRUMFIT_H

#include <QString>
#include <QVector>

#include "analysis/fitanswer.h"
#include "analysis/lcfrefdata.h"
#include "core/suggestelm.h"
#include "core/xafsspectrum.h"

class RefValueCache;

// The fits and the edge position of one spectrum as plain functions of the
// spectrum and a snapshot of the rows: the analysis worker and the area runs'
// pool threads call the same code.
class SpectrumFit
{
public:
    enum Kind { Lcf, LcfOld, Mlcf };

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
                         RefValueCache &cache, QString *why, bool withCurve = true);

    // The edge position of s: in midpoint mode against the suggested edge
    // energy, otherwise the shift that best aligns s with ref; not finite
    // gives 0, a note in why and in failure a literal marked for translation
    // in the context "SpectrumFit".
    static double edgePosition(const XafsSpectrum &s, const SuggestElm &sElm, bool isMidPoint,
                               const XafsSpectrum &ref, double rangeEV, double initDEeV,
                               double minDEeV, QString *why, const char **failure = nullptr);
};

#endif
