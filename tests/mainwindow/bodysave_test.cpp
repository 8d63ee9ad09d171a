// Saving through the real main window: result maps as TIFF and text, images,
// flat and dark frames, spectra over an area.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <sys/resource.h>
#include <QImage>
#include <QImageWriter>
#include <tiffio.h>
#include <vector>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/lcfreference.h"
#include "batch/cmdline.h"
#include "display/imgdispa.h"
#include "display/xafsfileselect.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "display/colorbar.h"
#include "mainwindow/body.h"
#include "mainwindow/savedatacfg.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/timing.h"

namespace {

// A 16-bit sample of v on the range [0, 100].
quint16 sampleOf(double v) { return quint16(v / 100.0 * 65535.0); }

std::unique_ptr<TiffData> readTiff(const QString &path)
{
    std::unique_ptr<TiffData> t(new TiffData);
    return t->load(path, nullptr) ? std::move(t) : nullptr;
}

// Any TIFF picture through libtiff, top row first; null when unreadable.
QImage readRgbTiff(const QString &path)
{
    TIFF *tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tif)
        return QImage();
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    QImage img;
    if (w > 0 && h > 0 && w < 10000 && h < 10000) {
        std::vector<uint32_t> px(size_t(w) * h);
        if (TIFFReadRGBAImageOriented(tif, w, h, px.data(), ORIENTATION_TOPLEFT, 0)) {
            img = QImage(int(w), int(h), QImage::Format_RGB32);
            for (uint32_t y = 0; y < h; y++)
                for (uint32_t x = 0; x < w; x++) {
                    const uint32_t p = px[size_t(y) * w + x];
                    img.setPixel(int(x), int(y), qRgb(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p)));
                }
        }
    }
    TIFFClose(tif);
    return img;
}

class BodySave : public ::testing::Test
{
protected:
    Body body;
    TestFiles files;

    template <typename T> T *child(const char *name) { return body.findChild<T *>(name); }
    Analyzer *analyzer() { return body.analysisWindow(); }
    bool exists(const QString &name) const { return QFileInfo::exists(files.path(name)); }
    QStringList lines(const QString &name) const { return QString(files.read(name)).split('\n'); }

    // Three I1 frames of w x h at 8950, 8960, 8970 eV; pixel (x, y) of
    // frame i is 100 + 10 i + x + 8 y.
    void loadI1(int w = 8, int h = 6)
    {
        QStringList names;
        for (int i = 0; i < 3; i++) {
            QVector<quint16> px;
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++)
                    px << quint16(100 + 10 * i + x + 8 * y);
            names << files.write(QString("i1_%1.tif").arg(i),
                                 ImageFixtures::tiff(w, h, px, false, 0.1));
        }
        SelectDataFiles *p = body.i1Panel();
        p->setEngByCalc(true);
        p->setDispUnit(0);
        p->setEvenInEng(true);
        p->setEngCalcStart(8950);
        p->setEngCalcDelta(10);
        QSignalSpy done(&body, &Body::finishBatchExec);
        body.readI1Files(names, true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !done.isEmpty(); }, 10000));
        QCoreApplication::processEvents();
        ASSERT_EQ(body.i1Stack().size(), 3);
    }

    // Runs one batch line on the window, then lets it repaint.
    void run(const QString &line)
    {
        CmdLine cmd;
        cmd.parse(line);
        body.execCmdSlot(cmd, false);
        body.imageView()->grab();
    }

    // Presses a save button: the reason beside the buttons, empty when the
    // button opened its dialog instead (closed again).
    QString press(const char *button)
    {
        child<QPushButton>(button)->click();
        bool opened = false;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QFileDialog *>(w) && w->isVisible()) {
                opened = true;
                w->hide();
            }
        }
        const QString reason = child<QLabel>("SaveReason")->text();
        EXPECT_EQ(opened, reason.isEmpty()) << button << " " << qPrintable(reason);
        return reason;
    }

    // The given map (the sum-up map unless said) gets a walk over a width x
    // height image and f(x, y) in every box; TIFF over the range 0 .. 100.
    Analyzed2DRes *fillMap(int width, int height, int halfW, const QRectF &area,
                           double (*f)(int, int), Analyzed2DRes *map = nullptr)
    {
        if (!map) {
            analyzer()->selectAnalysisMode(3);
            map = &analyzer()->sumUpMap;
        }
        AnalyzeCond walk;
        walk.init(width, height, halfW, 0, area, -1, -1);
        map->setArea(walk);
        do
            map->setData(walk.x, walk.y, walk.halfW, 0, f(walk.x, walk.y));
        while (walk.next());
        SaveDataCfg *cfg = body.saveOptions();
        cfg->setSaveTiffScaleFixed(true);
        cfg->setSaveTiffScaleMin(0);
        cfg->setSaveTiffScaleMax(100);
        return map;
    }
};

