#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <limits>
#include <memory>

#include "core/colorscale.h"
#include "imagedata/imageshift.h"
#include "imagedata/tiffdata.h"
#include "support/imagefixtures.h"

namespace {

const double SmallestNormal = 2.2250738585072014e-308;

// A bright square of side 12 at (x0, y0) whose border rises over three pixels.
TiffData *squareFrame(int x0, int y0)
{
    return ImageFixtures::frame16(48, 40, [=](int x, int y) {
        const int in = std::min(std::min(x - x0 + 1, x0 + 12 - x), std::min(y - y0 + 1, y0 + 12 - y));
        return in <= 0 ? 10 : 10 + 1000 * std::min(in, 3) / 3;
    });
}

ProcImage image(int w, int h, const std::vector<double> &values)
{
    ProcImage p(w, h);
    p.data = values;
    p.updateRange();
    return p;
}

ProcImage binaryOf(const TiffData &frame)
{
    ProcImage edge;
    EXPECT_TRUE(ImageShift::edgeImage(frame, edge));
    return ImageShift::binarize(edge, edge.max / 2);
}

TEST(ImageShiftEdges, StepEdgeConstantAndZeroFrames)
{
    // A vertical step from 0 to 10 between columns 2 and 3; outside reads 0.
    std::unique_ptr<TiffData> step(ImageFixtures::frame16(6, 5, [](int x, int) { return x >= 3 ? 10 : 0; }));
    ProcImage edge;
    ASSERT_TRUE(ImageShift::edgeImage(*step, edge));
    const std::vector<double> row2 = {0, 0, 30, 30, 0, 30};
    for (int x = 0; x < 6; x++)
        EXPECT_EQ(edge.at(x, 2), row2[size_t(x)]) << x;
    EXPECT_EQ(edge.at(3, 0), 20.0);
    EXPECT_EQ(edge.at(4, 0), 30.0);
    const ProcImage bin = ImageShift::binarize(edge, 15);
    const std::vector<double> binRow2 = {0, 0, 1, 1, 0, 1};
    for (int x = 0; x < 6; x++)
        EXPECT_EQ(bin.at(x, 2), binRow2[size_t(x)]) << x;
    EXPECT_EQ(ImageShift::binarize(edge, 30).max, SmallestNormal);   // strictly above

    std::unique_ptr<TiffData> flat(ImageFixtures::frame16(5, 4, [](int, int) { return 7; }));
    ASSERT_TRUE(ImageShift::edgeImage(*flat, edge));
    EXPECT_EQ(edge.at(2, 1), 0.0);
    EXPECT_EQ(edge.at(0, 0), 14.0);
    EXPECT_EQ(edge.at(2, 0), 21.0);

    std::unique_ptr<TiffData> zero(ImageFixtures::frame16(4, 4, [](int, int) { return 0; }));
    ASSERT_TRUE(ImageShift::edgeImage(*zero, edge));
    EXPECT_EQ(edge.max, SmallestNormal);
    EXPECT_EQ(ImageShift::binarize(edge, 0).max, SmallestNormal);
}

TEST(ImageShiftScore, CorrelationOfTheMovedImageAndItsOverlay)
{
    ProcImage a(10, 10), b(10, 10);
    a.data[15] = 1;   // (5, 1)
    b.data[32] = 1;   // (2, 3)
    EXPECT_DOUBLE_EQ(ImageShift::matchScore(a, a, 0, 0), 1.0);
    // Shift (3, -2) compares binary(x - 3, y + 2) with reference(x, y).
    EXPECT_EQ(ImageShift::matchScore(a, b, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(ImageShift::matchScore(a, b, 3, -2), 1.0);
    EXPECT_EQ(ImageShift::matchScore(a, a, 10, 0), 0.0);
    EXPECT_EQ(ImageShift::matchScore(a, a, INT_MIN, INT_MAX), 0.0);
    EXPECT_EQ(ImageShift::matchScore(a, ProcImage(10, 10), 0, 0), 0.0);
    EXPECT_FALSE(ImageShift::comparable(&a, nullptr));
    EXPECT_FALSE(ImageShift::comparable(nullptr, &b));
    const ProcImage small(3, 1);
    EXPECT_FALSE(ImageShift::comparable(&a, &small));

    // x = 0 has no partner (blue), then both set, reference only, binary only.
    const ProcImage ref = image(4, 2, {1, 1, 1, 0, 0, 0, 0, 0});
    const ProcImage bin = image(4, 2, {1, 0, 1, 0, 0, 0, 0, 0});
    QImage out;
    const ImageShift::Sums s = ImageShift::overlay(ref, bin, 1, 0, out);
    ASSERT_EQ(out.size(), QSize(4, 2));
    const QRgb row0[4] = {qRgb(0, 0, 255), qRgb(255, 255, 0), qRgb(255, 0, 0), qRgb(0, 255, 0)};
    for (int x = 0; x < 4; x++)
        EXPECT_EQ(out.pixel(x, 0), row0[x]) << x;
    EXPECT_EQ(out.pixel(2, 1), qRgb(0, 0, 0));
    EXPECT_EQ(s.sa, 2.0);
    EXPECT_EQ(s.sb, 2.0);
    EXPECT_EQ(s.sab, 1.0);
    EXPECT_DOUBLE_EQ(s.score(), ImageShift::matchScore(ref, bin, 1, 0));
}

TEST(ImageShiftSearch, FindsTheShiftOfABrightSquare)
{
    // The square moves by (+3, -2), so the binary image matches at (-3, +2).
    std::unique_ptr<TiffData> first(squareFrame(14, 16)), second(squareFrame(17, 14));
    const ProcImage ref = binaryOf(*first), bin = binaryOf(*second);
    const ImageShift::SearchResult r = ImageShift::search(ref, bin, 0, 0, 0.0);
    EXPECT_EQ(r.dx, -3);
    EXPECT_EQ(r.dy, 2);
    EXPECT_DOUBLE_EQ(r.score, 1.0);
    EXPECT_FALSE(r.stoppedAtLimit);

    const ImageShift::SearchResult one = ImageShift::search(ref, bin, 0, 0, 0.0, 1);
    EXPECT_TRUE(one.stoppedAtLimit);
    EXPECT_EQ(std::max(std::abs(one.dx), std::abs(one.dy)), 1);
}

} // namespace
