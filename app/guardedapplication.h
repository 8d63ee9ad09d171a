#ifndef GUARDEDAPPLICATION_H
#define GUARDEDAPPLICATION_H

#include <QApplication>
#include <functional>

// An application whose events that run short of memory end only their own
// work: the exception stops at the event, with a debug line, and the handler
// is called in the GUI thread (queued there for a worker thread's event).
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
