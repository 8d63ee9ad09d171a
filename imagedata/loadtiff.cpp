#include "imagedata/loadtiff.h"

#include <QDebug>
#include <QFileInfo>
#include <QMetaType>

#include "imagedata/errpoints.h"
#include "imagedata/tiffdata.h"

LoadTiff::LoadTiff(QObject *parent) : QObject(parent), generation(0), busy(false), index(0)
{
    connect(this, &LoadTiff::loadStart, this, &LoadTiff::treatQues);
    // Each step starts the next one through the worker's event loop, so the
    // depth of the call stack does not grow with the number of files.
    connect(this, &LoadTiff::loadNext, this, &LoadTiff::treatQues, Qt::QueuedConnection);
}

LoadTiff::~LoadTiff()
{
}

void LoadTiff::loadTiffs(QStringList files, bool skipLive, int step, int start, int tail,
                         ErrPoints *errPoints, EX_CMD_ID cmd)
{
    LoadJob job;
    job.files = files;
    job.skipLive = skipLive;
    job.step = step < 1 ? 1 : step;
    job.start = start < 0 ? 0 : start;
    job.tail = tail < 0 ? 0 : tail;
    // Without a list of its own the job reads the program-wide one as it is
    // now: its in-use flag may be switched while the job runs.
    ErrPoints *holder = errPoints != nullptr ? errPoints : &globalErrPoints;
    job.errPoints = QSharedPointer<const ErrPoints>(new ErrPoints(*holder));
    job.holderList = holder;
    job.cmd = cmd;
    job.colorScale = colorScale;
    job.generation = generation;
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
    index = queue.first().start;
    emit jobStarted(queue.first().generation);
}

void LoadTiff::treatQues()
{
    if (queue.isEmpty()) {
        busy = false;
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
        if (job.skipLive && QFileInfo(file).fileName().contains(QStringLiteral("Live"))) {
            // skipped
        } else {
            TiffData *frame = new TiffData;
            frame->colorScale = job.colorScale;
            if (frame->load(file, job.errPoints.data())) {
                // The job's copy goes with the job; the frame refers to its holder's list.
                if (job.holderList != nullptr)
                    frame->errPoints = job.holderList;
                emit loaded(frame, index);
            } else {
                delete frame;
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

void LoadTiff::finishJob()
{
    const EX_CMD_ID cmd = queue.first().cmd;
    queue.removeFirst();
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
