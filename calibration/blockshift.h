#ifndef BLOCKSHIFT_H
#define BLOCKSHIFT_H

#include "core/spectrum.h"
#include "core/suggestelm.h"
#include "core/xafsspectrum.h"

// How far the edge of one block's spectrum lies from the standard's, in eV:
// the difference of the edge positions (dMidx), or the shift of the best
// normalised inner product with the standard (inner P.).
class BlockShift
{
public:
    BlockShift();

    // What a thread reuses from block to block.
    struct Scratch
    {
        XafsSpectrum target;
        XafsSpectrum::ShiftScratch search;
    };

    // The block spectrum normalised as the calibration sees it ("Body-Calib").
    XafsSpectrum target(const Spectrum &block, const SuggestElm &suggest) const;
    // The shift [eV] of the block spectrum against the standard.
    double shiftOf(const Spectrum &block, const XafsSpectrum &standard,
                   const SuggestElm &suggest) const;
    // The same, in the scratch's buffers.
    double shiftOf(const Spectrum &block, const XafsSpectrum &standard, const SuggestElm &suggest,
                   Scratch &scratch) const;

    bool innerProduct;   // else dMidx
    double range;        // inner P.: search range, first step and smallest step [eV]
    double step;
    double minStep;
    int targetMode;      // background lines of the block spectra: 1 straight, 0 Victoreen
};

#endif
