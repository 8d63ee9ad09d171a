#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "core/xafsspectrum.h"
#include "support/testfiles.h"

#include <QMetaType>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// An atan edge at 8985 eV on falling lines; preSlope / postSlope set the
// slopes of the two sides (per eV).
Spectrum atanEdge(double edge = 8985.0, double preSlope = -0.001, double postSlope = -0.0015)
{
    Spectrum s;
    for (int i = 0; i <= 200; i++) {
        const double e = 8900.0 + i;
        s.addPoint(e, 0.5 + preSlope * (e - 8900) + 0.5 + std::atan((e - edge) / 2) / M_PI +
                          (postSlope - preSlope) * std::max(0.0, e - edge));
    }
    return s;
}

void expectDerivedFinite(const XafsSpectrum &x)
{
    for (const Spectrum *d : {&x.normalized, &x.doubleNormalizedPreBase, &x.normalizedPostBase,
                              &x.doubleNormalizedPostBase}) {
        ASSERT_EQ(d->count(), x.count());
        for (const QPointF &p : d->points)
            ASSERT_TRUE(std::isfinite(p.y())) << "at " << p.x();
    }
    EXPECT_TRUE(std::isfinite(x.midx));
    EXPECT_TRUE(std::isfinite(x.dMut));
}

} // namespace

TEST(XafsNormalize, SyntheticEdgeStraightLines)
{
    const XafsSpectrum x(atanEdge(), "synthetic", 1);
    EXPECT_NEAR(x.midx, 8985.01, 0.005);
    EXPECT_NEAR(x.dMut, 0.92495, 5e-6);
    EXPECT_FALSE(x.noisyMidx);
    EXPECT_FALSE(x.outOfRangeMidx);
    EXPECT_TRUE(x.pre.fitOk);
    EXPECT_TRUE(x.post.fitOk);
    // The steepest smoothed rise starts at 8984 eV: the guess; windows end 10 eV off it.
    EXPECT_EQ(x.pre.fitLo, 8900.0);
    EXPECT_EQ(x.pre.fitHi, 8984.0 - 10.0);
    EXPECT_EQ(x.post.fitLo, 8984.0 + 10.0);
    EXPECT_EQ(x.post.fitHi, 9100.0);

    // Derived spectra at one point, by their definitions.
    const int i = 150;
    const double e = x.points[i].x(), y = x.points[i].y();
    const double p = x.pre.valueAt(e), q = x.post.valueAt(e);
    EXPECT_DOUBLE_EQ(x.normalized.points[i].y(), (y - q) / x.dMut + 1);
    EXPECT_DOUBLE_EQ(x.normalizedPostBase.points[i].y(), (y - q) / x.dMut);
    EXPECT_DOUBLE_EQ(x.doubleNormalizedPreBase.points[i].y(), (y - p) / (q - p));
    EXPECT_DOUBLE_EQ(x.doubleNormalizedPostBase.points[i].y(), (y - q) / (q - p));
    EXPECT_NEAR(x.doubleNormalizedPreBaseAt(9050.0), 1.0, 0.02);
}

TEST(XafsNormalize, SyntheticEdgeVictoreenLines)
{
    XafsSpectrum x(atanEdge(), "synthetic", 0);
    EXPECT_EQ(x.mode, 0);
    EXPECT_NEAR(x.midx, 8985.0, 0.05);
    EXPECT_GT(x.dMut, 0.8);
    EXPECT_LT(x.dMut, 1.0);
    EXPECT_EQ(x.pre.linear, 0);
    EXPECT_FALSE(x.pre.cubicOn);
}

TEST(XafsNormalize, SecondNormalisationGivesSameResult)
{
    // Rising pre-edge, falling post-edge: the pre-edge line gets a correction;
    // the opposite slopes correct the post-edge line.
    for (double slope : {0.003, -0.003}) {
        XafsSpectrum x(atanEdge(8985.0, slope, -slope), "corrected", 1);
        ASSERT_TRUE(slope > 0 ? x.pre.cubicOn : x.post.cubicOn);
        const double midx = x.midx, dMut = x.dMut;
        const VictLine pre = x.pre, post = x.post;
        x.normalize(1);
        EXPECT_EQ(x.midx, midx);
        EXPECT_EQ(x.dMut, dMut);
        EXPECT_EQ(x.pre.c, pre.c);
        EXPECT_EQ(x.post.c, post.c);
        EXPECT_EQ(x.pre.count(), pre.count());
        EXPECT_EQ(x.post.count(), post.count());
        EXPECT_EQ(std::max(x.pre.count(), x.post.count()), 100);
        EXPECT_EQ(x.pre.points, pre.points);
        EXPECT_EQ(x.post.points, post.points);
    }
}

