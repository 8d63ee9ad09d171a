#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <QWheelEvent>
#include <atomic>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#include "../display/widgetevents.h"
#include "analysis/ui/analyzer.h"
#include "core/cmdid.h"
#include "display/chcoord.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "display/xafsfileselect.h"
#include "display/xafsview.h"
#include "imagedata/loadtiff.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/eofsetup.h"
#include "imagedata/ui/imgproc.h"
#include "imagedata/ui/selectdatafiles.h"
#include "imagedata/ui/selectdatafilesadditionalsetup.h"
#include "mainwindow/body.h"
#include "support/batchwindow.h"
#include "support/waitfor.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

namespace {

const char *const White = "background-color: rgb(255, 255, 255);";
const char *const Pink = "background-color: rgb(255, 192, 192);";

// A main window with its load completions recorded. Files are named so that
// the panels' default energy rule reads their energy: "<prefix>_<eV>_0000.tif".
class BodyStacks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&body, &Body::finishBatchExec, &body, [this](int id) { ids << id; });
    }

    QString frameFile(const QString &prefix, int eV, quint16 value, double exposureMs = 100,
                      int w = 4, int h = 3)
    {
        return files.write(QString("%1_%2_0000.tif").arg(prefix).arg(eV),
                           ImageFixtures::tiff(w, h, QVector<quint16>(w * h, value), false,
                                               exposureMs / 1000.0));
    }

    // Frames of uniform value values[i] at energy energies[i].
    QStringList stack(const QString &prefix, const QVector<int> &energies,
                      const QVector<quint16> &values, const QVector<double> &exposures = {})
    {
        QStringList names;
        for (int i = 0; i < energies.size(); i++)
            names << frameFile(prefix, energies[i], values[i],
                               exposures.isEmpty() ? 100 : exposures[i]);
        return names;
    }

    void choose(SelectDataFiles *panel, bool newLoad)
    {
        panel->findChild<QRadioButton *>(newLoad ? "LoadNewFiles" : "AddFiles")->setChecked(true);
    }

    // Loads through the panel, as its file dialog does, and waits for the
    // load's completion (4 for I1, 5 for I0).
    bool load(SelectDataFiles *panel, const QStringList &names, bool newLoad = true)
    {
        const int id = panel == body.i1Panel() ? 4 : 5;
        const int before = ids.count(id);
        choose(panel, newLoad);
        panel->emitFilesSelected(names);
        return waitFor([&] { return ids.count(id) > before; });
    }

    QLineEdit *expTime(SelectDataFiles *panel) { return panel->findChild<QLineEdit *>("ExpTime"); }
    template <typename T> T *widget(const char *name) { return body.findChild<T *>(name); }

    Body body;
    TestFiles files;
    QVector<int> ids;
};

} // namespace

TEST_F(BodyStacks, LoadsBothStacksThroughThePanels)
{
    ASSERT_TRUE(load(body.i1Panel(), stack("i1", {8950, 8960, 8970}, {100, 101, 102})));
    EXPECT_EQ(ids, QVector<int>({4}));
    ASSERT_EQ(body.i1Stack().size(), 3);
    EXPECT_EQ(body.i1Stack()[0]->energy, 8950);
    EXPECT_EQ(body.i1Stack()[2]->energy, 8970);
    EXPECT_EQ(body.i1Stack()[1]->pixelValue(2, 2), 101);
    EXPECT_EQ(body.imageW(), 4);
    EXPECT_EQ(body.imageH(), 3);
    EXPECT_EQ(widget<QSlider>("SeekBar")->maximum(), 2);
    EXPECT_EQ(body.i1Panel()->imageCount(), 3);
    EXPECT_EQ(expTime(body.i1Panel())->text(), "100");
    EXPECT_EQ(expTime(body.i1Panel())->styleSheet(), White);
    // "Show Latest Image on Load" is ticked at start: the last frame is shown.
    EXPECT_EQ(body.imageView()->frame, body.i1Stack()[2]);

    // I0 frames follow their own panel and leave the image geometry alone.
    ASSERT_TRUE(load(body.i0Panel(), stack("i0", {8950, 8960}, {1000, 1001}, {50, 50}), true));
    EXPECT_EQ(ids, QVector<int>({4, 5}));
    EXPECT_EQ(body.i0Stack().size(), 2);
    EXPECT_EQ(body.i0Panel()->imageCount(), 2);
    EXPECT_EQ(expTime(body.i0Panel())->text(), "50");
    EXPECT_EQ(widget<QSlider>("SeekBar")->maximum(), 2);
    EXPECT_EQ(body.imageView()->frame, body.i1Stack()[2]);
}

