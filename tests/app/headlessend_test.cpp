// Headless "-x" runs whose loops echo without a command, small texts a million
// times or large ones for ever, are given up by the interpreter; the program
// then ends with exit status 1 within seconds, however much was echoed, and
// its memory stays bounded meanwhile.
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>

#include "support/testfiles.h"
#include "support/timing.h"

namespace {

TEST(HeadlessEnd, EndlessEchoLoopsEndTheProgramInTimeWithBoundedMemory)
{
    TestFiles files;
    const QString loop = ":for i ##N## 1 2000000000\n:echo %1\n:next i\nquit\n";
    files.writeText("passes.bat", loop.arg("\"pass ##N##\""));
    files.writeText("echo100k.bat", ":let v " + QString(100000, 'k') + "\n" + loop.arg("$v$"));
    files.writeText("echo1m.bat", ":let v " + QString(1000000, 'm') + "\n" + loop.arg("$v$"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // Settings of their own, not behind a shared lock; AddressSanitizer holds
    // back few freed blocks.
    env.insert("XDG_CONFIG_HOME", files.dir());
    env.insert("ASAN_OPTIONS", "detect_leaks=0:quarantine_size_mb=16");

    std::vector<std::unique_ptr<QProcess>> runs;  // side by side, the last 32 kB of output kept
    QVector<QByteArray> out(3);
    for (const QString &bat : {"passes.bat", "echo100k.bat", "echo1m.bat"}) {
        QProcess *p = runs.emplace_back(new QProcess).get();
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(files.dir());
        p->setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(p, &QProcess::readyRead, p, [p, &tail = out[int(runs.size()) - 1]] {
            tail = (tail + p->readAll()).right(1 << 15);
        });
        p->start(VANTOSCOPE_PROGRAM, {"-c", "/dev/null", "-e", "-b", bat, "-x"});
    }
    QTest::qWaitFor([&] {
        return std::all_of(runs.begin(), runs.end(),
                           [](auto &p) { return p->state() == QProcess::NotRunning; });
    }, 30000 * SlowBuild);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(runs[i]->state(), QProcess::NotRunning) << i;
        runs[i]->kill();  // what still runs is killed
        runs[i]->waitForFinished();
        EXPECT_EQ(runs[i]->exitCode(), 1) << i;
        EXPECT_TRUE(out[i].contains("Batch stopped: loop i ran")) << out[i].right(500).data();
    }
    // The echo of a large text is cut in the debug output too.
    EXPECT_TRUE(out[2].contains("mmmm [900005 more characters of this text are not shown]\n"));
#if !defined(__SANITIZE_THREAD__)
    struct rusage ru;  // the largest child waited for
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &ru), 0);
    EXPECT_LT(ru.ru_maxrss, 400 * 1024) << "peak resident memory in kB";
#endif
}

}  // namespace