TEST_F(BodySave, MapAsTiffWithItsColourBar)
{
    fillMap(6, 4, 0, QRectF(0, 0, 6, 4), [](int x, int y) { return x + 10.0 * y; });
    body.saveOptions()->setSaveTiffAsAnalyzed(false);
    body.saveData(files.path("run.png"));
    // The typed suffix is dropped for the map and kept for the colour bar.
    EXPECT_FALSE(QImage(files.path("run-0--cBar.png")).isNull());
    auto t = readTiff(files.path("run-0.tif"));
    ASSERT_TRUE(t);
    ASSERT_EQ(QSize(int(t->width), int(t->height)), QSize(6, 4));
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 6; x++)
            EXPECT_EQ(t->storedValue(x, y), sampleOf(x + 10 * y));

    // The reference row shown numbers the files; its map is the one saved.
    analyzer()->refs[2]->showButton()->setChecked(true);
    Analyzed2DRes *rowMap = analyzer()->currentMap();
    ASSERT_NE(rowMap, &analyzer()->sumUpMap);
    fillMap(3, 1, 0, QRectF(0, 0, 3, 1), [](int x, int) { return 50.0 * x; }, rowMap);
    body.saveData(files.path("run.tif"));
    t = readTiff(files.path("run-2.tif"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->storedValue(1, 0), sampleOf(50));
    // The colour bar beside a TIFF map is a TIFF too, whatever image plugins
    // are installed.
    const QImage bar = readRgbTiff(files.path("run-2--cBar.tif"));
    ASSERT_EQ(bar.size(), QSize(20, 600));
    EXPECT_EQ(qGray(bar.pixel(5, 598)), 0);
    EXPECT_GT(qGray(bar.pixel(5, 1)), 200);

    // No data: no map file, and no colour bar for it.
    rowMap->clear();
    body.saveData(files.path("none.png"));
    EXPECT_FALSE(exists("none-2.tif"));
    EXPECT_FALSE(exists("none-2--cBar.png"));
}

// The walk reaches three columns past the 6 x 2 map: the file holds exactly
// the 9 x 2 boxes row by row, those off the map 0.
TEST_F(BodySave, AnalysedBoxesOnlyTiffHasOneSamplePerBox)
{
    fillMap(6, 2, 0, QRectF(0, 0, 9, 2), [](int x, int y) { return 1.0 + x + 10 * y; });
    body.saveDataAsTiff(files.path("boxes.tif"), 0);
    auto t = readTiff(files.path("boxes-0.tif"));
    ASSERT_TRUE(t);
    ASSERT_EQ(QSize(int(t->width), int(t->height)), QSize(9, 2));
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 9; x++)
            EXPECT_EQ(t->storedValue(x, y), x < 6 ? sampleOf(1 + x + 10 * y) : 0) << x << y;
    // Boxes three pixels wide: the centres 1, 4 and 7 of each row.
    fillMap(9, 2, 1, QRectF(0, 0, 9, 2), [](int x, int y) { return x + 50.0 * y; });
    body.saveDataAsTiff(files.path("wide.tif"), 0);
    t = readTiff(files.path("wide-0.tif"));
    ASSERT_TRUE(t);
    ASSERT_EQ(QSize(int(t->width), int(t->height)), QSize(3, 2));
    EXPECT_EQ(t->storedValue(2, 1), sampleOf(57));
    EXPECT_EQ(t->storedValue(0, 0), sampleOf(1));
}

