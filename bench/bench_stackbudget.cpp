// The program's memory over a large batch, run as a user runs it.
//
//   bench_stackbudget [--benchmark_filter=...] [PROGRAM ...]
//
// A pair of stacks of 300 frames of 1024 x 1024 16-bit pixels (7050 to 7300
// eV, the energies in the file names; 1.2 GB on disk) is written into a
// temporary folder at start; each run is a headless batch over it: both
// loads, an LCF map of two references over the whole image and a save of
// it. Every PROGRAM given (the build's vantoscope by default; give an older
// build beside it to compare) is measured:
//   BM_Batch/<limit MB>: the batch under that data limit (0: none), with the
//     peak resident size (peak_MB), the images refused, whether the program
//     ended by itself (ended) and whether the map was saved (saved);
//   BM_LowestLimit: the lowest data limit (to 16 MB) at which no image is
//     refused and the batch ends with its map saved (lowest_limit_MB).

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "imagedata/tiffwriter.h"

#ifndef VANTOSCOPE_PROGRAM
#define VANTOSCOPE_PROGRAM "vantoscope"
#endif

namespace {

const int Side = 1024;
const int Frames = 300;
QString folder;

double reference(int k, double e)
{
    const double edge = 7112 + 8 * k;
    const double wiggle = e > edge ? 0.05 * std::sin((e - edge) / (12.0 + 3 * k)) : 0.0;
    return 1.0 / (1.0 + std::exp(-(e - edge) / (2.0 + k))) + wiggle;
}

void writeText(const QString &name, const QString &text)
{
    QFile f(folder + "/" + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toLatin1()) < 0)
        qFatal("can not write %s", qPrintable(name));
}

void writeStacks()
{
    for (int k = 0; k < 2; k++) {
        QString text;
        for (int i = 0; i < 200; i++)
            text += QString("%1 %2\n")
                        .arg(7000 + 2 * i)
                        .arg(0.2 + reference(k, 7000 + 2 * i), 0, 'g', 10);
        writeText(QString("ref%1.dat").arg(k), text);
    }
    QDir(folder).mkpath("i1");
    QDir(folder).mkpath("i0");
    TiffWriter writer;
    std::vector<quint16> px(size_t(Side) * Side);
    for (int i = 0; i < Frames; i++) {
        const double e = 7050 + 250.0 * i / (Frames - 1);
        const qint64 t = std::llround(e * 10000);
        const QString name =
            QString("/%1_%2.tif").arg(t / 10000).arg(t % 10000, 4, 10, QChar('0'));
        // Every row alike: the Fe share runs across the image.
        for (int x = 0; x < Side; x++) {
            const double u = double(x) / (Side - 1);
            const double mu = 0.3 + 0.8 * (u * reference(0, e) + (1 - u) * reference(1, e));
            px[x] = quint16(std::lround(20000 * std::exp(-mu)));
        }
        for (int y = 1; y < Side; y++)
            std::copy(px.begin(), px.begin() + Side, px.begin() + size_t(y) * Side);
        if (!writer.writeTiff(folder + "/i1" + name, Side, Side, px.data())
            || !writer.writeConstTiff(folder + "/i0" + name, Side, Side, 20000))
            qFatal("can not write the stacks");
    }
    writeText("budget.bat",
              "eng_by_name_i1\neng_by_name_i0\n"
              "set_i1_energy_pattern (\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d\n"
              "set_i0_energy_pattern (\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d\n"
              "eng_by_name_factor_i1 1\neng_by_name_factor_i0 1\n"
              "load_I1_files_of_pattern NEW i1/ *.tif\nload_I0_files_of_pattern NEW i0/ *.tif\n"
              "Use_I0 1\nset_fluo_type 0\nset_band_w 0\nset_band_h 0\n"
              "select_region 0 0 1024 1024\n"
              "analyzer_set_LCF_std 0 1 0 ref0.dat 0\nanalyzer_set_LCF_std 1 1 0 ref1.dat 0\n"
              "analyzer_exec_LCF\nanalyzer_select_image_type 0\nanalyzer_select_image 0\n"
              "saveDataCfg_save_as_tiff\nsave_data out/map.tif\n:echo \"batch done\"\nquit\n");
}

