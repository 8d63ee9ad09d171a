#include "imagedata/loadtiff.h"

#include <QDebug>
#include <QFileInfo>
#include <QMetaType>
#include <QSemaphore>
#include <QThread>

#include <limits>
#include <new>

#include "imagedata/errpoints.h"
#include "imagedata/tiffdata.h"
#include "imagedata/tiffdatabudget.h"
#include "imagedata/tiffdatalimits.h"

// One file decoded on the loader's pool. The task reads only its own copies.
struct FrameDecode
{
    FrameDecode(int index, const QString &file, const ErrPointsSnapshot &list,
                const ColorScale &scale, const std::shared_ptr<TiffDataBudget> &budget)
        : index(index), file(file), list(list), scale(scale), budget(budget),
          turn(budget->nextTurn())
    {
    }
    void run()
    {
        frame = LoadTiff::readFrame(file, list.list(), scale, budget.get(), turn);
        done.release();
    }
    // The frame, null when the file could not be read; waits for the decode.
    TiffData *take()
    {
        done.acquire();
        TiffData *f = frame;
        frame = nullptr;
        return f;
    }

    const int index;
    const QString file;
    const ErrPointsSnapshot list;
    const ColorScale scale;
    const std::shared_ptr<TiffDataBudget> budget;
    const int turn;
    TiffData *frame = nullptr;
    QSemaphore done;
};

namespace {

bool isLive(const QString &file) { return file.contains(QStringLiteral("Live")); }

// Files decoded or decoding ahead of the one handed over, per decode thread.
const int RunAhead = 3;

} // namespace

LoadTiff::LoadTiff(QObject *parent)
    : QObject(parent), generation(0), pending(0), busy(false), index(0), decodeThreads(1),
      launchIndex(-1)
{
    // A core each is left to the GUI thread and this one: with every core
    // decoding, the decodes of new frames mostly wait for one another's page
    // faults.
    setDecodeThreads(QThread::idealThreadCount() - 2);
    connect(this, &LoadTiff::loadStart, this, &LoadTiff::treatQues);
    // Each step starts the next one through the worker's event loop, so the
    // depth of the call stack does not grow with the number of files.
    connect(this, &LoadTiff::loadNext, this, &LoadTiff::treatQues, Qt::QueuedConnection);
}

LoadTiff::~LoadTiff()
{
    discardDecodes();
}

void LoadTiff::setDecodeThreads(int n)
{
    decodeThreads = qBound(1, n, 64);
    pool.setMaxThreadCount(decodeThreads);
}

int LoadTiff::nextIndex(const LoadJob &job, int i)
{
    const qint64 next = qint64(i) + job.step;
    return next < job.files.size() - job.tail ? int(next) : -1;
}

void LoadTiff::discardDecodes()
{
    for (auto &d : decodes)
        delete d->take();
    decodes.clear();
}

void LoadTiff::launchDecodes(const LoadJob &job)
{
    // More files in flight than threads: a slow file at the head does not
    // leave the other threads idle.
    while (launchIndex >= 0 && int(decodes.size()) < RunAhead * decodeThreads) {
        const QString file = job.files.at(launchIndex);
        if (!(job.skipLive && isLive(file))) {
            std::unique_ptr<FrameDecode> d(
                new FrameDecode(launchIndex, file, job.errPoints, job.colorScale, budget));
            FrameDecode *task = d.get();
            try {
                decodes.push_back(std::move(d));
            } catch (const std::bad_alloc &) {
                budget->pass(task->turn);   // the files after it wait for its turn
                throw;
            }
            pool.start([task] { task->run(); });
        }
        launchIndex = nextIndex(job, launchIndex);
    }
}

void LoadTiff::treatParallel()
{
    const LoadJob &job = queue.first();
    launchDecodes(job);
    if (decodes.empty()) {
        finishJob();
        return;
    }
    std::unique_ptr<FrameDecode> d = std::move(decodes.front());
    decodes.pop_front();
    // The next files decode while this one is handed over.
    try {
        launchDecodes(job);
    } catch (const std::bad_alloc &) {
        delete d->take();   // not freed while its decode runs
        throw;
    }
    ErrPoints *holder = job.errPoints.holder();
    TiffData *frame = d->take();
    // The next step ends the job when nothing is left; a receiver in this
    // thread may queue another job meanwhile.
    emit loadNext();
    if (frame != nullptr) {
        frame->errPoints = holder;
        handOver(frame, d->index);
    }
}

TiffData *LoadTiff::readFrame(const QString &file, const ErrPoints *list, const ColorScale &scale,
                              TiffDataBudget *budget, int turn)
{
    // A file that can't be read still passes its turn on.
    TiffData *frame = new (std::nothrow) TiffData;
    if (frame == nullptr) {
        qDebug() << "Out of memory reading" << file;
        if (budget)
            budget->pass(turn);
        return nullptr;
    }
    frame->colorScale = scale;
    if (frame->load(file, list, budget, turn))
        return frame;
    delete frame;
    return nullptr;
}

