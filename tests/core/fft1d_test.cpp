#include <cmath>
#include <gtest/gtest.h>

#include "core/fft1d.h"
#include "core/spectrum.h"

namespace {

Spectrum spectrumOf(const QVector<double> &ys)
{
    Spectrum s;
    for (int i = 0; i < ys.size(); i++)
        s.addPoint(7000.0 + i, ys[i]);
    return s;
}

TEST(Fft1D, EmptyObjectDoesNothing)
{
    Fft1D fft;
    EXPECT_EQ(fft.size(), 0);
    EXPECT_EQ(fft.magnitude(), nullptr);
    fft.setSize(0);
    fft.setSize(-3);
    EXPECT_EQ(fft.size(), 0);
    const double data[2] = {1, 2};
    fft.forward(data);
    fft.forward(spectrumOf({1, 2}));
    fftw_complex c[1] = {{1, 0}};
    fft.inverse(c);
    EXPECT_EQ(fft.magnitude(), nullptr);
    EXPECT_EQ(fft.forwardOutput(), nullptr);

    // Cleared after use: empty again.
    fft.setSize(4);
    EXPECT_NE(fft.magnitude(), nullptr);
    fft.clear();
    EXPECT_EQ(fft.size(), 0);
    EXPECT_EQ(fft.magnitude(), nullptr);
}

TEST(Fft1D, ConstantSpectrumHasOnlyBinZero)
{
    Fft1D fft;
    fft.setSize(64);
    fft.forward(spectrumOf(QVector<double>(64, -2.5)));
    const double *m = fft.magnitude();
    ASSERT_NE(m, nullptr);
    EXPECT_NEAR(m[0], 64 * 2.5, 1e-9);
    for (int k = 1; k < 64; k++)
        EXPECT_NEAR(m[k], 0.0, 1e-9) << k;

    // A magnitude read before any transform is zero, not garbage.
    Fft1D fresh;
    fresh.setSize(8);
    const double *z = fresh.magnitude();
    for (int k = 0; k < 8; k++)
        EXPECT_EQ(z[k], 0.0);
}

TEST(Fft1D, ShortSpectrumIsZeroPadded)
{
    // A single 1 followed by zeros: every bin has magnitude 1.
    Fft1D fft;
    fft.setSize(16);
    fft.forward(spectrumOf({1.0}));
    const double *m = fft.magnitude();
    for (int k = 0; k < 16; k++)
        EXPECT_NEAR(m[k], 1.0, 1e-12) << k;

    // Points beyond the length are not read.
    fft.forward(spectrumOf(QVector<double>(40, 1.0)));
    EXPECT_NEAR(fft.magnitude()[0], 16.0, 1e-12);
}

TEST(Fft1D, KnownTransformAndInverse)
{
    const int n = 8;
    double x[n];
    for (int j = 0; j < n; j++)
        x[j] = std::cos(2 * M_PI * 2 * j / n);  // cosine of frequency 2
    Fft1D fft;
    fft.setSize(n);
    fft.forward(x);
    const double *m = fft.magnitude();
    for (int k = 0; k < n; k++)
        EXPECT_NEAR(m[k], (k == 2 || k == 6) ? n / 2.0 : 0.0, 1e-12) << k;

    // The backward transform is not divided by n.
    fft.inverse(fft.forwardOutput());
    for (int j = 0; j < n; j++) {
        EXPECT_NEAR(fft.inverseOutput()[j][0], n * x[j], 1e-9);
        EXPECT_NEAR(fft.inverseOutput()[j][1], 0.0, 1e-9);
    }
}

TEST(Fft1D, SameSizeKeepsBuffersNewSizeReplansThem)
{
    Fft1D fft;
    fft.setSize(32);
    const double *first = fft.magnitude();
    const fftw_complex *out = fft.forwardOutput();
    fft.setSize(32);
    EXPECT_EQ(fft.magnitude(), first);
    EXPECT_EQ(fft.forwardOutput(), out);

    // Repeated transforms on the kept plan give fresh results.
    fft.forward(spectrumOf(QVector<double>(32, 1.0)));
    EXPECT_NEAR(fft.magnitude()[0], 32.0, 1e-12);
    fft.forward(spectrumOf(QVector<double>(32, 3.0)));
    EXPECT_NEAR(fft.magnitude()[0], 96.0, 1e-12);

    fft.setSize(10);
    EXPECT_EQ(fft.size(), 10);
    fft.forward(spectrumOf(QVector<double>(10, 1.0)));
    EXPECT_NEAR(fft.magnitude()[0], 10.0, 1e-12);
    EXPECT_NEAR(fft.magnitude()[9], 0.0, 1e-12);
}

}  // namespace