// A "New" load asked for while another load runs: none of the old job's
// frames, also those already on their way, get into the new stack, and the
// batch interpreter hears of one completion.
TEST_F(BodyStacks, NewLoadDuringALoadKeepsOnlyTheNewFrames)
{
    const QString one = frameFile("old", 8900, 1000);
    const QStringList longList = QVector<QString>(4000, one).toList();
    const QStringList fresh = stack("new", {8950, 8960, 8970}, {7, 8, 9});

    // The new request follows the first old frame at once, while thousands
    // of old files are still to be read: the loader's thread waits in its
    // first hand-over until the request is made, however fast the decodes.
    bool switched = false;
    bool busyAtSwitch = false;
    QSemaphore asked;
    std::atomic<bool> held(false);
    QObject::connect(body.i1LoadWorker(), &LoadTiff::loaded, &body, [&](TiffData *, int) {
        if (switched)
            return;
        switched = true;
        busyAtSwitch = body.i1LoadWorker()->isBusy();
        body.i1Panel()->emitFilesSelected(fresh);
        asked.release();
    });
    // Connected last: the frame's queued calls are on their way before it waits.
    const auto hold = QObject::connect(
        body.i1LoadWorker(), &LoadTiff::loaded, body.i1LoadWorker(),
        [&](TiffData *, int) {
            if (!held.exchange(true))
                asked.tryAcquire(1, 10000);
        },
        Qt::DirectConnection);
    choose(body.i1Panel(), true);
    body.i1Panel()->emitFilesSelected(longList);
    const bool ended = waitFor([&] { return ids.count(4) >= 1; });
    QObject::disconnect(hold);
    ASSERT_TRUE(ended);
    QTest::qWait(300);

    EXPECT_TRUE(busyAtSwitch);
    EXPECT_EQ(ids.count(4), 1);
    ASSERT_EQ(body.i1Stack().size(), 3);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(body.i1Stack()[i]->pixelValue(1, 1), 7 + i);
    EXPECT_EQ(body.i1Panel()->imageCount(), 3);
    EXPECT_FALSE(body.i1LoadWorker()->isBusy());
}

TEST_F(BodyStacks, ClearingAStackForgetsItsFramesEverywhere)
{
    ASSERT_TRUE(load(body.i1Panel(), stack("i1", {8950, 8960}, {1, 2})));
    ASSERT_TRUE(load(body.i0Panel(), stack("i0", {8950, 8960}, {10, 11})));
    ImgProc *proc = body.imageProcessor();
    proc->findChild<QCheckBox *>("EdgeDetect")->setChecked(true);

    widget<QRadioButton>("ShowI0")->setChecked(true);
    ASSERT_EQ(proc->currentFrame(), body.i0Stack()[0]);
    body.i0Panel()->findChild<QPushButton *>("Clear")->click();
    EXPECT_TRUE(body.i0Stack().isEmpty());
    EXPECT_TRUE(body.i0FramesByEnergy().isEmpty());
    EXPECT_EQ(body.i0Panel()->imageCount(), 0);
    EXPECT_EQ(proc->currentFrame(), nullptr);
    EXPECT_EQ(body.imageView()->frame, nullptr);

    widget<QRadioButton>("ShowData")->setChecked(true);
    ASSERT_EQ(proc->currentFrame(), body.i1Stack()[body.i1Panel()->currentIndex()]);
    body.i1Panel()->findChild<QPushButton *>("Clear")->click();
    EXPECT_TRUE(body.i1Stack().isEmpty());
    EXPECT_EQ(proc->currentFrame(), nullptr);
    EXPECT_EQ(body.imageView()->frame, nullptr);
    // The image size stays until frames of a new stack arrive.
    EXPECT_EQ(body.imageW(), 4);
}

