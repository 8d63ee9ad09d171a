// Headless "-x" runs whose loops echo without a command, small texts a million
// times or large ones for ever, are given up by the interpreter; the program
// then ends with exit status 1 within seconds, whatever the loop has echoed,
// and its memory stays bounded while it runs.
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/testfiles.h"
#include "support/timing.h"

extern char **environ;

namespace {

// One run of the program over a batch file, its stderr read as it comes.
class HeadlessRun
{
public:
    HeadlessRun(const QString &dir, const QString &batch)
    {
        for (const QString &a : {QString(VANTOSCOPE_PROGRAM), QString("-c"), QString("/dev/null"),
                                 QString("-e"), QString("-b"), batch, QString("-x")})
            args.push_back(QFile::encodeName(a).toStdString());
        for (char **e = environ; *e; e++) {
            const std::string v = *e;
            if (v.rfind("QT_QPA_PLATFORM=", 0) && v.rfind("ASAN_OPTIONS=", 0) &&
                v.rfind("XDG_CONFIG_HOME=", 0))
                env.push_back(v);
        }
        env.push_back("QT_QPA_PLATFORM=offscreen");
        // The file dialogs' settings go to a folder of the run's own, not
        // behind the lock of a shared one.
        env.push_back("XDG_CONFIG_HOME=" + QFile::encodeName(dir).toStdString());
        // A small quarantine: freed blocks held back by AddressSanitizer are
        // not the program's memory.
        env.push_back("ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=16");
        std::vector<char *> argv, envp;
        for (std::string &a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        for (std::string &e : env)
            envp.push_back(&e[0]);
        envp.push_back(nullptr);
        const QByteArray cwd = QFile::encodeName(dir);

        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        clock.start();
        pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            if (dup2(fds[1], 2) < 0 || dup2(null, 1) < 0 || chdir(cwd.constData()) != 0)
                _exit(127);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(fds[1]);
        out = fds[0];
        fcntl(out, F_SETFL, fcntl(out, F_GETFL) | O_NONBLOCK);
    }
    ~HeadlessRun()
    {
        if (running())
            kill(pid, SIGKILL);
        reap(0);
        if (out >= 0)
            close(out);
    }

    bool running() const { return pid > 0 && !ended; }

    // Reads what stderr holds and reaps the program once it has ended; past
    // limitMs it is killed.
    void step(qint64 limitMs)
    {
        char buf[1 << 16];
        ssize_t n;
        while (out >= 0 && (n = read(out, buf, sizeof buf)) > 0) {
            tail.append(buf, int(n));
            if (tail.size() > 1 << 16)
                tail.remove(0, tail.size() - (1 << 15));
        }
        if (out >= 0 && n == 0) {
            close(out);
            out = -1;
        }
        if (!running())
            return;
        if (clock.elapsed() > limitMs) {
            kill(pid, SIGKILL);
            killed = true;
        }
        reap(killed ? 0 : WNOHANG);
    }

    std::string report() const
    {
        return QString("%1 after %2 s, exit status %3, peak %4 MB%5; the log ends:\n%6")
            .arg(QString::fromStdString(args.at(5)))
            .arg(seconds, 0, 'f', 1)
            .arg(status)
            .arg(peakKb / 1024)
            .arg(killed ? ", killed" : "")
            .arg(QString::fromLocal8Bit(tail.right(1500)))
            .toStdString();
    }

    int out = -1;
    bool ended = false;
    bool killed = false;
    int status = -1;   // the exit status, -1 when ended by a signal
    double seconds = 0;
    long peakKb = 0;   // peak resident memory
    QByteArray tail;   // the last of stderr

private:
    void reap(int flags)
    {
        if (pid <= 0 || ended)
            return;
        int st = 0;
        struct rusage ru;
        if (wait4(pid, &st, flags, &ru) != pid)
            return;
        ended = true;
        seconds = clock.elapsed() / 1000.0;
        peakKb = ru.ru_maxrss;
        status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }

    std::vector<std::string> args, env;
    pid_t pid = -1;
    QElapsedTimer clock;
};

TEST(HeadlessEnd, EndlessEchoLoopsEndTheProgramInTimeWithBoundedMemory)
{
    TestFiles files;
    const QString loop = ":for i ##N## 1 2000000000\n:echo %1\n:next i\nquit\n";
    files.writeText("passes.bat", loop.arg("\"pass ##N##\""));
    files.writeText("echo100k.bat", ":let v " + QString(100000, 'k') + "\n" + loop.arg("$v$"));
    files.writeText("echo1m.bat", ":let v " + QString(1000000, 'm') + "\n" + loop.arg("$v$"));

    // Side by side: two of them run until the interpreter's 20 s bound.
    const qint64 limitMs = 30000 * SlowBuild;
    std::vector<std::unique_ptr<HeadlessRun>> runs;
    for (const char *bat : {"passes.bat", "echo100k.bat", "echo1m.bat"})
        runs.push_back(std::make_unique<HeadlessRun>(files.dir(), files.path(bat)));
    for (bool any = true; any;) {
        any = false;
        for (auto &r : runs) {
            r->step(limitMs + 5000);
            any = any || r->running();
        }
        std::vector<struct pollfd> ready;
        for (auto &r : runs)
            if (r->out >= 0)
                ready.push_back({r->out, POLLIN, 0});
        poll(ready.data(), ready.size(), 50);
    }

    for (auto &r : runs) {
        r->step(0);  // what stderr still holds
        EXPECT_EQ(r->status, 1) << r->report();
        EXPECT_LT(r->seconds, 30.0 * SlowBuild) << r->report();
#if !defined(__SANITIZE_THREAD__)
        EXPECT_LT(r->peakKb, 400 * 1024) << r->report();
#endif
        EXPECT_TRUE(r->tail.contains("Batch stopped: loop i ran")) << r->report();
        EXPECT_TRUE(r->tail.contains("The batch run was given up")) << r->report();
    }
    // The echo of a large text reaches the debug output cut, as the log cuts it.
    EXPECT_TRUE(runs[2]->tail.contains("mmmm [900005 more characters of this text are not shown]\n"))
        << runs[2]->report();
}

}  // namespace
