// Both programs run an LCF batch over a generated stack under data limits set
// in the child (setrlimit): too small to start, and a little below what the
// run takes without a limit, where threads or frames no longer fit. Every run
// ends by itself, with exit status 0 or 1 and no signal; a run that memory
// cut short saves the map of a run without a limit or says why not.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <sys/resource.h>

#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/timing.h"

namespace {

// Runs a program with its data limited to megabytes (0: no limit) before it starts.
class LimitedProcess : public QProcess
{
public:
    explicit LimitedProcess(qint64 megabytes)
        : bytes(megabytes > 0 ? rlim_t(megabytes) << 20 : RLIM_INFINITY)
    {
    }

protected:
    void setupChildProcess() override
    {
        const struct rlimit limit = {bytes, bytes};
        setrlimit(RLIMIT_DATA, &limit);
    }

private:
    const rlim_t bytes;
};

const char *const Batch = R"(eng_by_name_i1
eng_by_name_i0
set_i1_energy_pattern (\d|)\d\d\d\d_\d\d\d\d
set_i0_energy_pattern (\d|)\d\d\d\d_\d\d\d\d
eng_by_name_factor_i1 1
eng_by_name_factor_i0 1
load_I1_files_of_pattern NEW i1/ *.tif
load_I0_files_of_pattern NEW i0/ *.tif
Use_I0 1
set_band_w 0
set_band_h 0
select_region 0 0 256 256
analyzer_select_analysis_mode 0
analyzer_set_LCF_mode 0
analyzer_set_LCF_std 0 1 0 fe2o3.dat 0
analyzer_set_LCF_std 1 1 0 feo.dat 0
analyzer_exec_LCF
saveDataCfg_save_as_text
analyzer_select_image 0
save_data %1_fe2o3.dat
:echo "batch done"
quit
)";

struct LimitedRun
{
    LimitedRun(const char *program, qint64 megabytes) : program(program), megabytes(megabytes) {}
    const char *program;
    qint64 megabytes;
    LimitedProcess process{megabytes};
    QByteArray out;
    qint64 peakDataKb = 0;   // VmData, read while it ran
    std::string what() const
    {
        return std::string(program) + " at " + std::to_string(megabytes) + " MB: "
               + out.right(1500).toStdString();
    }
};

qint64 dataKb(qint64 pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmData:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Starts the runs side by side, each with a batch of its own, and waits for all.
void runAll(const TestFiles &files, std::vector<std::unique_ptr<LimitedRun>> &runs, int first)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", files.dir());
    for (int k = first; k < int(runs.size()); k++) {
        LimitedRun &r = *runs[k];
        files.writeText(QString("run%1.bat").arg(k), QString(Batch).arg(k));
        r.process.setProcessEnvironment(env);
        r.process.setWorkingDirectory(files.dir());
        r.process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&r.process, &QProcess::readyRead, &r.process,
                         [&r] { r.out += r.process.readAll(); });
        r.process.start(r.program, {"-c", "/dev/null", "-e", "-d", files.dir(), "-b",
                                    QString("run%1.bat").arg(k), "-x"});
    }
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        bool running = false;
        for (int k = first; k < int(runs.size()); k++) {
            LimitedRun &r = *runs[k];
            if (r.process.state() != QProcess::NotRunning) {
                running = true;
                r.peakDataKb = qMax(r.peakDataKb, dataKb(r.process.processId()));
            }
        }
        if (!running || clock.elapsed() > 60000 * SlowBuild)
            break;
        QTest::qWait(2);
    }
    for (int k = first; k < int(runs.size()); k++) {
        LimitedRun &r = *runs[k];
        EXPECT_EQ(r.process.state(), QProcess::NotRunning) << r.what();
        r.process.kill();
        r.process.waitForFinished();
        EXPECT_EQ(r.process.exitStatus(), QProcess::NormalExit) << r.what();
        EXPECT_TRUE(r.process.exitCode() == 0 || r.process.exitCode() == 1) << r.what();
    }
}

