#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "analysis/spectrumfit.h"
#include "support/testfiles.h"

namespace {

// A spectrum whose points, normalised forms and jump are set as given: x
// and y the raw points and both normalised forms.
XafsSpectrum made(const std::vector<double> &x, const std::function<double(double)> &y,
                  double shift = 0.0)
{
    XafsSpectrum s;
    Spectrum pre;
    for (const double e : x) {
        s.addPoint(e, y(e));
        pre.addPoint(e, y(e));
    }
    s.doubleNormalizedPreBase = pre;
    s.doubleNormalizedPostBase = pre;
    s.dMut = 1.0;
    s.shift = shift;
    return s;
}

std::vector<double> grid(double from, double step, int count)
{
    std::vector<double> x;
    for (int i = 0; i < count; i++)
        x.push_back(from + i * step);
    return x;
}

double edge(double x, double at)
{
    return 0.5 * (1 + std::tanh((x - at) / 2.0)) + 0.2 * std::exp(-std::pow((x - at - 4) / 3.0, 2));
}

// The residual as its definition reads: the fitted curve read by Spectrum::y
// at the sample's inner points in the fit range, each deviation relative
// to the sample's value, 1 where that is 0.
double plainResidual(const XafsSpectrum &s, const Spectrum &curve, double lo, double hi)
{
    const Spectrum &pre = s.doubleNormalizedPreBase;
    double sum = 0.0;
    int counted = 0;
    for (int j = 1; j + 1 < pre.count(); j++) {
        const double x = pre.xAt(j);
        if (!(lo <= x && x <= hi))
            continue;
        const double yj = pre.points[j].y();
        const double d = (curve.y(x + 0.0) - yj) / yj;
        sum += yj != 0.0 ? d * d : 1.0;
        counted++;
    }
    return counted ? sum / counted / s.count() : 0.0;
}

} // namespace

// Fits of block after block with one scratch, as an area run makes them, give
// bit for bit what a fresh scratch gives and the residual the curve gives when
// read point by point: on the references' energies and off them (a shifted
// sample), with a reference narrower than the sample, a sample with a zero,
// for every kind, and through curves whose slopes overflow.
TEST(SpectrumFit, KeptPartsGiveTheFitOfAFreshStart)
{
    const std::vector<double> x = grid(7000, 2, 151);
    QVector<LcfRefData> refs(2);
    refs[0] = {true, made(x, [](double e) { return edge(e, 7110); }), 0.0};
    refs[1] = {true, made(grid(7010, 2, 140), [](double e) { return edge(e, 7125); }), 0.0};
    const double sE0 = 7004, eE0 = 7260;
    const double lo = 7010, hi = 7260;
    auto mix = [](double a) {
        return [a](double e) { return a * edge(e, 7110) + (1 - a) * edge(e, 7125) + 0.01 * std::sin(e); };
    };
    std::vector<XafsSpectrum> samples;
    samples.push_back(made(x, mix(0.3)));
    samples.push_back(made(x, mix(0.6)));
    samples.push_back(made(x, mix(0.6), 0.7));     // energies between the references' points
    samples.push_back(made(x, mix(0.2), -1.3));
    samples.push_back(made(x, [&](double e) { return e == 7100 ? 0.0 : mix(0.5)(e); }));
    samples.push_back(made(grid(7001, 2, 151), mix(0.4)));
    samples.push_back(made(x, mix(0.9)));
    for (const SpectrumFit::Kind kind : {SpectrumFit::Lcf, SpectrumFit::LcfOld, SpectrumFit::Mlcf}) {
        SpectrumFit::Scratch kept;
        for (size_t k = 0; k < samples.size(); k++) {
            const XafsSpectrum &s = samples[k];
            SpectrumFit::Scratch fresh;
            QString why;
            const FitAnswer a = SpectrumFit::fit(kind, s, refs, 2, sE0, eE0, SuggestElm(), fresh, &why);
            ASSERT_EQ(a.failure, nullptr) << why.toStdString();
            ASSERT_TRUE(a.hasCurve);
            EXPECT_TRUE(sameBits(a.zansa, plainResidual(s, a.curve, lo, hi)))
                << kind << " " << k << " " << a.zansa;
            EXPECT_EQ(SpectrumFit::fitValues(kind, s, refs, 2, sE0, eE0, kept, &why), nullptr);
            ASSERT_EQ(kept.fractions.size(), 2u);
            for (int r = 0; r < 2; r++) {
                EXPECT_TRUE(sameBits(kept.fractions[size_t(r)], a.fractions[r])) << kind << " " << k;
                EXPECT_TRUE(sameBits(kept.amounts[size_t(r)], a.amounts[r])) << kind << " " << k;
            }
            EXPECT_TRUE(sameBits(kept.zansa, a.zansa)) << kind << " " << k;
        }
    }

    // Fractions near 1e10 on references a step of 1e-300 apart: the
    // curve's slopes overflow, Spectrum::y reads NaN there and the residual
    // is not finite.
    const std::vector<double> fine = grid(1e-298, 1e-300, 40);
    auto byIndex = [&fine](const std::function<double(int)> &f) {
        return [&fine, f](double e) { return f(int(std::lround((e - fine[0]) / 1e-300))); };
    };
    auto r0 = [](int i) { return double(i % 2); };
    auto r1 = [](int i) { return 1.0 + 0.1 * i; };
    QVector<LcfRefData> sharp(2);
    sharp[0] = {true, made(fine, byIndex(r0)), 0.0};
    sharp[1] = {true, made(fine, byIndex(r1)), 0.0};
    const XafsSpectrum steep = made(fine, byIndex([&](int i) { return 1e10 * r0(i) + 2e10 * r1(i); }));
    SpectrumFit::Scratch kept, fresh;
    QString why;
    EXPECT_EQ(SpectrumFit::fitValues(SpectrumFit::LcfOld, samples[0], refs, 2, sE0, eE0, kept, &why), nullptr);
    const char *failure = SpectrumFit::fitValues(SpectrumFit::LcfOld, steep, sharp, 2, 0.0, 1.0, kept, &why);
    ASSERT_NE(failure, nullptr);
    EXPECT_STREQ(failure, "residual not finite");
    EXPECT_STREQ(SpectrumFit::fitValues(SpectrumFit::LcfOld, steep, sharp, 2, 0.0, 1.0, fresh, &why), failure);
}

// The edge position searched with a scratch kept from block to block
// follows a comparison spectrum changed at the same address.
TEST(SpectrumFit, EdgeSearchWithAKeptScratchFollowsTheComparison)
{
    const std::vector<double> x = grid(7000, 0.5, 601);
    XafsSpectrum ref = made(x, [](double e) { return edge(e, 7120); });
    ref.midx = 7120;
    XafsSpectrum s = made(x, [](double e) { return edge(e, 7123); });
    s.midx = 7123;
    SpectrumFit::Scratch kept;
    QString why;
    for (const double at : {7120.0, 7116.0, 7120.0}) {
        ref = made(x, [at](double e) { return edge(e, at); });
        ref.midx = at;
        const double plain = SpectrumFit::edgePosition(s, SuggestElm(), false, ref, 10, 1, 0.01, &why);
        EXPECT_NEAR(plain, 7123 - at, 0.05);
        EXPECT_TRUE(sameBits(SpectrumFit::edgePosition(s, SuggestElm(), false, ref, 10, 1, 0.01, kept, &why),
                             plain)) << at;
    }
}