TEST_F(BodyStacks, ShiftsGoToTheFrameTheyWereFoundFor)
{
    ASSERT_TRUE(load(body.i1Panel(), stack("i1", {8950, 8960}, {1, 2})));
    ASSERT_TRUE(load(body.i0Panel(), stack("i0", {8950, 8960}, {10, 11})));
    ImgProc *proc = body.imageProcessor();
    TiffData *i0 = body.i0Stack()[1];

    // Shifts go to I1 frames only.
    emit proc->imgShift(i0, 2, -1);
    EXPECT_EQ(i0->shiftX, 0);
    EXPECT_EQ(i0->shiftY, 0);
    emit proc->imgShift(body.i1Stack()[0], 2, -1);
    EXPECT_EQ(body.i1Stack()[0]->shiftX, 2);
    // A frame that is no longer held is left alone.
    TiffData stray;
    emit proc->imgShift(&stray, 5, 5);
    EXPECT_EQ(stray.shiftX, 0);

    body.i1Panel()->select(1);
    body.setImgShift(3, 4);
    EXPECT_EQ(body.i1Stack()[1]->shiftX, 3);
    EXPECT_EQ(body.i1Stack()[1]->shiftY, 4);
    EXPECT_EQ(body.i1Stack()[0]->shiftX, 2);

    body.i1Stack()[0]->shiftX = 1;
    emit proc->askClearAllShifts();
    EXPECT_EQ(body.i1Stack()[0]->shiftX, 0);
    EXPECT_EQ(body.i1Stack()[1]->shiftY, 0);
    EXPECT_EQ(i0->shiftX, 0);

    // The processor asks for the I1 frame at the I1 panel's index.
    proc->findChild<QCheckBox *>("EdgeDetect")->setChecked(true);
    widget<QRadioButton>("ShowI0")->setChecked(true);
    body.giveProcData();
    EXPECT_EQ(proc->currentFrame(), body.i1Stack()[1]);
}

TEST_F(BodyStacks, DarkExposureScalesOnlyWithAUsableTime)
{
    auto *field = widget<QLineEdit>("DarkExpTime");
    EXPECT_EQ(body.darkExposureScale(200), 4.0);   // the form's 50 ms
    EXPECT_EQ(field->styleSheet(), White);

    DebugCapture log;
    for (const char *bad : {"", "0", "abc", "-5"}) {
        field->setText(bad);
        EXPECT_EQ(body.darkExposureScale(200), 1.0) << bad;
        EXPECT_EQ(field->styleSheet(), Pink) << bad;
    }
    // Said once, not on every spectrum.
    EXPECT_EQ(log.count("Dark exposure time"), 1);

    field->setText("100");
    EXPECT_EQ(body.darkExposureScale(200), 2.0);
    EXPECT_EQ(field->styleSheet(), White);
    // A stack exposure that is no number scales nothing either.
    EXPECT_EQ(body.darkExposureScale(0), 1.0);
    EXPECT_EQ(body.darkExposureScale(std::nan("")), 1.0);

    // Leaving the field checks it at once.
    field->setText("");
    emit field->editingFinished();
    EXPECT_EQ(field->styleSheet(), Pink);
}

TEST_F(BodyStacks, DarkAreaMeansFollowTheStack)
{
    ASSERT_TRUE(load(body.i1Panel(), stack("i1", {8950, 8960, 8970}, {10, 20, 30})));
    ImgDispA *view = body.imageView();
    view->setSelectedArea(0, 0, 2, 1);
    emit body.i1Panel()->setDarkArea();
    EXPECT_TRUE(body.i1DarkAreaSet());
    EXPECT_EQ(body.i1DarkRect(), QRectF(0, 0, 2, 1));
    EXPECT_EQ(body.i1DarkLevels(), QVector<double>({10, 20, 30}));
    EXPECT_EQ(body.i1Panel()->additionalSetup()->darkAreaText(), "(0,0)-(2,1)");
    // The selection goes back to what it was before.
    EXPECT_EQ(view->areaW, view->prevAreaW);

    // Frames added later get their means at the end of their load.
    ASSERT_TRUE(load(body.i1Panel(), stack("more", {8980, 8990}, {40, 50}), false));
    EXPECT_EQ(body.i1DarkLevels(), QVector<double>({10, 20, 30, 40, 50}));

    // A dark frame loaded afterwards counts from the next update on.
    body.selectedDark(files.write("dark.tif", ImageFixtures::tiff(4, 3, QVector<quint16>(12, 4))));
    EXPECT_EQ(body.i1DarkLevels()[0], 10);
    emit body.i1Panel()->updateDarkArea();
    EXPECT_EQ(body.i1DarkLevels(), QVector<double>({6, 16, 26, 36, 46}));

    // Past the end of the list the first level is used.
    EXPECT_EQ(body.i1DarkMeanAt(4), 46);
    EXPECT_EQ(body.i1DarkMeanAt(99), 6);
    EXPECT_EQ(body.i1DarkMeanAt(-1), 6);

    emit body.i1Panel()->clearDarkArea();
    EXPECT_FALSE(body.i1DarkAreaSet());
    EXPECT_TRUE(body.i1DarkLevels().isEmpty());
    EXPECT_EQ(body.i1DarkMeanAt(0), 0);
}

