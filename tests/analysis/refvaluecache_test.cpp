#include <gtest/gtest.h>

#include <cmath>

#include "analysis/refvaluecache.h"

namespace {

Spectrum curve(const std::vector<double> &xs)
{
    Spectrum s;
    for (double x : xs)
        s.addPoint(x, std::sin(x / 7.0) + 0.01 * x);
    return s;
}

} // namespace

TEST(RefValueCache, LookupGivesSpectrumYBitForBit)
{
    Spectrum stepped = curve({10, 11, 12.5, 12.5, 14, 20, 21});
    stepped.points[3].setY(5.0);   // a step at the doubled point
    Spectrum shifted = stepped;
    shifted.useOffset = true;
    shifted.offset = 1.75;
    // Below, on points, between, at the step, above, then back down; one not wanted.
    const std::vector<double> x = {5, 10, 10.3, 12.5, 13, 14, 20.5, 21, 30, 11.2, 10.1, 25};
    std::vector<char> want(x.size(), 1);
    want[4] = 0;
    for (const Spectrum &s : {stepped, shifted, curve({10, 14, 12, 20}), curve({12}), Spectrum()}) {
        std::vector<double> out;
        RefValueCache::valuesAt(s, x, want, out);
        for (size_t i = 0; i < x.size(); i++)
            EXPECT_EQ(out[i], want[i] ? s.y(x[i]) : 0.0) << x[i];
    }
}

TEST(RefValueCache, EntryKeptOnlyForTheSameSpectrumAndEnergies)
{
    RefValueCache cache;
    const std::vector<char> all(2, 1);
    Spectrum ref = curve({11, 12, 13, 14, 15});
    cache.begin({10.5, 13.0});
    const std::vector<double> first = cache.values(ref, 1.0, all, false);
    EXPECT_EQ(first, std::vector<double>({ref.y(11.5), ref.y(14.0)}));

    const Spectrum copy = ref;   // the same points, a later snapshot
    cache.begin({10.5, 13.0});
    EXPECT_EQ(cache.values(copy, 1.0, all, false), first);
    EXPECT_EQ(cache.entryCount(), 1);

    ref.points[0].setY(100.0);   // the row reloaded
    EXPECT_EQ(cache.values(ref, 1.0, all, false)[0], ref.y(11.5));
    EXPECT_EQ(cache.values(ref, 2.0, all, false)[0], ref.y(12.5));
    cache.begin({12.0, 13.0});
    EXPECT_EQ(cache.entryCount(), 0);
}
