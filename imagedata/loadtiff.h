#ifndef LOADTIFF_H
#define LOADTIFF_H

#include <QObject>
#include <QSharedPointer>
#include <QStringList>
#include <QVector>

#include "core/cmdid.h"
#include "core/colorscale.h"

class ErrPoints;
class TiffData;

// One load request of LoadTiff.
struct LoadJob
{
    QStringList files;   // file names in stack order
    bool skipLive = false; // skip files whose name contains "Live"
    int step = 1;        // distance between two handled files, at least 1
    int start = 0;       // index of the first file handled
    int tail = 0;        // files at the end of the list that are not handled
    // The job's own copy of the bad-pixel list, taken when the job arrives, so
    // that the holder may reload its list while the job runs. Null: the frames
    // keep the program-wide list.
    QSharedPointer<const ErrPoints> errPoints;
    ErrPoints *holderList = nullptr; // the holder's list, given to the frames after reading
    EX_CMD_ID cmd = EX_not_ex_cmd; // carried back unchanged
    ColorScale colorScale;  // the frames' display images are coloured with this snapshot
};

// Reads the files of an image stack in a worker thread, one file per step.
// Every frame read is handed over by loaded() (the receiver owns it); when the
// queue becomes empty finishLoadFiles() reports the command of the last job,
// also when that job had nothing to load.
class LoadTiff : public QObject
{
    Q_OBJECT

public:
    explicit LoadTiff(QObject *parent = nullptr);
    ~LoadTiff() override;

    bool isBusy() const { return busy; }
    int pendingJobs() const { return queue.size(); }

signals:
    void loadStart();
    void loadNext();
    void loaded(TiffData *frame, int i);
    void finishLoadFiles(EX_CMD_ID cmd);

public slots:
    void loadTiffs(QStringList files, bool skipLive, int step, int start, int tail,
                   ErrPoints *errPoints, EX_CMD_ID cmd);
    void treatQues();
    // Snapshot of the colour scale for the jobs that arrive after it.
    void setColorScale(ColorScale scale);

private:
    void finishJob();

    QVector<LoadJob> queue;
    ColorScale colorScale;
    bool busy;
    int index;
};

#endif
