#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/lcfreference.h"
#include "display/crosssview.h"
#include "display/xafsview.h"
#include "batch/cmdline.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/eofsetup.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "mainwindow/savedatacfg.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

// A main window driven statement by statement, with the completions recorded.
class BodyExecImage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&body, &Body::finishBatchExec, &body, [this](int id) { ids << id; });
    }
    void run(const QString &statement)
    {
        CmdLine c;
        c.parse(statement);
        body.execCmdSlot(c, false);
    }
    // Runs a load and waits for its completion.
    bool load(const QString &statement, int completion)
    {
        const int before = ids.count(completion);
        run(statement);
        return waitFor([&] { return ids.count(completion) > before; });
    }
    // Uniform 4 x 3 frames "<prefix>_<eV>_0000.tif" (eV read from the name).
    QString frames(const QString &prefix, const QVector<int> &eVs)
    {
        QStringList names;
        for (int e : eVs)
            names << files.write(QString("%1_%2_0000.tif").arg(prefix).arg(e),
                                 ImageFixtures::tiff(4, 3, QVector<quint16>(12, 40), false, 0.1));
        return names.join(' ');
    }
    QVector<double> energies(const QVector<TiffData *> &stack)
    {
        QVector<double> e;
        for (const TiffData *f : stack)
            e << f->energy;
        return e;
    }
    template <typename T> T *widget(const char *name) { return body.findChild<T *>(name); }

    Body body;
    TestFiles files;
    QVector<int> ids;
};

} // namespace

TEST_F(BodyExecImage, LoadsByListAndByPattern)
{
    ASSERT_TRUE(load("load_I1_files NEW " + frames("s", {8950, 8960}), 4));
    ASSERT_TRUE(load("load_I1_files add " + frames("t", {8970}), 4));
    EXPECT_EQ(energies(body.i1Stack()), QVector<double>({8950, 8960, 8970}));
    // Lower-case "new" starts anew; a missing file does not stop the load.
    const QString gone = files.path("gone_1_0000.tif");
    ASSERT_TRUE(load("load_I1_files new " + gone + " " + frames("u", {9000}), 4));
    EXPECT_EQ(energies(body.i1Stack()), QVector<double>({9000}));

    QDir(files.dir()).mkpath("d/sub.tif");
    frames("d/B", {8960});
    frames("d/a", {8950});
    const QString dir = files.path("d") + "/";
    // Sorted without regard to case, directories left out; reports 5 for I0.
    ASSERT_TRUE(load("load_I0_files_of_pattern NEW " + dir + " *.tif", 5));
    EXPECT_EQ(energies(body.i0Stack()), QVector<double>({8950, 8960}));
    ASSERT_TRUE(load("load_I0_files_of_pattern add " + dir + " x* B*", 5));
    EXPECT_EQ(energies(body.i0Stack()), QVector<double>({8950, 8960, 8960}));
    // No match, or no trailing separator: an empty new stack, still completed.
    ASSERT_TRUE(load("load_I1_files_of_pattern NEW " + dir + " *.none", 4));
    EXPECT_TRUE(body.i1Stack().isEmpty());
    ASSERT_TRUE(load("load_I1_files_of_pattern NEW " + files.path("d") + " *.tif", 4));
    EXPECT_TRUE(body.i1Stack().isEmpty());
    EXPECT_EQ(ids, QVector<int>({4, 4, 4, 5, 5, 4, 4}));
}

TEST_F(BodyExecImage, LoadWithoutFilesCompletesAtOnce)
{
    DebugCapture log;
    run("load_I0_files NEW");
    run("load_I1_files");
    EXPECT_EQ(ids, QVector<int>({5, 4}));
    EXPECT_EQ(log.count("needs a mode and at least one file name"), 2);
    QTest::qWait(200);   // no load was asked for: nothing more arrives
    EXPECT_EQ(ids, QVector<int>({5, 4}));
}

