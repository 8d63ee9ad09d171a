#include "imagedata/areaengine.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <QPointer>
#include <QThread>

#include <new>

namespace {

// Gives the blocks of a chunk that got no result the reason why.
void markOutOfMemory(AreaEngine::Chunk &c)
{
    try {
        for (int k = 0; k < c.xs.size(); k++) {
            if (!c.ok[k] && c.noResult(k).reason == nullptr)
                c.noResultAt(k) = AreaEngine::OutOfMemory;
        }
    } catch (const std::bad_alloc &) {
        // The blocks stay without a result, for the reason their receiver gives.
    }
}

} // namespace

AreaEngine::AreaEngine(QObject *parent)
    : QObject(parent), pool(qMax(1, QThread::idealThreadCount()))
{
}

AreaEngine::~AreaEngine()
{
    stop();
    pool.waitForDone();
}

bool AreaEngine::begin(const AnalyzeCond &walk, const SpectrumSource &src, int valuesPerBlock,
                       Work w)
{
    if (running)
        return false;
    walker = walk;
    walker.reset();
    walkLeft = true;
    firstCentre = true;
    perBlock = qMax(0, valuesPerBlock);
    chunkBlocks = qBound(int(MinChunkBlocks), ChunkValues / qMax(perBlock, 1), int(ChunkBlocks));
    made = delivered = 0;
    cut = false;
    blocksMade = blocksDelivered = 0;
    shared = std::make_shared<Shared>();
    work = std::make_shared<const Work>(std::move(w));
    source = std::make_shared<const SpectrumSource>(src);
    running = true;
    ++run;
    return true;
}

bool AreaEngine::start(const AnalyzeCond &walk, const SpectrumSource &src, int valuesPerBlock,
                       Work w)
{
    if (!begin(walk, src, valuesPerBlock, std::move(w)))
        return false;
    submitMore();
    return true;
}

bool AreaEngine::runToEnd(const AnalyzeCond &walk, const SpectrumSource &src, int valuesPerBlock,
                          Work w)
{
    if (!begin(walk, src, valuesPerBlock, std::move(w)))
        return false;
    finish();
    return true;
}


void AreaEngine::finish()
{
    if (!running)
        return;
    const quint64 me = run;
    if (delivering) {
        // Called from a chunk's receiver: the delivery under way hands the
        // rest on when it returns.
        Chunk c;
        while (nextChunk(c))
            submit(std::move(c));
        pool.waitForDone();
        return;
    }
    // As many chunks in flight as in a running walk; each is handed on as
    // soon as it and those before it are done.
    for (;;) {
        submitMore();
        if (delivered == made && !walkLeft) {
            end(true);
            return;
        }
        {
            QMutexLocker hold(&shared->lock);
            while (!shared->done.contains(delivered))
                shared->ready.wait(&shared->lock);
        }
        // A receiver stopped the run or started another one.
        if (deliver() || !running || run != me)
            return;
    }
}

bool AreaEngine::nextChunk(Chunk &c)
{
    if (!walkLeft)
        return false;
    c = Chunk();
    c.index = made++;
    c.y = walker.y;
    c.halfW = walker.halfW;
    c.halfH = walker.halfH;
    c.rowStart = walker.rowStart && !firstCentre;
    firstCentre = false;
    do {
        c.xs << walker.x;
        walkLeft = walker.next();
    } while (walkLeft && !walker.rowStart && c.xs.size() < chunkBlocks);
    blocksMade += c.xs.size();
    return true;
}

void AreaEngine::submitMore()
{
    // Blocks made and not yet handed on, computed or waiting for an earlier
    // chunk: two full chunks a thread, in more chunks where rows are short (at
    // most 8 a thread), so that one late chunk leaves the other threads work.
    const int threads = pool.maxThreadCount();
    const int most = 2 * threads * chunkBlocks;
    Chunk c;
    while (running && blocksMade - blocksDelivered < most && made - delivered < 8 * threads
           && nextChunk(c))
        submit(std::move(c));
}

