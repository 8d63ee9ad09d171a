#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextStream>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

#include "core/xafsspectrum.h"
#include "display/dispa.h"
#include "display/xafsview.h"
#include "display/_filedialog.h"
#include "support/screenshot.h"
#include "support/testfiles.h"
#include "widgetevents.h"

namespace ev = widgetevents;

namespace {

// mu-t with a smooth edge of height jump at e0 on a falling background.
Spectrum edgeSpectrum(double from, double to, double step, double e0 = 7112.0, double jump = 1.0)
{
    Spectrum s;
    for (double e = from; e <= to + 1e-9; e += step)
        s.addPoint(e, 1.0 - 0.0002 * (e - from) + jump * (0.5 + std::atan((e - e0) / 3.0) / M_PI));
    return s;
}

Spectrum pointsAt(const QVector<double> &xs)
{
    Spectrum s;
    for (double x : xs)
        s.addPoint(x, x * 0.01);
    return s;
}

XafsSpectrum normalized(const Spectrum &s, double shift = 0.0)
{
    return XafsSpectrum(s, "test", 1, shift);
}

bool hasColour(const QImage &img, const QColor &c, int x0 = 0, int x1 = -1)
{
    if (x1 < 0)
        x1 = img.width() - 1;
    for (int y = 0; y < img.height(); y++)
        for (int x = qMax(0, x0); x <= qMin(x1, img.width() - 1); x++)
            if (img.pixelColor(x, y) == c)
                return true;
    return false;
}

// The view's form widgets, found by their object names.
struct ViewParts
{
    DispA *Xafs;
    QLabel *Position;
    QLineEdit *XVal, *YVal;
    QCheckBox *Normalized, *ECorrect, *ShowRaw, *ShowFFT;
    QPushButton *Save, *ResetXScale;
    QLabel *ExtMsg;
    _FileDialog *saveDialog;

