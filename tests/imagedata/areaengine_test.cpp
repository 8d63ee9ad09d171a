#include <QRectF>
#include <atomic>
#include <gtest/gtest.h>

#include "imagedata/analyzecond.h"
#include "imagedata/areaengine.h"
#include "imagedata/spectrumsource.h"

namespace {

// A run finished before its end, and one computed to its end at once, hold
// no more chunks at a time than a walk that goes on by itself, and hand them
// on in walk order.
TEST(AreaEngine, FinishingKeepsTheChunksInFlightBounded)
{
    const int w = 4000, h = 64;
    AnalyzeCond walk;
    walk.init(w, h, 0, 0, QRectF(0, 0, w, h), -1, -1);
    SpectrumSource source;
    source.width = w;
    source.height = h;
    source.prepare();
    const int chunks = h * ((w + AreaEngine::ChunkBlocks - 1) / AreaEngine::ChunkBlocks);
    for (bool toEnd : {false, true}) {
        SCOPED_TRACE(toEnd);
        AreaEngine engine;
        std::atomic<int> computed(0);
        int delivered = 0, worst = 0;
        bool inOrder = true, ended = false;
        QObject::connect(&engine, &AreaEngine::chunkReady, [&](const AreaEngine::Chunk &c) {
            inOrder = inOrder && c.index == delivered;
            delivered++;
            worst = qMax(worst, computed.load() - delivered);
        });
        QObject::connect(&engine, &AreaEngine::finished, [&] { ended = true; });
        // A chunk counts once its last part is computed.
        auto work = [&computed](AreaEngine::Chunk &c, int first, int count, const Spectrum *,
                                const std::atomic<bool> &, std::any &) {
            if (first + count == c.xs.size())
                computed++;
        };
        if (toEnd) {
            ASSERT_TRUE(engine.runToEnd(walk, source, 1, work));
        } else {
            ASSERT_TRUE(engine.start(walk, source, 1, work));
            engine.finish();
        }
        EXPECT_TRUE(ended);
        EXPECT_FALSE(engine.isRunning());
        EXPECT_EQ(delivered, chunks);
        EXPECT_TRUE(inOrder);
        EXPECT_LE(worst, 4 * engine.threadCount());
    }
}

} // namespace
