// Linked into every program of the ThreadSanitizer build. Qt and GLib from
// the distribution are not instrumented, so the ordering their locks, pools,
// threads and event queues give is invisible to the sanitizer and every
// hand-over between threads would look like a race. The exported Qt and GLib
// entry points the programs go through are defined here again: each calls the
// library's own through dlsym(RTLD_NEXT) and tells the sanitizer which
// ordering it gave (release before handing over, acquire after taking over).
// A definition in the executable wins over the library's for the program and
// for the other shared libraries; calls inside one Qt library stay direct,
// which is why the hooks sit on the boundaries between libraries.

#include <dlfcn.h>
#include <sanitizer/tsan_interface.h>

#include <QDeadlineTimer>
#include <QEvent>
#include <QObject>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>
#include <QVariant>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <unordered_map>

class QMutex;
class QSemaphore;
class QWaitCondition;
typedef struct _GMainContext GMainContext;

namespace {

template<typename F>
F next(const char *name)
{
    void *f = dlsym(RTLD_NEXT, name);
    if (f == nullptr) {
        std::fprintf(stderr, "qtsync: %s not found\n", name);
        std::abort();
    }
    return reinterpret_cast<F>(f);
}

#define NEXT(type, name) static const auto real = next<type>(name)

// A runnable handed to a pool: the pool runs this wrapper, which takes over
// what the starting thread did before the start and, once the task is done
// and deleted, hands its work on to waitForDone.
class Handed : public QRunnable
{
public:
    Handed(QRunnable *task, QThreadPool *pool) : task(task), pool(pool), ownsTask(task->autoDelete())
    {
        setAutoDelete(true);
    }
    ~Handed() override
    {
        forget(task, this);
        if (ownsTask)
            delete task;
        __tsan_release(pool);
    }
    void run() override
    {
        __tsan_acquire(this);
        task->run();
    }
    // The task back to its owner, not run (tryStart refused, tryTake).
    void giveBack() { ownsTask = false; }

    static void remember(QRunnable *task, Handed *h)
    {
        std::lock_guard<std::mutex> hold(tableLock);
        table()[task] = h;
    }
    static Handed *find(QRunnable *task)
    {
        std::lock_guard<std::mutex> hold(tableLock);
        auto it = table().find(task);
        return it == table().end() ? nullptr : it->second;
    }

private:
    static void forget(QRunnable *task, Handed *h)
    {
        std::lock_guard<std::mutex> hold(tableLock);
        auto it = table().find(task);
        if (it != table().end() && it->second == h)
            table().erase(it);
    }
    static std::unordered_map<QRunnable *, Handed *> &table()
    {
        static auto *t = new std::unordered_map<QRunnable *, Handed *>;
        return *t;
    }
    static std::mutex tableLock;

    QRunnable *const task;
    QThreadPool *const pool;
    bool ownsTask;
};
std::mutex Handed::tableLock;

Handed *hand(QRunnable *task, QThreadPool *pool)
{
    auto *h = new Handed(task, pool);
    Handed::remember(task, h);
    __tsan_release(h);
    return h;
}

} // namespace

// Accesses made inside Qt and GLib themselves (their allocations, copies and
// frees) are not checked: those libraries are not instrumented, and what
// they touch is ordered by their own locks. What remains of theirs is named in
// the suppressions file. TSAN_OPTIONS set in the environment come after these.
extern "C" const char *__tsan_default_options()
{
    return "ignore_noninstrumented_modules=1 second_deadlock_stack=1 history_size=7 suppressions=" QTSYNC_SUPPRESSIONS;
}

#define HOOK(ret, cname, mangled) extern "C" ret cname __asm__(mangled); extern "C" ret cname

// QMutex: the fast path of QMutex::lock is inside Qt too.
HOOK(void, mutexLock(QMutex *m), "_ZN6QMutex4lockEv")
{
    NEXT(void (*)(QMutex *), "_ZN6QMutex4lockEv");
    real(m);
    __tsan_acquire(m);
}

HOOK(bool, mutexTryLock(QMutex *m, int timeout), "_ZN6QMutex7tryLockEi")
{
    NEXT(bool (*)(QMutex *, int), "_ZN6QMutex7tryLockEi");
    const bool got = real(m, timeout);
    if (got)
        __tsan_acquire(m);
    return got;
}

