#include <QAbstractButton>
#include <QApplication>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/lcfreference.h"
#include "batch/ui/batchctrl.h"
#include "calibration/ui/calibctrl.h"
#include "display/xafsfileselect.h"
#include "display/xafsview.h"
#include "imagedata/ui/eofsetup.h"
#include "imagedata/ui/selectdatafiles.h"
#include "imagedata/ui/selectdatafilesadditionalsetup.h"
#include "batch/cmdline.h"
#include "imagedata/ui/imgproc.h"
#include "mainwindow/body.h"
#include "mainwindow/savedatacfg.h"
#if !VANTOSCOPE_CLASSIC
#include "mainwindow/stats.h"
#endif

namespace {

QSet<QWidget *> shownWindows()
{
    QSet<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}

// The dialogs and sub-windows the main window's buttons, its data panels and
// its tool windows open, in the order a user reaches them. Each button opens
// one window; minimised and moved off the screen, the window comes back in
// view, not minimised, when the button is pressed again.
TEST(ShowButtons, EveryDialogAndSubWindowComesBackWhenItsButtonIsPressed)
{
    Body body;
    body.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&body));
    const QRect area = body.screen()->availableGeometry();

    Analyzer *analyzer = body.analysisWindow();
    CalibCtrl *calib = body.calibrationWindow();
    const auto refs = analyzer->findChildren<LCFReference *>();
    ASSERT_FALSE(refs.isEmpty());
    // The comparison spectrum's chooser is open to the edge search by comparison.
    analyzer->findChild<QAbstractButton *>("DEdgeCompWith")->click();
    const struct
    {
        QWidget *in;
        const char *button;
    } presses[] = {
        {&body, "SelectDark"},
        {&body, "SaveImage"},
        {&body, "SaveData"},
        {&body, "SaveEachSpectrum"},
        {&body, "ShowAnalyzer2"},
        {body.findChild<XafsFileSelect *>("TotalI0ofI1XAFS"), "Select"},
        {body.findChild<XafsFileSelect *>("TotalI0ofI0XAFS"), "Select"},
        {body.backgroundChooser(), "Select"},
        {body.backgroundView(), "Save"},
        {body.pointSpectrumView(), "Save"},
        {body.i1Panel(), "Select"},
        {body.i1Panel(), "EngOfFilesSetup"},
        {body.i1Panel()->eofSetup(), "SelRefFile"},
        {body.i1Panel(), "AdditionalSetup"},
        {body.i1Panel()->additionalSetup(), "SelectErrPsDef"},
        {body.i0Panel(), "Select"},
        {body.i0Panel(), "EngOfFilesSetup"},
        {body.i0Panel()->eofSetup(), "SelRefFile"},
        {body.i0Panel(), "AdditionalSetup"},
        {body.i0Panel()->additionalSetup(), "SelectErrPsDef"},
        {body.batchCtrl(), "Load"},
        {body.batchCtrl(), "Save"},
        {calib, "LoadMap"},
        {calib, "SaveMap"},
        {calib->findChild<XafsFileSelect *>("SelectStd"), "Select"},
        {analyzer, "ShowView"},
        {analyzer->spectrumView(), "Save"},
        {analyzer, "SelMap1"},
        {analyzer, "SelMap2"},
        {analyzer->findChild<XafsFileSelect *>("DEdgeCWFileSelect"), "Select"},
        {refs.first(), "Select"},
    };
    for (const auto &p : presses) {
        const QString name = QString("%1 %2 %3")
                                 .arg(p.in ? p.in->metaObject()->className() : "-",
                                      p.in ? p.in->objectName() : "", p.button);
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(p.in);
        auto *button = p.in->findChild<QAbstractButton *>(p.button);
        ASSERT_TRUE(button);

        const QSet<QWidget *> before = shownWindows();
        button->click();
        const QSet<QWidget *> opened = shownWindows() - before;
        ASSERT_EQ(opened.size(), 1);
        QWidget *window = *opened.begin();

        window->showMinimized();
        window->move(area.right() + 300, area.bottom() + 300);
        button->click();
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->isMinimized());
        EXPECT_TRUE(area.contains(window->frameGeometry()));
    }
}

// The main window's tool windows and the batch commands that show a window
// bring it back from minimised as well.
TEST(ShowButtons, ToolWindowsAndShowCommandsBringTheirWindowBack)
{
    Body body;
    body.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&body));
    const struct
    {
        QWidget *window;
        QString press;  // a button of the main window, or a batch command
    } presses[] = {
        {body.analysisWindow(), "ShowAnalyzer"},
        {body.calibrationWindow(), "OpenCalibCtrl"},
        {body.imageProcessor(), "ShowImgProc"},
        {body.pointSpectrumView(), "ShowXafsView"},
#if !VANTOSCOPE_CLASSIC
        {body.statistics(), "ShowStatistics"},
#endif
        {body.batchCtrl(), "BatchCtrlB"},
        {body.saveOptions(), "SaveDataCfgB"},
        {body.analysisWindow(), "analyzer_show_window"},
        {body.calibrationWindow(), "calib_show_window"},
        {body.saveOptions(), "saveDataCfg_show_window"},
    };
    for (const auto &p : presses) {
        SCOPED_TRACE(p.press.toStdString());
        auto press = [&] {
            if (p.press.contains('_')) {
                CmdLine c;
                c.parse(p.press);
                body.execCmdSlot(c, false);
            } else {
                body.findChild<QAbstractButton *>(p.press)->click();
            }
        };
        ASSERT_TRUE(p.press.contains('_') || body.findChild<QAbstractButton *>(p.press));
        press();
        ASSERT_TRUE(p.window->isVisible());
        p.window->showMinimized();
        press();
        EXPECT_TRUE(p.window->isVisible());
        EXPECT_FALSE(p.window->isMinimized());
    }
}

} // namespace
