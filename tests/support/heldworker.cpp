#include "support/heldworker.h"

#include <QMetaObject>
#include <QObject>

HeldWorker::HeldWorker(QObject *worker)
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
