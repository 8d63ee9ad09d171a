#include "core/taskpool.h"

#include <QDebug>

#include <algorithm>
#include <chrono>
#include <exception>
#include <new>

namespace {

// A task's own failure must not end the program from a pool thread.
void runGuarded(const TaskPool::Task &task)
{
    try {
        task();
    } catch (const std::exception &e) {
        qWarning() << "TaskPool: a task ended with" << e.what();
    } catch (...) {
        qWarning() << "TaskPool: a task ended with an exception";
    }
}

} // namespace

TaskPool::TaskPool(int maxThreads) : most(std::max(1, maxThreads)) {}

TaskPool::~TaskPool()
{
    waitForDone();
    {
        std::lock_guard<std::mutex> hold(lock);
        quitting = true;
    }
    wake.notify_all();
    for (std::thread &t : threads)
        t.join();
}

void TaskPool::setMaxThreadCount(int n)
{
    {
        std::lock_guard<std::mutex> hold(lock);
        most = std::max(1, n);
        refused = false;
    }
    wake.notify_all();   // threads past the most end
}

int TaskPool::maxThreadCount() const
{
    std::lock_guard<std::mutex> hold(lock);
    return most;
}

void TaskPool::setExpiryTimeout(int ms)
{
    std::lock_guard<std::mutex> hold(lock);
    expiryMs = ms;
}

int TaskPool::threadCount() const
{
    std::lock_guard<std::mutex> hold(lock);
    return running;
}

bool TaskPool::addThread()
{
    if (refused || running >= most)
        return false;
    try {
        threads.emplace_back(&TaskPool::work, this);
    } catch (const std::exception &e) {
        refused = true;
        qDebug() << "TaskPool: can't start a thread (" << e.what() << "); going on with"
                 << running;
        return false;
    }
    ++running;
    return true;
}

void TaskPool::start(Task task) noexcept
{
    joinEnded();
    try {
        std::lock_guard<std::mutex> hold(lock);
        if (idle > int(queue.size()) || addThread() || running > 0) {
            queue.push_back(std::move(task));
            wake.notify_one();
            return;
        }
    } catch (const std::bad_alloc &) {
        // No room to queue it: it runs here all the same.
    }
    runGuarded(task);
}

bool TaskPool::tryStart(Task task) noexcept
{
    joinEnded();
    std::lock_guard<std::mutex> hold(lock);
    if (idle <= int(queue.size()) && !addThread())
        return false;
    try {
        queue.push_back(std::move(task));
    } catch (const std::bad_alloc &) {
        return false;   // a thread started for it finds nothing and waits
    }
    wake.notify_one();
    return true;
}

void TaskPool::waitForDone()
{
    std::unique_lock<std::mutex> hold(lock);
    done.wait(hold, [this] { return queue.empty() && busy == 0; });
}

void TaskPool::work()
{
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
        if (!queue.empty()) {
            Task task = std::move(queue.front());
            queue.pop_front();
            ++busy;
            hold.unlock();
            runGuarded(task);
            task = nullptr;   // its captures go before the pool is told
            hold.lock();
            --busy;
            if (queue.empty() && busy == 0)
                done.notify_all();
            continue;
        }
        if (quitting || running > most)
            break;
        ++idle;
        bool expired = false;
        if (expiryMs < 0)
            wake.wait(hold);
        else
            expired = wake.wait_for(hold, std::chrono::milliseconds(expiryMs))
                      == std::cv_status::timeout;
        --idle;
        if (expired && queue.empty())
            break;
    }
    --running;
    if (running == 0)
        refused = false;   // the next task tries again
    ended.push_back(std::this_thread::get_id());
    done.notify_all();
}

void TaskPool::joinEnded()
{
    std::list<std::thread> gone;
    {
        std::lock_guard<std::mutex> hold(lock);
        for (const std::thread::id id : ended) {
            auto it = std::find_if(threads.begin(), threads.end(),
                                   [id](const std::thread &t) { return t.get_id() == id; });
            if (it != threads.end())
                gone.splice(gone.end(), threads, it);
        }
        ended.clear();
    }
    for (std::thread &t : gone)
        t.join();
}
