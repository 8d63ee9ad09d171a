#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <gtest/gtest.h>
#include <memory>

#include "calibration/empfile.h"
#include "calibration/empheader.h"
#include "core/xafsspectrum.h"
#include "fuzz/fuzztargets.h"
#include "imagedata/tiffdata.h"
#include "support/timing.h"

namespace {

QStringList filesIn(const QString &relative)
{
    QDir dir(QString(VANTOSCOPE_SOURCE_DIR) + "/" + relative);
    QStringList out;
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        out << dir.filePath(name);
    return out;
}

// Every input a fuzz run ever failed on, and every seed, goes through the same
// reader again: no crash, and done well inside the fuzz runs' 5 s limit.
TEST(FuzzRegressions, EveryKeptInputIsReadInBoundedTime)
{
    FuzzTargets::init(false);
    int inputs = 0;
    for (const FuzzTargets::Target &t : FuzzTargets::all()) {
        const QString name = QString::fromLatin1(t.name);
        const QStringList files =
            filesIn("tests/fuzz/regressions/" + name) + filesIn("tests/fuzz/corpus/" + name);
        EXPECT_FALSE(filesIn("tests/fuzz/corpus/" + name).isEmpty()) << t.name << ": no seeds";
        for (const QString &path : files) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
            const QByteArray bytes = f.readAll();
            QElapsedTimer clock;
            clock.start();
            t.run(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
            EXPECT_LT(clock.elapsed(), 3000 * SlowBuild) << path.toStdString();
            inputs++;
        }
    }
    EXPECT_GE(inputs, FuzzTargets::all().size());
}

// The seeds are valid files, so the targets start from the readers' inner code.
TEST(FuzzRegressions, SeedsAreValidFiles)
{
    for (const QString &path : filesIn("tests/fuzz/corpus/image")) {
        TiffData t;
        EXPECT_TRUE(t.load(path, nullptr)) << path.toStdString();
        EXPECT_EQ(t.rowCount(), int(t.height));
        EXPECT_GT(t.width, 0u);
    }
    for (const QString &path : filesIn("tests/fuzz/corpus/spectrum")) {
        XafsSpectrum s;
        EXPECT_TRUE(s.load(path)) << path.toStdString();
        EXPECT_GE(s.count(), 8) << path.toStdString();
    }
    for (const QString &path : filesIn("tests/fuzz/corpus/emp")) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
        QTextStream in(&f);
        const EMPHeader h = EmpFile::readHeader(in);
        std::unique_ptr<double[]> shifts;
        EXPECT_TRUE(h.valid && EmpFile::readShifts(in, h, h.stdEdgeEnergy, shifts, nullptr))
            << path.toStdString();
    }
}

} // namespace
