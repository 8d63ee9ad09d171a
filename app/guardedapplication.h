#ifndef GUARDEDAPPLICATION_H
#define GUARDEDAPPLICATION_H

#include <QApplication>
#include <functional>

// An application whose events that run short of memory end only their own
// work: the exception stops at the event, and the handler is told in the GUI
// thread (a worker thread's event gives a debug line only).
class GuardedApplication : public QApplication
{
public:
    GuardedApplication(int &argc, char **argv);

    void setMemoryShortHandler(std::function<void()> handler);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    std::function<void()> memoryShort;
};

#endif
