#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <gtest/gtest.h>

// The form is generated for this program too.
#include "ui_xafsfileselect.h"
#include "display/xafsfileselect.h"
#include "imagedata/_filedialog.h"
#include "support/testfiles.h"

TEST(XafsFileSelectForm, ObjectsAndDefaults)
{
    XafsFileSelect fs;
    EXPECT_EQ(fs.objectName(), "XafsFileSelect");
    EXPECT_EQ(fs.windowTitle(), "XAFS File Select");
    EXPECT_EQ(fs.size(), QSize(520, 28));
    EXPECT_TRUE(fs.Use->isChecked());
    EXPECT_TRUE(fs.Use->isHidden());
    EXPECT_TRUE(fs.Selected->isReadOnly());
    EXPECT_EQ(fs.Selected->styleSheet(), "background-color: rgb(253, 255, 225);");
    EXPECT_EQ(fs.Select->text(), "Select");
    EXPECT_EQ(fs.Clear->text(), "Clear");
    EXPECT_EQ(fs.Clear->sizePolicy().horizontalPolicy(), QSizePolicy::Maximum);
    EXPECT_EQ(fs.gridLayout->spacing(), 3);
    EXPECT_FALSE(fs.fileChosen);
    EXPECT_EQ(fs.dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(fs.dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(fs.dialog->nameFilters(),
              QStringList() << "XAFS Data File (*.dat)" << "Any Files (* *.*)");
    EXPECT_TRUE(fs.dialog->testOption(QFileDialog::DontUseNativeDialog));
}

TEST(XafsFileSelectForm, LoadShowsFileAndMovesDialog)
{
    TestFiles files;
    const QString f = files.writeText("sub/a.dat", "1 2\n");
    XafsFileSelect fs;
    QSignalSpy spy(&fs, &XafsFileSelect::newFile);
    fs.load(f);
    EXPECT_TRUE(fs.fileChosen);
    EXPECT_EQ(fs.Selected->text(), f);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), f);
    EXPECT_EQ(fs.dialog->directory().canonicalPath(), QFileInfo(f).canonicalPath());

    // Clearing keeps the taken flag and the dialog's folder.
    QSignalSpy cleared(&fs, &XafsFileSelect::cleared);
    fs.Clear->click();
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_TRUE(fs.Selected->text().isEmpty());
    EXPECT_TRUE(fs.fileChosen);
    EXPECT_EQ(fs.dialog->directory().canonicalPath(), QFileInfo(f).canonicalPath());
}

TEST(XafsFileSelectForm, MissingFolderStillReported)
{
    XafsFileSelect fs;
    QSignalSpy spy(&fs, &XafsFileSelect::newFile);
    fs.fileSelected("/no/such/folder/x.dat");
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(fs.Selected->text(), "/no/such/folder/x.dat");
    EXPECT_TRUE(fs.fileChosen);
}

TEST(XafsFileSelectForm, UseBoxAndColours)
{
    XafsFileSelect fs;
    QSignalSpy use(&fs, &XafsFileSelect::changedUse);
    fs.showUse(true);
    EXPECT_FALSE(fs.Use->isHidden());
    fs.setUse(false);
    ASSERT_EQ(use.count(), 1);
    EXPECT_FALSE(use.at(0).at(0).toBool());
    fs.fileNameValid(false);
    EXPECT_EQ(fs.Selected->styleSheet(), "background-color: rgb(255, 240, 240);");
    fs.fileNameValid(true);
    EXPECT_EQ(fs.Selected->styleSheet(), "background-color: rgb(255, 255, 224);");
    fs.setMaxSelectBW(33);
    fs.setMaxClearBW(44);
    EXPECT_EQ(fs.Select->maximumWidth(), 33);
    EXPECT_EQ(fs.Clear->maximumWidth(), 44);
}