HOOK(void, mutexUnlock(QMutex *m), "_ZN6QMutex6unlockEv")
{
    NEXT(void (*)(QMutex *), "_ZN6QMutex6unlockEv");
    __tsan_release(m);
    real(m);
}

// QSemaphore
HOOK(void, semAcquire(QSemaphore *s, int n), "_ZN10QSemaphore7acquireEi")
{
    NEXT(void (*)(QSemaphore *, int), "_ZN10QSemaphore7acquireEi");
    real(s, n);
    __tsan_acquire(s);
}

HOOK(bool, semTryAcquire(QSemaphore *s, int n), "_ZN10QSemaphore10tryAcquireEi")
{
    NEXT(bool (*)(QSemaphore *, int), "_ZN10QSemaphore10tryAcquireEi");
    const bool got = real(s, n);
    if (got)
        __tsan_acquire(s);
    return got;
}

HOOK(bool, semTryAcquireFor(QSemaphore *s, int n, int timeout), "_ZN10QSemaphore10tryAcquireEii")
{
    NEXT(bool (*)(QSemaphore *, int, int), "_ZN10QSemaphore10tryAcquireEii");
    const bool got = real(s, n, timeout);
    if (got)
        __tsan_acquire(s);
    return got;
}

HOOK(void, semRelease(QSemaphore *s, int n), "_ZN10QSemaphore7releaseEi")
{
    NEXT(void (*)(QSemaphore *, int), "_ZN10QSemaphore7releaseEi");
    __tsan_release(s);
    real(s, n);
}

// QWaitCondition: waiting lets go of the mutex inside Qt.
HOOK(bool, condWait(QWaitCondition *c, QMutex *m, QDeadlineTimer t),
     "_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer")
{
    NEXT(bool (*)(QWaitCondition *, QMutex *, QDeadlineTimer),
         "_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer");
    __tsan_release(m);
    const bool woken = real(c, m, t);
    __tsan_acquire(m);
    __tsan_acquire(c);
    return woken;
}

HOOK(bool, condWaitMs(QWaitCondition *c, QMutex *m, unsigned long ms),
     "_ZN14QWaitCondition4waitEP6QMutexm")
{
    NEXT(bool (*)(QWaitCondition *, QMutex *, unsigned long), "_ZN14QWaitCondition4waitEP6QMutexm");
    __tsan_release(m);
    const bool woken = real(c, m, ms);
    __tsan_acquire(m);
    __tsan_acquire(c);
    return woken;
}

HOOK(void, condWakeOne(QWaitCondition *c), "_ZN14QWaitCondition7wakeOneEv")
{
    NEXT(void (*)(QWaitCondition *), "_ZN14QWaitCondition7wakeOneEv");
    __tsan_release(c);
    real(c);
}

HOOK(void, condWakeAll(QWaitCondition *c), "_ZN14QWaitCondition7wakeAllEv")
{
    NEXT(void (*)(QWaitCondition *), "_ZN14QWaitCondition7wakeAllEv");
    __tsan_release(c);
    real(c);
}

// QThreadPool: tasks run wrapped; waiting for the pool takes over their work.
HOOK(void, poolStart(QThreadPool *p, QRunnable *r, int priority), "_ZN11QThreadPool5startEP9QRunnablei")
{
    NEXT(void (*)(QThreadPool *, QRunnable *, int), "_ZN11QThreadPool5startEP9QRunnablei");
    if (r == nullptr)
        return;
    real(p, hand(r, p), priority);
}

HOOK(bool, poolTryStart(QThreadPool *p, QRunnable *r), "_ZN11QThreadPool8tryStartEP9QRunnable")
{
    NEXT(bool (*)(QThreadPool *, QRunnable *), "_ZN11QThreadPool8tryStartEP9QRunnable");
    if (r == nullptr)
        return false;
    Handed *h = hand(r, p);
    if (real(p, h))
        return true;
    h->giveBack();
    delete h;
    return false;
}

HOOK(void, poolStartFunction(QThreadPool *p, std::function<void()> f, int priority),
     "_ZN11QThreadPool5startESt8functionIFvvEEi")
{
    if (f)
        poolStart(p, QRunnable::create(std::move(f)), priority);
}

