// The Fourier correlation diagnostic: for every Fourier index of the raw block
// spectra, how the block intensity of I1 frame 0 and that Fourier magnitude
// follow each other over the analysis area, written to the debug log.
#include "mainwindow/body.h"

#include <QDebug>
#include <cmath>

#include "core/globals.h"
#include "imagedata/tiffdata.h"

Body::FourierSums Body::fourierSums(AnalyzeCond walker)
{
    FourierSums sums;
    const int frames = i1Frames.size();
    if (frames < 1)
        return sums;
    fft.setSize(frames);
    if (fft.size() != frames) {
        qDebug() << "Fourier analysis: no transform of length" << frames;
        return sums;
    }
    sums.bb.fill(0.0, frames);
    sums.ab.fill(0.0, frames);
    const TiffData *first = i1Frames.first();
    const int hw = walker.halfW;
    const int hh = walker.halfH;
    // One transform per block serves every index; each index's sums still
    // add up the blocks in walk order.
    walker.reset();
    do {
        const double a = first ? first->boxSum(walker.x, walker.y, hw, hh) : 0.0;
        fft.forward(rawSpectrumAtPoint(walker.x, walker.y, hw, hh));
        const double *magnitude = fft.magnitude();
        sums.aa += a * a;
        double *bb = sums.bb.data();
        double *ab = sums.ab.data();
        for (int k = 0; k < frames; k++) {
            const double b = magnitude[k];
            bb[k] += b * b;
            ab[k] += a * b;
        }
    } while (walker.next());
    return sums;
}

void Body::execFourierA()
{
    if (i1Frames.isEmpty())
        return;
    logDebug("2da FA 1:");
    // Every index walks the same area: without one, no index has a line.
    AnalyzeCond walker;
    if (!askAnalyzeCond(walker))
        return;
    const FourierSums sums = fourierSums(walker);
    for (int k = 0; k < sums.bb.size(); k++) {
        qDebug() << "Res" << k << sums.aa << sums.bb[k] << sums.ab[k]
                 << sums.ab[k] / std::sqrt(std::fabs(sums.aa * sums.bb[k]));
    }
}