TEST(XafsNormalize, EmptySpectrum)
{
    XafsSpectrum x(Spectrum(), "empty", 1);
    EXPECT_EQ(x.normalizeIfNotEmpty(1), 0);
    EXPECT_EQ(x.midx, 0.0);
    EXPECT_EQ(x.name, QString("empty"));
    EXPECT_TRUE(x.normalized.isEmpty());
}

TEST(XafsNormalize, FallingSpectrumKeepsGuess)
{
    Spectrum s;
    for (int i = 0; i < 100; i++)
        s.addPoint(7000 + 2 * i, 2.0 - 0.01 * i);
    XafsSpectrum x(s, "falling", 1);
    EXPECT_EQ(x.midx, 7000.0);
    EXPECT_TRUE(x.noisyMidx);
    expectDerivedFinite(x);
}

TEST(XafsNormalize, ZeroJumpAndEqualLinesGiveFiniteDerived)
{
    Spectrum flat;
    for (int i = 0; i < 50; i++)
        flat.addPoint(8000 + i, 0.0);
    XafsSpectrum x(flat, "flat", 1);
    EXPECT_EQ(x.dMut, 0.0);
    expectDerivedFinite(x);
    for (const QPointF &p : x.normalized.points)
        EXPECT_EQ(p.y(), 0.0);

    Spectrum two;
    two.addPoint(1, 1);
    two.addPoint(2, 1);
    expectDerivedFinite(XafsSpectrum(two, "two", 1));
    Spectrum one;
    one.addPoint(1, 1);
    expectDerivedFinite(XafsSpectrum(one, "one", 0));

    // Energies down to 0 and below: Victoreen lines have no value there.
    Spectrum low;
    for (int i = -20; i <= 20; i++)
        low.addPoint(i, i < 0 ? 0.1 : 1.0);
    expectDerivedFinite(XafsSpectrum(low, "low", 0));
    expectDerivedFinite(XafsSpectrum(low, "low", 1));
}

TEST(XafsNormalize, OffsetMovesEdgeByOffset)
{
    const XafsSpectrum plain(atanEdge(), "plain", 1);
    Spectrum s = atanEdge();
    s.useOffset = true;
    s.offset = 5.0;
    const XafsSpectrum shifted(s, "offset", 1);
    EXPECT_NEAR(shifted.midx, plain.midx - 5.0, 1e-6);
    EXPECT_NEAR(shifted.dMut, plain.dMut, 1e-6);
    EXPECT_DOUBLE_EQ(shifted.normalized.points[0].x(), 8895.0);
}

TEST(XafsFindMidx, EqualNeighbouringLevelsStayFinite)
{
    XafsSpectrum x;
    for (int i = 0; i < 9; i++)
        x.addPoint(i, 0.0);
    x.smoothed = {0, 0, 0, 0.2, 0.2, 0.2, 1, 1, 1};
    x.pre.linear = x.post.linear = 1;
    x.pre.c = 0.0;
    x.post.c = 1.0;  // level 0.5 everywhere
    x.midx = 3.0;
    // Candidate 5: S(4) = S(5) leaves the first estimate undefined; the other two remain.
    EXPECT_NEAR(x.findMidx(), (5.375 + 4.75) / 2, 1e-12);
    EXPECT_FALSE(x.noisyMidx);

    x.smoothed = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(x.findMidx(), 3.0);
    EXPECT_TRUE(x.noisyMidx);
}

TEST(XafsSuggestion, EdgeOutsideWindow)
{
    SuggestElm se;
    se.use = true;
    se.edgeEV = 8985.0;
    const XafsSpectrum x(atanEdge(9015.0), "far", 1, 0.0, se);
    EXPECT_TRUE(x.outOfRangeMidx);
    EXPECT_FALSE(x.noisyMidx);
    EXPECT_EQ(x.midx, 8985.0);
    EXPECT_EQ(x.dMut, 0.0);
    EXPECT_EQ(x.preEnd, -20.0);
    EXPECT_EQ(x.postStart, 20.0);
}

