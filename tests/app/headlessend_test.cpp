// Headless "-x" runs whose loops echo without a command, small texts a million
// times or large ones for ever, are given up by the interpreter; the program
// then ends with exit status 1 within seconds, however much was echoed, and
// its memory stays bounded meanwhile.
#include <QElapsedTimer>
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
    // The file dialogs' settings go to a folder of their own, not behind the
    // lock of a shared one; AddressSanitizer holds back few freed blocks.
    env.insert("XDG_CONFIG_HOME", files.dir());
    env.insert("ASAN_OPTIONS", "detect_leaks=0:quarantine_size_mb=16");
    const QStringList bats = {"passes.bat", "echo100k.bat", "echo1m.bat"};
    std::vector<std::unique_ptr<QProcess>> runs;
    QVector<QByteArray> tails(bats.size());
    QVector<qint64> endMs(bats.size(), -1);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < bats.size(); i++) {  // side by side
        auto *p = new QProcess;
        runs.emplace_back(p);
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(files.dir());
        p->setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(p, &QProcess::readyRead, p, [p, &tail = tails[i]] {
            tail = (tail + p->readAll()).right(1 << 15);
        });
        QObject::connect(p, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), p,
                         [&clock, &ms = endMs[i]] { ms = clock.elapsed(); });
        p->start(VANTOSCOPE_PROGRAM, {"-c", "/dev/null", "-e", "-b", bats[i], "-x"});
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return !endMs.contains(-1); }, 40000 * SlowBuild));
    for (auto &p : runs) {  // what still runs is killed and waited for
        p->kill();
        p->waitForFinished();
    }

    for (int i = 0; i < bats.size(); i++) {
        const std::string what = QString("%1 after %2 ms, the log ends:\n%3")
                                     .arg(bats[i]).arg(endMs[i])
                                     .arg(QString::fromLocal8Bit(tails[i].right(1000)))
                                     .toStdString();
        EXPECT_TRUE(endMs[i] >= 0 && endMs[i] < 30000 * SlowBuild) << what;
        EXPECT_EQ(runs[i]->exitStatus(), QProcess::NormalExit) << what;
        EXPECT_EQ(runs[i]->exitCode(), 1) << what;
        EXPECT_TRUE(tails[i].contains("Batch stopped: loop i ran")) << what;
    }
    // The echo of a large text is cut in the debug output too.
    EXPECT_TRUE(tails[2].contains("mmmm [900005 more characters of this text are not shown]\n"));
#if !defined(__SANITIZE_THREAD__)
    // The largest of the children this test program has waited for.
    struct rusage ru;
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &ru), 0);
    EXPECT_LT(ru.ru_maxrss, 400 * 1024) << "peak resident memory in kB";
#endif
}

}  // namespace
