#ifndef TASKPOOL_H
#define TASKPOOL_H

#include <QMutex>
#include <QtGlobal>
#include <QWaitCondition>

#include <functional>
#include <memory>

class QThreadPool;

// A QThreadPool whose threads are started before its first task and
// counted: each thread is seen running before the pool is used, and they
// never expire, so no task waits for a thread that could not be started
// (memory or threads running short). With fewer threads running than asked
// for the pool works with those; with none a task runs in the thread that
// hands it over, before start() returns. Used from one thread, its owner's.
class TaskPool
{
public:
    using Task = std::function<void()>;

    explicit TaskPool(int maxThreads = 1);
    // Waits for every task, then ends the threads.
    ~TaskPool();
    TaskPool(const TaskPool &) = delete;
    TaskPool &operator=(const TaskPool &) = delete;

    // The threads wanted (at least 1): started at the next task, or the
    // surplus let go.
    void setMaxThreadCount(int n);
    // The threads the pool works with: those seen running once it has
    // started them, else those wanted; 1 (the caller's) where none runs.
    int maxThreadCount() const { return warmed ? qMax(1, ready) : wanted; }

    // Queues the task for the pool's threads; runs it here when none runs.
    void start(Task task) noexcept;
    // Hands the task to a thread idle now; false, and nothing queued, when
    // there is none.
    bool tryStart(Task task) noexcept;
    // Returns once no task handed over is queued or running.
    void waitForDone();

private:
    // Starts the threads wanted, waiting until each is seen running.
    void warm() noexcept;
    // Hands the task to the pool (only to an idle thread with onlyIdle);
    // false, with the task still in the caller's hands, where it did not.
    bool hand(std::shared_ptr<Task> &task, bool onlyIdle) noexcept;
    void ended();

    QThreadPool *pool;
    int wanted;
    int ready = 0;
    bool warmed = false;
    // A thread failed to start: the pool counts it as busy for ever, so it is
    // never waited for, deleted or grown again.
    bool lame = false;
    QMutex lock;
    QWaitCondition idle;
    int pending = 0;   // tasks handed over that have not ended
};

#endif