TEST(XafsSuggestion, NoisyJump)
{
    // A jump of 0.4 with alternating noise of 0.5 on one or both sides.
    auto noisy = [](bool preNoise, bool postNoise) {
        Spectrum s;
        for (int i = 0; i <= 200; i++) {
            const double e = 8900.0 + i;
            const double noise = (i % 2) ? -0.5 : 0.5;
            s.addPoint(e, 0.4 * (0.5 + std::atan((e - 8985) / 2) / M_PI) +
                              ((e < 8985 ? preNoise : postNoise) ? noise : 0.0));
        }
        return s;
    };
    SuggestElm se;
    se.use = true;
    se.edgeEV = 8985.0;
    const XafsSpectrum both(noisy(true, true), "both", 1, 0.0, se);
    EXPECT_TRUE(both.noisyMidx);
    EXPECT_FALSE(both.outOfRangeMidx);
    EXPECT_EQ(both.midx, 8985.0);
    EXPECT_EQ(both.dMut, 0.0);

    const XafsSpectrum one(noisy(true, false), "one", 1, 0.0, se);
    EXPECT_FALSE(one.noisyMidx);
    EXPECT_FALSE(one.outOfRangeMidx);
    EXPECT_GT(one.dMut, 0.3);
}

TEST(XafsShift, BestShiftFindsKnownShift)
{
    const XafsSpectrum ref(atanEdge(), "ref", 1);
    const XafsSpectrum sample(atanEdge(8988.3), "sample", 1);
    EXPECT_NEAR(sample.score(3.3, ref), 1.0, 1e-3);
    EXPECT_GT(sample.score(3.3, ref), sample.score(0.0, ref));
    const double s = sample.bestShift(ref, 5.0, 1.0, 0.01);
    EXPECT_NEAR(s, 3.3, 0.02);

    EXPECT_EQ(sample.bestShift(ref, 5.0, 0.001, 0.01), 0.0);
    EXPECT_EQ(sample.bestShift(ref, 5.0, 1.0, 0.0), 0.0);  // would never end
    EXPECT_EQ(sample.score(0.0, XafsSpectrum()), 0.0);

    // A tiny typed step is cut short with a log line, and still finds the shift.
    DebugCapture log;
    QElapsedTimer t;
    t.start();
    EXPECT_NEAR(sample.bestShift(ref, 5.0, 1e-7, 1e-7), 3.3, 0.02);
    EXPECT_LT(t.elapsed(), 20000);
    EXPECT_TRUE(log.messages().join("\n").contains("bestShift: search cut")) << log.messages().join("\n").toStdString();
}