TEST_F(BodySave, MapAsText)
{
    fillMap(2, 2, 0, QRectF(0, 0, 2, 2), [](int x, int y) { return 1.5 + x + 10 * y; });
    SaveDataCfg *cfg = body.saveOptions();
    cfg->setSaveAsText();
    body.saveData(files.path("map.tif"));
    EXPECT_EQ(files.read("map-0.dat"), "0,0,1.5\n1,0,2.5\n0,1,11.5\n1,1,12.5\n");
    EXPECT_FALSE(exists("map-0--cBar.tif"));
    cfg->setSaveTextAsSSV();
    cfg->setSaveTextAsValValVal();
    body.saveData(files.path("rows"));
    EXPECT_EQ(files.read("rows-0.dat"), "\n1.5 2.5\n11.5 12.5\n");
}

// A map that holds no data, saved as text in each format, leaves an earlier
// file byte for byte, says why in one line and completes once.
TEST_F(BodySave, EmptyMapLeavesAnEarlierTextFile)
{
    SaveDataCfg *cfg = body.saveOptions();
    cfg->setSaveAsText();
    CmdLine save;
    save.parse(QString("save_data \"%1\"").arg(files.path("good.dat")));
    for (int format = 0; format < 4; format++) {
        SCOPED_TRACE(format);
        (format & 1) ? cfg->setSaveTextAsCSV() : cfg->setSaveTextAsSSV();
        (format & 2) ? cfg->setSaveTextAsXYVal() : cfg->setSaveTextAsValValVal();
        fillMap(3, 2, 0, QRectF(0, 0, 3, 2), [](int x, int y) { return x - 7.0 * y; });
        body.execCmdSlot(save, false);
        const QByteArray good = files.read("good-0.dat");
        ASSERT_TRUE(good.contains("-5"));
        analyzer()->sumUpMap.clear();
        DebugCapture log;
        QSignalSpy done(&body, &Body::finishBatchExec);
        body.execCmdSlot(save, false);
        EXPECT_EQ(done.count(), 1);
        EXPECT_EQ(files.read("good-0.dat"), good);
        EXPECT_EQ(log.count("nothing is saved"), 1);
    }
}

// The colour bar beside a map TIFF is labelled with the range its samples
// span, the save options' fixed range or else the map's values, in the map's
// colours: the same file from every view and display scale. The bar beside a
// saved image is that image's.
TEST_F(BodySave, MapBarDescribesItsTiff)
{
    loadI1(32, 24);
    body.show();
    const auto saveIn = [&](const char *view) {
        run(view);
        run(QString("save_data \"%1\"").arg(files.path("m.tif")));
        return files.read("m-0--cBar.tif");
    };
    Analyzed2DRes *map =
        fillMap(32, 24, 0, QRectF(0, 0, 32, 24), [](int x, int y) { return 3.0 * x - y; });
    map->fixedMin = -50;
    map->fixedMax = 150;
    for (bool fixedRange : {true, false}) {
        SCOPED_TRACE(fixedRange);
        body.saveOptions()->setSaveTiffScaleFixed(fixedRange);
        QByteArray first;
        for (bool fixedScale : {false, true}) {
            map->fixedScale = fixedScale;   // the result view's scale and bar change
            run("select_disp_image 3");
            body.setupResAnalysisImage();
            body.selectedNewRef();
            for (const char *view : {"select_disp_image 3", "select_disp_image 0",
                                     "select_disp_image 2", "select_disp_image 1"}) {
                const QByteArray bar = saveIn(view);
                if (first.isEmpty())
                    first = bar;
                EXPECT_EQ(bar, first) << view;
            }
        }
        ColorScale samples = map->colorScale;
        samples.valueMin = fixedRange ? 0 : -23;
        samples.valueMax = fixedRange ? 100 : 93;
        EXPECT_EQ(readRgbTiff(files.path("m-0--cBar.tif")),
                  ColorBar::picture(samples, true).toImage().convertToFormat(QImage::Format_RGB32));
        auto t = readTiff(files.path("m-0.tif"));
        ASSERT_TRUE(t);
        EXPECT_EQ(t->storedValue(31, 0), fixedRange ? sampleOf(93) : 65535);
    }
    run("select_disp_image 0");
    run(QString("save_image \"%1\"").arg(files.path("frame.png")));
    EXPECT_EQ(QImage(files.path("frame-cBar.png")).convertToFormat(QImage::Format_RGB32),
              body.colorBar()->pixmap.toImage().convertToFormat(QImage::Format_RGB32));
}