// I0 is interpolated by energy also when its frames came in falling energy
// order or were appended later.
TEST_F(BodyStacks, I0IsLookedUpByEnergyWhateverTheLoadOrder)
{
    ASSERT_TRUE(load(body.i0Panel(), stack("i0", {8980, 8970}, {1000, 300})));
    ASSERT_TRUE(load(body.i0Panel(), stack("i0b", {8950}, {100}), false));
    QVector<double> energies;
    for (const TiffData *f : body.i0FramesByEnergy())
        energies << f->energy;
    EXPECT_EQ(energies, QVector<double>({8950, 8970, 8980}));

    ASSERT_TRUE(load(body.i1Panel(), stack("i1", {8960}, {50})));
    // I0 at 8960 eV lies halfway between 100 and 300.
    const Spectrum row = body.rowProfile(1, 1, 0, true);
    ASSERT_EQ(row.count(), 4);
    EXPECT_NEAR(row.points[1].y(), std::log(4.0), 1e-12);
    EXPECT_EQ(row.points[1].x(), 1);

    widget<QCheckBox>("FluoType")->setChecked(true);
    EXPECT_NEAR(body.rowProfile(1, 1, 0, true).points[1].y(), 0.25, 1e-12);

    // Columns run from the bottom of the image upwards; I0 frames are not
    // divided by anything (the frame at the shown panel's index, I0 frame 0).
    const Spectrum column = body.columnProfile(1, 0, 0, false);
    ASSERT_EQ(column.count(), 3);
    EXPECT_EQ(column.points.first().x(), 3);
    EXPECT_EQ(column.points.last().x(), 1);
    EXPECT_EQ(column.points.first().y(), 1000);

    EXPECT_TRUE(body.rowProfile(3, 1, 0, true).isEmpty());
    EXPECT_TRUE(body.columnProfile(-1, 0, 0, true).isEmpty());
}

TEST_F(BodyStacks, TotalI0TablesLoadAndClear)
{
    const QString table = files.writeText("total.dat", "8950 5\n8960 6\n8970 7\n");
    auto *ofI1 = widget<XafsFileSelect>("TotalI0ofI1XAFS");
    auto *ofI0 = widget<XafsFileSelect>("TotalI0ofI0XAFS");
    ofI1->load(table);
    ofI0->load(table);
    EXPECT_EQ(body.totalI0OfI1Table().count(), 3);
    EXPECT_EQ(body.totalI0OfI0Table().count(), 3);

    ofI1->clear();
    EXPECT_EQ(body.totalI0OfI1Table().count(), 0);
    EXPECT_EQ(body.totalI0OfI0Table().count(), 3);
    ofI0->clear();
    EXPECT_EQ(body.totalI0OfI0Table().count(), 0);
}


// Frames that reach the window faster than it shows them (here all of them,
// with the loader already done) are shown once, the last of them, whether or
// not the latest frame is to be shown during the load; the stack and the end
// of the load are as with frames shown one by one.
TEST_F(BodyStacks, FramesArrivingAtOnceAreShownOnce)
{
    const int n = 40;
    QVector<int> energies;
    QVector<quint16> values;
    for (int i = 0; i < n; i++) {
        energies << 8900 + 2 * i;
        values << quint16(100 + i);
    }
    const QStringList names = stack("b", energies, values);
    SelectDataFiles *panel = body.i1Panel();
    auto *list = panel->findChild<QComboBox *>("Selected");
    ASSERT_NE(list, nullptr);
    for (bool latest : {true, false}) {
        SCOPED_TRACE(latest ? "show latest" : "latest not shown");
        panel->setShowLatest(latest);
        QVector<int> shown;
        const auto seen = QObject::connect(
            list, QOverload<int>::of(&QComboBox::currentIndexChanged), &body, [&](int i) {
                if (i >= 0)   // -1: emptied by the new load
                    shown << i;
            });
        // The window takes no event until the loader has handed over every frame.
        std::atomic<bool> loaderDone(false);
        const auto done = QObject::connect(
            body.i1LoadWorker(), &LoadTiff::finishLoadFiles, body.i1LoadWorker(),
            [&] { loaderDone = true; }, Qt::DirectConnection);
        const int before = ids.count(4);
        choose(panel, true);
        panel->emitFilesSelected(names);
        QElapsedTimer t;
        t.start();
        while (!loaderDone && t.elapsed() < 10000)
            QThread::msleep(2);
        QObject::disconnect(done);
        ASSERT_TRUE(loaderDone);
        ASSERT_TRUE(waitFor([&] { return ids.count(4) > before; }));
        QTest::qWait(20);
        QObject::disconnect(seen);

        EXPECT_EQ(shown, QVector<int>({0, n - 1}));
        ASSERT_EQ(body.i1Stack().size(), n);
        EXPECT_EQ(body.i1Stack().last()->pixelValue(1, 1), 100 + n - 1);
        EXPECT_EQ(panel->currentIndex(), n - 1);
        EXPECT_EQ(widget<QSlider>("SeekBar")->maximum(), n - 1);
        EXPECT_EQ(body.imageW(), 4);
        if (latest)
            EXPECT_EQ(body.imageView()->frame, body.i1Stack().last());
    }
}

