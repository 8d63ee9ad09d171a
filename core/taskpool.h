#ifndef TASKPOOL_H
#define TASKPOOL_H

#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

// A pool of threads that knows how many it has: a thread is started when a
// task finds none idle, and one that cannot be started (memory or threads
// running short) is not counted. Tasks queue for the threads that run; with
// none running a task runs in the thread that hands it over, before start()
// returns, so no task ever waits for a thread that does not exist.
class TaskPool
{
public:
    using Task = std::function<void()>;

    explicit TaskPool(int maxThreads = 1);
    // Waits for every task, then ends the threads.
    ~TaskPool();
    TaskPool(const TaskPool &) = delete;
    TaskPool &operator=(const TaskPool &) = delete;

    void setMaxThreadCount(int n);   // at least 1
    int maxThreadCount() const;
    // Milliseconds a thread waits idle before it ends; below 0 for ever.
    void setExpiryTimeout(int ms);
    // Threads running now.
    int threadCount() const;

    // Queues the task, starting a thread where none is idle and fewer than
    // the most run; runs it here when no thread runs and none can start.
    void start(Task task) noexcept;
    // Hands the task to a thread free now, idle or started for it; false,
    // and nothing queued, when there is none.
    bool tryStart(Task task) noexcept;
    // Returns once no task is queued or running.
    void waitForDone();

private:
    // Under the lock: starts a thread unless starting one failed since the
    // pool last had none running.
    bool addThread();
    void work();
    // Joins the threads that ended; the lock is not held.
    void joinEnded();

    mutable std::mutex lock;
    std::condition_variable wake;   // a task was queued, or the pool ends
    std::condition_variable done;   // a task or a thread ended
    std::deque<Task> queue;
    std::list<std::thread> threads;
    std::vector<std::thread::id> ended;
    int most;
    int expiryMs = 30000;
    int running = 0;   // threads started that have not ended
    int idle = 0;      // of them, waiting for a task
    int busy = 0;      // tasks running
    bool refused = false;  // a thread could not be started
    bool quitting = false;
};

#endif
