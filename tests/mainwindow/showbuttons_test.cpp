#include <QAbstractButton>
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "batch/cmdline.h"
#include "batch/ui/batchctrl.h"
#include "imagedata/ui/eofsetup.h"
#include "imagedata/ui/selectdatafiles.h"
#include "imagedata/ui/selectdatafilesadditionalsetup.h"
#include "mainwindow/body.h"

namespace {

// The data panels' windows and dialogs, the batch window's, Map1/Map2 and the
// windows batch commands show: minimised and moved off the screen, each comes
// back in view when its button or command is pressed again.
TEST(ShowButtons, WindowsComeBackWhenTheirButtonOrCommandIsPressedAgain)
{
    Body body;
    body.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&body));
    const QRect area = body.screen()->availableGeometry();
    const QList<QPair<QWidget *, QString>> presses{
        {body.i1Panel(), "Select"}, {body.i1Panel(), "EngOfFilesSetup"},
        {body.i1Panel(), "AdditionalSetup"}, {body.i0Panel()->eofSetup(), "SelRefFile"},
        {body.i0Panel()->additionalSetup(), "SelectErrPsDef"}, {body.batchCtrl(), "Load"},
        {body.batchCtrl(), "Save"}, {body.analysisWindow(), "SelMap1"},
        {body.analysisWindow(), "SelMap2"}, {nullptr, "calib_show_window"},
        {nullptr, "saveDataCfg_show_window"}};
    for (const auto &p : presses) {
        SCOPED_TRACE(p.second.toStdString());
        const auto press = [&] {
            CmdLine c;
            c.parse(p.second);
            p.first ? p.first->findChild<QAbstractButton *>(p.second)->click()
                    : body.execCmdSlot(c, false);
        };
        const auto shown = [] {
            QWidgetList l;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible())
                    l << w;
            return l;
        };
        const QWidgetList before = shown();
        press();
        const QWidgetList after = shown();
        ASSERT_EQ(after.size(), before.size() + 1);  // one window opened
        QWidget *window = *std::find_if(after.begin(), after.end(),
                                        [&](QWidget *w) { return !before.contains(w); });
        window->showMinimized();
        window->move(area.right() + 300, area.bottom() + 300);
        press();
        EXPECT_TRUE(window->isVisible() && !window->isMinimized());
        EXPECT_TRUE(area.contains(window->frameGeometry()));
    }
}

} // namespace