// The score against a reference with a repeated energy and an offset, for
// shifts that move the sample past both of its ends, bit for bit as the
// reference's interpolation at each shifted energy gives it.
TEST(XafsShift, ScoreIsTheInnerProductOfTheInterpolatedReference)
{
    Spectrum r = atanEdge(8990.0);
    r.points[120].setX(r.points[119].x());
    // Also equal x at both ends with lookups past the first, and all x equal.
    std::vector<XafsSpectrum> refs{XafsSpectrum(r, "ref", 1), XafsSpectrum(r, "ends", 1),
                                   XafsSpectrum(r, "flat", 1)};
    QVector<QPointF> &p = refs[1].doubleNormalizedPreBase.points;
    p[1].setX(p[0].x());
    p[p.size() - 2].setX(p.back().x());
    for (QPointF &q : refs[2].doubleNormalizedPreBase.points)
        q.setX(8990.0);
    refs[2].xMin = 8980.0;
    refs[2].xMax = 9000.0;
    for (int k : {0, 1}) {
        refs[size_t(k)].doubleNormalizedPreBase.useOffset = true;
        refs[size_t(k)].doubleNormalizedPreBase.offset = k == 0 ? 0.75 : -0.75;
    }
    // The second sample's energies fall back once, the third's hold a NaN.
    Spectrum back = atanEdge(8987.0);
    std::swap(back.points[40], back.points[41]);
    Spectrum withNaN = atanEdge(8987.0);
    withNaN.points[60].setX(std::numeric_limits<double>::quiet_NaN());
    const std::vector<XafsSpectrum> samples{XafsSpectrum(atanEdge(8987.0), "sample", 1),
                                            XafsSpectrum(back, "back", 1), XafsSpectrum(withNaN, "nan", 1)};
    for (size_t pair = 0; pair < refs.size() * samples.size(); pair++) {
        const XafsSpectrum &ref = refs[pair / samples.size()];
        const XafsSpectrum &sample = samples[pair % samples.size()];
        const Spectrum &d = ref.doubleNormalizedPreBase;
        const int n = sample.count();
        for (double shift = -130.0; shift <= 130.0; shift += 0.37) {
            std::vector<double> q(static_cast<size_t>(n)), b(static_cast<size_t>(n));
            std::vector<char> want(static_cast<size_t>(n));
            for (int i = 0; i < n; i++) {
                const double e = sample.points[i].x() - shift;
                want[size_t(i)] = e >= ref.xMin && e <= ref.xMax;
                q[size_t(i)] = d.useOffset ? e + d.offset : e;
            }
            d.valuesAt(q.data(), want.data(), n, b.data());
            double aa = 0, bb = 0, ab = 0;
            for (int i = 0; i < n; i++) {
                if (!want[size_t(i)])
                    continue;
                const double a = sample.doubleNormalizedPreBase.points[i].y();
                aa += a * a;
                bb += b[size_t(i)] * b[size_t(i)];
                ab += a * b[size_t(i)];
            }
            const double want0 = aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
            ASSERT_TRUE(sameBits(sample.score(shift, ref), want0))
                << ref.name.toStdString() << " " << sample.name.toStdString() << " " << shift;
        }
    }

    // One scratch serves search after search, also of one spectrum renewed in place.
    XafsSpectrum::ShiftScratch kept;
    XafsSpectrum renewed;
    for (double edge : {8987.0, 8993.5, 8984.25}) {
        renewed.renew(atanEdge(edge), "renewed", 1, 0.0, SuggestElm(), XafsSpectrum::DerivedPreBase);
        const XafsSpectrum fresh(atanEdge(edge), "fresh", 1);
        EXPECT_EQ(renewed.bestShift(refs[0], 8.0, 1.0, 0.01, kept), fresh.bestShift(refs[0], 8.0, 1.0, 0.01)) << edge;
    }
}

TEST(XafsCopy, CopiesShareStorageAndRegisterAsMetaType)
{
    const XafsSpectrum x(atanEdge(), "orig", 1);
    XafsSpectrum copy(x);
    EXPECT_EQ(copy.points.constData(), x.points.constData());
    EXPECT_EQ(copy.doubleNormalizedPreBase.points.constData(),
              x.doubleNormalizedPreBase.points.constData());
    EXPECT_EQ(copy.midx, x.midx);
    EXPECT_EQ(copy.name, x.name);

    XafsSpectrum assigned;
    assigned = x;
    EXPECT_EQ(assigned.normalized.points.constData(), x.normalized.points.constData());

    qRegisterMetaType<XafsSpectrum>("XafsSpectrum");
    qRegisterMetaType<SuggestElm>("SuggestElm");
    const QVariant v = QVariant::fromValue(x);
    EXPECT_EQ(v.value<XafsSpectrum>().midx, x.midx);
    EXPECT_NE(QMetaType::type("SuggestElm"), int(QMetaType::UnknownType));
}

TEST(XafsRealData, EdgeOfIronOxides)
{
    for (const char *file : {"spectra/fe2o3_rt1.dat", "spectra/feo_rt1.dat"}) {
        for (int mode : {1, 0}) {
            XafsSpectrum x;
            x.mode = mode;
            ASSERT_TRUE(x.loadAndNormalize(sourceDataPath(file))) << file;
            EXPECT_EQ(x.count(), 412);
            EXPECT_GT(x.midx, 7115.0) << file << " mode " << mode;
            EXPECT_LT(x.midx, 7130.0) << file << " mode " << mode;
            EXPECT_GT(x.dMut, 0.0) << file << " mode " << mode;
            EXPECT_FALSE(x.noisyMidx);
            expectDerivedFinite(x);
        }
    }
}

