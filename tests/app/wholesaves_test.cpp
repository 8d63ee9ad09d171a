// The program's saves on a bad day, run as a user runs them: a batch saves
// maps, images, spectra and an energy-shift map onto a full disk (a file size
// limit), onto FIFOs and a folder, and while it is killed. Every file saved
// earlier stays byte for byte as it was, each failure is logged, no save
// hangs and no temporary file is left behind.
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/testfiles.h"

namespace {

// The log of the program run over batch in dir, with a last line saying how
// it ended when it did not end by itself with exit code 0. fileBlocks > 0 caps every file it writes at that many 512-byte
// blocks, SIGXFSZ ignored: writes past it fail as on a full disk.
// killAfterMs >= 0 kills it that long after its log says "saving now".
QString runProgram(const QString &dir, const QString &batch, int fileBlocks = 0,
                   int killAfterMs = -1)
{
    const QStringList args = {"-c", "/dev/null", "-e", "-d", dir, "-b", batch, "-x"};
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (fileBlocks > 0)
        p.start("/bin/sh", QStringList{"-c", QString("trap '' XFSZ; ulimit -f %1; exec \"$0\" \"$@\"")
                                                 .arg(fileBlocks),
                                       VANTOSCOPE_PROGRAM} + args);
    else
        p.start(VANTOSCOPE_PROGRAM, args);
    QByteArray log;
    QElapsedTimer clock;
    clock.start();
    qint64 killAt = -1;
    while (p.state() != QProcess::NotRunning && clock.elapsed() < 90000
           && (killAt < 0 || clock.elapsed() < killAt)) {
        p.waitForReadyRead(5);
        log += p.readAll();
        if (killAfterMs >= 0 && killAt < 0 && log.contains("saving now"))
            killAt = clock.elapsed() + killAfterMs;
    }
    const bool ended = p.state() == QProcess::NotRunning;
    p.kill();   // SIGKILL
    p.waitForFinished();
    log += p.readAll();
    if (!ended)
        log += "\nkilled after " + QByteArray::number(clock.elapsed()) + " ms";
    else if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        log += "\nexit status " + QByteArray::number(p.exitStatus()) + ", code "
               + QByteArray::number(p.exitCode());
    return log;
}

const char *const Prologue =
    "eng_by_name_i1\neng_by_name_i0\n"
    "set_i1_energy_pattern (\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d\n"
    "set_i0_energy_pattern (\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d\n"
    "eng_by_name_factor_i1 1\neng_by_name_factor_i0 1\n"
    "load_I1_files_of_pattern NEW i1/ *.tif\nload_I0_files_of_pattern NEW i0/ *.tif\n"
    "Use_I0 1\nset_fluo_type 0\nset_band_w 0\nset_band_h 0\nselect_region 0 0 32 24\n"
    "analyzer_set_LCF_std 0 1 0 fe2o3.dat 0\nanalyzer_set_LCF_std 1 1 0 feo.dat 0\n"
    "analyzer_exec_LCF\nanalyzer_select_image_type 0\nselect_disp_image 3\n"
    "analyzer_select_image 0\ncalib_load_map shift.emp\nsaveDataCfg_text_as_xyz\n"
    ":echo \"saving now\"\n";

// Every writer once, into out/, and two saves of all images that can not be.
const char *const Saves =
    "saveDataCfg_save_as_text\nsave_data out/map.dat\n"
    "saveDataCfg_save_as_tiff\nsave_data out/map.tif\n"
    "save_image out/img.png\nsave_all_images out/all.png\n"
    "save_image out/img.tif\nsave_all_images out/all.tif\n"
    "move_position 16 12\nsave_spectra out/point.dat\ncalib_save_map out/shift.emp\n"
    "save_all_images nowhere/all.png\nsave_all_images out/all.nosuchformat\n"
    ":echo \"saves done\"\nquit\n";

const QStringList Targets = {"all-0-0.png",  "all-0-0.tif",  "all-0-1.png",     "all-0-1.tif",
                             "all-1-0.png",  "all-1-0.tif",  "all-1-1.png",     "all-1-1.tif",
                             "img-cBar.png", "img-cBar.tif", "img.png",         "img.tif",
                             "map-0--cBar.tif", "map-0.dat", "map-0.tif",       "point-T.dat",
                             "point-std.dat", "shift.emp"};

bool savedToTheEnd(const QString &log)
{
    return log.contains("echo saves done") && !log.contains("\nkilled after")
           && !log.contains("\nexit status");
}

// The lines of the log that say file was not written, and why.
int failuresNaming(const QString &log, const QString &file, const QString &why = QString())
{
    int n = 0;
    for (const QString &l : log.split('\n'))
        n += l.startsWith("Can not write") && l.contains("/" + file + "\" : " + why);
    return n;
}

// A saved shift map without its line of the time of writing.
QByteArray undated(QByteArray emp)
{
    const int from = emp.indexOf("\nRecord Date");
    return from < 0 ? emp : emp.remove(from, emp.indexOf('\n', from + 1) - from);
}

TEST(WholeSaves, FullDiskFifosAndKillsLeaveEarlierFilesAsTheyWere)
{
    // The program's own leak check would fail its exit code in sanitizer builds.
    qputenv("ASAN_OPTIONS", "detect_leaks=0");
    TestFiles files;
    QProcess make;
    make.start(VANTOSCOPE_MAKEDEMO, {files.dir()});
    ASSERT_TRUE(make.waitForFinished(60000) && make.exitCode() == 0);
    // A 512 x 384 shift map: saved slowly enough to be killed during its save.
    QString emp = "###Vantoscope::VTSC\nStd Edge Energy [eV]    : 7112\n"
                  "Spacing [nm]            : 3.1355316\nWidth [pix]             : 512\n"
                  "Height [pix]            : 384\n##-----------------\n";
    for (int y = 0; y < 384; y++)
        emp += QString("%1 ").arg(y * 1e-5).repeated(512) + "\n";
    files.writeText("shift.emp", emp);
    files.writeText("saves.bat", QString(Prologue) + Saves);
    QDir out(files.path("out"));
    out.mkpath(".");
    const auto outFiles = [&] {
        return out.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                             QDir::Name);
    };
    const auto bytes = [&](const QString &name) { return files.read("out/" + name); };

