// Both programs run an LCF batch under data limits set in the child
// (setrlimit), as on a small or shared machine. Every run ends by itself,
// with exit status 0 or 1 and no signal; a load takes no more than leaves room
// for the work and says once per stack how many images it left out; a run
// that memory cut short saves the map of a run without a limit or says why not.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
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

// %1: the saved map's name, %2: the side of the image.
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
select_region 0 0 %2 %2
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
    bool endedWell() const { return out.contains("batch done") && process.exitCode() == 0; }
    // Per stack, "k n" of each line saying k of n images were left out.
    QMap<QString, QStringList> leftOut() const
    {
        QMap<QString, QStringList> lines;
        const QRegularExpression line("(I1|I0) stack: (\\d+) of (\\d+) images were left out \\(memory\\)");
        for (auto m = line.globalMatch(QString::fromLocal8Bit(out)); m.hasNext();) {
            const auto match = m.next();
            lines[match.captured(1)] << match.captured(2) + " " + match.captured(3);
        }
        return lines;
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

// The demo's references, and stacks of n frames of side x side pixels across
// the Fe K edge in i1/ and i0/.
void makeStacks(const TestFiles &files, int n, int side)
{
    QProcess make;
    make.start(VANTOSCOPE_MAKEDEMO, {files.dir()});
    ASSERT_TRUE(make.waitForFinished(60000) && make.exitCode() == 0);
    for (const char *sub : {"i1", "i0"}) {
        QDir(files.path(sub)).removeRecursively();
        QDir(files.dir()).mkpath(sub);
    }
    const QByteArray i0 = ImageFixtures::tiff(side, side, QVector<quint16>(side * side, 40000));
    for (int k = 0; k < n; k++) {
        const double e = 7050 + 250.0 * k / (n - 1);
        const int whole = int(e);
        const QString name =
            QString("%1_%2.tif").arg(whole).arg(int((e - whole) * 10000), 4, 10, QChar('0'));
        QVector<quint16> i1(side * side);
        for (int p = 0; p < i1.size(); p++)
            i1[p] = quint16(40000 * std::exp(-(0.3 + (e > 7120 ? 0.5 + (p % side) / double(side) : 0.0))));
        files.write("i0/" + name, i0);
        files.write("i1/" + name, ImageFixtures::tiff(side, side, i1));
    }
}

// Starts the runs from first on side by side, each with a batch of its own
// over an image of side pixels, and waits for all.
void runAll(const TestFiles &files, std::vector<std::unique_ptr<LimitedRun>> &runs, int first,
            int side)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", files.dir());
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    for (int k = first; k < int(runs.size()); k++) {
        LimitedRun &r = *runs[k];
        files.writeText(QString("run%1.bat").arg(k), QString(Batch).arg(k).arg(side));
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

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SKIP_IN_SANITIZER_BUILDS() GTEST_SKIP() << "the sanitizers' shadow memory does not fit under a data limit"
#else
#define SKIP_IN_SANITIZER_BUILDS()
#endif

TEST(DataLimit, RunsThatRunShortEndAndSayWhere)
{
    SKIP_IN_SANITIZER_BUILDS();
    TestFiles files;
    const int side = 256;
    ASSERT_NO_FATAL_FAILURE(makeStacks(files, 100, side));

    // Without a limit, for the data each program takes at most.
    std::vector<std::unique_ptr<LimitedRun>> runs;
    runs.emplace_back(new LimitedRun(VANTOSCOPE_PROGRAM, 0));
    runs.emplace_back(new LimitedRun(VANTOSCOPE_CLASSIC_PROGRAM, 0));
    runAll(files, runs, 0, side);
    const QStringList map = files.savedMap("0_fe2o3");
    ASSERT_GT(map.size(), side * side) << map.value(0).toStdString();
    for (int k : {0, 1}) {
        ASSERT_TRUE(runs[k]->endedWell()) << runs[k]->what();
        ASSERT_GT(runs[k]->peakDataKb, 0);
    }
    // Too little to start; some 3 and 6 threads' stacks short of the peak.
    const qint64 mainPeak = runs[0]->peakDataKb / 1024, classicPeak = runs[1]->peakDataKb / 1024;
    runs.emplace_back(new LimitedRun(VANTOSCOPE_PROGRAM, 16));
    runs.emplace_back(new LimitedRun(VANTOSCOPE_PROGRAM, mainPeak - 24));
    runs.emplace_back(new LimitedRun(VANTOSCOPE_PROGRAM, mainPeak - 48));
    runs.emplace_back(new LimitedRun(VANTOSCOPE_CLASSIC_PROGRAM, classicPeak - 24));
    runAll(files, runs, 2, side);

    EXPECT_TRUE(runs[2]->out.contains("Not enough memory to start the program")) << runs[2]->what();
    EXPECT_EQ(runs[2]->process.exitCode(), 1);
    // Where memory ran short the log says so: threads that did not start,
    // frames left out, or work that failed.
    const auto noted = [](const QByteArray &out) {
        return out.contains("not enough memory") || out.contains("Not enough memory")
               || out.contains("Out of memory reading") || out.contains("Image refused")
               || out.contains("threads started; going on with");
    };
    int ranShort = 0;
    for (int k = 3; k < 6; k++) {
        const LimitedRun &r = *runs[k];
        EXPECT_TRUE(r.endedWell()) << r.what();
        ranShort += noted(r.out);
        // The same values on the threads that started, or a line saying why not.
        const QStringList saved = files.savedMap(QString("%1_fe2o3").arg(k));
        EXPECT_TRUE(saved == map || noted(r.out)) << r.what();
    }
    EXPECT_GT(ranShort, 0) << "no limit made memory run short";
}

// Halving the range of limits until one cuts the I1 stack short: above it
// nothing of I1 is refused, below it all of it. Frames are refused from their
// headers early enough that the map over the whole image and its save still
// run, and each load says once how many it left out.
TEST(DataLimit, FramesAreRefusedEarlyEnoughForTheMapAndItsSave)
{
    SKIP_IN_SANITIZER_BUILDS();
    TestFiles files;
    const int side = 1024, frames = 49;   // 3 MB a frame in memory
    ASSERT_NO_FATAL_FAILURE(makeStacks(files, frames, side));
    double lo = 256, hi = 6144;   // MB
    bool cut = false;
    std::vector<std::unique_ptr<LimitedRun>> runs;
    for (int attempt = 0; attempt < 9 && !cut; attempt++) {
        const double mb = std::sqrt(lo * hi);
        runs.emplace_back(new LimitedRun(VANTOSCOPE_PROGRAM, qint64(mb)));
        runAll(files, runs, attempt, side);
        const LimitedRun &r = *runs.back();
        SCOPED_TRACE(r.what());
        int listed = 0;
        const QMap<QString, QStringList> leftOut = r.leftOut();
        for (const QStringList &lines : leftOut) {
            ASSERT_EQ(lines.size(), 1);   // once per load
            EXPECT_TRUE(lines[0].endsWith(QString(" %1").arg(frames)));
            listed += lines[0].split(' ')[0].toInt();
        }
        EXPECT_EQ(listed, r.out.count("Image refused"));
        const int i1Refused = leftOut.value("I1").value(0).split(' ')[0].toInt();
        if (i1Refused == frames || (!r.endedWell() && listed == 0)) {
            lo = mb;   // too little to start with
            continue;
        }
        // Whatever was taken left room for the map, its save and the end.
        ASSERT_TRUE(r.endedWell());
        EXPECT_GT(files.savedMap(QString("%1_fe2o3").arg(attempt)).size(), side * side);
        if (i1Refused == 0)
            hi = mb;
        else
            cut = true;
    }
    EXPECT_TRUE(cut) << "no limit between " << lo << " and " << hi << " MB cut the I1 stack";
}

}  // namespace
