#ifndef AREAENGINE_H
#define AREAENGINE_H

#include <QMap>
#include <QMutex>
#include <QWaitCondition>
#include <QObject>
#include <QString>
#include <QVector>

#include <any>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "core/spectrum.h"
#include "core/taskpool.h"
#include "imagedata/analyzecond.h"
#include "imagedata/spectrumsource.h"

// Walks an area in chunks of blocks of one walker row: a pool thread builds
// the spectra of a chunk frame by frame (each frame's rows read in memory
// order) and hands them to the run's work, which computes the values of every
// block; the chunks come back to the owner's thread in walk order through
// chunkReady(). The work reads only the source and what it captured; the
// frames of the source must stay alive until the run has finished or stop()
// has returned. A chunk whose task runs short of memory is delivered all the
// same: its blocks without a result give OutOfMemory as their reason.
class AreaEngine : public QObject
{
    Q_OBJECT

public:
    // Blocks a chunk holds at most (fewer where a block has many values: a
    // chunk holds about ChunkValues, but at least MinChunkBlocks blocks), and
    // a part of it whose spectra are built and worked on at a time.
    static constexpr int ChunkBlocks = 256;
    static constexpr int MinChunkBlocks = 64;
    static constexpr int ChunkValues = 2048;
    static constexpr int PartBlocks = 8;

    struct Chunk
    {
        int index = 0;           // in walk order, from 0
        int y = 0;
        int halfW = 0;
        int halfH = 0;
        bool rowStart = false;   // the first chunk of a walker row (not of the walk)
        QVector<int> xs;         // the block centres
        // Why a block, or some of its values, gave no result: reason is a
        // literal marked for translation in context (QT_TRANSLATE_NOOP), null
        // where the block gave its result; parts says which of the run's
        // values are missing, a bit each in the run's own numbering (0: all).
        struct NoResult
        {
            const char *context = nullptr;
            const char *reason = nullptr;
            unsigned parts = 0;
        };
        // Filled by the work: per block `values` per block and whether it gave
        // any, with a note for the log where it did not or had something to say,
        // and what of it gave no result. Notes and reasons take room only once
        // a block of the chunk has one.
        QVector<double> values;
        QVector<char> ok;

        QString note(int k) const { return notes.isEmpty() ? QString() : notes.at(k); }
        void setNote(int k, const QString &text)
        {
            if (notes.isEmpty())
                notes.resize(xs.size());
            notes[k] = text;
        }
        NoResult noResult(int k) const { return reasons.isEmpty() ? NoResult() : reasons.at(k); }
        NoResult &noResultAt(int k)
        {
            if (reasons.isEmpty())
                reasons.resize(xs.size());
            return reasons[k];
        }

    private:
        QVector<QString> notes;
        QVector<NoResult> reasons;
    };
    // Why the blocks of a chunk whose task ran short of memory gave no result.
    static constexpr Chunk::NoResult OutOfMemory{
        "AreaEngine", QT_TRANSLATE_NOOP("AreaEngine", "not enough memory"), 0};

    // Runs in a pool thread for the blocks first .. first + count - 1 of the
    // chunk: raw[k - first] is the spectrum of block k (empty off the image);
    // ok and values come sized for the whole chunk, and setNote and
    // noResultAt make room for notes and reasons. Returns
    // early once stopping reads true. raw and own belong to the task for this
    // chunk: each task running at a time has its own, kept from chunk to chunk
    // of the run, and the work may keep in own whatever it reuses (made on its
    // first chunk).
    using Work = std::function<void(Chunk &chunk, int first, int count, const Spectrum *raw,
                                    const std::atomic<bool> &stopping, std::any &own)>;

    explicit AreaEngine(QObject *parent = nullptr);
    // Stops a run and waits for the pool.
    ~AreaEngine() override;

    // Starts a run over the walk from its first centre; chunks arrive through
    // the event loop, then finished(). False when a run is going.
    bool start(const AnalyzeCond &walk, const SpectrumSource &source, int valuesPerBlock, Work work);
    // The same run computed to its end before returning: every chunk is
    // delivered, then finished(), without the event loop.
    bool runToEnd(const AnalyzeCond &walk, const SpectrumSource &source, int valuesPerBlock,
                  Work work);
    // Computes the rest of the run before returning: every chunk is
    // delivered, in walk order as it is done, then finished(). No more
    // chunks are in flight at once than while the run goes on by itself.
    void finish();
    // Ends a run going at once: its tasks still working give up and are
    // waited for, and nothing more is delivered. No finished().
    void stop();
    bool isRunning() const { return running; }
    int threadCount() const { return pool.maxThreadCount(); }
    // The run's threads, for work between runs that waits for its own tasks.
    TaskPool *threads() { return &pool; }

signals:
    void chunkReady(const AreaEngine::Chunk &chunk);
    void finished();
    // Just before finished(): memory ran short, so the walk ended early or a
    // receiver could not record a chunk.
    void ranShort();

private:
    // What a task reuses from one chunk to the next.
    struct Slot
    {
        std::vector<Spectrum> raw;
        SpectrumSource::Sums sums;
        std::any own;
    };
    struct Shared
    {
        QMutex lock;
        QMap<int, Chunk> done;
        QWaitCondition ready;   // a chunk was put into done
        std::atomic<bool> stopping{false};
        // A call to hand on the done chunks is queued to the owner's thread
        // and has not started: a task that finishes meanwhile queues none.
        std::atomic<bool> told{false};
        // Slots no task holds; at most one per task running at a time.
        std::vector<std::unique_ptr<Slot>> idle;
        std::unique_ptr<Slot> takeSlot();
        void giveSlot(std::unique_ptr<Slot> slot);
    };
    bool begin(const AnalyzeCond &walk, const SpectrumSource &source, int valuesPerBlock,
               Work work);
    // The next chunk of the walk; false at its end.
    bool nextChunk(Chunk &c);
    void submitMore();
    void submit(Chunk c);
    // Hands on the chunks that are next in walk order; true when the run ended.
    bool deliver();
    void end(bool completed);

    TaskPool pool;
    std::shared_ptr<Shared> shared;
    std::shared_ptr<const Work> work;
    std::shared_ptr<const SpectrumSource> source;
    AnalyzeCond walker;
    bool walkLeft = false;    // walker stands on a centre not yet in a chunk
    bool firstCentre = true;
    int perBlock = 0;
    int chunkBlocks = ChunkBlocks;   // of this run
    int made = 0;             // chunks made
    int delivered = 0;
    qint64 blocksMade = 0;
    qint64 blocksDelivered = 0;
    bool running = false;
    bool delivering = false;
    bool cut = false;         // memory ran short in this run
    quint64 run = 0;
};


#endif