TEST(MemoryShort, RunsUnderDataLimitsEndAndSayWhereTheyRanShort)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' shadow memory does not fit under a data limit";
#endif
    TestFiles files;
    QProcess make;
    make.start(VANTOSCOPE_MAKEDEMO, {files.dir()});   // the references, and i1/, i0/
    ASSERT_TRUE(make.waitForFinished(60000) && make.exitCode() == 0);
    // 100 frames of 256 x 256 a stack across the Fe K edge, in place of the demo's.
    for (const char *sub : {"i1", "i0"}) {
        QDir(files.path(sub)).removeRecursively();
        QDir(files.dir()).mkpath(sub);
    }
    const int n = 100, side = 256;
    for (int k = 0; k < n; k++) {
        const double e = 7050 + 250.0 * k / (n - 1);
        const int whole = int(e);
        const QString name =
            QString("%1_%2.tif").arg(whole).arg(int((e - whole) * 10000), 4, 10, QChar('0'));
        QVector<quint16> i1(side * side);
        for (int p = 0; p < i1.size(); p++)
            i1[p] = quint16(40000 * std::exp(-(0.3 + (e > 7120 ? 0.5 + (p % side) / 256.0 : 0.0))));
        files.write("i0/" + name, ImageFixtures::tiff(side, side, QVector<quint16>(side * side, 40000)));
        files.write("i1/" + name, ImageFixtures::tiff(side, side, i1));
    }

    // Without a limit, for the data each program takes at most.
    std::vector<std::unique_ptr<LimitedRun>> runs;
    runs.emplace_back(new LimitedRun(VANTOSCOPE_PROGRAM, 0));
    runs.emplace_back(new LimitedRun(VANTOSCOPE_CLASSIC_PROGRAM, 0));
    runAll(files, runs, 0);
    const QStringList map = files.savedMap("0_fe2o3");
    ASSERT_GT(map.size(), side * side) << map.value(0).toStdString();
    for (int k : {0, 1}) {
        ASSERT_TRUE(runs[k]->out.contains("batch done")) << runs[k]->what();
        ASSERT_GT(runs[k]->peakDataKb, 0);
    }
    // Too little to start; some 3 and 6 thread stacks short of the peak.
    const qint64 mainPeak = runs[0]->peakDataKb / 1024, classicPeak = runs[1]->peakDataKb / 1024;
    runs.emplace_back(new LimitedRun(VANTOSCOPE_PROGRAM, 16));
    runs.emplace_back(new LimitedRun(VANTOSCOPE_PROGRAM, mainPeak - 24));
    runs.emplace_back(new LimitedRun(VANTOSCOPE_PROGRAM, mainPeak - 48));
    runs.emplace_back(new LimitedRun(VANTOSCOPE_CLASSIC_PROGRAM, classicPeak - 24));
    runAll(files, runs, 2);

    EXPECT_TRUE(runs[2]->out.contains("Not enough memory to start the program")) << runs[2]->what();
    EXPECT_EQ(runs[2]->process.exitCode(), 1);
    // Where memory ran short the log says so: threads that did not start,
    // frames left out, or work that failed.
    const auto noted = [](const QByteArray &out) {
        return out.contains("not enough memory") || out.contains("Not enough memory")
               || out.contains("Out of memory reading") || out.contains("Image refused");
    };
    int ranShort = 0;
    for (int k = 3; k < 6; k++) {
        const LimitedRun &r = *runs[k];
        EXPECT_TRUE(r.out.contains("batch done")) << r.what();
        EXPECT_EQ(r.process.exitCode(), 0) << r.what();
        const bool threads = r.out.contains("threads started; going on with");
        if (threads || noted(r.out))
            ranShort++;
        // The same values on the threads that started, or a line saying why not.
        const QStringList saved = files.savedMap(QString("%1_fe2o3").arg(k));
        EXPECT_TRUE(saved == map || noted(r.out)) << r.what();
    }
    EXPECT_GT(ranShort, 0) << "no limit made memory run short";
}

}  // namespace
