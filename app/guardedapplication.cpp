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
        if (memoryShort && QThread::currentThread() == thread())
            memoryShort();
    }
    return false;
}
