#include "imagedata/spectrumsource.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <vector>

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

// Pixels in the box as the box sums take it: 2|h| + 1 per side.
double boxPixels(int hw, int hh)
{
    return double(2 * qAbs(qint64(hw)) + 1) * double(2 * qAbs(qint64(hh)) + 1);
}

} // namespace

SpectrumSource::Frame SpectrumSource::taken(const TiffData *f)
{
    Frame t;
    t.data = f;
    if (f) {
        t.energy = f->energy;
        t.dx = f->shiftX;
        t.dy = f->shiftY;
    }
    return t;
}

void SpectrumSource::Frame::boxSums(const int *xs, int count, int y, int hw, int hh, double *out) const
{
    if (data)
        data->boxSums(xs, count, y, hw, hh, dx, dy, out);
    else
        std::fill(out, out + count, 0.0);
}

void SpectrumSource::prepare()
{
    i1Frames.clear();
    i0Frames.clear();
    for (const TiffData *f : qAsConst(i1))
        i1Frames << taken(f);
    for (const TiffData *f : qAsConst(i0ByEnergy))
        i0Frames << taken(f);
    darkFrame = taken(dark);
    brackets.fill(Bracket(), i1.size());
    const int n = i0Frames.size();
    for (int i = 0; i < i1.size(); i++) {
        Bracket &b = brackets[i];
        if (n == 0)
            continue;
        if (n == 1) {
            b.lo = b.hi = 0;
            continue;
        }
        const double e = i1Frames[i].energy;
        if (e < i0Frames[0].energy) {
            b.lo = 0;
            b.hi = 1;
        } else if (e >= i0Frames[n - 1].energy) {
            b.lo = n - 2;
            b.hi = n - 1;
        } else {
            int lo = 0, hi = n - 1;
            while (lo + 1 < hi) {
                const int mid = (lo + hi) / 2;
                if (e >= i0Frames[mid].energy)
                    lo = mid;
                else
                    hi = mid;
            }
            b.lo = lo;
            b.hi = hi;
        }
    }
    QVector<char> read(n, 0);
    for (int i = 0; i < i1Frames.size(); i++) {
        if (i1Frames[i].data && brackets[i].lo >= 0)
            read[brackets[i].lo] = read[brackets[i].hi] = 1;
    }
    i0Read.clear();
    for (int j = 0; j < n; j++) {
        if (read[j])
            i0Read << j;
    }
}

Spectrum SpectrumSource::spectrum(int x, int y, int hw, int hh) const
{
    Spectrum sp;
    rowSpectra(&x, 1, y, hw, hh, &sp);
    return sp;
}

void SpectrumSource::rowSpectra(const int *xs, int count, int y, int hw, int hh, Spectrum *out) const
{
    Sums sums;
    rowSpectra(xs, count, y, hw, hh, out, sums);
}

void SpectrumSource::rowSpectra(const int *xs, int count, int y, int hw, int hh, Spectrum *out,
                                Sums &sums) const
{
    if (count <= 0)
        return;
    const size_t m = size_t(count);
    const double n = boxPixels(hw, hh);
    int frames = 0;
    for (const Frame &f : i1Frames)
        frames += f.data ? 1 : 0;
    sums.dark.assign(m, 0.0);
    sums.on.assign(m, 0);
    darkFrame.boxSums(xs, count, y, hw, hh, sums.dark.data());
    // A box reaching the image takes the pixels inside it; its points are
    // written in place and its range taken once they are all there.
    const qint64 a = qAbs(qint64(hw)), b = qAbs(qint64(hh));
    std::vector<QPointF *> &at = sums.points;
    at.assign(m, nullptr);
    for (int k = 0; k < count; k++) {
        out[k].clearPoints();
        out[k].reset();
        sums.on[size_t(k)] = xs[k] + a >= 0 && y + b >= 0 && xs[k] - a < width && y - b < height;
        if (sums.on[size_t(k)]) {
            out[k].points.resize(frames);
            at[size_t(k)] = out[k].points.data();
        }
    }
    // The box sums of the I0 frames the brackets read, once per box.
    const bool readI0 = useI0 && !useTable;
    if (readI0) {
        sums.i0.resize(size_t(i0Frames.size()) * m);
        for (int j : i0Read)
            i0Frames[j].boxSums(xs, count, y, hw, hh, sums.i0.data() + size_t(j) * m);
    }
    sums.i1.resize(m);
    const double *darkSums = sums.dark.data();
    const char *on = sums.on.data();
    double *i1Sums = sums.i1.data();
    int point = 0;
    for (int i = 0; i < i1Frames.size(); i++) {
        const Frame &frame = i1Frames[i];
        if (!frame.data)
            continue;
        const Bracket b = i < brackets.size() ? brackets[i] : Bracket();
        const double mean1 = i1DarkOn ? darkMeanAt(i1DarkMeans, i) : 0.0;
        const double mean0 = i0DarkOn ? darkMeanAt(i0DarkMeans, i) : 0.0;
        const double table = useTable ? (i < tableI0.size() ? tableI0[i] : 0.0) : 0.0;
        const double *lo = b.lo >= 0 && readI0 ? sums.i0.data() + size_t(b.lo) * m : nullptr;
        const double *hi = b.hi >= 0 && readI0 ? sums.i0.data() + size_t(b.hi) * m : nullptr;
        const double eLo = b.lo >= 0 ? i0Frames[b.lo].energy : 0.0;
        const double eHi = b.hi >= 0 ? i0Frames[b.hi].energy : 0.0;
        frame.boxSums(xs, count, y, hw, hh, i1Sums);
        for (int k = 0; k < count; k++) {
            if (!on[k])
                continue;
            const double darkSum = darkSums[k];
            const double dark1 = darkSum * darkScale1;
            const double dark0 = darkSum * darkScale0;
            const double d1 = i1DarkOn ? mean1 * n + dark1 : dark1;
            const double d0 = i0DarkOn ? mean0 * n + dark0 : dark0;
            const double I1 = i1Sums[k] - d1;
            double I0 = n;
            if (useTable) {
                I0 = table;
            } else if (useI0) {
                // The I0 box sum at this frame's energy, interpolated between its bracket.
                double i0Box = 1.0;
                if (b.lo >= 0 && b.lo == b.hi)
                    i0Box = lo[k];
                else if (b.lo >= 0)
                    i0Box = linearInterpolate(frame.energy, eLo, lo[k], eHi, hi[k]);
                I0 = i0Box - d0;
            }
            double v;
            if (fluo)
                v = I1 / I0;
            else
                v = I0 * I1 > 0 ? std::log(I0 / I1) : 1.0;
            at[size_t(k)][point] = QPointF(frame.energy, v);
        }
        point++;
    }
    for (int k = 0; k < count; k++) {
        if (on[k])
            out[k].rescanRange();
    }
}
