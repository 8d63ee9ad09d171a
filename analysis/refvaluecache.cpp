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
    bool nan = false;
    for (size_t i = 0; i < energy.size(); i++) {
        const double e = energy[i] + add;
        nan = nan || (want[i] && std::isnan(e));
        x[i] = e + off;
    }
    if (nanLine && nan)
        qDebug() << "nan EeV in XafsSpectrum::doubleNormalizedPreBase";
    valuesAt(source, x, want, entry.values);
    return entry.values;
}

void RefValueCache::valuesAt(const Spectrum &s, const std::vector<double> &x,
                             const std::vector<char> &want, std::vector<double> &out)
{
    out.resize(x.size());
    s.valuesAt(x.data(), want.data(), int(x.size()), out.data());
}
