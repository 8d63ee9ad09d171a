// The Analyzer2 panel through the main window: the dark-point check and its
// files, refused histogram settings, the configured bad-pixel mask and its
// use switch.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

#include "analysis/ui/analyzer2.h"
#include "core/cfg.h"
#include "core/globals.h"
#include "imagedata/errpoints.h"
#include "imagedata/loadtiff.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

// Runs in a scratch working directory; the program-wide bad-pixel list and
// configuration are put back afterwards.
class BodyDarkCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedErrPoints = globalErrPoints;
        savedCfg = cfg;
        before = QDir::currentPath();
        ASSERT_TRUE(QDir(files.dir()).mkpath("TestFiles"));
        ASSERT_TRUE(QDir::setCurrent(files.path("TestFiles")));
    }
    void TearDown() override
    {
        QDir::setCurrent(before);
        globalErrPoints = savedErrPoints;
        cfg = savedCfg;
    }

    // Three 4 x 3 frames of 100 as body's I1 stack with a few hot pixels:
    // (1, 0) throughout, 65535 at last; (2, 1) equal to the threshold 20000
    // in frame 1; (0, 2) cold in frame 1; (3, 2) just above it throughout.
    bool loadHotFrames(Body &body)
    {
        QVector<QVector<quint16>> f(3, QVector<quint16>(12, 100));
        const QVector<QVector<int>> hot = {{1, 0, 30000, 31000, 65535},
                                           {2, 1, 25000, 20000, 25000},
                                           {0, 2, 65535, 100, 65535},
                                           {3, 2, 20001, 20001, 20001}};
        for (const QVector<int> &h : hot)
            for (int i = 0; i < 3; i++)
                f[i][h[0] + 4 * h[1]] = quint16(h[2 + i]);
        QStringList names;
        for (int i = 0; i < 3; i++)
            names << files.write(QString("i1_%1_0000.tif").arg(8950 + 10 * i),
                                 ImageFixtures::tiff(4, 3, f[i]));
        bool done = false;
        QObject::connect(&body, &Body::finishBatchExec, &body, [&done](int id) { done = id == 4; });
        body.i1Panel()->emitFilesSelected(names);
        const bool ok = waitFor([&] { return done; });
        QObject::disconnect(&body, &Body::finishBatchExec, &body, nullptr);
        return ok && body.i1Stack().size() == 3;
    }

    QString text(const QString &name) const { return QString(files.read("TestFiles/" + name)); }
    QStringList written() const
    {
        QStringList r;
        for (const QString &f : QDir(files.path("TestFiles")).entryList({"dark-*"}, QDir::Files))
            r << f;
        return r;
    }
    static void darkCheck(Body &body, const QString &max = "60000", const QString &bins = "100")
    {
        body.analyzer2Panel()->histgMaxEdit()->setText(max);
        body.analyzer2Panel()->histgBinsEdit()->setText(bins);
        body.analyzer2Panel()->findChild<QPushButton *>("DarkCheck")->click();
    }

    TestFiles files;
    QString before;
    ErrPoints savedErrPoints;
    Cfg savedCfg;
};

} // namespace

TEST_F(BodyDarkCheck, WritesTheFiveFilesOfHotPixels)
{
    globalErrPoints.points = {QPoint(3, 2), QPoint(0, 0)};
    Body body;
    darkCheck(body);   // no frame: nothing
    EXPECT_TRUE(written().isEmpty());
    ASSERT_TRUE(loadHotFrames(body));
    darkCheck(body, "40000", "4");

    EXPECT_EQ(text("dark-hg-all.dat"), "# min, max = (0, 40000)  bins = 4\n"
                                       "0\t0\t25\n1\t10000\t0\n2\t20000\t6\n3\t30000\t2\n"
                                       "4\t40000\t3\n");
    EXPECT_EQ(text("dark-allDarkPoints.dat"), "# Size 4\t3\n1\t0\t126535\n3\t2\t60003\n");
    EXPECT_EQ(text("dark-allDarkPointNums.dat"), "0\t4\n1\t2\n2\t2\n");
    EXPECT_EQ(text("dark-allDarkPoints-onlyInPs1.dat"), "1\t0\n");
    EXPECT_EQ(text("dark-allDarkPoints-onlyInErrPs.dat"), "0\t0\n");
    ErrPoints back;   // the list reads back as a bad-pixel list
    ASSERT_TRUE(back.load(files.path("TestFiles/dark-allDarkPoints.dat"), false));
    EXPECT_EQ(back.width * 10 + back.height, 43);
    EXPECT_EQ(back.points, (QVector<QPoint>{QPoint(1, 0), QPoint(3, 2)}));

    // The defaults: 65535 in the last of 101 slots; no mask list.
    globalErrPoints.points.clear();
    darkCheck(body);
    const QStringList lines = text("dark-hg-all.dat").split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 102);
    EXPECT_EQ(lines[2], "1\t600\t0");
    EXPECT_EQ(lines[101], "100\t60000\t3");
    EXPECT_EQ(text("dark-allDarkPoints-onlyInPs1.dat"), "1\t0\n3\t2\n");
    EXPECT_EQ(text("dark-allDarkPoints-onlyInErrPs.dat"), "");
}

