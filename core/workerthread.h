#ifndef WORKERTHREAD_H
#define WORKERTHREAD_H

class QObject;
class QThread;

// Starts thread and moves worker (which lives in the calling thread) into
// it. A thread that cannot start (memory or threads running short) leaves
// the worker in the calling thread, where its queued calls still run; false
// then, with one debug line.
bool startWorkerThread(QThread *thread, QObject *worker);

#endif
