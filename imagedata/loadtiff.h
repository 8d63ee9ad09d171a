#ifndef LOADTIFF_H
#define LOADTIFF_H

#include <QObject>
#include <QSharedPointer>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <deque>
#include <memory>

#include "core/cmdid.h"
#include "core/colorscale.h"
#include "core/taskpool.h"
#include "imagedata/errpointssnapshot.h"

class ErrPoints;
class TiffData;
class TiffDataBudget;
struct FrameDecode;

// One load request of LoadTiff.
struct LoadJob
{
    QStringList files;   // file names in stack order
    bool skipLive = false; // skip files whose name or path contains "Live"
    int step = 1;        // distance between two handled files, at least 1
    int start = 0;       // index of the first file handled
    int tail = 0;        // files at the end of the list that are not handled
    // The bad-pixel list as it was when the load was asked for, read while
    // decoding; its holder is given to the frames after reading.
    ErrPointsSnapshot errPoints;
    EX_CMD_ID cmd = EX_not_ex_cmd; // carried back unchanged
    ColorScale colorScale;  // the frames' display images are coloured with this snapshot
    quint64 generation = 0; // the holder's stack generation when the job was asked for
    // What the holder's stacks held when the job was asked for, and how much
    // of what this loader had handed over it had received by then.
    qint64 heldBytes = 0;
    qint64 receivedBytes = 0;
};

// Reads the files of an image stack in a worker thread, one file per step.
// Every frame read is handed over by loaded() (the receiver owns it); when the
// queue becomes empty finishLoadFiles() reports the command of the last job,
// also when that job had nothing to load.
//
// Frames are decoded, display image included, on a pool of threads of the
// loader's own, several files ahead of the one handed over next; they are
// still handed over one per step and in file order. With one decode thread
// each file is read inside its step, in the loader's thread.
//
// Memory: the frames of a job may take what the process may still take
// (TiffDataLimits::freeMemory, measured when the job begins) less room for the
// maps of a run over an image of the largest frame's size; with a limit set,
// the frames of the holder's stacks may take that limit. Both count what the
// stacks held when the job was asked for (setStackMemory), the frames handed
// over that the holder had not received then and those of the job. A frame
// that would go past it is refused from its header, before its pixels are
// allocated, with one debug line; the job goes on with the next file.
//
// Generations: a holder that starts its stack anew raises the generation
// (setGeneration) before asking for the new files. A job of a newer
// generation ends the older jobs still queued or running (their remaining
// files are not read), and jobStarted() announces the generation of the
// frames that follow, so that the holder can drop frames of an older stack
// that were already on their way. The queue still reports its end once.
class LoadTiff : public QObject
{
    Q_OBJECT

public:
    explicit LoadTiff(QObject *parent = nullptr);
    ~LoadTiff() override;

    // Read from any thread.
    bool isBusy() const { return busy.load(); }
    int pendingJobs() const { return pending.load(); }
    // Reads a file, in any thread; null when it can't be read, memory
    // running short included. The turn is taken either way.
    static TiffData *readFrame(const QString &file, const ErrPoints *list,
                               const ColorScale &scale, TiffDataBudget *budget, int turn);

signals:
    void loadStart();
    void loadNext();
    void loaded(TiffData *frame, int i);
    void finishLoadFiles(EX_CMD_ID cmd);
    // The frames emitted from now on belong to a job of this generation.
    void jobStarted(quint64 generation);
    // A job that ended refused `refused` of the `files` files it read for
    // memory; before its finishLoadFiles(), never for a job without refusals.
    void leftOut(int refused, int files);

public slots:
    // errPoints is copied where the request is made, in the list's thread.
    void loadTiffs(QStringList files, bool skipLive, int step, int start, int tail,
                   ErrPointsSnapshot errPoints, EX_CMD_ID cmd);
    void treatQues();
    // Snapshot of the colour scale for the jobs that arrive after it.
    void setColorScale(ColorScale scale);
    // Generation of the jobs that arrive after it.
    void setGeneration(quint64 g);
    // Number of frames decoded at once (at least 1); two less than the number
    // of cores at first.
    void setDecodeThreads(int n);
    // What the holder's stacks hold, and the bytes of this loader's frames it
    // has received, for the job that arrives next. A job asked for without
    // this counts only its own frames and those handed over after it came.
    void setStackMemory(qint64 heldBytes, qint64 receivedBytes);
    // What the frames of the stacks may take (0: what the process may take
    // less the room for the work).
    void setMemoryLimit(qint64 bytes);

private:
    void finishJob();
    // One step of the running job.
    void treatStep();
    // Makes the first queued job the running one.
    void beginJob();
    // One step of the running job with a pool of decode threads.
    void treatParallel();
    // Starts decodes of the job's next files up to the number of threads.
    void launchDecodes(const LoadJob &job);
    // Waits for the decodes still running and deletes their frames.
    void discardDecodes();
    // Index of the file after i in the job's walk, -1 past its end.
    static int nextIndex(const LoadJob &job, int i);

    // Hands a frame over, counting its bytes.
    void handOver(TiffData *frame, int i);

    QVector<LoadJob> queue;
    ColorScale colorScale;
    quint64 generation;
    qint64 heldBytes = 0;       // snapshot for the next job
    qint64 receivedBytes = 0;
    bool stackMemoryKnown = false;
    qint64 memoryLimit = 0;
    qint64 emittedBytes = 0;    // of every frame handed over
    // The running job's; the decodes keep it while they run.
    std::shared_ptr<TiffDataBudget> budget;
    std::atomic<int> pending; // queue.size(), for other threads
    std::atomic<bool> busy;
    int index;
    int decodeThreads;
    int launchIndex;    // next file of the running job to start decoding, -1: none
    std::deque<std::unique_ptr<FrameDecode>> decodes; // in file order
    TaskPool pool;
};

#endif
