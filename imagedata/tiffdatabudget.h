#ifndef TIFFDATABUDGET_H
#define TIFFDATABUDGET_H

#include <QString>
#include <QtGlobal>
#include <condition_variable>
#include <mutex>

// The memory the frames of one load may take, shared by the threads that
// decode them. A frame asks for its bytes once its header has given its size,
// before its pixels are allocated, and is refused, with one debug line, when
// it would take the stacks past the limit. The frames take their turns in
// file order, so the frames past the limit are the last ones, whichever
// thread reads which file.
class TiffDataBudget
{
public:
    // limit: what the frames of the stacks may take in all; held: what they
    // hold already. The limit is lowered by perPixel bytes a pixel of the
    // largest frame asked for: room for the work on a stack of its size.
    TiffDataBudget(qint64 limit, qint64 held, qint64 perPixel = 0);
    TiffDataBudget(const TiffDataBudget &) = delete;
    TiffDataBudget &operator=(const TiffDataBudget &) = delete;

    // The turn of the next file, handed out in file order. Every turn must
    // be taken once, by reserve or pass.
    int nextTurn();
    // Waits for the turn, then adds bytes (of a frame of pixels pixels) when
    // the total stays within the limit; false, with a debug line naming the
    // file, otherwise.
    bool reserve(int turn, qint64 bytes, const QString &fileName, qint64 pixels = 0);
    // Waits for the turn and passes it on without bytes (a file that was not
    // read as far as its size).
    void pass(int turn);
    // Frames refused so far, and turns handed out (files read).
    int refusals() const;
    int turns() const;

private:
    void waitForTurn(std::unique_lock<std::mutex> &lock, int turn);

    const qint64 limit;
    const qint64 perPixel;
    qint64 largest = 0;   // pixels of the largest frame asked for
    int refused = 0;
    mutable std::mutex mutex;
    std::condition_variable turned;
    qint64 used;
    int issued = 0;
    int current = 0;   // the turn that may reserve now
};

#endif
