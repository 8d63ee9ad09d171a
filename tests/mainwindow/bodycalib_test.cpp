// The calibration run and the energy-shift map files through the real main
// window: a synthetic I1 stack whose right half has its edge 6 eV higher, a
// standard with the unshifted edge, and map files written here by hand.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

#include "calibration/empheader.h"
#include "calibration/ui/calibctrl.h"
#include "batch/cmdline.h"
#include "core/cmdid.h"
#include "display/imgdispa.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

const int W = 8, H = 4, Frames = 101;   // 8900 .. 9100 eV in steps of 2 eV
const double Shift = 6.0;                // of the right half (x >= 4)
double mu(double e, double shift) { return 0.8 + 0.5 * std::tanh((e - 9000 - shift) / 4.0); }

// Shifts of a 3 x 2 map of angle differences at 7112 eV and 8979 eV (Si(111)).
const char *const Angles = "0 -0.01 0.02 \n0.005 -0.0025 0.1 \n";
const double At7112[6] = {0.0, -4.291839555390652, 8.567518859119446,
                          2.143897870476394, -1.0724541772460725, 42.623582950830496};
const double At8979[6] = {0.0, -6.9480129232124455, 13.863023806094134,
                          3.469876344803197, -1.735970092806383, 68.87886662153505};

QString emp(int w, int h, const QString &rows = Angles, const QString &edge = "7112",
            int xOff = 10, const QString &extra = QString())
{
    return QString("###Vantoscope::VTSC\nStd Edge Energy [eV]    : %1\nSpacing [nm]            : "
                   "3.1355316\nX Offset [pix]          : %2\nY Offset [pix]          : 20\n"
                   "Width [pix]             : %3\nHeight [pix]            : %4\n")
               .arg(edge).arg(xOff).arg(w).arg(h)
           + extra + "##-----------------\n" + rows;
}

class BodyCalib : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qRegisterMetaType<EMPHeader>("EMPHeader");
        QObject::connect(&body, &Body::finishBatchExec, &body, [this](int id) { ids << id; });
        QObject::connect(&body, &Body::calibProgress, &body, [this](double p) { progress << p; });
    }
    QLineEdit *field(const char *name)
    {
        QLineEdit *e = calib()->findChild<QLineEdit *>(name);
        return e ? e : body.findChild<QLineEdit *>(name);
    }
    double number(const char *name) { return field(name)->text().toDouble(); }
    CalibCtrl *calib() { return body.calibrationWindow(); }
    double mapAt(int x, int y) { return body.energyShiftMap().value(x, y); }

    // The stack through the I1 panel, the standard through the window.
    void loadStackAndStandard()
    {
        QStringList names;
        QString std;
        for (int i = 0; i < Frames; i++) {
            QVector<quint16> px;
            for (int p = 0; p < W * H; p++)
                px << quint16(std::lround(60000 * std::exp(-mu(8900 + 2 * i, p % W >= 4 ? Shift : 0))));
            names << files.write(QString("f%1.tif").arg(i, 3, 10, QChar('0')), ImageFixtures::tiff(W, H, px));
            std += QString("%1 %2\n").arg(8900 + 2 * i).arg(mu(8900 + 2 * i, 0), 0, 'g', 15);
        }
        SelectDataFiles *p = body.i1Panel();
        p->setEngByCalc(true);
        p->setDispUnit(0);
        p->setEvenInEng(true);
        p->setEngCalcStart(8900);
        p->setEngCalcDelta(2);
        body.readI1Files(names, true);
        ASSERT_TRUE(waitFor([&] { return ids.contains(EX_load_I1_files); }));
        QCoreApplication::processEvents();
        ASSERT_EQ(body.i1Stack().size(), Frames);
        calib()->loadStd(files.writeText("std.dat", std));
        ASSERT_NEAR(number("EdgeEeV"), 9000, 0.1);
        ids.clear();
    }
    void start(int hw, int hh, const QRect &area = QRect(0, 0, W, H))
    {
        field("HWidth")->setText(QString::number(hw));
        field("VWidth")->setText(QString::number(hh));
        body.imageView()->setSelectedArea(area.left(), area.top(), area.right() + 1, area.bottom() + 1);
        body.execCalibration();
    }
    void calibrate(int hw, int hh, const QRect &area = QRect(0, 0, W, H))
    {
        start(hw, hh, area);
        ASSERT_TRUE(waitFor([&] { return !body.isCalibrating(); }));
    }

    Body body;
    TestFiles files;
    QVector<int> ids;
    QVector<double> progress;
};

} // namespace

