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

// The points of a row of boxes at one frame: x the frame's energy, y for
// ln(I0 / I1) the ratio I0 / I1, or -1 where I0 * I1 is not positive (made
// the value by logs()), else I1 / I0 itself.
struct Row
{
    int count;
    int point;
    double e;
    const double *i1;
    const double *dark1;
    double m1n;
    bool darkOn1;
    const char *on;
    QPointF *const *at;
    // One-pixel boxes all inside a 16-bit frame: the box sums read from its row.
    const int *xs;
    const quint16 *pixels;
    int dx;

    // Every: every box is on the image; Direct: the sums are the pixels.
    template <bool Every, bool Log, bool Direct, typename I0Of> void write(I0Of i0Of) const
    {
        // Locals, which the stores below can not change.
        const int n = count, j = point, shift = dx;
        const double x = e, m = m1n;
        const bool darkOn = darkOn1;
        const double *sums = i1, *d1 = dark1;
        const char *inside = on;
        const int *cx = xs;
        const quint16 *row = pixels;
        QPointF *const *to = at;
        for (int k = 0; k < n; k++) {
            if (!Every && !inside[k])
                continue;
            const double sum = Direct ? double(qint64(row[cx[k] - shift])) : sums[k];
            const double I1 = sum - (darkOn ? m + d1[k] : d1[k]);
            const double I0 = i0Of(k);
            double v;
            if (!Log)
                v = I1 / I0;
            else
                v = I0 * I1 > 0 ? I0 / I1 : -1.0;
            to[k][j] = QPointF(x, v);
        }
    }
};

