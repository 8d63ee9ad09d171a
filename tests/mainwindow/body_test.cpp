#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "batch/ui/batchctrl.h"
#include "calibration/ui/calibctrl.h"
#include "core/physicaltables.h"
#include "display/xafsfileselect.h"
#include "display/xafsview.h"
#include "imagedata/loadtiff.h"
#include "imagedata/ui/imgproc.h"
#include "mainwindow/body.h"
#include "mainwindow/savedatacfg.h"
#include "mainwindow/stats.h"
#include "support/testfiles.h"
#include "variant/variant.h"

TEST(BodyStartup, TitleAndQuitFromBatchFile)
{
    Body body;
    EXPECT_EQ(body.windowTitle(), "Vantoscope");
    QSignalSpy finishing(&body, &Body::finishing);
    TestFiles files;
    const QString bat = files.writeText("run.bat", "# comment\n\nclear_I1_files\nunknown_word 1\nquit\n");
    body.batchCtrl()->setBatchFile(bat);
    EXPECT_EQ(body.batchCtrl()->text(), "# comment\n\nclear_I1_files\nunknown_word 1\nquit\n");
    body.batchCtrl()->execBatchSlot();
    EXPECT_TRUE(finishing.wait(20000));
    EXPECT_EQ(finishing.count(), 1);
}

TEST(BodyStartup, MissingBatchFileLeavesEditorAlone)
{
    Body body;
    body.batchCtrl()->setText("kept\n");
    DebugCapture log;
    body.batchCtrl()->setBatchFile("/nonexistent/file.bat");
    EXPECT_EQ(body.batchCtrl()->text(), "kept\n");
    EXPECT_TRUE(log.messages().join("\n").contains("/nonexistent/file.bat"));
}

// The loaders and the interpreter run in threads of their own, which end
// with the window.
TEST(BodyStartup, WorkerThreadsRunUntilTheWindowGoes)
{
    QThread *i1 = nullptr;
    QThread *i0 = nullptr;
    {
        Body body;
        i1 = body.i1LoadWorker()->thread();
        i0 = body.i0LoadWorker()->thread();
        EXPECT_NE(i1, QThread::currentThread());
        EXPECT_NE(i0, QThread::currentThread());
        EXPECT_NE(i1, i0);
        EXPECT_TRUE(i1->isRunning());
        EXPECT_TRUE(i0->isRunning());
    }
}

TEST(BodyStartup, ClosingTheWindowAsksTheProgramToFinish)
{
    Body body;
    QSignalSpy finishing(&body, &Body::finishing);
    QCloseEvent e;
    QApplication::sendEvent(&body, &e);
    EXPECT_TRUE(e.isAccepted());
    EXPECT_EQ(finishing.count(), 1);
}

TEST(BodySuggestion, EdgeEnergyFollowsElementAndEdge)
{
    Body body;
    auto *elm = body.findChild<QLineEdit *>("SuggestingElm");
    auto *edge = body.findChild<QComboBox *>("SuggestingEdge");
    auto *eV = body.findChild<QLineEdit *>("SuggestingEeV");
    ASSERT_TRUE(elm && edge && eV);
    EXPECT_EQ(eV->text(), QString::number(edgeEnergyEV(29, 0), 'g', 6));

    edge->setCurrentIndex(3);
    EXPECT_EQ(eV->text(), QString::number(edgeEnergyEV(29, 3), 'g', 6));

    elm->setText("Fe");
    emit elm->editingFinished();
    EXPECT_EQ(eV->text(), QString::number(edgeEnergyEV(26, 3), 'g', 6));

    // An unknown symbol keeps the energy.
    elm->setText("Xx");
    emit elm->editingFinished();
    EXPECT_EQ(eV->text(), QString::number(edgeEnergyEV(26, 3), 'g', 6));

    const SuggestElm s = body.getSuggestElm();
    EXPECT_EQ(s.edge, 3);
    EXPECT_DOUBLE_EQ(s.edgeEV, eV->text().toDouble());
    EXPECT_EQ(s.dPreE, -20);
    EXPECT_EQ(s.dPostS, 20);
}

// The classic program's main window has no statistics window.
TEST(BodyVariant, StatisticsWindowOnlyInTheMainProgram)
{
    Body body;
    const bool hasSlot = body.metaObject()->indexOfSlot("showStatistics()") >= 0;
    const bool hasButton = body.findChild<QPushButton *>("ShowStatistics") != nullptr;
#if VANTOSCOPE_CLASSIC
    EXPECT_FALSE(hasSlot);
    EXPECT_FALSE(hasButton);
#else
    EXPECT_TRUE(hasSlot);
    EXPECT_TRUE(hasButton);
#endif
    EXPECT_NE(body.findChild<QPushButton *>("BatchCtrlB"), nullptr);
}