TEST_F(BodyCalib, BothMethodsFindTheShiftedHalfWithItsStatistics)
{
    loadStackAndStandard();
    DebugCapture log;
    // Blocks 1 x 3 around row 1: rows 0 to 2 get the shifts, row 3 none.
    calibrate(0, 1);
    for (int x = 0; x < W; x++) {
        EXPECT_NEAR(mapAt(x, 2), x >= 4 ? Shift : 0.0, 0.02) << x;
        EXPECT_EQ(mapAt(x, 3), 0.0);
    }
    EXPECT_NEAR(number("DEAvr"), Shift / 2, 0.02);
    EXPECT_NEAR(number("DESigma"), Shift / 2, 0.02);
    EXPECT_NEAR(number("DEMax"), Shift, 0.02);
    EXPECT_EQ(field("Width")->text(), "8");
    EXPECT_EQ(progress, QVector<double>({25.0, 100.0}));
    EXPECT_EQ(ids, QVector<int>({EX_calib_exec}));
    EXPECT_EQ(log.count("End Calibration"), 1);

    calib()->setCalibByInnerProduct(true);
    calibrate(1, 1);   // blocks 3 x 3 at x = 1, 4 (both halves), 7
    EXPECT_NEAR(mapAt(0, 0), 0.0, 0.15);
    EXPECT_NEAR(mapAt(7, 2), Shift, 0.15);
    EXPECT_GT(mapAt(4, 1), 0.5);
    EXPECT_LT(mapAt(4, 1), Shift - 0.5);
}

TEST_F(BodyCalib, StoppingAndNothingToDoReportOnceEach)
{
    body.execCalibration();   // no frames
    EXPECT_EQ(ids, QVector<int>({EX_calib_exec}));
    loadStackAndStandard();
    DebugCapture log;
    // Stopped at the start of the third row.
    const auto stopper = QObject::connect(&body, &Body::calibProgress, &body, [this](double p) {
        if (p == 50.0)
            body.execCalibration();
    });
    start(0, 0);
    ASSERT_TRUE(waitFor([&] { return !body.isCalibrating(); }));
    QTest::qWait(50);
    QObject::disconnect(stopper);
    // A run reports when it ends: here by the stop, once.
    EXPECT_EQ(ids, QVector<int>({EX_calib_exec}));
    EXPECT_EQ(progress, QVector<double>({0.0, 25.0, 50.0}));
    EXPECT_EQ(log.count("End Calibration"), 0);
    EXPECT_NEAR(mapAt(7, 1), Shift, 0.02);
    EXPECT_EQ(mapAt(7, 3), 0.0);

    // A new run on a fresh map keeps the area it walked for its statistics.
    ids.clear();
    const auto changer = QObject::connect(&body, &Body::calibProgress, &body, [this] {
        field("HWidth")->setText("3");
        body.imageView()->setSelectedArea(0, 0, 2, 2);
    });
    calibrate(0, 0);
    QObject::disconnect(changer);
    EXPECT_EQ(ids, QVector<int>({EX_calib_exec}));
    EXPECT_NEAR(mapAt(7, 3), Shift, 0.02);
    EXPECT_EQ(body.calibrationArea().x1, W);
    EXPECT_NEAR(number("DESigma"), Shift / 2, 0.02);

    // A block centred off the image takes its pixels on it (columns 6 and 7
    // for the centre 8); an area off the image is nothing to do.
    calibrate(2, 0, QRect(6, 0, 2, H));
    EXPECT_NEAR(mapAt(7, 1), Shift, 0.05);
    EXPECT_EQ(mapAt(5, 1), 0.0);
    EXPECT_NEAR(number("DEAvr"), Shift, 0.05);
    ids.clear();
    start(0, 0, QRect(20, 20, 5, 5));
    EXPECT_FALSE(body.isCalibrating());
    EXPECT_EQ(ids, QVector<int>({EX_calib_exec}));
}

