// The program's saves on a bad day, run as a user runs them: a batch that
// saves maps, images, spectra and an energy-shift map onto a full disk (a
// file size limit), onto FIFOs, and while it is killed. Every file saved
// earlier must stay byte for byte as it was, each failure must be logged, no
// save may hang and no temporary file may be left behind.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/testfiles.h"

namespace {

struct ProgramRun
{
    bool ended = false;   // by itself, before the time was up
    bool killed = false;  // by the kill the caller asked for
    QString log;
};

// Runs the program over batch in dir, its output collected. fileLimit > 0
// caps every file it writes, SIGXFSZ ignored: writes past it fail as on a
// full disk. killAfterMs >= 0 kills it that long after its log shows marker.
ProgramRun runProgram(const QString &dir, const QString &batch, long fileLimit = 0,
               const QString &marker = QString(), int killAfterMs = -1, int maxSeconds = 60)
{
    const QByteArray program = VANTOSCOPE_PROGRAM;
    const QByteArray cwd = QFile::encodeName(dir);
    std::vector<QByteArray> args = {program, "-c", "/dev/null", "-e", "-d", cwd,
                                    "-b", QFile::encodeName(batch), "-x"};
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return ProgramRun();
    const pid_t pid = fork();
    if (pid == 0) {
        if (fileLimit > 0) {
            const rlimit limit = {rlim_t(fileLimit), rlim_t(fileLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
            struct sigaction ignore = {};
            ignore.sa_handler = SIG_IGN;
            sigaction(SIGXFSZ, &ignore, nullptr);
        }
        if (chdir(cwd.constData()) != 0)
            _exit(126);
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        execv(program.constData(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    ProgramRun run;
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    qint64 killAt = -1;
    for (;;) {
        const qint64 now = clock.elapsed();
        if (killAt >= 0 && now >= killAt) {
            kill(pid, SIGKILL);
            run.killed = true;
            break;
        }
        if (now > maxSeconds * 1000) {
            kill(pid, SIGKILL);
            break;
        }
        pollfd p = {fds[0], POLLIN, 0};
        const int wait = killAt >= 0 ? int(qMax<qint64>(killAt - now, 0)) : 200;
        if (poll(&p, 1, wait) < 0 && errno != EINTR)
            break;
        if (p.revents & (POLLIN | POLLHUP)) {
            char buf[65536];
            const ssize_t n = read(fds[0], buf, sizeof buf);
            if (n <= 0) {
                run.ended = true;
                break;
            }
            out.append(buf, int(n));
            if (killAfterMs >= 0 && killAt < 0 && out.contains(marker.toUtf8()))
                killAt = clock.elapsed() + killAfterMs;
        }
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.ended = run.ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.log = QString::fromLocal8Bit(out);
    return run;
}

// A 512 x 384 energy-shift map: its saving takes long enough to be killed in.
QString empText()
{
    QString t = "###Vantoscope::VTSC\n"
                "Std Edge Energy [eV]    : 7112\n"
                "Spacing [nm]            : 3.1355316\n"
                "Width [pix]             : 512\n"
                "Height [pix]            : 384\n"
                "Area X1                 : 512\n"
                "Area Y1                 : 384\n"
                "##-----------------\n";
    for (int y = 0; y < 384; y++) {
        for (int x = 0; x < 512; x++)
            t += QString::number((x - y) * 1e-5, 'g', 6) + " ";
        t += "\n";
    }
    return t;
}

const char *const Prologue =
    "eng_by_name_i1\neng_by_name_i0\n"
    "set_i1_energy_pattern (\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d\n"
    "set_i0_energy_pattern (\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d\n"
    "eng_by_name_factor_i1 1\neng_by_name_factor_i0 1\n"
    "load_I1_files_of_pattern NEW i1/ *.tif\nload_I0_files_of_pattern NEW i0/ *.tif\n"
    "Use_I0 1\nset_fluo_type 0\nset_band_w 0\nset_band_h 0\nselect_region 0 0 32 24\n"
    "analyzer_select_analysis_mode 0\nanalyzer_set_LCF_mode 0\n"
    "analyzer_set_LCF_std 0 1 0 fe2o3.dat 0\nanalyzer_set_LCF_std 1 1 0 feo.dat 0\n"
    "analyzer_exec_LCF\nanalyzer_select_image_type 0\nselect_disp_image 3\n"
    "analyzer_select_image 0\ncalib_load_map shift.emp\n"
    "saveDataCfg_save_as_text\nsaveDataCfg_text_as_xyz\n"
    ":echo \"saving now\"\n";

// Every writer once, into out/.
const char *const Saves =
    "saveDataCfg_save_as_text\nsave_data out/map.dat\n"
    "saveDataCfg_save_as_tiff\nsave_data out/map.tif\n"
    "save_image out/img.png\nsave_all_images out/all.png\n"
    "move_position 16 12\nsave_spectra out/spec.dat\n"
    "calib_save_map out/shift.emp\n";

// What the saves write.
const QStringList Targets = {"map-0.dat",  "map-0.tif",  "map-0--cBar.tif", "img.png",
                             "img-cBar.png", "all-0-0.png", "all-1-0.png",     "all-0-1.png",
                             "all-1-1.png",  "spec-T.dat",  "spec-std.dat",    "shift.emp"};

class WholeSaves : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The program's own leak check would fail its exit code in sanitizer builds.
        qputenv("ASAN_OPTIONS", "detect_leaks=0");
        QProcess make;
        make.start(VANTOSCOPE_MAKEDEMO, {files.dir()});
        ASSERT_TRUE(make.waitForFinished(60000));
        ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().constData();
        files.writeText("shift.emp", empText());
        files.writeText("saves.bat", QString(Prologue) + Saves + ":echo \"saves done\"\nquit\n");
        QDir(files.dir()).mkpath("out");
    }

    QString out(const QString &name) const { return files.path("out/" + name); }
    QStringList outFiles() const
    {
        return QDir(files.path("out")).entryList(QDir::AllEntries | QDir::System | QDir::Hidden
                                                     | QDir::NoDotAndDotDot,
                                                 QDir::Name);
    }
    QByteArray bytes(const QString &name) const { return files.read("out/" + name); }

    TestFiles files;
};

// The lines of the debug log that name file and say it was not written, and why.
int failuresNaming(const QString &log, const QString &file, const QString &why = QString())
{
    int n = 0;
    for (const QString &l : log.split('\n'))
        n += l.contains("Can not write") && l.contains("/" + file + "\" : " + why);
    return n;
}

// A saved shift map without its line of the time of writing.
QByteArray undated(QByteArray emp)
{
    const int from = emp.indexOf("\nRecord Date");
    return from < 0 ? emp : emp.remove(from, emp.indexOf('\n', from + 1) - from);
}

TEST_F(WholeSaves, FullDiskFifosAndKillsLeaveEarlierFilesAsTheyWere)
{
    // A complete save of everything: all targets, nothing else.
    ProgramRun first = runProgram(files.dir(), "saves.bat");
    ASSERT_TRUE(first.ended) << first.log.toStdString();
    ASSERT_TRUE(first.log.contains("saves done"));
    QStringList sorted = Targets;
    sorted.sort();
    ASSERT_EQ(outFiles(), sorted) << first.log.toStdString();
    QMap<QString, QByteArray> earlier;
    for (const QString &t : Targets)
        earlier[t] = bytes(t);

    // A full disk: every file larger than 64 bytes fails to be written.
    ProgramRun full = runProgram(files.dir(), "saves.bat", 64);
    EXPECT_TRUE(full.ended && full.log.contains("saves done")) << full.log.toStdString();
    EXPECT_EQ(outFiles(), sorted) << "a temporary file left behind";
    for (const QString &t : Targets) {
        EXPECT_EQ(bytes(t), earlier[t]) << t.toStdString() << " changed on a full disk";
        EXPECT_EQ(failuresNaming(full.log, t), 1) << t.toStdString() << "\n"
                                                  << full.log.toStdString();
    }

    // Killed at random moments while the big shift map is saved again and
    // again: the files always hold a whole save.
    const QString loop = files.writeText(
        "loop.bat", QString(Prologue) + ":for i ##N## 1 400 1\nsave_data out/map.dat\n"
                                        "calib_save_map out/shift.emp\n:next i\nquit\n");
    QRandomGenerator random(24);
    for (int k = 0; k < 4; k++) {
        const ProgramRun killed = runProgram(files.dir(), loop, 0, "saving now", random.bounded(50, 400));
        ASSERT_TRUE(killed.killed) << killed.log.toStdString();
        EXPECT_EQ(bytes("map-0.dat"), earlier["map-0.dat"]) << "torn by a kill, run " << k;
        EXPECT_EQ(undated(bytes("shift.emp")), undated(earlier["shift.emp"]))
            << "torn by a kill, run " << k;
    }
    // Whatever temporary files the kills left, the next save starts clean.
    for (const QString &f : outFiles()) {
        if (!Targets.contains(f))
            QFile::remove(out(f));
    }

    // A FIFO or a folder in place of every output: refused, nothing blocks,
    // the batch goes on to its end and nothing else is written.
    for (const QString &t : Targets) {
        QFile::remove(out(t));
        if (t == "img.png")
            QDir().mkdir(out(t));
        else
            ASSERT_EQ(mkfifo(QFile::encodeName(out(t)).constData(), 0600), 0);
    }
    ProgramRun fifos = runProgram(files.dir(), "saves.bat", 0, QString(), -1, 30);
    EXPECT_TRUE(fifos.ended && fifos.log.contains("saves done")) << fifos.log.toStdString();
    EXPECT_EQ(outFiles(), sorted) << "written beside the FIFOs";
    for (const QString &t : Targets) {
        struct stat st;
        ASSERT_EQ(stat(QFile::encodeName(out(t)).constData(), &st), 0) << t.toStdString();
        EXPECT_TRUE(t == "img.png" ? S_ISDIR(st.st_mode) : S_ISFIFO(st.st_mode)) << t.toStdString();
        EXPECT_EQ(failuresNaming(fifos.log, t, t == "img.png" ? "a directory" : "not a regular file"),
                  1) << t.toStdString();
    }
}

TEST_F(WholeSaves, AllImagesIntoNoFolderOrUnknownFormatSaySo)
{
    files.writeText("all.bat", QString(Prologue)
                                   + "save_all_images nowhere/all.png\n"
                                     "save_all_images out/all.nosuchformat\n"
                                     ":echo \"saves done\"\nquit\n");
    const ProgramRun run = runProgram(files.dir(), "all.bat");
    EXPECT_TRUE(run.ended && run.log.contains("saves done")) << run.log.toStdString();
    EXPECT_TRUE(run.log.contains("no image saved, no folder")) << run.log.toStdString();
    EXPECT_TRUE(run.log.contains("no image saved, no image format")) << run.log.toStdString();
    EXPECT_TRUE(outFiles().isEmpty());
}

} // namespace