    explicit ViewParts(const XafsView &v)
        : Xafs(v.findChild<DispA *>("Xafs")),
          Position(v.findChild<QLabel *>("Position")),
          XVal(v.findChild<QLineEdit *>("XVal")),
          YVal(v.findChild<QLineEdit *>("YVal")),
          Normalized(v.findChild<QCheckBox *>("Normalized")),
          ECorrect(v.findChild<QCheckBox *>("ECorrect")),
          ShowRaw(v.findChild<QCheckBox *>("ShowRaw")),
          ShowFFT(v.findChild<QCheckBox *>("ShowFFT")),
          Save(v.findChild<QPushButton *>("Save")),
          ResetXScale(v.findChild<QPushButton *>("ResetXScale")),
          ExtMsg(v.findChild<QLabel *>("ExtMsg")),
          saveDialog(v.findChild<_FileDialog *>())
    {
    }
    bool complete() const
    {
        return Xafs && Position && XVal && YVal && Normalized && ECorrect && ShowRaw && ShowFFT
               && Save && ResetXScale && ExtMsg && saveDialog;
    }
};

struct XafsViewTest : ::testing::Test
{
    XafsView view;
    ViewParts ui{view};
    void SetUp() override
    {
        ASSERT_TRUE(ui.complete());
        view.resize(1000, 640);
        view.show();
        QApplication::processEvents();
    }
    // Paints the plot (leaving the mapping of this drawing) and returns it.
    QImage plot() { return ui.Xafs->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    int pixelX(double x) { return int(std::lround(view.mapper.realToScreenX(x))); }
    void moveTo(int px, Qt::MouseButtons held = Qt::NoButton)
    {
        ev::move(ui.Xafs, QPointF(px, ui.Xafs->height() / 2), held);
    }
};

const QColor black(0, 0, 0);

} // namespace

TEST(XafsViewForm, ObjectsTextsAndDefaults)
{
    XafsView view;
    const XafsView &v = view;
    ViewParts ui(v);
    ASSERT_TRUE(ui.complete());
    EXPECT_EQ(v.objectName(), "XafsView");
    EXPECT_EQ(v.windowTitle(), "XAFS");
    EXPECT_FALSE(ui.Xafs->zoomEnabled);
    EXPECT_FALSE(ui.Xafs->panEnabled);
    EXPECT_EQ(v.plotMouse, &ui.Xafs->mouse);
    EXPECT_EQ(ui.Position->text(), "0");
    EXPECT_TRUE(ui.Position->alignment() & Qt::AlignRight);
    for (QLineEdit *e : {ui.XVal, ui.YVal}) {
        EXPECT_EQ(e->text(), "0");
        EXPECT_TRUE(e->isReadOnly());
        EXPECT_TRUE(e->alignment() & Qt::AlignRight);
        EXPECT_EQ(e->styleSheet(), "background-color: rgb(255, 255, 232);");
    }
    EXPECT_EQ(ui.Normalized->text(), "Normalized");
    EXPECT_TRUE(ui.Normalized->isChecked());
    EXPECT_EQ(ui.ECorrect->text(), "E. Correct");
    EXPECT_TRUE(ui.ECorrect->isChecked());
    EXPECT_EQ(ui.ShowRaw->text(), "Raw");
    EXPECT_FALSE(ui.ShowRaw->isChecked());
    EXPECT_EQ(ui.ShowRaw->maximumWidth(), 50);
    EXPECT_EQ(ui.ShowFFT->text(), "FFT");
    EXPECT_FALSE(ui.ShowFFT->isChecked());
    EXPECT_EQ(ui.ShowFFT->maximumWidth(), 50);
    EXPECT_EQ(ui.Save->text(), "Save");
    EXPECT_EQ(ui.Save->maximumWidth(), 55);
    EXPECT_EQ(ui.ResetXScale->text(), "S.R.");
    EXPECT_EQ(ui.ResetXScale->toolTip(),
              "<html><head/><body><p>Reset X Axis Scale</p></body></html>");
    EXPECT_EQ(ui.ResetXScale->maximumWidth(), 40);
    EXPECT_EQ(ui.ExtMsg->text(), "TextLabel");

    EXPECT_DOUBLE_EQ(v.xRangeMin[0], 0.0);
    EXPECT_DOUBLE_EQ(v.xRangeMin[1], 0.0);
    EXPECT_DOUBLE_EQ(v.xRangeMax[0], 1.0);
    EXPECT_DOUBLE_EQ(v.xRangeMax[1], 1.0);
    EXPECT_TRUE(v.followXRange);
    EXPECT_DOUBLE_EQ(v.energyMarker, -1.0);
    EXPECT_TRUE(v.edgeMarkers().isEmpty());
    EXPECT_TRUE(v.normalize());
    EXPECT_TRUE(v.energyCorrection());
    ASSERT_NE(ui.saveDialog, nullptr);
    EXPECT_EQ(ui.saveDialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(ui.saveDialog->fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(ui.saveDialog->nameFilters(),
              QStringList() << "Data File (*.dat)" << "Any Files (* *.*)");
}

TEST_F(XafsViewTest, NewSpectrumFollowsXRangeUnlessTurnedOff)
{
    QSignalSpy updated(&view, &XafsView::updated);
    Spectrum s = edgeSpectrum(700, 760, 5, 730);
    s.useOffset = true;
    s.offset = 100;
    view.standard.midx = 600;
    const double d = view.setXafsSpectrum(normalized(s));
    EXPECT_EQ(updated.count(), 1);
    EXPECT_DOUBLE_EQ(view.xRangeMin[0], 600);
    EXPECT_DOUBLE_EQ(view.xRangeMax[0], 660);
    EXPECT_DOUBLE_EQ(view.xRangeMin[1], 600);
    EXPECT_DOUBLE_EQ(view.xRangeMax[1], 660);
    EXPECT_DOUBLE_EQ(d, view.current.midx - 600);

    view.followXRange = false;
    view.xRangeMin[0] = 610;
    view.xRangeMax[0] = 620;
    view.setXafsSpectrum(normalized(edgeSpectrum(7000, 7300, 2)));
    EXPECT_DOUBLE_EQ(view.xRangeMin[0], 610);
    EXPECT_DOUBLE_EQ(view.xRangeMax[0], 620);
    view.resetXScale();
    EXPECT_DOUBLE_EQ(view.xRangeMin[0], 600);
    EXPECT_DOUBLE_EQ(view.xRangeMax[0], 660);
    EXPECT_EQ(updated.count(), 3);

    // An empty spectrum has no range to follow.
    view.followXRange = true;
    view.setXafsSpectrum(XafsSpectrum());
    EXPECT_DOUBLE_EQ(view.xRangeMin[0], 600);
    EXPECT_DOUBLE_EQ(view.xRangeMax[1], 660);
}

TEST_F(XafsViewTest, ReadOutShowsEnergyValueAndPointIndex)
{
    ui.Normalized->setChecked(false);
    view.setXafsSpectrum(XafsSpectrum(pointsAt({10, 20, 40}), "p"));
    view.xRangeMin[0] = 10;
    view.xRangeMax[0] = 40;
    plot();
    moveTo(pixelX(14.9));
    EXPECT_EQ(ui.Position->text(), "0");
    const double shownX = view.mapper.screenToRealX(pixelX(14.9));
    EXPECT_EQ(ui.XVal->text(), QString::number(shownX, 'f', 1));
    EXPECT_EQ(ui.YVal->text().count('.'), 1);
    EXPECT_EQ(ui.YVal->text().section('.', 1).size(), 3);
    moveTo(pixelX(15.1));
    EXPECT_EQ(ui.Position->text(), "1");
    moveTo(pixelX(31));
    EXPECT_EQ(ui.Position->text(), "2");

    EXPECT_EQ(XafsView::pointIndexAt(pointsAt({5}), 1000), 0);
    EXPECT_EQ(XafsView::pointIndexAt(pointsAt({5}), -1000), 0);
    EXPECT_EQ(XafsView::pointIndexAt(Spectrum(), 3), 0);
}

TEST_F(XafsViewTest, NoPointsNoReadOut)
{
    moveTo(300);
    EXPECT_EQ(ui.XVal->text(), "0");
    EXPECT_EQ(ui.Position->text(), "0");
    ev::wheel(ui.Xafs, QPointF(300, 300), -120);
    EXPECT_DOUBLE_EQ(view.xRangeMin[0], 0.0);
    EXPECT_DOUBLE_EQ(view.xRangeMax[0], 1.0);
}

TEST_F(XafsViewTest, WheelZoomsAboutThePointer)
{
    view.setXafsSpectrum(normalized(pointsAt({0, 50, 100, 150, 200})));
    plot();
    const int mid = int(view.mapper.winX0 + (view.mapper.winX1 - view.mapper.winX0) / 2);
    moveTo(mid);
    ASSERT_DOUBLE_EQ(view.mapper.screenToRealX(mid), 100.0);
    QSignalSpy updated(&view, &XafsView::updated);
    ev::wheel(ui.Xafs, QPointF(mid, 300), -120);  // towards the user: wider
    EXPECT_NEAR(view.xRangeMin[0], -10, 1e-9);
    EXPECT_NEAR(view.xRangeMax[0], 210, 1e-9);
    EXPECT_EQ(updated.count(), 1);
    EXPECT_EQ(ui.XVal->text(), QString::number(100.0, 'g', 6));
    EXPECT_DOUBLE_EQ(view.xRangeMin[1], 0.0);  // the full range stays
    EXPECT_DOUBLE_EQ(view.xRangeMax[1], 200.0);

    view.resetXScale();
    ev::wheel(ui.Xafs, QPointF(mid, 300), 120);  // away: narrower
    EXPECT_NEAR(view.xRangeMin[0], 9.0909, 1e-3);
    EXPECT_NEAR(view.xRangeMax[0], 190.9091, 1e-3);
}

TEST_F(XafsViewTest, WheelZoomStopsAtTheSmallestRange)
{
    view.setXafsSpectrum(normalized(pointsAt({0, 50, 100, 150, 200})));
    plot();
    moveTo(400);
    for (int i = 0; i < 2000; i++)
        ev::wheel(ui.Xafs, QPointF(400, 300), 120);
    const double w = view.xRangeMax[0] - view.xRangeMin[0];
    EXPECT_GE(w, XafsView::minShownXWidth);
    EXPECT_LT(w, XafsView::minShownXWidth * 1.2);
    plot();  // ticks and labels over the narrowest range
    for (int i = 0; i < 20000; i++)
        ev::wheel(ui.Xafs, QPointF(400, 300), -120);
    EXPECT_TRUE(std::isfinite(view.xRangeMin[0]));
    EXPECT_LE(view.xRangeMax[0] - view.xRangeMin[0], XafsView::maxShownXWidth);
    plot();
}

TEST_F(XafsViewTest, LeftDragPansAndShiftDragDoesNot)
{
    view.setXafsSpectrum(normalized(edgeSpectrum(7000, 7300, 2)));
    plot();
    const double perPixel = view.mapper.screenToRealX(1) - view.mapper.screenToRealX(0);
    const int y = ui.Xafs->height() / 2;
    ev::move(ui.Xafs, QPointF(500, y));
    ev::press(ui.Xafs, QPointF(500, y));
    ev::move(ui.Xafs, QPointF(540, y), Qt::LeftButton);
    EXPECT_NEAR(view.xRangeMin[0], 7000 - 40 * perPixel, 1e-6);
    EXPECT_NEAR(view.xRangeMax[0], 7300 - 40 * perPixel, 1e-6);
    ev::release(ui.Xafs, QPointF(540, y));
    EXPECT_DOUBLE_EQ(view.xRangeMin[1], 7000);

    view.resetXScale();
    plot();
    ev::press(ui.Xafs, QPointF(500, y), Qt::LeftButton, Qt::ShiftModifier);
    ev::move(ui.Xafs, QPointF(560, y), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(view.xRangeMin[0], 7000);
    EXPECT_DOUBLE_EQ(view.xRangeMax[0], 7300);
    EXPECT_EQ(ui.XVal->text(), QString::number(view.mapper.screenToRealX(560), 'f', 1));
    ev::release(ui.Xafs, QPointF(560, y));
}

TEST_F(XafsViewTest, SaveDataWritesTaggedFiles)
{
    TestFiles files;
    XafsSpectrum a = normalized(edgeSpectrum(7000, 7300, 10), 2.0);
    XafsSpectrum b = normalized(edgeSpectrum(7000, 7300, 20));
    view.setXafsSpectrum(a);
    view.standard = normalized(edgeSpectrum(7010, 7310, 10));
    view.others << &a << &b;
    view.saveData(files.path("a.dat"));
    for (const char *n : {"a-T.dat", "a-std.dat", "a-other0.dat", "a-other1.dat"})
        EXPECT_TRUE(QFile::exists(files.path(n))) << n;

    // The current spectrum is written with its shift, the others without.
    const QString t = QString::fromUtf8(files.read("a-T.dat"));
    const QStringList lines = t.split('\n');
    ASSERT_GT(lines.size(), 8);
    EXPECT_EQ(lines[0], "###Vantoscope::XafsSpectrum");
    EXPECT_EQ(lines[7].section('\t', 0, 0).toDouble(), 7000 - 2.0);
    EXPECT_NEAR(lines[7].section('\t', 2, 2).toDouble(), a.points[0].y(), 1e-5);
    const QStringList o0 = QString::fromUtf8(files.read("a-other0.dat")).split('\n');
    EXPECT_EQ(o0[7].section('\t', 0, 0).toDouble(), 7000.0);
    const QStringList stdLines = QString::fromUtf8(files.read("a-std.dat")).split('\n');
    EXPECT_EQ(stdLines[7].section('\t', 0, 0).toDouble(), 7010.0);
    EXPECT_EQ(stdLines.size(), 31 + 8);  // 7 header lines, 31 rows, the last newline

    // Through the dialog, and without a suffix the default one is added.
    view.others.clear();
    ui.saveDialog->fileSelected(files.path("b"));
    EXPECT_TRUE(QFile::exists(files.path("b-T.dat")));
    EXPECT_TRUE(QFile::exists(files.path("b-std.dat")));
    EXPECT_FALSE(QFile::exists(files.path("b-other0.dat")));
}

TEST_F(XafsViewTest, FailedSaveIsReportedAndTheRestWritten)
{
    TestFiles files;
    view.setXafsSpectrum(normalized(edgeSpectrum(7000, 7300, 10)));
    EXPECT_TRUE(view.saveData(files.path("ok.dat")));

    // A folder where the standard's file should go: only that file fails.
    ASSERT_TRUE(QDir(files.dir()).mkdir("c-std.dat"));
    XafsSpectrum other = normalized(edgeSpectrum(7000, 7300, 20));
    view.others << &other;
    DebugCapture log;
    EXPECT_FALSE(view.saveData(files.path("c.dat")));
    EXPECT_TRUE(log.contains("XafsView: spectrum not saved to"));
    EXPECT_TRUE(log.contains(files.path("c-std.dat")));
    EXPECT_FALSE(log.contains(files.path("c-T.dat")));
    EXPECT_TRUE(QFile::exists(files.path("c-T.dat")));
    EXPECT_TRUE(QFile::exists(files.path("c-other0.dat")));

    // No name: nothing is written in the working folder.
    EXPECT_FALSE(view.saveData(QString()));
    EXPECT_TRUE(log.contains("XafsView: no file name"));
    EXPECT_FALSE(QFile::exists(QDir::current().filePath("-T.dat")));
}

TEST_F(XafsViewTest, CheckBoxSettersDoNotRepaint)
{
    QSignalSpy updated(&view, &XafsView::updated);
    view.setNormalize(false);
    view.setEnergyCorrection(false);
    EXPECT_FALSE(ui.Normalized->isChecked());
    EXPECT_FALSE(ui.ECorrect->isChecked());
    EXPECT_FALSE(view.normalize());
    EXPECT_FALSE(view.energyCorrection());
    EXPECT_EQ(updated.count(), 0);
    view.update();
    EXPECT_EQ(updated.count(), 1);
}

TEST_F(XafsViewTest, DrawsEmptyOnePointAndNormalSpectraInEveryMode)
{
    // Markers at odd energies too: unnamed at 0, not finite, far off.
    const QVector<EdgeMarker> markers{{"Fe-K", 7112}, {"", 0}, {"nan", std::nan("")},
                                      {"inf", HUGE_VAL}, {"far", -1e300}};
    XafsSpectrum other = normalized(edgeSpectrum(7000, 7300, 5, 7120));
    const QVector<XafsSpectrum> spectra{XafsSpectrum(), XafsSpectrum(pointsAt({7100}), "one"),
                                        normalized(edgeSpectrum(7000, 7300, 2))};
    const QVector<Spectrum> raws{Spectrum(), pointsAt({1, 2, 3, 4, 5}), edgeSpectrum(0, 14, 1),
                                 edgeSpectrum(0, 99, 1, 50)};
    for (const XafsSpectrum &s : spectra) {
        view.setXafsSpectrum(s);
        view.standard = s;
        view.others = {&other};
        view.setEdgeMarkers(markers);
        for (int mode = 0; mode < 4; mode++) {
            ui.Normalized->setChecked(mode == 0);
            ui.ShowRaw->setChecked(mode >= 2);
            ui.ShowFFT->setChecked(mode == 3);
            for (const Spectrum &r : raws) {
                view.setRawSpectrum(r);
                const QImage img = plot();
                EXPECT_FALSE(img.isNull());
                EXPECT_TRUE(ui.ExtMsg->text().startsWith("dMut = "));
            }
        }
    }
}

TEST_F(XafsViewTest, LegendFormat)
{
    XafsSpectrum s;
    s.dMut = 0.1234;
    s.midx = 7112.5;
    view.setXafsSpectrum(s);
    plot();
    EXPECT_EQ(ui.ExtMsg->text(), "dMut =  1.234e-01, Edge 7,112.5 [eV] :  ");
    s.outOfRangeMidx = true;
    s.noisyMidx = true;
    view.setXafsSpectrum(s);
    plot();
    EXPECT_EQ(ui.ExtMsg->text(),
              "dMut =  1.234e-01, Edge 7,112.5 [eV] : Out of Range midx Noizy to decide midx");
}

TEST_F(XafsViewTest, EnergyMarkerOnlyWhenPositive)
{
    view.setXafsSpectrum(normalized(edgeSpectrum(7000, 7300, 2)));
    const QColor green(0, 224, 0);
    EXPECT_FALSE(hasColour(plot(), green));
    view.energyMarker = 0;
    EXPECT_FALSE(hasColour(plot(), green));
    view.energyMarker = 7133;  // off the grid lines
    const QImage img = plot();
    const int x = int(view.mapper.realToScreenX(7133));
    EXPECT_TRUE(hasColour(img, green, x, x));
}

TEST_F(XafsViewTest, EdgeMarkersAreDrawnFromTheList)
{
    const QColor red(255, 0, 0);
    view.setXafsSpectrum(normalized(edgeSpectrum(7000, 7300, 2, 7250)));
    const QImage bare = plot();
    const int x = int(view.mapper.realToScreenX(7133));  // off the grid and the edge line
    EXPECT_FALSE(hasColour(bare, red, x, x));

    // The list is copied: emptying the caller's list leaves the markers.
    QVector<EdgeMarker> list{{"", 7133}};
    view.setEdgeMarkers(list);
    list.clear();
    ASSERT_EQ(view.edgeMarkers().size(), 1);
    const QImage unnamed = plot();
    EXPECT_TRUE(hasColour(unnamed, red, x, x));

    // The name is written along the line, just left of it.
    view.setEdgeMarkers({{"Fe-K", 7133}});
    const QImage named = plot();
    const double H = view.mapper.winY0 - view.mapper.winY1;
    const int b = int(int(H / view.mapper.labelHeightDiv) * view.mapper.labelScale);
    int changed = 0;
    for (int py = 0; py < named.height(); py++)
        for (int px = 0; px < named.width(); px++)
            if (named.pixel(px, py) != unnamed.pixel(px, py)) {
                changed++;
                EXPECT_LE(std::abs(px - x), b + 2) << px;
            }
    EXPECT_GT(changed, 0);

    view.setEdgeMarkers({});
    EXPECT_FALSE(hasColour(plot(), red, x, x));
}

TEST_F(XafsViewTest, CurvesAreCutAtGapsWiderThan50)
{
    ui.Normalized->setChecked(false);
    QVector<double> xs;
    for (double e = 7000; e <= 7110; e += 10)
        xs << e;
    for (double e = 7200; e <= 7300; e += 10)
        xs << e;
    view.setXafsSpectrum(normalized(pointsAt(xs)));
    QImage img = plot();
    int x0 = int(view.mapper.realToScreenX(7110)) + 3;
    int x1 = int(view.mapper.realToScreenX(7200)) - 3;
    EXPECT_FALSE(hasColour(img, black, x0, x1));
    EXPECT_TRUE(hasColour(img, black, int(view.mapper.realToScreenX(7010)),
                          int(view.mapper.realToScreenX(7100))));

    xs.clear();
    for (double e = 7000; e <= 7110; e += 10)
        xs << e;
    for (double e = 7160; e <= 7300; e += 10)  // a gap of exactly 50 stays joined
        xs << e;
    view.setXafsSpectrum(normalized(pointsAt(xs)));
    img = plot();
    x0 = int(view.mapper.realToScreenX(7110)) + 3;
    x1 = int(view.mapper.realToScreenX(7160)) - 3;
    EXPECT_TRUE(hasColour(img, black, x0, x1));
}

TEST_F(XafsViewTest, EnergyCorrectionMovesOnlyTheCurve)
{
    ui.Normalized->setChecked(false);
    XafsSpectrum s = normalized(pointsAt({7000, 7010, 7020, 7030}), 20.0);
    view.setXafsSpectrum(s);
    view.xRangeMin[0] = 6950;
    QImage img = plot();
    // The shifted curve starts at 6980, left of the first point.
    EXPECT_TRUE(hasColour(img, black, int(view.mapper.realToScreenX(6981)),
                          int(view.mapper.realToScreenX(6995))));
    ui.ECorrect->setChecked(false);
    img = plot();
    EXPECT_FALSE(hasColour(img, black, 0, int(view.mapper.realToScreenX(6995))));
}

TEST_F(XafsViewTest, OverlaysKeepTheirRangesAndSkipShortTransforms)
{
    view.setXafsSpectrum(normalized(edgeSpectrum(7000, 7300, 2)));
    ui.ShowRaw->setChecked(true);
    view.setRawSpectrum(edgeSpectrum(0, 99, 1, 50));
    QImage img = plot();
    EXPECT_DOUBLE_EQ(view.mapper.realX0, 0);
    EXPECT_DOUBLE_EQ(view.mapper.realX1, 100);
    EXPECT_TRUE(hasColour(img, QColor(192, 0, 0)));

    const QColor fourier(0, 192, 0);
    ui.ShowFFT->setChecked(true);
    img = plot();
    EXPECT_DOUBLE_EQ(view.mapper.realX1, 10);
    EXPECT_TRUE(hasColour(img, fourier));

    // Fewer than 10 points: no transform, nothing drawn.
    for (int n : {0, 1, 9}) {
        Spectrum r;
        for (int i = 0; i < n; i++)
            r.addPoint(i, i);
        view.setRawSpectrum(r);
        EXPECT_FALSE(hasColour(plot(), fourier)) << n;
    }
    // 10 to 29 points: one or two bins, scaled by themselves.
    view.setRawSpectrum(edgeSpectrum(0, 19, 1, 10));
    plot();
    EXPECT_DOUBLE_EQ(view.mapper.realX1, 2);
    EXPECT_LT(view.mapper.realY0, view.mapper.realY1);

    // A wheel turn in raw mode zooms the shown energy range, not the overlay's.
    ui.ShowFFT->setChecked(false);
    view.setRawSpectrum(edgeSpectrum(0, 99, 1, 50));
    plot();
    const int mid = int(view.mapper.winX0 + (view.mapper.winX1 - view.mapper.winX0) / 2);
    ui.Xafs->mouse.curPos = QPoint(mid, 300);
    ev::wheel(ui.Xafs, QPointF(mid, 300), -120);
    EXPECT_NEAR(view.xRangeMin[0], 7000 - 15, 1e-6);
    EXPECT_NEAR(view.xRangeMax[0], 7300 + 15, 1e-6);
}

TEST_F(XafsViewTest, OtherSpectraOnlyWhileInUse)
{
    XafsSpectrum first = normalized(edgeSpectrum(7000, 7300, 5, 7120));
    XafsSpectrum second = normalized(edgeSpectrum(7000, 7300, 5, 7180));
    second.inUse = false;
    view.setXafsSpectrum(normalized(edgeSpectrum(7000, 7300, 2)));
    view.others = {&first, &second};
    view.pens = {QPen(QColor(10, 20, 250), 1)};
    QImage img = plot();
    EXPECT_TRUE(hasColour(img, QColor(10, 20, 250)));
    view.pens = {QPen(QColor(10, 20, 250), 1), QPen(QColor(250, 20, 10), 1)};
    img = plot();
    EXPECT_FALSE(hasColour(img, QColor(250, 20, 10)));
}

// Zoomed in, every curve ends at the frame: nothing of them in the margins,
// neither in mu-t mode nor a further spectrum taller than the current one.
TEST_F(XafsViewTest, CurvesStayInsideTheFrameWhenZoomed)
{
    XafsSpectrum other = normalized(edgeSpectrum(7000, 7300, 2, 7150));
    for (QPointF &p : other.normalized.points)
        p.setY(p.y() * 4.0);
    view.others = {&other};
    view.pens = {QPen(QColor(10, 20, 250), 2)};
    view.setXafsSpectrum(normalized(edgeSpectrum(7000, 7300, 2)));
    plot();
    const int mid = int(view.mapper.winX0 + (view.mapper.winX1 - view.mapper.winX0) / 2);
    moveTo(mid);
    for (int i = 0; i < 5; i++)
        ev::wheel(ui.Xafs, QPointF(mid, 300), 120);
    const QVector<QColor> curves{black, QColor(10, 20, 250), QColor(0, 192, 220),
                                 QColor(0, 220, 192), QColor(255, 0, 0)};
    for (bool norm : {false, true}) {
        ui.Normalized->setChecked(norm);
        const QImage img = plot();
        const QRect frame(QPoint(int(view.mapper.winX0) - 1, int(view.mapper.winY1) - 1),
                          QPoint(int(view.mapper.winX1) + 1, int(view.mapper.winY0) + 1));
        int inside = 0, outside = 0;
        for (int y = 0; y < img.height(); y++)
            for (int x = 0; x < img.width(); x++)
                if (curves.contains(img.pixelColor(x, y)))
                    ++(frame.contains(x, y) ? inside : outside);
        EXPECT_GT(inside, 100) << norm;
        EXPECT_EQ(outside, 0) << norm;
    }
}

// Renders the view with a measured spectrum, a standard, its lines and the
// legend into $VANTOSCOPE_SCREENSHOT_DIR/xafsview-*.png.
TEST(XafsViewScreenshot, MeasuredSpectrum)
{
    if (screenshotDir().isEmpty())
        GTEST_SKIP() << "VANTOSCOPE_SCREENSHOT_DIR not set";
    XafsSpectrum fe2o3, feo;
    ASSERT_TRUE(fe2o3.loadAndNormalize(sourceDataPath("spectra/fe2o3_rt1.dat")));
    ASSERT_TRUE(feo.loadAndNormalize(sourceDataPath("spectra/feo_rt1.dat")));
    XafsView view;
    ViewParts ui(view);
    ASSERT_TRUE(ui.complete());
    view.setWindowTitle("XAFS");
    view.standard = feo;
    view.setXafsSpectrum(fe2o3);
    view.energyMarker = 7300;
    view.setEdgeMarkers({{"Fe-K", 7112}});
    view.setNormalize(false);
    EXPECT_FALSE(saveScreenshot(&view, "xafsview-mut").isEmpty());
    view.setNormalize(true);
    EXPECT_FALSE(saveScreenshot(&view, "xafsview-normalized").isEmpty());
    ui.ShowRaw->setChecked(true);
    ui.ShowFFT->setChecked(true);
    view.setRawSpectrum(fe2o3);
    EXPECT_FALSE(saveScreenshot(&view, "xafsview-fft").isEmpty());
}