// The panel reloads its bad-pixel list while a load it asked for is read:
// the frames are repaired with the list as it was when the load was asked
// for. The first round holds the loader until the reload is done; the others
// let the two run at once.
TEST_F(BodyStacks, LoadUsesTheBadPixelListOfItsRequest)
{
    QVector<quint16> px(6 * 5, 10);
    px[1 + 6 * 1] = 1000;
    px[3 + 6 * 3] = 3000;
    const QStringList names = QVector<QString>(
        40, files.write("hot_8950_0000.tif", ImageFixtures::tiff(6, 5, px))).toList();
    const QString lists[2] = {files.writeText("a.txt", "1 1\n"), files.writeText("b.txt", "3 3\n")};
    SelectDataFilesAdditionalSetup *setup = body.i1Panel()->additionalSetup();
    setup->errPsDefSelected(lists[0]);
    ASSERT_TRUE(setup->errPoints()->valid);
    QSemaphore gate;
    for (int round = 0; round < 6; round++) {
        SCOPED_TRACE(round);
        const int asked = round % 2;
        setup->errPsDefSelected(lists[asked]);
        if (round == 0)
            QMetaObject::invokeMethod(body.i1LoadWorker(), [&gate] { gate.acquire(); },
                                      Qt::QueuedConnection);
        const int before = ids.count(4);
        choose(body.i1Panel(), true);
        body.i1Panel()->emitFilesSelected(names);
        setup->errPsDefSelected(lists[1 - asked]);
        if (round == 0)
            gate.release();
        // The queue's length is read here while the loader changes it.
        int pending = 0;
        ASSERT_TRUE(waitFor([&] {
            pending = qMax(pending, body.i1LoadWorker()->pendingJobs());
            return ids.count(4) > before;
        }));
        EXPECT_LE(pending, 1);
        ASSERT_EQ(body.i1Stack().size(), names.size());
        for (const TiffData *f : body.i1Stack()) {
            ASSERT_EQ(f->pixelValue(1, 1) == 1000, asked == 1);
            ASSERT_EQ(f->pixelValue(3, 3) == 3000, asked == 0);
        }
    }
}

// The stacks take no more than the memory (set here): a load counts what both
// stacks hold and what it has taken, so frames that each fit alone are taken
// up to the limit and the rest refused from their headers, one line each;
// the loads complete once and the batch goes on. The batch log says once for
// each load that left images out how many of how many.
TEST_F(BodyStacks, StacksAreLoadedUpToTheMemoryAndNoFurther)
{
    const QStringList i1 = stack("i1", {8950, 8960, 8970}, {100, 101, 102});
    const QStringList i0 = stack("i0", {8950, 8960, 8970, 8980, 8990}, {1, 2, 3, 4, 5});
    TiffData probe;
    ASSERT_TRUE(probe.load(i1[0], nullptr));
    const qint64 limit = probe.memoryBytes() * 11 / 2;  // five and a half frames
    for (LoadTiff *loader : {body.i1LoadWorker(), body.i0LoadWorker()})
        QMetaObject::invokeMethod(
            loader, [loader, limit] { loader->setMemoryLimit(limit); }, Qt::BlockingQueuedConnection);
    BatchWindow batch(body.batchCtrl());
    DebugCapture log;
    ASSERT_TRUE(batch.runs({"load_I1_files NEW " + i1.join(' '), "load_I0_files NEW " + i0.join(' '),
                            "clear_I0_files", "load_I0_files NEW " + i0.mid(2).join(' ')}));
    EXPECT_EQ(body.i1Stack().size(), 3);
    ASSERT_EQ(body.i0Stack().size(), 2);
    EXPECT_EQ(body.i0Stack()[0]->pixelValue(0, 0), 3);
    EXPECT_EQ(log.count("Image refused"), 4);  // i0[2..4], then i0[4] after the clear
    EXPECT_EQ(ids, QVector<int>({4, 5, EX_clear_I0_files, 5}));
    EXPECT_EQ(batch.log().count("were left out"), 2) << batch.log().toStdString();
    EXPECT_EQ(batch.log().count("I0 stack: 3 of 5 images were left out (memory)"), 1);
    EXPECT_EQ(batch.log().count("I0 stack: 1 of 3 images were left out (memory)"), 1);
}