// Pixels of the colour bar's label colour (0, 255, 192) as the widget shows it.
int labelPixels(ColorBar *bar)
{
    const QImage shown = bar->grab().toImage();
    int n = 0;
    for (int y = 0; y < shown.height(); y++)
        for (int x = 0; x < shown.width(); x++) {
            const QColor c = shown.pixelColor(x, y);
            n += c.red() < 64 && c.green() > 200 && c.blue() > 140 && c.blue() < 240;
        }
    return n;
}

// With "Res. Analysis" showing no map: no numbers on the colour scale or in
// "Val.", the save buttons say why instead of opening a dialog, and the batch
// saves write nothing, log one line and complete once.
TEST_F(BodySave, NothingIsWrittenWhileNoMapIsShown)
{
    loadI1(32, 24);
    body.show();
    body.imageView()->grab();
    EXPECT_GT(labelPixels(body.colorBar()), 20);
    child<QRadioButton>("ShowResAnalysis")->click();
    // A slider key browses the frames under the (missing) map: nothing shows.
    QTest::keyClick(child<QSlider>("SeekBar"), Qt::Key_Home);
    body.imageView()->grab();
    EXPECT_FALSE(body.imageView()->showsImage());
    EXPECT_EQ(labelPixels(body.colorBar()), 0);
    body.onMouseMovedInDispA();
    EXPECT_TRUE(child<QLineEdit>("Value")->text().isEmpty());
    for (const char *button : {"SaveData", "SaveImage"})
        EXPECT_TRUE(press(button).startsWith("No map shown")) << button;
    for (const char *command : {"save_data %1.tif", "save_image %1.png"}) {
        CmdLine cmd;
        cmd.parse(QString(command).arg(files.path("x")));
        DebugCapture log;
        QSignalSpy done(&body, &Body::finishBatchExec);
        body.execCmdSlot(cmd, false);
        EXPECT_EQ(done.count(), 1) << command;
        EXPECT_EQ(log.count("nothing is saved"), 1) << command;
    }
    EXPECT_TRUE(QDir(files.dir()).entryList({"x*"}).isEmpty());

    fillMap(32, 24, 0, QRectF(0, 0, 32, 24), [](int x, int y) { return double(x + y); });
    body.setupResAnalysisImage();
    body.selectedNewRef();
    body.imageView()->grab();
    EXPECT_GT(labelPixels(body.colorBar()), 20);
    EXPECT_EQ(press("SaveData"), "");
}

