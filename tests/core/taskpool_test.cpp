// A pool whose threads could not all be started (the data limit leaves no
// room for their stacks) runs every task all the same, on the threads that
// started or in the caller, and neither its waits nor its end hang.
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>
#include <atomic>
#include <cstdlib>
#include <sys/resource.h>

#include "core/taskpool.h"

namespace {

qint64 dataBytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmData:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong() << 10;
    }
    return 0;
}

// In a child: room for `stacks` thread stacks of 8 MB, then 200 tasks.
void runWithRoomFor(int stacks)
{
    const struct rlimit stack = {8 << 20, 8 << 20};
    setrlimit(RLIMIT_STACK, &stack);
    const rlim_t room = rlim_t(dataBytes() + (qint64(stacks) * 8 + 4) * (1 << 20));
    const struct rlimit data = {room, room};
    setrlimit(RLIMIT_DATA, &data);
    std::atomic<int> ran{0};
    {
        TaskPool pool(4);
        for (int k = 0; k < 200; k++)
            pool.start([&ran] { ran++; });
        pool.waitForDone();
        if (ran != 200 || pool.maxThreadCount() < 1 || pool.maxThreadCount() > qMax(stacks, 1))
            std::exit(2);
        ran = 0;
        for (int k = 0; k < 50; k++) {
            if (!pool.tryStart([&ran] { ran++; }))
                ran++;   // no idle thread: done here
        }
    }   // the pool's end waits for its tasks
    std::exit(ran == 50 ? 0 : 3);
}

TEST(TaskPool, ThreadsThatCouldNotStartAreNeverWaitedFor)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' shadow memory does not fit under a data limit";
#endif
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    for (int stacks : {0, 2, 8})
        EXPECT_EXIT(runWithRoomFor(stacks), ::testing::ExitedWithCode(0), "") << stacks;
}

} // namespace