TEST_F(BodyCalib, SavedRunsReadBackAfterClearing)
{
    DebugCapture log;
    body.saveEMap(files.path("none"));   // no map yet
    EXPECT_FALSE(QFile::exists(files.path("none.emp")));
    EXPECT_TRUE(log.contains("nothing is saved: No energy-shift map"));

    loadStackAndStandard();
    calibrate(0, 0);
    body.saveEMap(files.path("run"));
    EXPECT_EQ(field("EMPFileName")->text(), files.path("run"));
    const double right = mapAt(7, 3);
    body.clearShiftMap();
    EXPECT_EQ(mapAt(7, 3), 0.0);
    EXPECT_EQ(field("Width")->text(), "0");
    body.loadEMap(files.path("run.emp"));
    EXPECT_NEAR(mapAt(7, 3), right, 1e-4);
    EXPECT_EQ(field("Width")->text(), "8");
    EXPECT_EQ(ids, QVector<int>({EX_calib_exec, EX_calib_load_map}));
}

TEST_F(BodyCalib, HandWrittenMapsAndTheirRejections)
{
    const QString path = files.writeText("m.emp", emp(3, 2));
    body.loadEMap(path);
    EXPECT_NEAR(mapAt(2, 1), At7112[5], 1e-4);
    EXPECT_EQ(body.shiftMapOriginX(), 10);
    EXPECT_EQ(field("YOffset")->text(), "20");
    EXPECT_EQ(body.calibrationArea().x1, 3);   // no area lines: the whole map
    // Written again without a standard: at the map's own edge.
    body.saveEMap(files.path("again.emp"));
    EXPECT_TRUE(files.read("again.emp").endsWith("##-----------------\n" + QByteArray(Angles)));

    calib()->setEdgeEV("8979");
    body.loadEMap(path);
    for (int i = 0; i < 6; i++)
        EXPECT_NEAR(mapAt(i % 3, i / 3), At8979[i], 1e-4) << i;
    calib()->setEdgeEV("");

    ids.clear();
    const QString bad[] = {"###vtsc\n" + emp(3, 2).section('\n', 1), emp(0, 2, Angles, "7112", 1),
                           emp(1 << 20, 1 << 20, Angles, "7112", 1), emp(3, 2, Angles, "900", 1),
                           emp(5000, 4000, Angles, "7112", 1)};
    for (const QString &text : bad) {
        body.loadEMap(files.writeText("bad.emp", text));
        Analyzed2DRes other("other");
        EMPHeader h;
        body.loadMap(files.path("bad.emp"), other, h);
        EXPECT_FALSE(h.valid) << text.toStdString();
        EXPECT_EQ(other.data, nullptr);
    }
    body.loadEMap(files.path("missing.emp"));
    EXPECT_EQ(ids, QVector<int>(11, EX_calib_load_map));
    EXPECT_NEAR(mapAt(2, 1), At8979[5], 1e-4);
    EXPECT_EQ(body.shiftMapOriginX(), 10);
    EXPECT_EQ(field("Width")->text(), "3");
    EXPECT_EQ(field("EMPFileName")->text(), path);

    // Another target gets the map and the header, nothing else.
    Analyzed2DRes other("other");
    EMPHeader h;
    body.loadMap(files.writeText("o.emp", emp(3, 2, Angles, "7112", 5)), other, h);
    EXPECT_TRUE(h.valid);
    EXPECT_NEAR(other.value(1, 0), At7112[1], 1e-4);
    EXPECT_EQ(body.shiftMapOriginX(), 10);
    EXPECT_EQ(field("EMPFileName")->text(), path);
}

TEST_F(BodyCalib, SizeCheckLoadsDuringARunAndNormalizing)
{
    calib()->findChild<QCheckBox *>("CheckSize")->setChecked(true);
    QString rows;   // 5 x 5 zeros, 42.6 eV in the middle, 8.6 eV at a corner
    for (int i = 0; i < 25; i++)
        rows += QString(i == 12 ? "0.1" : i == 0 ? "0.02" : "0") + (i % 5 == 4 ? " \n" : " ");
    body.loadEMap(files.writeText("g.emp", emp(5, 5, rows)));
    EXPECT_EQ(body.imageW(), 5);   // no images: the map's size is taken
    body.normalizeEShift();
    EXPECT_EQ(mapAt(2, 2), 0.0);
    EXPECT_NEAR(mapAt(0, 0), At7112[2], 1e-4);

    loadStackAndStandard();
    DebugCapture log;
    body.loadEMap(files.path("g.emp"));
    EXPECT_TRUE(log.contains("is not matched to the current image size : 8 x 4"));
    EXPECT_NEAR(mapAt(0, 0), At7112[2], 1e-4);
    calib()->findChild<QCheckBox *>("CheckSize")->setChecked(false);
    start(0, 0);
    body.loadEMap(files.path("g.emp"));
    EXPECT_TRUE(log.contains("A calibration is running"));
    ASSERT_TRUE(waitFor([&] { return !body.isCalibrating(); }));
    EXPECT_NEAR(mapAt(7, 3), Shift, 0.02);
    EXPECT_EQ(ids, QVector<int>({EX_calib_load_map, EX_calib_load_map, EX_calib_exec}));
}