// A TIFF of the boxes of an area reaching far past the image is refused at
// once, with one line and nothing allocated or written; an area on the image
// saves its grid as before.
TEST_F(BodySave, FarOffSelectionsGiveNoHugeTiff)
{
    loadI1(32, 24);
    child<QLineEdit>("HWidth")->setText("0");
    child<QLineEdit>("VWidth")->setText("0");
    body.saveOptions()->setSaveTiffScaleMax(200);
    analyzer()->selectAnalysisMode(3);
    auto save = [&](const QString &region, const QString &name) {
        CmdLine cmd;
        cmd.parse("select_region " + region);
        body.execCmdSlot(cmd, false);
        AnalyzeCond walk;
        ASSERT_TRUE(body.askAnalyzeCond(walk));
        analyzer()->sumUpMap.setArea(walk);
        do
            analyzer()->sumUpMap.setData(walk.x, walk.y, 0, 0, walk.x + 3.0 * walk.y);
        while (walk.next());
        body.saveData(files.path(name));
    };
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    const long peak = use.ru_maxrss;
    for (const char *region :
         {"3 1000000 -100000 3", "0 -2147483648 32 2147483647", "-16384 -16384 16384 16384"}) {
        DebugCapture log;
        QElapsedTimer clock;
        clock.start();
        save(region, "far.tif");
        EXPECT_LT(clock.elapsed(), 1000 * SlowBuild) << region;
        EXPECT_EQ(log.count("analysed boxes is too large"), 1) << region;
    }
    getrusage(RUSAGE_SELF, &use);
    EXPECT_LT(use.ru_maxrss - peak, 64 * 1024);   // kB
    EXPECT_TRUE(QDir(files.dir()).entryList({"far*"}).isEmpty());

    save("0 0 32 24", "on.tif");
    TIFF *tif = TIFFOpen(QFile::encodeName(files.path("on-0.tif")).constData(), "r");
    ASSERT_NE(tif, nullptr);
    uint32_t rows = 0;
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rows);
    TIFFClose(tif);
    EXPECT_EQ(rows, 32u);
    auto t = readTiff(files.path("on-0.tif"));
    ASSERT_TRUE(t && t->width == 32 && t->height == 24);
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 32; x++)
            ASSERT_EQ(t->storedValue(x, y), quint16((x + 3.0 * y) / 200 * 65535)) << x << y;
}

// Save Data and save_data ask one rule: where no box centre lies on the
// image neither format writes, a grid reaching far past the image is refused,
// and the button shows the reason the command logs instead of its dialog.
TEST_F(BodySave, ButtonAndCommandAgreeOnWhatIsWritten)
{
    loadI1(32, 24);
    body.show();
    analyzer()->selectAnalysisMode(3);
    SaveDataCfg *cfg = body.saveOptions();
    const auto fill = [&](const QString &region) {
        run("select_region " + region);
        AnalyzeCond walk;
        ASSERT_TRUE(body.askAnalyzeCond(walk));
        analyzer()->sumUpMap.setArea(walk);
        do
            analyzer()->sumUpMap.setData(walk.x, walk.y, walk.halfW, walk.halfH, walk.x + 1.0);
        while (walk.next());
    };
    const auto agree = [&](const QString &name, const QString &reason) {
        SCOPED_TRACE(name.toStdString());
        const QString shown = press("SaveData");
        DebugCapture log;
        run(QString("save_data \"%1.tif\"").arg(files.path(name)));
        const bool written = !QDir(files.dir()).entryList({name + "-0.*"}).isEmpty();
        EXPECT_EQ(written, reason.isEmpty());
        EXPECT_TRUE(reason.isEmpty() ? shown.isEmpty() : shown.startsWith(reason))
            << qPrintable(shown);
        EXPECT_EQ(log.count("nothing is saved: " + shown), reason.isEmpty() ? 0 : 1);
    };
    run("set_band_w 40");
    fill("0 0 32 24");
    cfg->setSaveAsText();
    agree("text", "No box centre lies on the image");
    cfg->setSaveAsTiff();
    cfg->setSaveTiffAsAnalyzed(true);
    agree("boxes", "No box centre lies on the image");
    cfg->setSaveTiffAsAnalyzed(false);
    agree("whole", "");

    run("set_band_w 0");
    fill("3 1000000 -100000 3");
    cfg->setSaveTiffAsAnalyzed(true);
    agree("far", "The area reaches far past the image");
    fill("0 0 32 24");
    agree("on", "");
}

// The reason beside the save buttons goes with its cause: a load, Reset
// Scale (the run that fills a map: ExecNoFit).
TEST_F(BodySave, ReasonGoesWithItsCause)
{
    QLabel *reason = child<QLabel>("SaveReason");
    body.show();
    EXPECT_TRUE(press("SaveImage").startsWith("No image shown"));
    loadI1(32, 24);
    body.imageView()->grab();
    EXPECT_EQ(reason->text(), "");
    body.imageView()->viewX = 1000;
    EXPECT_TRUE(press("SaveImage").startsWith("View is off the image"));
    child<QPushButton>("ResetScale")->click();
    body.imageView()->grab();
    EXPECT_EQ(reason->text(), "");
}