// Keys, a click in the groove and the wheel on the slider show the frame it
// points at, with one update of the point spectrum each, as a drag does; so
// do the program's own moves of the slider.
TEST_F(BodyStacks, SliderShowsTheFrameItPointsAt)
{
    QVector<int> energies;
    for (int i = 0; i < 24; i++)
        energies << 8900 + 5 * i;
    ASSERT_TRUE(load(body.i1Panel(), stack("s", energies, QVector<quint16>(24, 100))));
    body.resize(1000, 700);
    body.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&body));
    QSlider *bar = widget<QSlider>("SeekBar");
    QSignalSpy updates(body.pointSpectrumView(), &XafsView::updated);
    const QPoint middle = bar->rect().center();
    const std::pair<const char *, std::function<void()>> moves[] = {
        {"Home", [&] { QTest::keyClick(bar, Qt::Key_Home); }},
        {"End", [&] { QTest::keyClick(bar, Qt::Key_End); }},
        // Left of the handle, which stands at the right end.
        {"groove",
         [&] { QTest::mouseClick(bar, Qt::LeftButton, {}, {bar->width() / 4, middle.y()}); }},
        {"Left", [&] { QTest::keyClick(bar, Qt::Key_Left); }},
        {"PageDown", [&] { QTest::keyClick(bar, Qt::Key_PageDown); }},
        {"wheel", [&] {
             QWheelEvent wheel(middle, bar->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton,
                               Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(bar, &wheel);
         }}};
    for (const auto &move : moves) {
        SCOPED_TRACE(move.first);
        const int before = bar->value();
        updates.clear();
        move.second();
        const int v = bar->value();
        EXPECT_NE(v, before);
        EXPECT_EQ(widget<QLineEdit>("ImgNo")->text(), QString::number(v));
        EXPECT_EQ(body.imageView()->frame, body.i1Stack()[v]);
        EXPECT_DOUBLE_EQ(body.pointSpectrumView()->energyMarker, body.i1Stack()[v]->energy);
        EXPECT_EQ(updates.count(), 1);
    }
    updates.clear();

    body.i1Panel()->select(12);
    QTest::mouseClick(widget<QToolButton>("Prev"), Qt::LeftButton);
    QTest::mouseClick(widget<QToolButton>("Prev"), Qt::LeftButton);
    QTest::mouseClick(widget<QToolButton>("Next"), Qt::LeftButton);
    EXPECT_EQ(bar->value(), 11);
    body.showData(7);
    QTest::qWait(20);
    EXPECT_EQ(bar->value(), 7);
    EXPECT_EQ(body.imageView()->frame, body.i1Stack()[7]);
    EXPECT_DOUBLE_EQ(body.pointSpectrumView()->energyMarker, body.i1Stack()[7]->energy);
    EXPECT_EQ(updates.count(), 5);

    // seek_image to the energy of a grid line: the marker is drawn over it.
    XafsView *view = body.pointSpectrumView();
    QWidget *plot = view->findChild<QWidget *>("Xafs");
    const double e = view->mapper.axisTickValues(view->mapper.realX0, view->mapper.realX1)[1];
    BatchWindow batch(body.batchCtrl());
    ASSERT_TRUE(batch.runs({QString("seek_image %1").arg(energies.indexOf(int(e)))}));
    ASSERT_DOUBLE_EQ(view->energyMarker, e);
    const QImage shot = plot->grab().toImage();
    const int x = ChCoord::toInt(view->mapper.realToScreenX(e));
    int green = 0;
    for (int y = 0; y < shot.height(); y++)
        green += QColor(shot.pixel(x, y)) == QColor(0, 224, 0);
    EXPECT_GT(green, (view->mapper.winY0 - view->mapper.winY1) / 2);
}