HOOK(bool, poolTryStartFunction(QThreadPool *p, std::function<void()> f),
     "_ZN11QThreadPool8tryStartESt8functionIFvvEE")
{
    if (!f)
        return false;
    QRunnable *r = QRunnable::create(std::move(f));
    if (poolTryStart(p, r))
        return true;
    delete r;
    return false;
}

HOOK(bool, poolTryTake(QThreadPool *p, QRunnable *r), "_ZN11QThreadPool7tryTakeEP9QRunnable")
{
    NEXT(bool (*)(QThreadPool *, QRunnable *), "_ZN11QThreadPool7tryTakeEP9QRunnable");
    Handed *h = Handed::find(r);
    if (h == nullptr || !real(p, h))
        return false;
    h->giveBack();
    delete h;
    return true;
}

HOOK(void, poolCancel(QThreadPool *p, QRunnable *r), "_ZN11QThreadPool6cancelEP9QRunnable")
{
    // Taken back and, as Qt does, deleted when it deletes itself.
    if (poolTryTake(p, r) && r->autoDelete())
        delete r;
}

HOOK(bool, poolWaitForDone(QThreadPool *p, int ms), "_ZN11QThreadPool11waitForDoneEi")
{
    NEXT(bool (*)(QThreadPool *, int), "_ZN11QThreadPool11waitForDoneEi");
    const bool done = real(p, ms);
    if (done)
        __tsan_acquire(p);
    return done;
}

// The destructor waits for the tasks as well.
HOOK(void, poolDestroy(QThreadPool *p), "_ZN11QThreadPoolD1Ev")
{
    NEXT(void (*)(QThreadPool *), "_ZN11QThreadPoolD1Ev");
    real(p);
    __tsan_acquire(p);
}

HOOK(void, poolDestroyBase(QThreadPool *p), "_ZN11QThreadPoolD2Ev")
{
    NEXT(void (*)(QThreadPool *), "_ZN11QThreadPoolD2Ev");
    real(p);
    __tsan_acquire(p);
}

// QThread: a finished thread hands its work to whoever waited for it. Its
// finished() signal is emitted in the thread before wait() can return.
HOOK(void, threadStart(QThread *t, QThread::Priority priority), "_ZN7QThread5startENS_8PriorityE")
{
    NEXT(void (*)(QThread *, QThread::Priority), "_ZN7QThread5startENS_8PriorityE");
    static const char *const mark = "_qtsyncFinished";
    if (!t->property(mark).isValid()) {
        t->setProperty(mark, true);
        QObject::connect(t, &QThread::finished, [t] { __tsan_release(t); });
    }
    real(t, priority);
}

HOOK(bool, threadWait(QThread *t, QDeadlineTimer deadline), "_ZN7QThread4waitE14QDeadlineTimer")
{
    NEXT(bool (*)(QThread *, QDeadlineTimer), "_ZN7QThread4waitE14QDeadlineTimer");
    const bool done = real(t, deadline);
    if (done)
        __tsan_acquire(t);
    return done;
}

HOOK(bool, threadWaitMs(QThread *t, unsigned long ms), "_ZN7QThread4waitEm")
{
    NEXT(bool (*)(QThread *, unsigned long), "_ZN7QThread4waitEm");
    const bool done = real(t, ms);
    if (done)
        __tsan_acquire(t);
    return done;
}

// Posted events. Qt puts an event in the receiving thread's list before it
// wakes that thread, so the hand-over is told to the sanitizer before the
// call that posts: a queued signal under the key of its sender, any other
// posted event under the key of its receiver. The receiving thread's event
// filters are consulted before the event is delivered; there it takes over
// under the same key.
extern "C" void g_main_context_wakeup(GMainContext *c)
{
    NEXT(void (*)(GMainContext *), "g_main_context_wakeup");
    // The context's wake-up descriptor was made by the thread that owns it.
    __tsan_acquire(reinterpret_cast<char *>(c) + 1);
    real(c);
}

extern "C" GMainContext *g_main_context_new()
{
    NEXT(GMainContext *(*)(), "g_main_context_new");
    GMainContext *c = real();
    __tsan_release(reinterpret_cast<char *>(c) + 1);
    return c;
}

namespace {

// The posting thread's accesses to the event are ordered by the very
// hand-over whose key is read here.
__attribute__((no_sanitize_thread, noinline)) const void *handOverKey(QObject *receiver, QEvent *e)
{
    // QEvent: vtable, d, type; a queued call's event then holds its sender.
    struct Layout
    {
        void *vtable;
        void *d;
        ushort type;
        ushort flags;
        const QObject *sender;
    };
    const auto *l = reinterpret_cast<const Layout *>(e);
    if (l->type == QEvent::MetaCall && l->sender != nullptr)
        return l->sender;
    return receiver;
}

} // namespace

