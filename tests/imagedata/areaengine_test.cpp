#include <QRectF>
#include <atomic>
#include <gtest/gtest.h>

#include "imagedata/analyzecond.h"
#include "imagedata/areaengine.h"
#include "imagedata/spectrumsource.h"

namespace {

// A run finished before its end, and one computed to its end at once, hold
// no more blocks at a time than a walk that goes on by itself, also where its
// rows are short, and hand its chunks on in walk order.
TEST(AreaEngine, FinishingKeepsTheChunksInFlightBounded)
{
    const int h = 64;
    for (int w : {4000, 100}) {
        AnalyzeCond walk;
        walk.init(w, h, 0, 0, QRectF(0, 0, w, h), -1, -1);
        SpectrumSource source;
        source.width = w;
        source.height = h;
        source.prepare();
        const int chunks = h * ((w + AreaEngine::ChunkBlocks - 1) / AreaEngine::ChunkBlocks);
        for (bool toEnd : {false, true}) {
            SCOPED_TRACE(testing::Message() << w << (toEnd ? " to its end" : " finished"));
            AreaEngine engine;
            // Blocks of the chunks computed and handed on.
            std::atomic<int> computed(0);
            int delivered = 0, blocks = 0, worst = 0;
            bool inOrder = true, ended = false;
            QObject::connect(&engine, &AreaEngine::chunkReady, [&](const AreaEngine::Chunk &c) {
                inOrder = inOrder && c.index == delivered;
                delivered++;
                blocks += c.xs.size();
                worst = qMax(worst, computed.load() - blocks);
            });
            QObject::connect(&engine, &AreaEngine::finished, [&] { ended = true; });
            // A chunk counts once its last part is computed.
            auto work = [&computed](AreaEngine::Chunk &c, int first, int count, const Spectrum *,
                                    const std::atomic<bool> &, std::any &) {
                if (first + count == c.xs.size())
                    computed += c.xs.size();
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
            EXPECT_LE(worst, (2 * engine.threadCount() + 1) * AreaEngine::ChunkBlocks);
        }
    }
}

} // namespace