// "Res. Analysis" chosen before the first load: the load fits the view to the
// image and save_image writes the map; the slider's keys and wheel keep the
// map while "No." and the marker follow the I1 stack; Reset Scale undoes a
// zoom; "I0" without I0 frames shows and saves nothing.
TEST_F(BodyStacks, ResultViewKeepsItsMapAndI0ShowsNothingWithoutI0)
{
    BatchWindow batch(body.batchCtrl());
    ASSERT_TRUE(batch.runs({"select_disp_image 3",
                            "load_I1_files NEW " + stack("m", {8950, 8960, 8970, 8980, 8990, 9000},
                                                         {10, 20, 30, 40, 50, 60}).join(' ')}));
    body.analysisWindow()->selectAnalysisMode(3);
    Analyzed2DRes &map = body.analysisWindow()->sumUpMap;
    AnalyzeCond walk;
    walk.init(4, 3, 0, 0, QRectF(0, 0, 4, 3), -1, -1);
    map.setArea(walk);
    do
        map.setData(walk.x, walk.y, 0, 0, walk.x + 10.0 * walk.y);
    while (walk.next());
    body.setupResAnalysisImage();
    body.selectedNewRef();
    ImgDispA *d = body.imageView();
    const auto view = [d] { return QRectF(d->viewX, d->viewY, d->viewW, d->viewH); };
    EXPECT_EQ(view(), QRectF(0, 0, 4, 3));
    ASSERT_TRUE(batch.runs({"save_image " + files.path("map.png")}));
    EXPECT_EQ(QImage(files.path("map.png")).convertToFormat(QImage::Format_RGB32),
              map.image->convertToFormat(QImage::Format_RGB32));

    body.show();
    const QImage shot = d->grab().toImage();
    QSlider *bar = widget<QSlider>("SeekBar");
    QLineEdit *no = widget<QLineEdit>("ImgNo");
    for (Qt::Key key : {Qt::Key_Home, Qt::Key_Right}) {
        const int before = bar->value();
        QTest::keyClick(bar, key);
        const int v = bar->value();
        SCOPED_TRACE(key);
        EXPECT_NE(v, before);
        EXPECT_TRUE(widget<QRadioButton>("ShowResAnalysis")->isChecked());
        EXPECT_EQ(d->grab().toImage(), shot);
        EXPECT_EQ(no->text() + " " + no->toolTip(),
                  QString::number(v) + " " + body.i1Stack()[v]->fileName);
        EXPECT_DOUBLE_EQ(body.pointSpectrumView()->energyMarker, body.i1Stack()[v]->energy);
    }
    d->setSelectedArea(1, 1, 3, 2);
    widget<QPushButton>("ZoomIn")->click();
    ASSERT_EQ(view(), QRectF(1, 1, 2, 1));
    widget<QPushButton>("ResetScale")->click();
    EXPECT_EQ(view(), QRectF(0, 0, 4, 3));

    widget<QRadioButton>("ShowI0")->click();
    QTest::keyClick(bar, Qt::Key_Home);
    EXPECT_TRUE(widget<QRadioButton>("ShowI0")->isChecked());
    EXPECT_FALSE(d->showsImage());
    EXPECT_EQ(no->text() + no->toolTip(), QString());
    ASSERT_TRUE(batch.runs({"save_image " + files.path("i0.png")}));
    EXPECT_FALSE(QFileInfo::exists(files.path("i0.png")));
}

