#ifndef REFVALUECACHE_H
#define REFVALUECACHE_H

#include <deque>
#include <vector>

#include "core/spectrum.h"

// Values of reference spectra at the energies of a sample, kept from one fit
// to the next: a map run fits block after block against the same references
// at the same energies. An entry keeps a copy of its source spectrum, whose
// point vector is shared with the caller's, so a source with the same point
// vector is the same, unchanged spectrum.
class RefValueCache
{
public:
    // Starts a fit at these sample energies; entries made for other
    // energies are dropped.
    void begin(const std::vector<double> &energy);
    // Spectrum::y of source at (energy[i] + add) plus the source's own offset
    // for every i with want[i], 0 elsewhere. With nanLine, wanted NaN
    // energies + add write the debug line of the reference lookups once per
    // call, not once per energy. The reference stays valid until the next begin.
    const std::vector<double> &values(const Spectrum &source, double add,
                                      const std::vector<char> &want, bool nanLine);
    int entryCount() const { return int(entries.size()); }

    // Spectrum::y of s at x[i] for every i with want[i], 0 elsewhere. The
    // points are walked while the queries ascend instead of a bisection per
    // query; the segments and the arithmetic are those of Spectrum::y.
    static void valuesAt(const Spectrum &s, const std::vector<double> &x,
                         const std::vector<char> &want, std::vector<double> &out);

private:
    struct Entry
    {
        Spectrum source;
        double add;
        std::vector<char> want;
        std::vector<double> values;
    };
    static const int MaxEntries = 64;

    std::vector<double> energy;
    std::deque<Entry> entries;   // references to values stay valid as entries are added
};

#endif