struct Outcome
{
    bool ended = false;   // by itself, exit code 0, within 90 s
    bool saved = false;
    int refused = 0;
    double peakMB = 0;
    double seconds = 0;
};

// One batch of program under a data limit of limitMB (0: none).
Outcome runBatch(const std::string &program, qint64 limitMB)
{
    QDir(folder + "/out").removeRecursively();
    QDir(folder).mkpath("out");
    const std::string log = (folder + "/run.log").toStdString();
    const std::string dir = folder.toStdString();
    struct timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    const pid_t pid = fork();
    if (pid == 0) {
        if (limitMB > 0) {
            const struct rlimit lim = {rlim_t(limitMB) << 20, rlim_t(limitMB) << 20};
            setrlimit(RLIMIT_DATA, &lim);
        }
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        dup2(fd, 2);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (chdir(dir.c_str()) == 0)
            execl(program.c_str(), program.c_str(), "-c", "/dev/null", "-e", "-d", dir.c_str(),
                  "-b", "budget.bat", "-x", static_cast<char *>(nullptr));
        _exit(127);
    }
    Outcome o;
    int status = 0;
    struct rusage ru = {};
    for (int waited = 0;; waited++) {
        if (wait4(pid, &status, WNOHANG, &ru) == pid)
            break;
        if (waited == 9000)
            kill(pid, SIGKILL);
        usleep(10000);
    }
    clock_gettime(CLOCK_MONOTONIC, &t1);
    o.seconds = double(t1.tv_sec - t0.tv_sec) + 1e-9 * double(t1.tv_nsec - t0.tv_nsec);
    o.peakMB = ru.ru_maxrss / 1024.0;
    QFile f(folder + "/run.log");
    const QByteArray text = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    o.ended = WIFEXITED(status) && WEXITSTATUS(status) == 0 && text.contains("batch done");
    o.refused = text.count("Image refused");
    o.saved = !QDir(folder + "/out").entryList({"map*.tif"}, QDir::Files).isEmpty();
    return o;
}

void report(benchmark::State &state, const Outcome &o)
{
    state.SetIterationTime(o.seconds);
    state.counters["peak_MB"] = o.peakMB;
    state.counters["refused"] = o.refused;
    state.counters["ended"] = o.ended;
    state.counters["saved"] = o.saved;
}

void BM_Batch(benchmark::State &state, const std::string &program)
{
    for (auto _ : state)
        report(state, runBatch(program, state.range(0)));
}

void BM_LowestLimit(benchmark::State &state, const std::string &program)
{
    for (auto _ : state) {
        // Bisection: at hi nothing is refused, at lo something is, or the run fails.
        qint64 lo = 256, hi = 8192;
        const auto whole = [](const Outcome &o) { return o.ended && o.saved && o.refused == 0; };
        if (!whole(runBatch(program, hi))) {
            state.SkipWithError("refuses images even at 8 GB");
            return;
        }
        while (hi - lo > 16) {
            const qint64 mid = (lo + hi) / 2;
            (whole(runBatch(program, mid)) ? hi : lo) = mid;
        }
        state.SetIterationTime(1);
        state.counters["lowest_limit_MB"] = double(hi);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::vector<std::string> programs;
    for (int i = 1; i < argc; i++)   // run from the stacks' folder
        programs.push_back(
            QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath().toStdString());
    if (programs.empty())
        programs.push_back(VANTOSCOPE_PROGRAM);
    QTemporaryDir dir;
    folder = dir.path();
    writeStacks();
    for (size_t p = 0; p < programs.size(); p++) {
        const std::string tag = "/program" + std::to_string(p);
        benchmark::RegisterBenchmark(("BM_Batch" + tag).c_str(), BM_Batch, programs[p])
            ->Arg(0)->Arg(800)->Arg(1100)->Arg(1500)->Arg(2000)
            ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
        benchmark::RegisterBenchmark(("BM_LowestLimit" + tag).c_str(), BM_LowestLimit, programs[p])
            ->UseManualTime()->Iterations(1);
    }
    for (size_t p = 0; p < programs.size(); p++)
        std::printf("program%zu: %s\n", p, programs[p].c_str());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