// Changing the image type reports every toggle (one off, one on); only the
// classic program logs them.
TEST(BodyVariant, ImageTypeChangeLogsOnlyInTheClassicProgram)
{
    struct Restore
    {
        ~Restore() { Variant::setClassic(false); }
    } restore;
    Body body;
    auto *i0 = body.findChild<QRadioButton *>("ShowI0");
    auto *data = body.findChild<QRadioButton *>("ShowData");
    {
        DebugCapture log;
        i0->setChecked(true);
        EXPECT_EQ(log.count("disp img selected"), 0);
    }
    Variant::setClassic(true);
    DebugCapture log;
    data->setChecked(true);
    EXPECT_EQ(log.count("disp img selected"), 2);
}

namespace {

// A frame inside the area; one too large for it at least starts inside it.
bool onScreen(const QRect &frame, const QRect &area)
{
    if (frame.width() <= area.width() && frame.height() <= area.height())
        return area.contains(frame);
    return area.contains(frame.topLeft());
}

void clickClear(XafsFileSelect *chooser)
{
    chooser->findChild<QPushButton *>("Clear")->click();
}

} // namespace

// A Show button brings its window up in front and on the screen, also when
// the window is open already but minimised or moved off the screen.
TEST(BodyWindows, ShowButtonsBringTheirWindowsUpOnTheScreen)
{
    Body body;
    body.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&body));
    const QRect area = body.screen()->availableGeometry();
    // The spectrum at the pointer opens beside the main window, on the screen.
    QTest::qWait(10);
    EXPECT_TRUE(onScreen(body.pointSpectrumView()->frameGeometry(), area));

    const struct
    {
        const char *button;
        QWidget *window;
    } shows[] = {
        {"ShowXafsView", body.pointSpectrumView()}, {"OpenCalibCtrl", body.calibrationWindow()},
        {"ShowAnalyzer", body.analysisWindow()},    {"ShowImgProc", body.imageProcessor()},
        {"ShowBG", body.backgroundView()},          {"SelectBG", body.backgroundChooser()},
        {"SaveDataCfgB", body.saveOptions()},       {"BatchCtrlB", body.batchCtrl()},
#if !VANTOSCOPE_CLASSIC
        {"ShowStatistics", body.statistics()},
#endif
    };
    for (const auto &s : shows) {
        auto *button = body.findChild<QPushButton *>(s.button);
        ASSERT_TRUE(button) << s.button;
        button->click();
        ASSERT_TRUE(s.window->isVisible()) << s.button;
        s.window->showMinimized();
        s.window->move(area.right() + 300, area.bottom() + 300);
        button->click();
        EXPECT_TRUE(s.window->isVisible()) << s.button;
        EXPECT_FALSE(s.window->isMinimized()) << s.button;
        EXPECT_TRUE(onScreen(s.window->frameGeometry(), area)) << s.button;
    }
    XafsView *analysing = body.analysisWindow()->spectrumView();
    EXPECT_TRUE(QTest::qWaitFor([analysing] { return analysing->isVisible(); }, 10000));
    EXPECT_TRUE(onScreen(analysing->frameGeometry(), area));
}

// Clear on a chooser drops what it had loaded: the calibration standard
// (while a file that cannot be read keeps the former one) and the background.
TEST(BodyWindows, ClearedChoosersDropTheirSpectra)
{
    Body body;
    const QString fe2o3 = sourceDataPath("spectra/fe2o3_rt1.dat");
    CalibCtrl *calib = body.calibrationWindow();
    auto *stdChooser = calib->findChild<XafsFileSelect *>("SelectStd");
    ASSERT_TRUE(stdChooser);
    stdChooser->load(fe2o3);
    ASSERT_GT(body.pointSpectrumView()->standard.count(), 0);
    clickClear(stdChooser);
    EXPECT_EQ(body.pointSpectrumView()->standard.count(), 0);
    EXPECT_EQ(calib->standard(), nullptr);
    EXPECT_TRUE(calib->stdFileName().isEmpty());

    stdChooser->load(fe2o3);
    stdChooser->load("/nonexistent/std.dat");
    EXPECT_GT(body.pointSpectrumView()->standard.count(), 0);

    body.backgroundChooser()->load(fe2o3);
    ASSERT_TRUE(body.backgroundValid());
    ASSERT_GT(body.backgroundView()->current.count(), 0);
    clickClear(body.backgroundChooser());
    EXPECT_FALSE(body.backgroundValid());
    EXPECT_EQ(body.backgroundSpectrum().count(), 0);
    EXPECT_EQ(body.backgroundView()->current.count(), 0);
}
