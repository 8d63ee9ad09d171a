#include "calibration/blockshift.h"

#include <QString>

BlockShift::BlockShift()
    : innerProduct(false), range(20.0), step(1.0), minStep(0.1), targetMode(1)
{
}

XafsSpectrum BlockShift::target(const Spectrum &block, const SuggestElm &suggest) const
{
    return XafsSpectrum(block, QStringLiteral("Body-Calib"), targetMode, 0.0, suggest);
}

double BlockShift::shiftOf(const Spectrum &block, const XafsSpectrum &standard,
                           const SuggestElm &suggest) const
{
    Scratch scratch;
    return shiftOf(block, standard, suggest, scratch);
}

double BlockShift::shiftOf(const Spectrum &block, const XafsSpectrum &standard,
                           const SuggestElm &suggest, Scratch &scratch) const
{
    // Only the derived spectrum the inner product reads is built.
    XafsSpectrum &t = scratch.target;
    t.renew(block, QStringLiteral("Body-Calib"), targetMode, 0.0, suggest,
            innerProduct ? XafsSpectrum::DerivedPreBase : 0);
    if (innerProduct)
        return t.bestShift(standard, range, step, minStep, scratch.search);
    return t.midx - standard.midx;
}