namespace {

void expectSameSpectrum(const Spectrum &a, const Spectrum &b, const char *what)
{
    SCOPED_TRACE(what);
    ASSERT_EQ(a.count(), b.count());
    for (int i = 0; i < a.count(); i++) {
        ASSERT_TRUE(sameBitsOrNaN(a.points[i].x(), b.points[i].x())) << i;
        ASSERT_TRUE(sameBitsOrNaN(a.points[i].y(), b.points[i].y())) << i;
    }
    ASSERT_EQ(a.smoothed.size(), b.smoothed.size());
    for (int i = 0; i < a.smoothed.size(); i++)
        ASSERT_TRUE(sameBitsOrNaN(a.smoothed[i], b.smoothed[i])) << i;
    EXPECT_TRUE(sameBitsOrNaN(a.xMin, b.xMin) && sameBitsOrNaN(a.xMax, b.xMax));
    EXPECT_TRUE(sameBitsOrNaN(a.yMin, b.yMin) && sameBitsOrNaN(a.yMax, b.yMax));
    EXPECT_EQ(a.iYMin, b.iYMin);
    EXPECT_EQ(a.iYMax, b.iYMax);
    EXPECT_EQ(a.useOffset, b.useOffset);
}

void expectSameLine(const VictLine &a, const VictLine &b, const char *what)
{
    SCOPED_TRACE(what);
    EXPECT_EQ(a.fitOk, b.fitOk);
    for (auto f : {&VictLine::c, &VictLine::b, &VictLine::a, &VictLine::slope, &VictLine::sigma,
                   &VictLine::fitLo, &VictLine::fitHi})
        EXPECT_TRUE(sameBitsOrNaN(a.*f, b.*f));
    EXPECT_EQ(a.nPoints, b.nPoints);
    EXPECT_EQ(a.cubicOn, b.cubicOn);
    EXPECT_EQ(a.cubicAbove, b.cubicAbove);
    EXPECT_EQ(a.controlPoints, b.controlPoints);
    expectSameSpectrum(a, b, "stored curve");
}

// Every field a caller reads, to the bit.
void expectSameXafs(const XafsSpectrum &a, const XafsSpectrum &b)
{
    EXPECT_TRUE(sameBitsOrNaN(a.midx, b.midx));
    EXPECT_TRUE(sameBitsOrNaN(a.dMut, b.dMut));
    EXPECT_EQ(a.noisyMidx, b.noisyMidx);
    EXPECT_EQ(a.outOfRangeMidx, b.outOfRangeMidx);
    EXPECT_EQ(a.shift, b.shift);
    expectSameSpectrum(a, b, "spectrum");
    expectSameLine(a.pre, b.pre, "pre");
    expectSameLine(a.post, b.post, "post");
    expectSameSpectrum(a.normalized, b.normalized, "normalized");
    expectSameSpectrum(a.doubleNormalizedPreBase, b.doubleNormalizedPreBase, "preBase");
    expectSameSpectrum(a.normalizedPostBase, b.normalizedPostBase, "postBase");
    expectSameSpectrum(a.doubleNormalizedPostBase, b.doubleNormalizedPostBase, "doublePostBase");
}

} // namespace