HOOK(bool, sendThroughObjectEventFilters(QObject *receiver, QEvent *e),
     "_ZN23QCoreApplicationPrivate29sendThroughObjectEventFiltersEP7QObjectP6QEvent")
{
    NEXT(bool (*)(QObject *, QEvent *),
         "_ZN23QCoreApplicationPrivate29sendThroughObjectEventFiltersEP7QObjectP6QEvent");
    __tsan_acquire(const_cast<void *>(handOverKey(receiver, e)));
    return real(receiver, e);
}

HOOK(void, activateOffset(QObject *sender, int signalOffset, int localIndex, void **argv),
     "_ZN11QMetaObject8activateEP7QObjectiiPPv")
{
    NEXT(void (*)(QObject *, int, int, void **), "_ZN11QMetaObject8activateEP7QObjectiiPPv");
    __tsan_release(sender);
    real(sender, signalOffset, localIndex, argv);
}

HOOK(void, activateMeta(QObject *sender, const QMetaObject *m, int localIndex, void **argv),
     "_ZN11QMetaObject8activateEP7QObjectPKS_iPPv")
{
    NEXT(void (*)(QObject *, const QMetaObject *, int, void **),
         "_ZN11QMetaObject8activateEP7QObjectPKS_iPPv");
    __tsan_release(sender);
    real(sender, m, localIndex, argv);
}

HOOK(void, activateIndex(QObject *sender, int signalIndex, void **argv),
     "_ZN11QMetaObject8activateEP7QObjectiPPv")
{
    NEXT(void (*)(QObject *, int, void **), "_ZN11QMetaObject8activateEP7QObjectiPPv");
    __tsan_release(sender);
    real(sender, signalIndex, argv);
}

HOOK(bool, invokeMethodImpl(QObject *o, void *slot, Qt::ConnectionType type, void *ret),
     "_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv")
{
    NEXT(bool (*)(QObject *, void *, Qt::ConnectionType, void *),
         "_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv");
    __tsan_release(o);
    return real(o, slot, type, ret);
}

HOOK(bool, invokeMethodByName(QObject *o, const char *member, Qt::ConnectionType type,
                                QGenericReturnArgument ret, QGenericArgument a0, QGenericArgument a1,
                                QGenericArgument a2, QGenericArgument a3, QGenericArgument a4,
                                QGenericArgument a5, QGenericArgument a6, QGenericArgument a7,
                                QGenericArgument a8, QGenericArgument a9),
     "_ZN11QMetaObject12invokeMethodEP7QObjectPKcN2Qt14ConnectionTypeE22QGenericReturnArgument"
     "16QGenericArgumentS7_S7_S7_S7_S7_S7_S7_S7_S7_")
{
    NEXT(bool (*)(QObject *, const char *, Qt::ConnectionType, QGenericReturnArgument,
                  QGenericArgument, QGenericArgument, QGenericArgument, QGenericArgument,
                  QGenericArgument, QGenericArgument, QGenericArgument, QGenericArgument,
                  QGenericArgument, QGenericArgument),
         "_ZN11QMetaObject12invokeMethodEP7QObjectPKcN2Qt14ConnectionTypeE22QGenericReturnArgument"
         "16QGenericArgumentS7_S7_S7_S7_S7_S7_S7_S7_S7_");
    __tsan_release(o);
    return real(o, member, type, ret, a0, a1, a2, a3, a4, a5, a6, a7, a8, a9);
}

HOOK(void, postEvent(QObject *receiver, QEvent *e, int priority),
     "_ZN16QCoreApplication9postEventEP7QObjectP6QEventi")
{
    NEXT(void (*)(QObject *, QEvent *, int), "_ZN16QCoreApplication9postEventEP7QObjectP6QEventi");
    __tsan_release(receiver);
    real(receiver, e, priority);
}

HOOK(void, deleteLater(QObject *o), "_ZN7QObject11deleteLaterEv")
{
    NEXT(void (*)(QObject *), "_ZN7QObject11deleteLaterEv");
    __tsan_release(o);
    real(o);
}