void LoadTiff::handOver(TiffData *frame, int i)
{
    emittedBytes += frame->memoryBytes();
    emit loaded(frame, i);
}

void LoadTiff::loadTiffs(QStringList files, bool skipLive, int step, int start, int tail,
                         ErrPointsSnapshot errPoints, EX_CMD_ID cmd)
{
    LoadJob job;
    job.files = files;
    job.skipLive = skipLive;
    job.step = step < 1 ? 1 : step;
    job.start = start < 0 ? 0 : start;
    job.tail = tail < 0 ? 0 : tail;
    job.errPoints = errPoints;
    job.cmd = cmd;
    job.colorScale = colorScale;
    job.generation = generation;
    // Without a snapshot the job counts only the frames handed over from now on.
    job.heldBytes = stackMemoryKnown ? heldBytes : 0;
    job.receivedBytes = stackMemoryKnown ? receivedBytes : emittedBytes;
    stackMemoryKnown = false;
    if (job.start > files.size())
        qDebug() << "LoadTiff: start" << start << "lies past the" << files.size()
                 << "files; nothing to load";
    // A newer generation ends the jobs of older ones, the running one too.
    bool droppedRunning = false;
    for (int i = queue.size() - 1; i >= 0; i--) {
        if (queue.at(i).generation < job.generation) {
            droppedRunning = droppedRunning || i == 0;
            queue.remove(i);
        }
    }
    queue.append(job);
    pending = queue.size();
    if (!busy) {
        busy = true;
        beginJob();
        emit loadNext();
    } else if (droppedRunning) {
        // The step already on its way goes on with the new first job.
        beginJob();
    }
}

void LoadTiff::beginJob()
{
    discardDecodes();
    // The frames handed over that the holder had not yet received count
    // beside the stacks.
    const LoadJob &job = queue.first();
    const qint64 held = job.heldBytes + qMax<qint64>(emittedBytes - job.receivedBytes, 0);
    // What is free now comes on top of the frames already allocated.
    const qint64 free = memoryLimit > 0 ? -1 : TiffDataLimits::freeMemory();
    qint64 limit = memoryLimit > 0 ? memoryLimit : TiffDataLimits::machineMemory();
    if (free >= 0)
        limit = held + free;
    else if (limit <= 0)
        limit = std::numeric_limits<qint64>::max();
    budget = std::make_shared<TiffDataBudget>(limit, held,
                                              free >= 0 ? TiffDataLimits::WorkBytesPerPixel : 0);
    index = queue.first().start;
    launchIndex = index < queue.first().files.size() ? index : -1;
    emit jobStarted(queue.first().generation);
}

void LoadTiff::treatQues()
{
    if (queue.isEmpty()) {
        busy = false;
        return;
    }
    try {
        treatStep();
    } catch (const std::bad_alloc &) {
        // The job ends; its completion is reported all the same.
        qDebug() << "LoadTiff: not enough memory, the rest of the load is left out";
        discardDecodes();
        finishJob();
    }
}

void LoadTiff::treatStep()
{
    if (decodeThreads > 1) {
        treatParallel();
        return;
    }
    const LoadJob &job = queue.first();
    const int n = job.files.size();
    // Copied before loaded() is emitted: a receiver in this thread may queue
    // another job and so move the queue.
    const int step = job.step;
    const int end = n - job.tail;
    if (index < n) {
        const QString file = job.files.at(index);
        if (job.skipLive && isLive(file)) {
            // skipped
        } else {
            TiffDataBudget *b = budget.get();
            TiffData *frame = readFrame(file, job.errPoints.list(), job.colorScale, b,
                                        b ? b->nextTurn() : -1);
            if (frame != nullptr) {
                // The job's copy goes with the job; the frame refers to its holder's list.
                frame->errPoints = job.errPoints.holder();
                handOver(frame, index);
            }
        }
        // Past the end of the list the job is over; the index never wraps round.
        index = int(qMin<qint64>(qint64(index) + step, n));
        if (index < end) {
            emit loadNext();
            return;
        }
    }
    finishJob();
}

void LoadTiff::setColorScale(ColorScale scale) { colorScale = scale; }

void LoadTiff::setGeneration(quint64 g) { generation = g; }

void LoadTiff::setStackMemory(qint64 held, qint64 received)
{
    heldBytes = held;
    receivedBytes = received;
    stackMemoryKnown = true;
}

void LoadTiff::setMemoryLimit(qint64 bytes) { memoryLimit = qMax<qint64>(bytes, 0); }

void LoadTiff::finishJob()
{
    if (budget && budget->refusals() > 0)
        emit leftOut(budget->refusals(), budget->turns());
    const EX_CMD_ID cmd = queue.first().cmd;
    queue.removeFirst();
    pending = queue.size();
    if (queue.isEmpty()) {
        // One completion when the queue runs dry, also after a job that had
        // nothing to load.
        busy = false;
        emit finishLoadFiles(cmd);
    } else {
        beginJob();
        emit loadNext();
    }
}