void AreaEngine::submit(Chunk c)
{
    // The results are sized here, from this thread's heap, which takes them back.
    const int blocks = c.xs.size();
    try {
        c.values = QVector<double>(blocks * perBlock, 0.0);
        c.ok = QVector<char>(blocks, 0);
    } catch (const std::bad_alloc &) {
        // The walk ends before this chunk, the last one made.
        --made;
        blocksMade -= blocks;
        walkLeft = false;
        cut = true;
        return;
    }
    const std::shared_ptr<Shared> sh = shared;
    const std::shared_ptr<const Work> wk = work;
    const std::shared_ptr<const SpectrumSource> src = source;
    const quint64 me = run;
    QPointer<AreaEngine> self(this);
    pool.start([sh, wk, src, me, self, c = std::move(c)]() mutable {
        if (!sh->stopping) try {
            // The centres are read through a pointer while the work runs: they
            // must not be shared, or the work's first non-const access would
            // move them.
            c.xs.detach();
            const int n = c.xs.size();
            std::unique_ptr<Slot> slot = sh->takeSlot();
            if (int(slot->raw.size()) < qMin(n, int(PartBlocks)))
                slot->raw.resize(size_t(qMin(n, int(PartBlocks))));
            src->rowSpectra(c.xs.constData(), n, c.y, c.halfW, c.halfH, PartBlocks,
                            slot->raw.data(), slot->sums, [&](int first, int count) {
                                (*wk)(c, first, count, slot->raw.data(), sh->stopping, slot->own);
                                return !sh->stopping;
                            });
            sh->giveSlot(std::move(slot));
        } catch (const std::bad_alloc &) {
            markOutOfMemory(c);
        }
        {
            QMutexLocker hold(&sh->lock);
            sh->done.insert(c.index, std::move(c));
        }
        sh->ready.wakeAll();
        if (sh->stopping)
            return;
        AreaEngine *e = self.data();
        if (e && !sh->told.exchange(true))
            QMetaObject::invokeMethod(
                e, [self, me, sh] {
                    // Chunks done from here on queue a call of their own.
                    sh->told = false;
                    if (self && self->run == me && self->running) {
                        if (!self->deliver() && self->running && self->run == me) {
                            self->submitMore();
                            if (self->delivered == self->made && !self->walkLeft)
                                self->end(true);
                        }
                    }
                },
                Qt::QueuedConnection);
    });
}

bool AreaEngine::deliver()
{
    if (delivering)
        return false;
    delivering = true;
    const quint64 me = run;
    for (;;) {
        Chunk c;
        {
            QMutexLocker hold(&shared->lock);
            auto it = shared->done.find(delivered);
            if (it == shared->done.end())
                break;
            c = std::move(it.value());
            shared->done.erase(it);
        }
        ++delivered;
        blocksDelivered += c.xs.size();
        try {
            emit chunkReady(c);
        } catch (const std::bad_alloc &) {
            cut = true;   // what the receiver did not record is missing
        }
        if (!running || run != me) {
            delivering = false;
            return true;
        }
    }
    delivering = false;
    return false;
}

std::unique_ptr<AreaEngine::Slot> AreaEngine::Shared::takeSlot()
{
    QMutexLocker hold(&lock);
    if (idle.empty())
        return std::unique_ptr<Slot>(new Slot);
    std::unique_ptr<Slot> s = std::move(idle.back());
    idle.pop_back();
    return s;
}

void AreaEngine::Shared::giveSlot(std::unique_ptr<Slot> slot)
{
    QMutexLocker hold(&lock);
    idle.push_back(std::move(slot));
}

void AreaEngine::end(bool completed)
{
    running = false;
    // Every task has given its slot back: the buffers go with the run.
    {
        QMutexLocker hold(&shared->lock);
        shared->idle.clear();
    }
    if (completed && cut)
        emit ranShort();
    if (completed)
        emit finished();
}

void AreaEngine::stop()
{
    if (shared)
        shared->stopping = true;
    // After a run that handed on every chunk the tasks read nothing more: they
    // are left to end by themselves.
    if (running) {
        pool.waitForDone();
        running = false;
        ++run;   // notes still queued belong to no run
    }
    if (shared) {
        QMutexLocker hold(&shared->lock);
        shared->done.clear();
        shared->idle.clear();
    }
}