// An index with no frame changes nothing on screen, in the map, I0 and frame
// views: frame, slider, "No." with its tool tip and the marker stay, one line
// says why each time, save_image writes the frame still on screen, and Prev
// and Next step from it.
TEST_F(BodyStacks, IndexWithNoFrameChangesNothingOnScreen)
{
    ASSERT_TRUE(load(body.i1Panel(), stack("n", {8950, 8960, 8970, 8980, 8990, 9000},
                                           {10, 20, 30, 40, 50, 60})));
    ASSERT_TRUE(load(body.i0Panel(), stack("z", {8950, 8960, 8970}, {70, 80, 90})));
    body.show();
    BatchWindow batch(body.batchCtrl());
    QSlider *bar = widget<QSlider>("SeekBar");
    QLineEdit *no = widget<QLineEdit>("ImgNo");
    ImgDispA *d = body.imageView();
    const auto screen = [&] {
        return QStringList{no->text(), no->toolTip(), QString::number(bar->value()),
                           QString::number(body.pointSpectrumView()->energyMarker),
                           QString::number(quintptr(d->frame))};
    };
    for (int view : {3, 1, 0}) {
        SCOPED_TRACE(view);
        const bool i0 = view == 1;   // at I0's last frame, else at the first
        const QString name = files.path(QString("v%1.png").arg(view));
        ASSERT_TRUE(batch.runs({QString("select_disp_image %1").arg(view),
                                i0 ? "seek_image 2" : "seek_image 0"}));
        const QStringList shown = screen();
        DebugCapture log;
        widget<QToolButton>(i0 ? "Next" : "Prev")->click();
        if (i0)
            QTest::keyClick(bar, Qt::Key_End);   // I1's last frame: none in I0
        ASSERT_TRUE(batch.runs({"seek_image 60", "seek_image -1", "save_image " + name}));
        EXPECT_EQ(screen(), shown);
        EXPECT_EQ(log.count("is no image of the shown stack"), i0 ? 4 : 3);
        ASSERT_TRUE(d->frame);
        if (view != 3)
            EXPECT_EQ(QImage(name).convertToFormat(QImage::Format_RGB32),
                      d->frame->image->convertToFormat(QImage::Format_RGB32));
        widget<QToolButton>(i0 ? "Prev" : "Next")->click();
        EXPECT_EQ(no->text() + " " + QString::number(bar->value()), "1 1");
    }
}

// Loads that refill a shown stack's list ask for no image. An energy
// reference that cannot be read is named in the batch log, and the images
// keep the energies of the list in use, which has none: 8000 eV + i.
TEST_F(BodyStacks, RefilledListsAndUnreadableReferencesGiveTrueLines)
{
    const QString dir = QFileInfo(stack("n", {8950, 8960, 8970}, {1, 2, 3})[0]).path();
    const QString load = "load_I1_files_of_pattern NEW " + dir + "/ n_*.tif";
    const QString missing = files.path("missing.dat");
    body.show();
    BatchWindow batch(body.batchCtrl());
    DebugCapture log;
    ASSERT_TRUE(batch.runs({load, load, "eng_by_ref_i1 " + missing, load}));
    EXPECT_EQ(log.count("is no image of the shown stack"), 0);
    EXPECT_EQ(batch.log().count("eng_by_ref_i1: no energy reference was read from \"" + missing
                                + "\"; with no list, image i takes 8000 + i eV"),
              1);
    EXPECT_TRUE(body.i1Panel()->eofSetup()->refFilePath().isEmpty());
    ASSERT_EQ(body.i1Stack().size(), 3);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(body.i1Stack()[i]->energy, 8000 + i);
}

// The "Selected Area" label shows the corners of the area analyses use, or
// no corners while the whole view is used; also without an image.
TEST_F(BodyStacks, SelectedAreaLabelShowsTheAreaAnalysesUse)
{
    body.resize(1200, 800);
    body.show();
    ASSERT_TRUE(load(body.i1Panel(), {frameFile("a", 8950, 100, 100, 32, 24)}));
    QLabel *label = widget<QLabel>("BoxSize");
    ImgDispA *d = body.imageView();
    ASSERT_TRUE(waitFor([d] { return d->showsImage(); }));
    d->grab();
    const QString whole = label->text();
    EXPECT_FALSE(whole.contains(QRegularExpression("\\d"))) << whole.toStdString();
    auto at = [d](double x, double y) {
        return QPointF(d->coord.realToScreenX(x), d->coord.realToScreenY(y));
    };
    widgetevents::drag(d, at(4.5, 3.5), at(20.5, 15.5));
    d->grab();
    EXPECT_EQ(label->text().simplified().toStdString(), "( 4, 3)-( 20, 15)");
    widgetevents::press(d, at(9, 9), Qt::RightButton);
    widgetevents::release(d, at(9, 9), Qt::RightButton);
    d->grab();
    EXPECT_EQ(label->text(), whole);
    EXPECT_EQ(body.analysisArea(), QRectF(d->viewX, d->viewY, d->viewW, d->viewH));

    body.i1Panel()->findChild<QPushButton *>("Clear")->click();
    BatchWindow batch(body.batchCtrl());
    ASSERT_TRUE(batch.runs({"select_region 100 100 120 120", "analyzer_exec_LCF"}));
    EXPECT_EQ(label->text().simplified().toStdString(), "( 100, 100)-( 120, 120)");
}
