#include "core/taskpool.h"

#include <QDebug>
#include <QRunnable>
#include <QSemaphore>
#include <QThreadPool>

#include <exception>
#include <memory>
#include <new>

namespace {

// How long warming waits for the next thread to report: one not seen by
// then counts as not started (a start that fails does so at once).
const int NextThreadMs = 1000;

// A task's own failure must not end the program from a pool thread.
void runGuarded(const TaskPool::Task &task) noexcept
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

TaskPool::TaskPool(int maxThreads) : pool(new QThreadPool), wanted(qMax(1, maxThreads))
{
    pool->setExpiryTimeout(-1);
}

TaskPool::~TaskPool()
{
    waitForDone();
    if (!lame)
        delete pool;   // its threads end; one that never started would be waited for
}

void TaskPool::setMaxThreadCount(int n)
{
    wanted = qMax(1, n);
    if (warmed && wanted < ready) {
        // Surplus threads end as they finish; with a thread counted that never
        // ran, the pool would end the ones that do.
        if (!lame)
            pool->setMaxThreadCount(wanted);
        ready = wanted;
    }
}

void TaskPool::warm() noexcept
{
    if (warmed && (lame || ready >= wanted))
        return;
    waitForDone();   // the threads there are take the tasks below at once
    std::shared_ptr<QSemaphore> came, go;
    try {
        came = std::make_shared<QSemaphore>();
        go = std::make_shared<QSemaphore>();
    } catch (const std::bad_alloc &) {
        return;   // tried again at the next task; none runs on a thread till then
    }
    warmed = true;
    const int n = wanted;
    // As many tasks as threads, each holding its thread until all have
    // come: the pool has to start a thread for every one of them.
    pool->setMaxThreadCount(n);
    int asked = 0;
    try {
        for (; asked < n; asked++)
            pool->start(QRunnable::create([came, go] {
                came->release();
                go->acquire();
            }));
    } catch (const std::bad_alloc &) {
    }
    int started = 0;
    while (started < asked && came->tryAcquire(1, NextThreadMs))
        started++;
    go->release(asked);
    lame = started < asked;
    ready = started;
    if (started < n) {
        try {
            qDebug("TaskPool: %d of %d threads started; going on with %d", started, n, started);
        } catch (const std::bad_alloc &) {
        }
    }
}

bool TaskPool::hand(std::shared_ptr<Task> &task, bool onlyIdle) noexcept
{
    warm();
    if (ready == 0)
        return false;
    QRunnable *r = nullptr;
    try {
        r = QRunnable::create([this, task] {
            runGuarded(*task);
            *task = nullptr;   // its captures go before the pool is told
            ended();
        });
    } catch (const std::bad_alloc &) {
        return false;
    }
    {
        QMutexLocker hold(&lock);
        pending++;
    }
    try {
        if (onlyIdle ? pool->tryStart(r) : (pool->start(r), true))
            return true;
    } catch (const std::bad_alloc &) {
    }
    delete r;
    ended();
    return false;
}

void TaskPool::ended()
{
    QMutexLocker hold(&lock);
    if (--pending == 0)
        idle.wakeAll();
}

void TaskPool::start(Task task) noexcept
{
    std::shared_ptr<Task> t;
    try {
        t = std::make_shared<Task>(std::move(task));
    } catch (const std::bad_alloc &) {
        runGuarded(task);   // not moved from: the allocation came first
        return;
    }
    if (!hand(t, false))
        runGuarded(*t);   // no thread, or no room to queue it: it runs here
}

bool TaskPool::tryStart(Task task) noexcept
{
    std::shared_ptr<Task> t;
    try {
        t = std::make_shared<Task>(std::move(task));
    } catch (const std::bad_alloc &) {
        return false;
    }
    return hand(t, true);
}

void TaskPool::waitForDone()
{
    QMutexLocker hold(&lock);
    while (pending > 0)
        idle.wait(&lock);
}
