#ifndef FITJOB_H
#define FITJOB_H

#include <QVector>

#include "analysis/lcfrefdata.h"
#include "analysis/spectrumfit.h"
#include "core/xafsspectrum.h"

// The fit and edge-position jobs of one spectrum as the analysis window
// stands: what a request sends, taken once for a whole area run.
struct FitJob
{
    bool fit = false;                   // SelMLCFAnal
    bool edge = false;                  // SelDEdgeAnal
    SpectrumFit::Kind kind = SpectrumFit::Lcf;
    double sE0 = 0.0;                   // LCFRange1, LCFRange2
    double eE0 = 0.0;
    QVector<LcfRefData> refs;           // every reference row, in order
    bool midPoint = true;               // DEdgeMidPoint
    XafsSpectrum comparison;            // the edge comparison spectrum
    double rangeEV = 0.0;               // the comparison search
    double initDEeV = 0.0;
    double minDEeV = 0.0;
};

#endif