// One spectrum renewed block after block (its vectors keep their room) must
// equal a new one for every input and choice of derived spectra; the lines
// fitted over their windows' runs must equal the full scans.
TEST(XafsNormalize, RenewedAndWindowedEqualTheFullWork)
{
    std::vector<Spectrum> inputs;
    for (double slope : {0.0, 0.003, -0.003})  // no correction, pre corrected, post corrected
        inputs.push_back(atanEdge(8985.0, slope, -slope));
    Spectrum offset = atanEdge();
    offset.useOffset = true;
    offset.offset = 12.5;
    inputs.push_back(offset);
    Spectrum twice;  // every energy twice
    for (const QPointF &p : atanEdge().points) {
        twice.addPoint(p.x(), p.y());
        twice.addPoint(p.x(), p.y() + 0.01);
    }
    inputs.push_back(twice);
    Spectrum falling;  // energies descend
    const Spectrum edge = atanEdge();
    for (int i = edge.count() - 1; i >= 0; i--)
        falling.addPoint(edge.points[i].x(), edge.points[i].y());
    inputs.push_back(falling);
    Spectrum gap = atanEdge();
    gap.points[60].setX(NAN);
    inputs.push_back(gap);
    Spectrum nearZero;  // E <= 0 for a Victoreen line
    for (int i = 0; i < 40; i++)
        nearZero.addPoint(-10.0 + i, 1.0 + (i > 20 ? 1.0 : 0.0) + 0.01 * i);
    inputs.push_back(nearZero);
    for (int n = 0; n <= 3; n++) {
        Spectrum few;
        for (int i = 0; i < n; i++)
            few.addPoint(8980.0 + 5 * i, i);
        inputs.push_back(few);
    }

    SuggestElm on;
    on.use = true;
    on.edgeEV = 8985.5;  // the window's ends lie on mid points
    on.dPreE = -10.0;
    on.dPostS = 15.0;
    XafsSpectrum renewed;
    int compared = 0;
    for (int round = 0; round < 2; round++) {
        for (size_t k = 0; k < inputs.size(); k++) {
            for (int derived : {0, int(XafsSpectrum::DerivedPreBase), int(XafsSpectrum::DerivedAll),
                                XafsSpectrum::DerivedNormalized | XafsSpectrum::DerivedPostBase}) {
                for (int mode : {1, 0}) {
                    const SuggestElm &se = k % 2 ? on : SuggestElm();
                    SCOPED_TRACE(testing::Message() << "input " << k << " derived " << derived
                                                    << " mode " << mode << " round " << round);
                    renewed.renew(inputs[k], "r", mode, 0.5, se, derived);
                    const XafsSpectrum fresh(inputs[k], "r", mode, 0.5, se, derived);
                    expectSameXafs(renewed, fresh);
                    if (fresh.count() == 0 || !fresh.lookupsAscend() || round > 0)
                        continue;
                    // Both lines at every guess, over the runs and over every point.
                    for (int g = 0; g < fresh.count(); g += 7) {
                        XafsSpectrum run = fresh, scan = fresh;
                        EXPECT_EQ(run.fitPrePost(fresh.xAt(g), mode, true),
                                  scan.fitPrePost(fresh.xAt(g), mode, false));
                        expectSameLine(run.pre, scan.pre, "pre at a guess");
                        expectSameLine(run.post, scan.post, "post at a guess");
                    }
                    compared++;
                }
            }
        }
        std::reverse(inputs.begin(), inputs.end());  // the vectors shrink and grow
    }
    EXPECT_GT(compared, 30);
}

// With a suggestion the edge is guessed at the steepest rise of the smoothed
// data between the first mid point above each end of the window; ends that
// fall on mid points and repeated energies included.
TEST(XafsSuggestion, GuessWithinWindowEndingOnMidPoints)
{
    struct Case
    {
        std::vector<double> x, y;
        double preE, postS;
        int from, to;  // the rises i -> i + 1 for from <= i < to
    };
    // Steeper rises just outside the window on both sides.
    const Case cases[] = {
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
         {-10, 0, 0, 0, 0, 10, 11, 12, 13, 14, 40, 40, 40}, -2.5, 1.5, 3, 7},  // mids 2.5, 6.5
        {{0, 1, 2, 2, 2, 3, 4, 5, 5, 6, 7, 8, 9},
         {0, -10, 0, 0, 0, 0, 10, 11, 12, 13, 14, 40, 40}, -3.0, 0.0, 4, 8},  // mids 2, 5 repeated
    };
    for (const Case &c : cases) {
        Spectrum s;
        for (size_t i = 0; i < c.x.size(); i++)
            s.addPoint(c.x[i], c.y[i]);
        SuggestElm se;
        se.use = true;
        se.edgeEV = 5.0;
        se.dPreE = c.preE;
        se.dPostS = c.postS;
        const XafsSpectrum x(s, "window", 1, 0.0, se);
        // The guess as the pre-edge window's end shows it; the window matters.
        auto steepest = [&x](int from, int to) {
            int best = 0;
            double bestRise = 0.0;
            for (int i = from; i < to; i++) {
                if (x.smoothed[i + 1] - x.smoothed[i] > bestRise) {
                    bestRise = x.smoothed[i + 1] - x.smoothed[i];
                    best = i;
                }
            }
            return best;
        };
        const int g = steepest(c.from, c.to);
        ASSERT_NE(steepest(c.from - 1, c.to), g);
        ASSERT_NE(steepest(c.from, c.to + 1), g);
        EXPECT_EQ(x.pre.fitHi, x.xAt(g) + c.preE);
    }
}