TEST_F(BodySave, FlatAndDarkFramesAtTheImageSize)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(files.dir()));
    body.saveFlatDark(); // no image size yet
    EXPECT_FALSE(exists("flat.dat") || exists("dark.dat"));
    loadI1(7, 5);
    body.saveFlatDark();
    QDir::setCurrent(before);
    auto flat = readTiff(files.path("flat.dat"));
    auto dark = readTiff(files.path("dark.dat"));
    ASSERT_TRUE(flat && dark);
    EXPECT_EQ(QSize(int(flat->width), int(flat->height)), QSize(7, 5));
    EXPECT_EQ(QSize(int(dark->width), int(dark->height)), QSize(7, 5));
    for (int k = 0; k < 35; k++) {
        EXPECT_EQ(flat->storedValue(k % 7, k / 7), 1);
        EXPECT_EQ(dark->storedValue(k % 7, k / 7), 0);
    }
}

TEST_F(BodySave, SpectraOverTheSelectedArea)
{
    body.saveEachSpectrum(files.path("none.dat"));
    EXPECT_FALSE(exists("none.dat")); // no frames
    loadI1();
    body.imageView()->setSelectedArea(0, 0, 4, 2);
    child<QLineEdit>("HWidth")->setText("0");
    child<QLineEdit>("VWidth")->setText("0");
    child<QRadioButton>("SaveAsRaw")->setChecked(true);
    body.saveEachSpectrum(files.path("each"));
    QStringList expected = {"# Vantoscope Save Raw Spectra 1.0",
                            "# X-Range (x0, x1), steps : 0 4 4",
                            "# Y-Range (y0, y1), steps : 0 2 2",
                            "# Full Width, Height      : 8 6",
                            "# Bin Half Width, Height  : 0 0",
                            "# Step dX, dY             : 1 1",
                            "# End of Header"};
    for (int v : {100, 101, 102, 103, 108, 109, 110, 111})
        expected << QString("%1 %2 8950 %3 8960 %4 8970 %5")
                        .arg((v - 100) % 8).arg((v - 100) / 8).arg(v).arg(v + 10).arg(v + 20);
    EXPECT_EQ(lines("each.dat"), expected << "");

    // Boxes of 3 x 1: centres 1 and 4 in rows 0 and 1, mu-t = ln(3 / box sum).
    body.imageView()->setSelectedArea(0, 0, 6, 2);
    child<QLineEdit>("HWidth")->setText("1");
    child<QCheckBox>("UseI0")->setChecked(false);
    child<QRadioButton>("SaveAsRawXAFS")->setChecked(true);
    body.saveEachSpectrum(files.path("xafs.txt"));
    QStringList got = lines("xafs.txt");
    ASSERT_EQ(got.size(), 12);
    EXPECT_EQ(got[0], "# Vantoscope Save Raw Xafs Spectra 1.0");
    EXPECT_EQ(got[1], "# X-Range (x0, x1), steps : 0 6 2");
    EXPECT_EQ(got[4], "# Bin Half Width, Height  : 1 0");
    EXPECT_EQ(got[5], "# Step dX, dY             : 3 1");
    const QStringList items = got[10].split(' '); // centre (4, 1)
    ASSERT_EQ(items.size(), 9);
    EXPECT_EQ(items.mid(0, 4), QStringList({"4", "1", "0", "8950"}));
    EXPECT_NEAR(items[8].toDouble(), std::log(3.0 / (3 * 132)), 1e-5);

    child<QRadioButton>("SaveAsNormalizedXAFS")->setChecked(true);
    body.saveEachSpectrum(files.path("norm.dat"));
    got = lines("norm.dat");
    ASSERT_EQ(got.size(), 12);
    EXPECT_EQ(got[0], "# Vantoscope Save Normalized Xafs Spectra 1.0");
    EXPECT_EQ(got[7].split(' ').size(), 9);
    DebugCapture log;
    body.saveEachSpectrum(files.path("missing/x.dat"));
    EXPECT_TRUE(log.contains("Can not write"));
}

} // namespace
