#include "app/guardedapplication.h"

#include <QDebug>
#include <QThread>
#include <new>

GuardedApplication::GuardedApplication(int &argc, char **argv) : QApplication(argc, argv) {}

void GuardedApplication::setMemoryShortHandler(std::function<void()> handler)
{
    memoryShort = std::move(handler);
}

bool GuardedApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc &) {
        qDebug() << "Not enough memory for an event of" << receiver->metaObject()->className();
        if (!memoryShort)
            return false;
        if (QThread::currentThread() == thread()) {
            memoryShort();
            return false;
        }
        // A worker's event: the GUI thread ends the command waiting for it.
        try {
            QMetaObject::invokeMethod(this, memoryShort, Qt::QueuedConnection);
        } catch (const std::bad_alloc &) {
        }
    }
    return false;
}
