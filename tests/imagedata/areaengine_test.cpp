// The area engine over a small stack: walk order, the spectra it builds,
// stops and the blocking run.
#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

#include "imagedata/areaengine.h"
#include "imagedata/tiffdata.h"
#include "support/imagefixtures.h"
#include "support/waitfor.h"

namespace {

const int W = 70, H = 9, N = 12;

class AreaEngineTest : public ::testing::Test
{
protected:
    std::vector<std::unique_ptr<TiffData>> frames;
    SpectrumSource source;
    AreaEngine engine;
    QVector<AreaEngine::Chunk> got;
    int finished = 0;

    void SetUp() override
    {
        for (int i = 0; i < N; i++) {
            frames.emplace_back(ImageFixtures::floatFrame(
                W, H, [i](int x, int y) { return float(1000 + 13 * x + 7 * y + 0.37 * i * (x % 5)); }));
            frames.back()->energy = 7000 + i;
            source.i1 << frames.back().get();
        }
        // I0 frames at other energies, interpolated per I1 frame.
        for (int i = 0; i < 3; i++) {
            frames.emplace_back(ImageFixtures::floatFrame(W, H, [i](int x, int) { return float(2000 + x + 50 * i); }));
            frames.back()->energy = 6995 + 8 * i;
            source.i0ByEnergy << frames.back().get();
        }
        source.width = W;
        source.height = H;
        source.useI0 = true;
        source.prepare();
        QObject::connect(&engine, &AreaEngine::chunkReady, [this](const AreaEngine::Chunk &c) { got << c; });
        QObject::connect(&engine, &AreaEngine::finished, [this] { finished++; });
    }
    // Each block's first value: its spectrum's sum; ok only on the image.
    static AreaEngine::Work sums()
    {
        return [](AreaEngine::Chunk &c, const QVector<Spectrum> &raw, const std::atomic<bool> &) {
            for (int k = 0; k < c.xs.size(); k++) {
                double s = 0;
                for (const QPointF &p : raw[k].points)
                    s += p.y();
                c.values[k] = s;
                c.ok[k] = !raw[k].isEmpty();
            }
        };
    }
};

TEST_F(AreaEngineTest, ChunksComeInWalkOrderWithTheSpectraOfTheirBlocks)
{
    AnalyzeCond walk;
    walk.init(W, H, 1, 0, QRectF(3, 0, W, H), 2, 2);   // a step of 2, off the right edge
    ASSERT_TRUE(engine.start(walk, source, 1, sums()));
    EXPECT_FALSE(engine.start(walk, source, 1, sums()));
    ASSERT_TRUE(waitFor([&] { return finished == 1; }));
    EXPECT_FALSE(engine.isRunning());

    AnalyzeCond w = walk;
    w.reset();
    int i = 0;
    for (const AreaEngine::Chunk &c : got) {
        EXPECT_EQ(c.index, i++);
        EXPECT_LE(c.xs.size(), AreaEngine::ChunkBlocks);
        EXPECT_EQ(c.rowStart, c.index > 0 && w.rowStart);
        for (int k = 0; k < c.xs.size(); k++) {
            ASSERT_EQ(c.xs[k], w.x);
            ASSERT_EQ(c.y, w.y);
            const Spectrum s = source.spectrum(w.x, w.y, 1, 0);
            double sum = 0;
            for (const QPointF &p : s.points)
                sum += p.y();
            EXPECT_EQ(c.values[k], sum) << w.x << "," << w.y;
            EXPECT_EQ(bool(c.ok[k]), w.x < W && s.count() == N);
            w.next();
        }
    }
    EXPECT_EQ(i, 10);   // 5 rows of 34 centres, in chunks of at most 32
}

TEST_F(AreaEngineTest, StopEndsARunAtOnceAndABlockingRunDeliversEverything)
{
    AnalyzeCond walk;
    walk.init(W, H, 0, 0, QRectF(0, 0, W, H), -1, -1);
    const QMetaObject::Connection stopper = QObject::connect(&engine, &AreaEngine::chunkReady, [this] {
        if (got.size() == 3)
            engine.stop();
    });
    ASSERT_TRUE(engine.start(walk, source, 1, sums()));
    ASSERT_TRUE(waitFor([&] { return !engine.isRunning(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(got.size(), 3);
    EXPECT_EQ(finished, 0);

    QObject::disconnect(stopper);
    got.clear();
    ASSERT_TRUE(engine.runToEnd(walk, source, 1, sums()));
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(engine.isRunning());
    EXPECT_EQ(got.size(), 27);   // 9 rows of 70 blocks
    // Notes of the tasks still on their way find no run.
    QCoreApplication::processEvents();
    EXPECT_EQ(got.size(), 27);
    EXPECT_EQ(finished, 1);
}

} // namespace
