#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "batch/ui/batchctrl.h"
#include "mainwindow/body.h"
#include "support/testfiles.h"

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
    EXPECT_TRUE(finishing.wait(2000));
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
