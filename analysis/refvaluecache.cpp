#include "analysis/refvaluecache.h"

#include <QDebug>

#include <algorithm>
#include <cmath>

namespace {

double offsetOf(const Spectrum &s)
{
    return s.useOffset ? s.offset : 0.0;
}

bool sameSpectrum(const Spectrum &a, const Spectrum &b)
{
    return a.points.constData() == b.points.constData() && a.points.size() == b.points.size() &&
           a.useOffset == b.useOffset && a.offset == b.offset;
}

} // namespace

void RefValueCache::begin(const std::vector<double> &e)
{
    if (e != energy || int(entries.size()) >= MaxEntries) {
        energy = e;
        entries.clear();
    }
}

const std::vector<double> &RefValueCache::values(const Spectrum &source, double add,
                                                 const std::vector<char> &want, bool nanLine)
{
    for (const Entry &entry : entries) {
        if (sameSpectrum(entry.source, source) && entry.add == add && entry.want == want)
            return entry.values;
    }
    entries.push_back({source, add, want, std::vector<double>()});
    Entry &entry = entries.back();
    const double off = offsetOf(source);
    std::vector<double> x(energy.size());
    for (size_t i = 0; i < energy.size(); i++) {
        const double e = energy[i] + add;
        if (nanLine && want[i] && std::isnan(e))
            qDebug() << "nan EeV in XafsSpectrum::doubleNormalizedPreBase";
        x[i] = e + off;
    }
    valuesAt(source, x, want, entry.values);
    return entry.values;
}

void RefValueCache::valuesAt(const Spectrum &s, const std::vector<double> &x,
                             const std::vector<char> &want, std::vector<double> &out)
{
    out.assign(x.size(), 0.0);
    const QPointF *p = s.points.constData();
    const int n = s.points.size();
    const bool ascending = std::is_sorted(s.points.cbegin(), s.points.cend(),
                                          [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); });
    if (n < 2 || !ascending) {
        for (size_t i = 0; i < x.size(); i++)
            if (want[i])
                out[i] = s.y(x[i]);
        return;
    }
    // The segment of q is the last one that starts at or below it, the
    // first below the first point, the last above the last point.
    const double off = offsetOf(s);
    auto X = [p, off](int i) { return p[i].x() - off; };
    const char *use = want.data();
    const double *q = x.data();
    double *y = out.data();
    int lo = 0;
    for (size_t i = 0; i < x.size(); i++) {
        if (!use[i])
            continue;
        if (X(lo) > q[i])
            lo = 0;
        while (lo < n - 2 && X(lo + 1) <= q[i])
            lo++;
        const double x0 = X(lo), x1 = X(lo + 1), y0 = p[lo].y(), y1 = p[lo + 1].y();
        y[i] = x1 == x0 ? (y0 + y1) / 2 : (y1 - y0) / (x1 - x0) * (q[i] - x0) + y0;
    }
}
