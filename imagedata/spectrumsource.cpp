#include "imagedata/spectrumsource.h"

#include <QtGlobal>
#include <cmath>

#include "core/globals.h"
#include "imagedata/tiffdata.h"

namespace {

// Per-pixel dark level of frame i; past the end of the list (an I1 index on
// a shorter I0 stack) the first mean.
double darkMeanAt(const QVector<double> &means, int i)
{
    if (means.isEmpty())
        return 0.0;
    return i < means.size() ? means[i] : means.first();
}

double energyOf(const TiffData *f)
{
    return f ? f->energy : 0.0;
}

// Pixels in the box as the box sums take it: 2|h| + 1 per side.
double boxPixels(int hw, int hh)
{
    return double(2 * qAbs(qint64(hw)) + 1) * double(2 * qAbs(qint64(hh)) + 1);
}

} // namespace

void SpectrumSource::prepare()
{
    brackets.resize(i1.size());
    const int n = i0ByEnergy.size();
    for (int i = 0; i < i1.size(); i++) {
        Bracket &b = brackets[i];
        if (n == 0)
            continue;
        if (n == 1) {
            b.lo = b.hi = 0;
            continue;
        }
        const double e = energyOf(i1[i]);
        if (e < energyOf(i0ByEnergy[0])) {
            b.lo = 0;
            b.hi = 1;
        } else if (e >= energyOf(i0ByEnergy[n - 1])) {
            b.lo = n - 2;
            b.hi = n - 1;
        } else {
            int lo = 0, hi = n - 1;
            while (lo + 1 < hi) {
                const int mid = (lo + hi) / 2;
                if (e >= energyOf(i0ByEnergy[mid]))
                    lo = mid;
                else
                    hi = mid;
            }
            b.lo = lo;
            b.hi = hi;
        }
    }
}

// The I0 box sum at frame i's energy, interpolated between its bracket.
double SpectrumSource::i0BoxAt(int i, int x, int y, int hw, int hh) const
{
    const Bracket b = i < brackets.size() ? brackets[i] : Bracket();
    if (b.lo < 0)
        return 1.0;
    auto sum = [&](int k) { return i0ByEnergy[k] ? i0ByEnergy[k]->boxSum(x, y, hw, hh) : 0.0; };
    if (b.lo == b.hi)
        return sum(b.lo);
    return linearInterpolate(energyOf(i1[i]), energyOf(i0ByEnergy[b.lo]), sum(b.lo),
                             energyOf(i0ByEnergy[b.hi]), sum(b.hi));
}

double SpectrumSource::darkBox(int x, int y, int hw, int hh) const
{
    return dark ? dark->boxSum(x, y, hw, hh) : 0.0;
}

double SpectrumSource::pointValue(int i, double darkSum, int x, int y, int hw, int hh, double n) const
{
    const double dark1 = darkSum * darkScale1;
    const double dark0 = darkSum * darkScale0;
    const double d1 = i1DarkOn ? darkMeanAt(i1DarkMeans, i) * n + dark1 : dark1;
    const double d0 = i0DarkOn ? darkMeanAt(i0DarkMeans, i) * n + dark0 : dark0;
    const double I1 = i1[i]->boxSum(x, y, hw, hh) - d1;
    double I0 = n;
    if (useTable)
        I0 = i < tableI0.size() ? tableI0[i] : 0.0;
    else if (useI0)
        I0 = i0BoxAt(i, x, y, hw, hh) - d0;
    if (fluo)
        return I1 / I0;
    return I0 * I1 > 0 ? std::log(I0 / I1) : 1.0;
}

Spectrum SpectrumSource::spectrum(int x, int y, int hw, int hh) const
{
    Spectrum sp;
    rowSpectra(&x, 1, y, hw, hh, &sp);
    return sp;
}

void SpectrumSource::rowSpectra(const int *xs, int count, int y, int hw, int hh, Spectrum *out) const
{
    const double n = boxPixels(hw, hh);
    QVector<double> darkSums(count);
    QVector<char> on(count);
    int frames = 0;
    for (const TiffData *f : i1)
        frames += f ? 1 : 0;
    for (int k = 0; k < count; k++) {
        out[k] = Spectrum();
        on[k] = xs[k] >= 0 && y >= 0 && xs[k] < width && y < height;
        if (on[k]) {
            darkSums[k] = darkBox(xs[k], y, hw, hh);
            out[k].points.reserve(frames);
        }
    }
    for (int i = 0; i < i1.size(); i++) {
        const TiffData *frame = i1[i];
        if (!frame)
            continue;
        for (int k = 0; k < count; k++) {
            if (on[k])
                out[k].addPoint(frame->energy, pointValue(i, darkSums[k], xs[k], y, hw, hh, n));
        }
    }
}