TEST_F(BodyExecImage, DisplaySettingsAndEdgeSuggestion)
{
    run("set_band_w 007");
    EXPECT_EQ(widget<QLineEdit>("HWidth")->text(), "7");
    run("select_disp_image 1");
    run("select_disp_image 7");
    EXPECT_TRUE(widget<QRadioButton>("ShowI0")->isChecked());
    DebugCapture log;
    run("cbar_set_range 5 1.5");
    EXPECT_EQ(body.colorBar()->valueMin, 5);
    EXPECT_EQ(body.colorBar()->valueMax, 1.5);
    EXPECT_TRUE(log.contains("setting cbar 5 1.5"));
    run("select_region 10 20 5 5");
    ImgDispA *d = body.imageView();
    EXPECT_EQ(QRectF(d->areaX, d->areaY, d->areaW, d->areaH), QRectF(10, 20, -5, -15));

    QLineEdit *eeV = widget<QLineEdit>("SuggestingEeV");
    run("Suggesting_Edge 0");
    run("Suggesting_Elm Cu");
    EXPECT_NEAR(eeV->text().toDouble(), 8980, 10);
    run("Suggesting_Edge 3");
    EXPECT_NEAR(eeV->text().toDouble(), 933, 5);
    // No such element, no such edge: the energy stays.
    run("Suggesting_Elm Xq");
    EXPECT_NEAR(eeV->text().toDouble(), 933, 5);
    run("Suggesting_Elm Cu");
    run("Suggesting_Edge 99");
    EXPECT_NEAR(eeV->text().toDouble(), 933, 5);
    EXPECT_EQ(ids, QVector<int>({41, 43, 43, 52, 54, 118, 117, 118, 117, 117, 118}));
}


// The cursor lands on the pixel named, whatever the window size or zoom; the
// point spectrum and the profiles' markers follow it.
TEST_F(BodyExecImage, MovePositionLandsOnThePixelNamed)
{
    QStringList names;
    for (int e : {8950, 8960})
        names << files.write(QString("m_%1_0000.tif").arg(e),
                             ImageFixtures::tiff(32, 24, ImageFixtures::pixels16(32, 24, [](int x, int y) {
                                 return 100 + x + 40 * y;
                             })));
    ASSERT_TRUE(load("load_I1_files NEW " + names.join(' '), 4));
    CrossSView *hCross = widget<CrossSView>("HCross");
    CrossSView *vCross = widget<CrossSView>("VCross");
    ASSERT_NE(hCross, nullptr);
    ASSERT_NE(vCross, nullptr);
    const QVector<QPoint> points = {{16, 12}, {0, 0}, {31, 23}, {5, 17}, {30, 1}};
    int misses = 0;
    for (const QSize &size : {QSize(1000, 700), QSize(1377, 911), QSize(1920, 1150)}) {
        body.resize(size);
        body.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&body));
        for (const char *zoom : {"scale_reset", "select_region 3 2 29 21"}) {
            run(zoom);
            if (QString(zoom) != "scale_reset")
                run("zoom_in");
            body.imageView()->repaint();
            for (const QPoint &p : points) {
                run(QString("move_position %1 %2").arg(p.x()).arg(p.y()));
                misses += body.pointX() != p.x() || body.pointY() != p.y();
                misses += hCross->markerPos != p.x() || vCross->markerPos != p.y();
            }
        }
    }
    EXPECT_EQ(misses, 0);
    // The spectrum shown (and saved) is that of the pixel named.
    run("set_band_w 0");
    run("set_band_h 0");
    run("move_position 16 12");
    const Spectrum &raw = body.pointSpectrumView()->raw;
    ASSERT_EQ(raw.count(), 2);
    EXPECT_DOUBLE_EQ(raw.points[1].y(), 100 + 16 + 40 * 12);
}

// Extreme numbers for the box and the region neither wrap nor break the
// drawing: the region spans what it says, also beyond the image.
TEST_F(BodyExecImage, ExtremeBoxAndRegionNumbers)
{
    ASSERT_TRUE(load("load_I1_files NEW " + frames("x", {8950}), 4));
    body.resize(800, 600);
    body.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&body));
    run("set_band_w 2147483647");
    run("set_band_h -2147483648");
    run("select_region -2147483648 -2147483648 2147483647 2147483647");
    ImgDispA *d = body.imageView();
    EXPECT_DOUBLE_EQ(d->areaW, 4294967295.0);
    EXPECT_DOUBLE_EQ(d->areaH, 4294967295.0);
    EXPECT_EQ(body.analysisArea(), QRectF(-2147483648.0, -2147483648.0, 4294967295.0, 4294967295.0));
    d->repaint();
    run("move_position 2 1");
    EXPECT_EQ(body.pointX(), 2);
    d->repaint();
}