// The values of a box's points from what Row wrote; their y range is added
// to range, which holds their x range, and all of it stored in s.
template <bool Log> void finishPoints(Spectrum &s, Spectrum::RangeScan range)
{
    QPointF *p = s.points.data();
    const int n = s.points.size();
    for (int i = 0; i < n; i++) {
        double v = p[i].y();
        if (Log) {
            v = v < 0 ? 1.0 : std::log(v);
            p[i].setY(v);
        }
        range.addY(i, v);
    }
    range.storeIn(s);
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
        t.width = f->width;
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

void SpectrumSource::Frame::boxSums(const quint16 *row, int x0, int x1, const int *xs, int count,
                                    int y, int hw, int hh, double *out) const
{
    if (row && covers(x0, x1)) {
        for (int k = 0; k < count; k++)
            out[k] = double(qint64(row[xs[k] - dx]));
        return;
    }
    boxSums(xs, count, y, hw, hh, out);
}

void SpectrumSource::Frame::prefetch(int x0, int x1, int y, int hw, int hh) const
{
    if (data)
        data->prefetchBand(x0, x1, y, hw, hh, dx, dy);
}

void SpectrumSource::Frame::prefetch(const quint16 *row, int x0, int x1, int y, int hw, int hh) const
{
    if (!row) {
        prefetch(x0, x1, y, hw, hh);
        return;
    }
    const qint64 c0 = qBound<qint64>(0, qint64(x0) - dx, width - 1);
    const qint64 c1 = qBound<qint64>(0, qint64(x1) - dx, width - 1);
    __builtin_prefetch(row + c0);
    __builtin_prefetch(row + c1);
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

void SpectrumSource::takeRows(int y, int hw, int hh, Sums &sums) const
{
    const bool nil = hw == 0 && hh == 0;
    auto take = [&](const QVector<Frame> &frames, std::vector<const quint16 *> &rows) {
        rows.assign(size_t(frames.size()), nullptr);
        for (int i = 0; nil && i < frames.size(); i++) {
            if (frames[i].data)
                rows[size_t(i)] = frames[i].data->pixels16(qint64(y) - frames[i].dy);
        }
    };
    take(i1Frames, sums.rows1);
    take(i0Frames, sums.rows0);
}

void SpectrumSource::rowSpectra(const int *xs, int count, int y, int hw, int hh, Spectrum *out,
                                Sums &sums) const
{
    takeRows(y, hw, hh, sums);
    partSpectra(xs, count, y, hw, hh, out, sums);
}

void SpectrumSource::rowSpectra(const int *xs, int count, int y, int hw, int hh, int part,
                                Spectrum *out, Sums &sums,
                                const std::function<bool(int, int)> &use) const
{
    takeRows(y, hw, hh, sums);
    part = qMax(part, 1);
    for (int first = 0; first < count; first += part) {
        const int n = qMin(part, count - first);
        partSpectra(xs + first, n, y, hw, hh, out, sums);
        if (!use(first, n))
            return;
    }
}

void SpectrumSource::partSpectra(const int *xs, int count, int y, int hw, int hh, Spectrum *out,
                                 Sums &sums) const
{
    if (count <= 0)
        return;
    const size_t m = size_t(count);
    const double n = boxPixels(hw, hh);
    // The x range of every box on the image, as rescanning its points would take it.
    int frames = 0;
    Spectrum::RangeScan xRange;
    for (const Frame &f : i1Frames) {
        if (!f.data)
            continue;
        frames++;
        xRange.addX(f.energy);
    }
    sums.dark.assign(m, 0.0);
    darkFrame.boxSums(xs, count, y, hw, hh, sums.dark.data());
    // A box reaching the image takes the pixels inside it; its points are
    // written in place, frame by frame, then finished box by box.
    const qint64 ha = qAbs(qint64(hw)), hb = qAbs(qint64(hh));
    sums.on.resize(m);
    sums.points.resize(m);
    bool allOn = true;
    for (int k = 0; k < count; k++) {
        Spectrum &s = out[k];
        s.reset();
        if (!s.smoothed.isEmpty())
            s.smoothed.resize(0);
        const bool on = xs[k] + ha >= 0 && y + hb >= 0 && xs[k] - ha < width && y - hb < height;
        sums.on[size_t(k)] = on;
        allOn = allOn && on;
        // Steady state: the points keep their size and room; each is written below.
        if (on && s.points.size() != frames)
            s.points.resize(frames);
        else if (!on && !s.points.isEmpty())
            s.points.resize(0);
        sums.points[size_t(k)] = on ? s.points.data() : nullptr;
    }
    // The box sums of the I0 frames the brackets read, once per box.
    const bool readI0 = useI0 && !useTable;
    // Each frame's band is asked for a few frames ahead of its sums.
    const int Ahead = 8;
    const int xFirst = *std::min_element(xs, xs + count), xLast = *std::max_element(xs, xs + count);
    if (readI0) {
        sums.i0.resize(size_t(i0Frames.size()) * m);
        const quint16 *const *rows = sums.rows0.data();
        auto ask = [&](int j) {
            const int f = i0Read[j];
            i0Frames[f].prefetch(rows[f], xFirst, xLast, y, hw, hh);
        };
        for (int j = 0; j < Ahead && j < i0Read.size(); j++)
            ask(j);
        for (int j = 0; j < i0Read.size(); j++) {
            if (j + Ahead < i0Read.size())
                ask(j + Ahead);
            const int f = i0Read[j];
            i0Frames[f].boxSums(rows[f], xFirst, xLast, xs, count, y, hw, hh,
                                sums.i0.data() + size_t(f) * m);
        }
    }
    sums.i1.resize(m);
    // The dark level of each box as each stack's exposure takes it.
    sums.dark1.resize(m);
    sums.dark0.resize(m);
    for (size_t k = 0; k < m; k++) {
        sums.dark1[k] = sums.dark[k] * darkScale1;
        sums.dark0[k] = sums.dark[k] * darkScale0;
    }
    const double *dark1 = sums.dark1.data();
    const double *dark0 = sums.dark0.data();
    const char *on = sums.on.data();
    QPointF *const *at = sums.points.data();
    double *i1Sums = sums.i1.data();
    const bool darkOn1 = i1DarkOn, darkOn0 = i0DarkOn, ratio = fluo;
    const bool nil = hw == 0 && hh == 0;
    int point = 0;
    const quint16 *const *rows = sums.rows1.data();
    for (int i = 0; i < Ahead && i < i1Frames.size(); i++)
        i1Frames[i].prefetch(rows[i], xFirst, xLast, y, hw, hh);
    for (int i = 0; i < i1Frames.size(); i++) {
        const Frame &frame = i1Frames[i];
        if (i + Ahead < i1Frames.size())
            i1Frames[i + Ahead].prefetch(rows[i + Ahead], xFirst, xLast, y, hw, hh);
        if (!frame.data)
            continue;
        const Bracket b = i < brackets.size() ? brackets[i] : Bracket();
        const double m1n = (darkOn1 ? darkMeanAt(i1DarkMeans, i) : 0.0) * n;
        const double m0n = (darkOn0 ? darkMeanAt(i0DarkMeans, i) : 0.0) * n;
        const double table = useTable ? (i < tableI0.size() ? tableI0[i] : 0.0) : 0.0;
        const double *lo = b.lo >= 0 && readI0 ? sums.i0.data() + size_t(b.lo) * m : nullptr;
        const double *hi = b.hi >= 0 && readI0 ? sums.i0.data() + size_t(b.hi) * m : nullptr;
        const double e = frame.energy;
        const double eLo = b.lo >= 0 ? i0Frames[b.lo].energy : 0.0;
        const double eHi = b.hi >= 0 ? i0Frames[b.hi].energy : 0.0;
        // One-pixel boxes wholly inside a 16-bit frame read its row in place.
        const quint16 *pixels = nil && allOn ? rows[i] : nullptr;
        const bool direct = pixels && frame.covers(xFirst, xLast);
        if (!direct)
            frame.boxSums(xs, count, y, hw, hh, i1Sums);
        // The points of the boxes at this frame, given the I0 of box k.
        const Row row{count, point, e, i1Sums, dark1, m1n, darkOn1, on, at, xs, pixels, frame.dx};
        auto mode = [&](auto i0Of) {
            if (direct && !ratio)
                row.write<true, true, true>(i0Of);
            else if (direct)
                row.write<true, false, true>(i0Of);
            else if (allOn && !ratio)
                row.write<true, true, false>(i0Of);
            else if (allOn)
                row.write<true, false, false>(i0Of);
            else if (!ratio)
                row.write<false, true, false>(i0Of);
            else
                row.write<false, false, false>(i0Of);
        };
        auto d0 = [=](int k) { return darkOn0 ? m0n + dark0[k] : dark0[k]; };
        if (useTable)
            mode([=](int) { return table; });
        else if (!useI0)
            mode([=](int) { return n; });
        else if (b.lo >= 0 && b.lo == b.hi)
            mode([=](int k) { return lo[k] - d0(k); });
        else if (b.lo >= 0)
            // The I0 box sum at this frame's energy, interpolated between its bracket.
            mode([=](int k) { return linearInterpolate(e, eLo, lo[k], eHi, hi[k]) - d0(k); });
        else
            mode([=](int k) { return 1.0 - d0(k); });
        point++;
    }
    for (int k = 0; k < count; k++) {
        if (!on[k])
            continue;
        if (ratio)
            finishPoints<false>(out[k], xRange);
        else
            finishPoints<true>(out[k], xRange);
    }
}