    const QString first = runProgram(files.dir(), "saves.bat");
    ASSERT_TRUE(savedToTheEnd(first)) << first.toStdString();
    ASSERT_EQ(outFiles(), Targets) << first.toStdString();
    for (const char *picture : {"img", "img-cBar", "all-1-1"}) {
        const QImage tif(out.filePath(QString(picture) + ".tif"));
        ASSERT_FALSE(tif.isNull()) << picture;
        EXPECT_EQ(tif.convertToFormat(QImage::Format_RGB32),
                  QImage(out.filePath(QString(picture) + ".png")).convertToFormat(QImage::Format_RGB32))
            << picture;
    }
    EXPECT_TRUE(first.contains("saveAllImages: no image saved, no folder"));
    EXPECT_TRUE(first.contains("saveAllImages: no image saved, no image format"));
    QMap<QString, QByteArray> earlier;
    for (const QString &t : Targets)
        earlier[t] = bytes(t);

    // A full disk: no file grows past 512 bytes.
    const QString full = runProgram(files.dir(), "saves.bat", 1);
    EXPECT_TRUE(savedToTheEnd(full)) << full.toStdString();
    EXPECT_EQ(outFiles(), Targets) << "a temporary file left behind";
    // A colour bar is written only beside a map or image that was: img-cBar.png
    // beside img.png, map-0--cBar.tif beside map-0.tif.
    const auto written = [&](const QString &t) {
        const QString of = QString(t).replace("--cBar", "").replace("-cBar", "");
        return of == t || earlier[of].size() <= 512;
    };
    for (const QString &t : Targets) {
        EXPECT_EQ(bytes(t), earlier[t]) << t.toStdString() << " changed on a full disk";
        EXPECT_EQ(failuresNaming(full, t, "File too large"),
                  earlier[t].size() > 512 && written(t) ? 1 : 0)
            << t.toStdString() << "\n" << full.toStdString();
    }

    // Killed at random moments while saving again and again: each file
    // always holds a whole save.
    files.writeText("loop.bat", QString(Prologue) + ":for i ##N## 1 400 1\nsave_data out/map.dat\n"
                                                    "calib_save_map out/shift.emp\n:next i\nquit\n");
    for (int k = 0; k < 4; k++) {
        runProgram(files.dir(), "loop.bat", 0, QRandomGenerator::global()->bounded(50, 400));
        EXPECT_EQ(bytes("map-0.dat"), earlier["map-0.dat"]) << "torn by a kill, run " << k;
        EXPECT_EQ(undated(bytes("shift.emp")), undated(earlier["shift.emp"]))
            << "torn by a kill, run " << k;
    }

    // A FIFO or a folder in place of every output: refused without blocking,
    // the batch goes on to its end, nothing else is written.
    for (const QString &f : outFiles())
        QFile::remove(out.filePath(f));
    for (const QString &t : Targets)
        ASSERT_TRUE(t == "img.png" ? out.mkdir(t)
                                   : mkfifo(QFile::encodeName(out.filePath(t)), 0600) == 0);
    const QString fifos = runProgram(files.dir(), "saves.bat");
    EXPECT_TRUE(savedToTheEnd(fifos)) << "a save blocked on a FIFO\n"
                                                       << fifos.toStdString();
    EXPECT_EQ(outFiles(), Targets) << "written beside the FIFOs";
    for (const QString &t : Targets) {
        struct stat st;
        ASSERT_EQ(stat(QFile::encodeName(out.filePath(t)), &st), 0) << t.toStdString();
        EXPECT_TRUE(t == "img.png" ? S_ISDIR(st.st_mode) : S_ISFIFO(st.st_mode)) << t.toStdString();
        EXPECT_EQ(failuresNaming(fifos, t, t == "img.png" ? "a directory" : "not a regular file"),
                  t.contains("cBar") ? 0 : 1)   // no bar beside a refused map or image
            << t.toStdString();
    }
}

} // namespace