namespace {

// The run's chunks are recorded by calibNextPoint, one queued doCalibNextPoint
// each; held back, the map stays empty and the run open until the slot runs.
} // namespace

// An area from above and left of the image is walked as selected: 3 x 3
// blocks at x = 0 (columns 0 and 1 on the image), 3 (2 to 4, both halves)
// and 6 (5 to 7), rows 0 (0 and 1) and 3 (2 and 3); the map file's header
// gives the area as selected, and reading it back walks the same grid.
TEST_F(BodyCalib, AreaCrossingTheTopLeftCornerIsWalkedAsSelected)
{
    loadStackAndStandard();
    calibrate(1, 1, QRect(-1, -1, W + 1, H + 1));
    auto blockOf = [](int c) { return (c + 1) / 3; };
    for (int y = 0; y < H; y++) {
        for (int x = 0; x < W; x++) {
            SCOPED_TRACE(QString("%1,%2").arg(x).arg(y).toStdString());
            const int bx = blockOf(x);
            // Every cell holds the value of its block's top-left cell on the image.
            EXPECT_EQ(mapAt(x, y), mapAt(qMax(3 * bx - 1, 0), qMax(3 * blockOf(y) - 1, 0)));
            if (bx == 0)
                EXPECT_NEAR(mapAt(x, y), 0.0, 0.05);
            else if (bx == 2)
                EXPECT_NEAR(mapAt(x, y), Shift, 0.05);
            else
                EXPECT_TRUE(mapAt(x, y) > 0.5 && mapAt(x, y) < Shift - 0.5) << mapAt(x, y);
        }
    }
    body.saveEMap(files.path("corner"));
    QFile f(files.path("corner.emp"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString header = QString::fromLatin1(f.readAll());
    for (const char *line : {"Area X0                 : -1\n", "Area X1                 : 8\n",
                             "Area Y0                 : -1\n", "Area Y1                 : 4\n"})
        EXPECT_TRUE(header.contains(line)) << line;
    f.close();

    const double mixed = mapAt(2, 2);
    body.clearShiftMap();
    body.loadEMap(files.path("corner.emp"));
    EXPECT_EQ(body.calibrationArea().x0, -1);
    EXPECT_EQ(body.calibrationArea().y0, -1);
    EXPECT_NEAR(mapAt(2, 2), mixed, 1e-4);
    EXPECT_NEAR(mapAt(1, 1), 0.0, 0.05);
    EXPECT_NEAR(mapAt(5, 3), Shift, 0.05);
}

// A calibration whose suggested edge energy is not a number can give no block
// a shift: it ends at once, says so in one line, completes once, leaves the
// map without data (nothing of the earlier run to save) and logs nothing per
// block or energy.
TEST_F(BodyCalib, EdgeEnergyThatIsNotANumberEndsTheRunAtOnce)
{
    loadStackAndStandard();
    calibrate(0, 0);
    const double before = mapAt(W - 1, 0);
    body.findChild<QCheckBox *>("UseSuggestElm")->setChecked(true);
    field("SuggestingEeV")->setText("nan");
    field("ThJumpSigma")->setText("1e9");  // each block's edge is the suggested one
    DebugCapture log;
    ids.clear();
    CmdLine exec;
    exec.parse("calib_exec");
    body.execCmdSlot(exec, false);
    EXPECT_FALSE(body.isCalibrating());
    EXPECT_EQ(ids, QVector<int>{EX_calib_exec});
    EXPECT_EQ(log.count("the suggested edge energy is nan"), 1);
    EXPECT_EQ(log.count("Start Calibration") + log.count("nan EeV") + log.count("no shift"), 0);
    EXPECT_NE(before, 0.0);
    EXPECT_FALSE(body.energyShiftMap().hasData());
}
