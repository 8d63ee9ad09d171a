#include <QVector>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "imagedata/spectrumsource.h"
#include "imagedata/tiffdata.h"
#include "support/imagefixtures.h"

namespace {

// The spectrum of one box as the pixel rule and the I0 stack give it, point
// by point through addPoint: the reference the row of boxes is held to.
Spectrum boxByBox(const SpectrumSource &s, const QVector<TiffData *> &i0, int x, int y, int hw,
                  int hh)
{
    Spectrum sp;
    const qint64 a = qAbs(hw), b = qAbs(hh);
    if (x + a < 0 || y + b < 0 || x - a >= s.width || y - b >= s.height)
        return sp;
    const double n = double(2 * a + 1) * double(2 * b + 1);
    const double dark = s.dark ? s.dark->boxSum(x, y, hw, hh) : 0.0;
    for (int i = 0; i < s.i1.size(); i++) {
        const TiffData *f = s.i1[i];
        if (!f)
            continue;
        const double d1 = dark * s.darkScale1, d0 = dark * s.darkScale0;
        const double I1 = f->boxSum(x, y, hw, hh) - (s.i1DarkOn ? s.i1DarkMeans[i] * n + d1 : d1);
        const double I0 = s.useI0 ? boxSumAtEnergy(i0, f->energy, x, y, hw, hh)
                                        - (s.i0DarkOn ? s.i0DarkMeans[i] * n + d0 : d0)
                                  : n;
        sp.addPoint(f->energy, s.fluo ? I1 / I0 : (I0 * I1 > 0 ? std::log(I0 / I1) : 1.0));
    }
    return sp;
}

// Rows of boxes built together, with the buffers and spectra of earlier rows
// of other sizes reused, equal box by box what the pixel rule gives: the same
// points to the bit and the same range, for one-pixel and 3 x 3 boxes, boxes
// at and past the edges, shifted frames, a missing frame, a float frame, dark
// levels and an I0 stack interpolated and extrapolated at the I1 energies.
TEST(SpectrumSourceRows, EqualTheSpectraOfSingleBoxes)
{
    const int w = 9, h = 6;
    std::vector<std::unique_ptr<TiffData>> own;
    auto frame = [&](int seed, double e, int dx, int dy) {
        own.emplace_back(ImageFixtures::frame16(w, h, [seed](int x, int y) {
            return 500 + (x * 37 + y * 101 + seed * 53) % 400;
        }));
        own.back()->energy = e;
        own.back()->shiftX = dx;
        own.back()->shiftY = dy;
        return own.back().get();
    };
    SpectrumSource s;
    s.width = w;
    s.height = h;
    s.i1 = {frame(1, 100, 0, 0), frame(2, 101, 2, 0), nullptr, frame(3, 103, -3, 1),
            frame(4, 104, 0, -1)};
    own.emplace_back(ImageFixtures::floatFrame(w, h, [](int x, int y) { return 700.25f + x - y; }));
    own.back()->energy = 105;
    s.i1 << own.back().get();
    const QVector<TiffData *> i0{frame(5, 100.5, 0, 0), frame(6, 102, 1, 0), frame(7, 103, 0, 0)};
    for (const TiffData *f : i0)
        s.i0ByEnergy << f;
    s.dark = frame(8, 0, 0, 0);
    s.darkScale1 = 0.01;
    s.darkScale0 = 0.02;
    s.i1DarkMeans = {3, 4, 5, 6, 7, 8};
    s.i0DarkMeans = {1, 2, 1, 2, 1, 2};
    s.prepare();

    SpectrumSource::Sums sums;
    std::vector<Spectrum> out(7);
    // A spectrum handed on from an earlier row keeps its points.
    Spectrum kept;
    for (bool ratio : {false, true}) {
        s.fluo = s.useI0 = s.i1DarkOn = s.i0DarkOn = !ratio;
        // Rows with boxes off the image, and one-pixel boxes all on it.
        const std::vector<std::vector<int>> rows{{-2, -1, 0, 4, 8, 9, 12}, {-1, 0, 3, 8, 9}, {0, 3, 8},
                                                 {-2, -1, 0, 4, 8, 9, 12}, {1, 3, 8}};
        for (int r = 0; r < int(rows.size()); r++) {
            const int half = r % 3 == 0 ? 1 : 0;
            for (int y : {0, 3, 5, 6, -2}) {
                SCOPED_TRACE(testing::Message() << "fluo " << ratio << " row " << r << " y " << y);
                const std::vector<int> &xs = rows[size_t(r)];
                const int count = int(xs.size());
                out[0].smoothed = {1.0, 2.0};
                const Spectrum before = out[2];
                kept = out[2];
                s.rowSpectra(xs.data(), count, y, half, half, out.data(), sums);
                EXPECT_EQ(kept.points, before.points);
                for (int k = 0; k < count; k++) {
                    const Spectrum want = boxByBox(s, i0, xs[size_t(k)], y, half, half);
                    const Spectrum &got = out[size_t(k)];
                    EXPECT_EQ(got.points.size(), want.points.size()) << k;
                    for (int i = 0; i < want.points.size() && i < got.points.size(); i++) {
                        EXPECT_EQ(got.points[i].x(), want.points[i].x());
                        EXPECT_EQ(got.points[i].y(), want.points[i].y()) << k << " " << i;
                    }
                    EXPECT_TRUE(got.smoothed.isEmpty());
                    EXPECT_EQ(got.xMin, want.xMin);
                    EXPECT_EQ(got.xMax, want.xMax);
                    EXPECT_EQ(got.yMin, want.yMin);
                    EXPECT_EQ(got.yMax, want.yMax);
                    EXPECT_EQ(got.iYMin, want.iYMin);
                    EXPECT_EQ(got.iYMax, want.iYMax);
                    // The single-box call is the same.
                    EXPECT_EQ(s.spectrum(xs[size_t(k)], y, half, half).points, want.points);
                }
            }
        }
    }
}

} // namespace