TEST_F(BodyDarkCheck, BadHistogramSettingsAreRefusedBeforeAnyFile)
{
    Body body;
    ASSERT_TRUE(loadHotFrames(body));
    for (const QStringList &b : {QStringList{"0", "100"}, {"-60000", "100"}, {"abc", "100"},
                                 {"inf", "100"}, {"nan", "100"}, {"60000", "-1"},
                                 {"60000", "100001"}, {"60000", "many"}}) {
        DebugCapture log;
        darkCheck(body, b[0], b[1]);
        EXPECT_TRUE(log.contains("Dark check")) << qPrintable(b.join(' '));
        EXPECT_TRUE(written().isEmpty()) << qPrintable(b.join(' '));
    }
    // No pixel above the threshold: the histogram alone.
    body.analyzer2Panel()->darkThEdit()->setText("65535");
    darkCheck(body, "60000", "100000");
    EXPECT_EQ(written(), QStringList{"dark-hg-all.dat"});
}

TEST_F(BodyDarkCheck, NoBinsMeansOneCounterForEveryValue)
{
    Body body;
    ASSERT_TRUE(loadHotFrames(body));
    darkCheck(body, "40000", "0");
    EXPECT_EQ(text("dark-hg-all.dat"), "# min, max = (0, 40000)  bins = 0\n0\t0\t36\n");
    EXPECT_EQ(text("dark-allDarkPoints.dat"), "# Size 4\t3\n1\t0\t126535\n3\t2\t60003\n");
    EXPECT_EQ(written().size(), 5);
}

// A load asked for without a list of its own takes the program-wide mask as
// it is when the job arrives: switching the mask meanwhile changes no frame
// of that job.
TEST_F(BodyDarkCheck, MaskSwitchedDuringALoadKeepsTheJobConsistent)
{
    QVector<quint16> px(12, 10);
    px[1 + 4 * 1] = 1000;
    const QString file = files.write("hot.tif", ImageFixtures::tiff(4, 3, px));
    globalErrPoints.points = {QPoint(1, 1)};
    globalErrPoints.valid = true;
    Body body;   // its panel's switch drives the flag

    QThread thread;
    LoadTiff loader;
    loader.moveToThread(&thread);
    QVector<double> hot;
    QVector<const ErrPoints *> lists;
    bool finished = false;
    QObject receiver;
    QObject::connect(&loader, &LoadTiff::loaded, &receiver, [&](TiffData *f, int) {
        hot << f->pixelValue(1, 1);
        lists << f->errPoints;
        delete f;
    });
    QObject::connect(&loader, &LoadTiff::finishLoadFiles, &receiver, [&](EX_CMD_ID) { finished = true; });
    thread.start();
    QMetaObject::invokeMethod(&loader, "loadTiffs", Qt::QueuedConnection,
                              Q_ARG(QStringList, QVector<QString>(1500, file).toList()),
                              Q_ARG(bool, false), Q_ARG(int, 1), Q_ARG(int, 0), Q_ARG(int, 0),
                              Q_ARG(ErrPointsSnapshot, ErrPointsSnapshot(nullptr)),
                              Q_ARG(EX_CMD_ID, EX_load_I1_files));
    ASSERT_TRUE(waitFor([&] { return !hot.isEmpty(); }));
    QCheckBox *use = body.analyzer2Panel()->useErrPMaskBox();
    for (int i = 0; i < 20 && !finished; i++) {
        use->setChecked(!use->isChecked());
        QThread::msleep(1);
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(waitFor([&] { return finished; }));
    thread.quit();
    thread.wait();

    ASSERT_EQ(hot.size(), 1500);
    EXPECT_EQ(hot.count(10.0), hot.size());   // in use when the job arrived
    EXPECT_EQ(lists.count(&globalErrPoints), lists.size());
}
