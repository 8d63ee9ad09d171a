#include "imagedata/imageshift.h"

#include <QDebug>
#include <algorithm>
#include <cmath>
#include <limits>

#include "imagedata/tiffdata.h"
#include "imagedata/tiffdatalimits.h"

namespace {

const int NeighbourDx[8] = {1, 1, 1, 0, -1, -1, -1, 0};
const int NeighbourDy[8] = {1, 0, -1, -1, -1, 0, 1, 1};

// Columns x of the reference whose partner x - d lies in 0 .. n - 1.
void overlapRange(int refSize, int binSize, int d, qint64 &lo, qint64 &hi)
{
    lo = std::max<qint64>(0, d);
    hi = std::min<qint64>(refSize, qint64(binSize) + d);
}

int channel(double v)
{
    const double c = 255.0 * v;
    if (!(c > 0))   // also NaN
        return 0;
    return c < 255 ? int(c) : 255;
}

// Reads one stored row y, columns -1 .. w, without the frame's shift: a
// shift found is the frame's whole shift, whatever it held before.
void readRow(const TiffData &frame, int y, int w, std::vector<double> &row)
{
    for (int x = -1; x <= w; x++)
        row[size_t(x + 1)] = frame.storedValue(x, y);
}

} // namespace

double ImageShift::Sums::score() const
{
    const double p = sa * sb;
    return p > 0 ? sab / std::sqrt(p) : 0.0;
}

int ImageShift::clampShift(qint64 v)
{
    return int(qBound<qint64>(-MaxShift, v, MaxShift));
}

bool ImageShift::edgeImage(const TiffData &frame, ProcImage &out)
{
    out = ProcImage();
    const qint64 w64 = frame.width, h64 = frame.height;
    if (!TiffDataLimits::sizeAcceptable(w64, h64, frame.fileName))
        return false;
    const int w = int(w64), h = int(h64);
    ProcImage e(w, h);
    std::vector<double> above(size_t(w) + 2), here(size_t(w) + 2), below(size_t(w) + 2);
    readRow(frame, -1, w, above);
    readRow(frame, 0, w, here);
    for (int y = 0; y < h; y++) {
        readRow(frame, y + 1, w, below);
        double *row = e.data.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; x++) {
            const size_t l = size_t(x), c = l + 1, r = l + 2;   // columns x-1, x, x+1
            const double d1 = below[r] - above[l];
            const double d2 = above[r] - below[l];
            const double dx = here[r] - here[l];
            const double dy = below[c] - above[c];
            const double gx = std::fabs(dx + d1 + d2), gy = std::fabs(d1 - d2 + dy);
            // A NaN neighbour leaves the edge undefined, whichever gradient has it.
            row[x] = gx < gy ? gy : (gy <= gx ? gx : std::numeric_limits<double>::quiet_NaN());
        }
        std::swap(above, here);
        std::swap(here, below);
    }
    e.updateRange();
    out = std::move(e);
    return true;
}

ProcImage ImageShift::binarize(const ProcImage &edge, double threshold)
{
    if (!edge.isConsistent())
        return ProcImage();
    ProcImage b(edge.width, edge.height);
    for (size_t i = 0; i < b.data.size(); i++)
        b.data[i] = edge.data[i] > threshold ? 1.0 : 0.0;
    b.updateRange();
    return b;
}

bool ImageShift::comparable(const ProcImage *ref, const ProcImage *bin)
{
    if (!bin) {
        qDebug() << "no bin image";
        return false;
    }
    if (!ref) {
        qDebug() << "no ref bin image";
        return false;
    }
    if (bin->width != ref->width || bin->height != ref->height || !bin->isConsistent()
        || !ref->isConsistent()) {
        qDebug() << "size mis-match";
        return false;
    }
    return true;
}

ImageShift::Sums ImageShift::matchSums(const ProcImage &ref, const ProcImage &bin, int dx, int dy)
{
    Sums s;
    if (!ref.isConsistent() || !bin.isConsistent())
        return s;
    qint64 x0, x1, y0, y1;
    overlapRange(ref.width, bin.width, dx, x0, x1);
    overlapRange(ref.height, bin.height, dy, y0, y1);
    for (qint64 y = y0; y < y1; y++) {
        const double *a = ref.data.data() + size_t(y) * size_t(ref.width);
        const double *b = bin.data.data() + size_t(y - dy) * size_t(bin.width);
        for (qint64 x = x0; x < x1; x++) {
            const double va = a[x], vb = b[x - dx];
            s.sa += va * va;
            s.sb += vb * vb;
            s.sab += va * vb;
        }
    }
    return s;
}

double ImageShift::matchScore(const ProcImage &ref, const ProcImage &bin, int dx, int dy)
{
    return matchSums(ref, bin, dx, dy).score();
}

ImageShift::Sums ImageShift::overlay(const ProcImage &ref, const ProcImage &bin, int dx, int dy,
                                     QImage &out)
{
    Sums s;
    out = QImage();
    if (!ref.isConsistent() || !bin.isConsistent() || ref.isEmpty())
        return s;
    out = QImage(ref.width, ref.height, QImage::Format_RGB888);
    if (out.isNull()) {
        qDebug() << "can not allocate image" << ref.width << "x" << ref.height;
        return s;
    }
    qint64 x0, x1, y0, y1;
    overlapRange(ref.width, bin.width, dx, x0, x1);
    overlapRange(ref.height, bin.height, dy, y0, y1);
    for (int y = 0; y < ref.height; y++) {
        uchar *px = out.scanLine(y);
        const bool rowInside = y >= y0 && y < y1;
        const double *a = ref.data.data() + size_t(y) * size_t(ref.width);
        const double *b = rowInside ? bin.data.data() + size_t(y - dy) * size_t(bin.width)
                                    : nullptr;
        for (int x = 0; x < ref.width; x++, px += 3) {
            if (!rowInside || x < x0 || x >= x1) {
                px[0] = 0;
                px[1] = 0;
                px[2] = 255;
                continue;
            }
            const double va = a[x], vb = b[qint64(x) - dx];
            s.sa += va * va;
            s.sb += vb * vb;
            s.sab += va * vb;
            px[0] = uchar(channel(va));
            px[1] = uchar(channel(vb));
            px[2] = 0;
        }
    }
    return s;
}

ImageShift::SearchResult ImageShift::search(const ProcImage &ref, const ProcImage &bin, int x0,
                                            int y0, double best, int maxSteps)
{
    SearchResult r;
    int cx = clampShift(x0), cy = clampShift(y0);
    bool moved = false;
    while (r.steps < maxSteps) {
        int chosen = -1;
        for (int k = 0; k < 8; k++) {
            const double s = matchScore(ref, bin, cx + NeighbourDx[k], cy + NeighbourDy[k]);
            if (s > best) {
                best = s;
                chosen = k;
            }
        }
        moved = chosen >= 0;
        if (!moved)
            break;
        cx += NeighbourDx[chosen];
        cy += NeighbourDy[chosen];
        r.steps++;
    }
    r.stoppedAtLimit = moved && r.steps >= maxSteps;
    if (r.stoppedAtLimit)
        qDebug() << "shift search stopped after" << r.steps << "steps at" << cx << cy;
    r.dx = cx;
    r.dy = cy;
    r.score = best;
    return r;
}
