// The program under a data limit (setrlimit in the child), as on a small or
// shared machine: a load takes no more of it than leaves room for the work, so
// under a limit that cuts the I1 stack short the frames past it are refused
// from their headers, the batch's LCF map over the whole image and its save
// still run, the program ends by itself, and the log says once per stack how
// many images were left out.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <cmath>
#include <sys/resource.h>

#include "imagedata/tiffdata.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

namespace {

const int Side = 1024;

// A child with a data limit of its own.
class LimitedProcess : public QProcess
{
public:
    explicit LimitedProcess(qint64 dataBytes) : dataBytes(dataBytes) {}

protected:
    void setupChildProcess() override
    {
        const struct rlimit lim = {rlim_t(dataBytes), rlim_t(dataBytes)};
        setrlimit(RLIMIT_DATA, &lim);
    }

private:
    const qint64 dataBytes;
};

struct LimitedRun
{
    QString log;
    bool endedWell = false;   // by itself, exit code 0
    QMap<QString, QStringList> leftOut;   // stack: "k n" of each line
};

LimitedRun runLimited(const QString &dir, qint64 dataBytes)
{
    LimitedProcess p(dataBytes);
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(VANTOSCOPE_PROGRAM, {"-c", "/dev/null", "-e", "-d", dir, "-b", "budget.bat", "-x"});
    LimitedRun r;
    r.endedWell = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit
                  && p.exitCode() == 0;
    p.kill();
    p.waitForFinished();
    r.log = QString::fromLocal8Bit(p.readAll());
    const QRegularExpression line(
        "(I1|I0) stack: (\\d+) of (\\d+) images were left out \\(memory\\)");
    for (auto m = line.globalMatch(r.log); m.hasNext();) {
        const auto match = m.next();
        r.leftOut[match.captured(1)] << match.captured(2) + " " + match.captured(3);
    }
    return r;
}

TEST(StackBudget, UnderADataLimitFramesAreRefusedEarlyEnoughForTheMapAndItsSave)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "sanitizers reserve shadow memory no data limit can hold";
#endif
    qputenv("ASAN_OPTIONS", "detect_leaks=0");
    TestFiles files;
    QProcess make;
    make.start(VANTOSCOPE_MAKEDEMO, {files.dir()});
    ASSERT_TRUE(make.waitForFinished(60000) && make.exitCode() == 0);
    // The demo's frames, tiled over 1024 x 1024: 3 MB a frame in memory.
    int frames = 0;
    for (const QString stack : {"i1", "i0"}) {
        QDir big(files.path("big" + stack));
        big.mkpath(".");
        const QStringList names =
            QDir(files.path(stack)).entryList({"*.tif"}, QDir::Files, QDir::Name);
        for (const QString &name : names) {
            TiffData small;
            ASSERT_TRUE(small.load(files.path(stack + "/" + name), nullptr));
            const QVector<quint16> pixels = ImageFixtures::pixels16(
                Side, Side, [&](int x, int y) { return small.pixelValue(x % 32, y % 24); });
            files.write("big" + stack + "/" + name, ImageFixtures::tiff(Side, Side, pixels));
        }
        frames = names.size();
    }
    ASSERT_GT(frames, 40);
    files.writeText("budget.bat",
                    "eng_by_name_i1\neng_by_name_i0\n"
                    "set_i1_energy_pattern (\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d\n"
                    "set_i0_energy_pattern (\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d\n"
                    "eng_by_name_factor_i1 1\neng_by_name_factor_i0 1\n"
                    "load_I1_files_of_pattern NEW bigi1/ *.tif\n"
                    "load_I0_files_of_pattern NEW bigi0/ *.tif\n"
                    "Use_I0 1\nset_fluo_type 0\nset_band_w 0\nset_band_h 0\n"
                    "select_region 0 0 1024 1024\n"
                    "analyzer_set_LCF_std 0 1 0 fe2o3.dat 0\nanalyzer_set_LCF_std 1 1 0 feo.dat 0\n"
                    "analyzer_exec_LCF\nanalyzer_select_image_type 0\nselect_disp_image 3\n"
                    "analyzer_select_image 0\nsaveDataCfg_save_as_tiff\nsave_data out/map.tif\n"
                    ":echo \"batch done\"\nquit\n");
    QDir out(files.path("out"));

    // Halving the range of limits until one cuts the I1 stack short: above it
    // nothing of I1 is refused, below it all of it.
    double lo = 256, hi = 6144;   // MB
    bool cut = false;
    for (int attempt = 0; attempt < 9 && !cut; attempt++) {
        const double mb = std::sqrt(lo * hi);
        out.removeRecursively();
        out.mkpath(".");
        const LimitedRun r = runLimited(files.dir(), qint64(mb * 1048576));
        SCOPED_TRACE(QString("data limit %1 MB").arg(qint64(mb)).toStdString());
        int listed = 0;
        for (const QStringList &lines : r.leftOut) {
            ASSERT_EQ(lines.size(), 1) << r.log.toStdString();   // once per load
            EXPECT_TRUE(lines[0].endsWith(QString(" %1").arg(frames)));
            listed += lines[0].split(' ')[0].toInt();
        }
        EXPECT_EQ(listed, r.log.count("Image refused")) << r.log.toStdString();
        const int i1Refused = r.leftOut.value("I1").value(0).split(' ')[0].toInt();
        if (i1Refused == frames || (!r.endedWell && listed == 0)) {
            lo = mb;   // too little to start with
            continue;
        }
        // Whatever was taken left room for the map, its save and the end.
        ASSERT_TRUE(r.endedWell) << r.log.right(3000).toStdString();
        EXPECT_TRUE(r.log.contains("batch done"));
        EXPECT_FALSE(out.entryList({"map*.tif"}, QDir::Files).isEmpty())
            << r.log.right(3000).toStdString();
        if (i1Refused == 0) {
            hi = mb;
            continue;
        }
        cut = true;
    }
    EXPECT_TRUE(cut) << "no limit between " << lo << " and " << hi << " MB cut the I1 stack";
}

}  // namespace
