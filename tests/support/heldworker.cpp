#include "support/heldworker.h"

#include "support/waitfor.h"

HeldWorker::HeldWorker(QObject *worker)
    : worker(worker)
{
    std::shared_ptr<QSemaphore> g = gate;
    QMetaObject::invokeMethod(
        worker, [g] { g->acquire(); }, Qt::QueuedConnection);
}

HeldWorker::~HeldWorker()
{
    release();
}

void HeldWorker::release()
{
    if (held)
        gate->release();
    held = false;
}

bool HeldWorker::settle()
{
    release();
    if (!worker)
        return false;
    const auto back = std::make_shared<bool>(false);
    // Behind everything the worker was asked before, and behind what it sent.
    QMetaObject::invokeMethod(
        worker,
        [back] {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [back] { *back = true; }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return waitFor([&] { return *back; });
}
