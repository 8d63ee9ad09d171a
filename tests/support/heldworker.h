#ifndef HELDWORKER_H
#define HELDWORKER_H

#include <QSemaphore>
#include <memory>

class QObject;

// Holds the thread of a worker object: from construction until release()
// (or destruction) the thread waits, so every request queued to the worker
// meanwhile stays unanswered.
class HeldWorker
{
public:
    explicit HeldWorker(QObject *worker);
    ~HeldWorker();
    void release();

private:
    // Shared with the waiting thread, which may take it after this is gone.
    std::shared_ptr<QSemaphore> gate = std::make_shared<QSemaphore>();
    bool held = true;
};

#endif
