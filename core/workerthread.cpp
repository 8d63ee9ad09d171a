#include "core/workerthread.h"

#include <QDebug>
#include <QThread>

bool startWorkerThread(QThread *thread, QObject *worker)
{
    thread->start(QThread::InheritPriority);
    if (!thread->isRunning() && !thread->isFinished()) {
        qDebug() << "Can't start the thread" << thread->objectName()
                 << "; its work runs in this thread";
        return false;
    }
    worker->moveToThread(thread);
    return true;
}
