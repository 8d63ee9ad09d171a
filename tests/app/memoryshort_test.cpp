// Both programs run an LCF batch over a generated stack under data limits
// (setrlimit in the child) from too small to start up to enough: every run
// ends by itself within the bound, with exit status 0 or 1 and no signal,
// and a run that memory cut short says so in a line.
#include <QDir>
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

// A child whose data limit is set before it runs the program.
class LimitedProcess : public QProcess
{
public:
    explicit LimitedProcess(rlim_t bytes) : bytes(bytes) {}

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
select_region 0 0 512 512
analyzer_select_analysis_mode 0
analyzer_set_LCF_mode 0
analyzer_set_LCF_std 0 1 0 fe2o3.dat 0
analyzer_set_LCF_std 1 1 0 feo.dat 0
analyzer_exec_LCF
saveDataCfg_save_as_tiff
analyzer_select_image 0
save_data fe2o3_fraction.tif
:echo "batch done"
quit
)";

TEST(MemoryShort, RunsUnderDataLimitsEndWithALine)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' shadow memory does not fit under a data limit";
#endif
    TestFiles files;
    QProcess make;
    make.start(VANTOSCOPE_MAKEDEMO, {files.dir()});   // the references
    ASSERT_TRUE(make.waitForFinished(60000) && make.exitCode() == 0);
    // 150 frames of 512 x 512 a stack across the Fe K edge.
    for (const char *sub : {"i1", "i0"})
        QDir(files.dir()).mkpath(QString("s/") + sub);
    const int n = 150;
    for (int k = 0; k < n; k++) {
        const double e = 7050 + 250.0 * k / (n - 1);
        const int whole = int(e);
        const QString name = QString("%1_%2.tif").arg(whole).arg(int((e - whole) * 10000), 4, 10,
                                                                 QChar('0'));
        const double t = std::exp(-(0.2 + (e > 7120 ? 1.0 : 0.0) + 0.1 * k / n));
        files.write("s/i0/" + name, ImageFixtures::tiff(512, 512, QVector<quint16>(512 * 512, 40000)));
        files.write("s/i1/" + name,
                    ImageFixtures::tiff(512, 512, QVector<quint16>(512 * 512, quint16(40000 * t))));
    }
    for (const char *ref : {"fe2o3.dat", "feo.dat"})
        QFile::copy(files.path(ref), files.path(QString("s/") + ref));
    files.writeText("s/run.bat", Batch);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", files.dir());

    struct Run
    {
        const char *program;
        qint64 megabytes;
        std::unique_ptr<LimitedProcess> process;
        QByteArray out;
    };
    std::vector<Run> runs;
    for (qint64 mb : {120, 300, 380, 450, 520, 600, 2000})
        runs.push_back({VANTOSCOPE_PROGRAM, mb, nullptr, {}});
    for (qint64 mb : {380, 520})
        runs.push_back({VANTOSCOPE_CLASSIC_PROGRAM, mb, nullptr, {}});
    for (Run &r : runs) {
        r.process.reset(new LimitedProcess(rlim_t(r.megabytes) << 20));
        r.process->setProcessEnvironment(env);
        r.process->setWorkingDirectory(files.path("s"));
        r.process->setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(r.process.get(), &QProcess::readyRead, r.process.get(),
                         [&r] { r.out += r.process->readAll(); });
        r.process->start(r.program, {"-c", "/dev/null", "-e", "-d", files.path("s"), "-b",
                                     "run.bat", "-x"});
    }
    QTest::qWaitFor([&] {
        return std::all_of(runs.begin(), runs.end(), [](const Run &r) {
            return r.process->state() == QProcess::NotRunning;
        });
    }, 60000);
    const auto noted = [](const QByteArray &out) {
        return out.contains("not enough memory") || out.contains("Not enough memory")
               || out.contains("Out of memory reading");
    };
    int cutShort = 0;
    for (Run &r : runs) {
        const std::string what = std::string(r.program) + " at " + std::to_string(r.megabytes)
                                 + " MB: " + r.out.right(1500).toStdString();
        EXPECT_EQ(r.process->state(), QProcess::NotRunning) << what;
        r.process->kill();
        r.process->waitForFinished();
        EXPECT_EQ(r.process->exitStatus(), QProcess::NormalExit) << what;
        EXPECT_TRUE(r.process->exitCode() == 0 || r.process->exitCode() == 1) << what;
        // A run ends its batch or says where memory ran short.
        EXPECT_TRUE(r.out.contains("batch done") || noted(r.out)) << what;
        if (r.out.contains("batch done") && noted(r.out))
            cutShort++;
    }
    EXPECT_GT(cutShort, 0) << "no limit cut a run short that still ended its batch";
    EXPECT_TRUE(runs[0].out.contains("Not enough memory to start the program"))
        << runs[0].out.right(1500).toStdString();
    EXPECT_TRUE(runs[6].out.contains("batch done") && !noted(runs[6].out))
        << runs[6].out.right(1500).toStdString();
}

}  // namespace
