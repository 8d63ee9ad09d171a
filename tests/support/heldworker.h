#ifndef HELDWORKER_H
#define HELDWORKER_H

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QSemaphore>
#include <atomic>
#include <memory>

// Holds the thread of a worker object: from construction until release()
// (or destruction) the thread waits, so every request queued to the worker
// meanwhile stays unanswered.
class HeldWorker
{
public:
    explicit HeldWorker(QObject *worker);
    // Holds the thread right after its signal `answered` has sent the answer
    // to a request newer than `after`: that answer is on its way to the GUI
    // thread, whatever the worker sends after it waits.
    template <typename Worker, typename Answer>
    HeldWorker(Worker *worker, void (Worker::*answered)(Answer), quint64 after)
        : worker(worker)
    {
        const std::shared_ptr<QSemaphore> g = gate;
        const std::shared_ptr<bool> in = delivered;
        const auto once = std::make_shared<std::atomic<bool>>(false);
        QObject::connect(
            worker, answered, worker,
            [g, in, once, after](const Answer &a) {
                if (a.id <= after || once->exchange(true))
                    return;
                // Queued behind the answer: it runs once the answer is taken.
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [in] { *in = true; }, Qt::QueuedConnection);
                g->acquire();
            },
            Qt::DirectConnection);
    }
    ~HeldWorker();
    void release();
    // Whether the held answer has been taken in the GUI thread.
    bool answerDelivered() const { return *delivered; }
    // Releases the thread and waits until all it sent up to then has been
    // taken in the GUI thread; false when that does not happen in time.
    bool settle();

private:
    // Shared with the waiting thread, which may take it after this is gone.
    std::shared_ptr<QSemaphore> gate = std::make_shared<QSemaphore>();
    std::shared_ptr<bool> delivered = std::make_shared<bool>(false);
    QPointer<QObject> worker;
    bool held = true;
};

#endif
