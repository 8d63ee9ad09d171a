#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "display/xafsfileselect.h"
#include "display/_filedialog.h"
#include "support/testfiles.h"

namespace {

// The chooser's form widgets, found by their object names.
struct ChooserParts
{
    QCheckBox *Use;
    QLineEdit *Selected;
    QPushButton *Select, *Clear;

    explicit ChooserParts(const XafsFileSelect &fs)
        : Use(fs.findChild<QCheckBox *>("Use")),
          Selected(fs.findChild<QLineEdit *>("Selected")),
          Select(fs.findChild<QPushButton *>("Select")),
          Clear(fs.findChild<QPushButton *>("Clear"))
    {
    }
    bool complete() const { return Use && Selected && Select && Clear; }
};

} // namespace

TEST(XafsFileSelectForm, ObjectsAndDefaults)
{
    XafsFileSelect fs;
    ChooserParts ui(fs);
    ASSERT_TRUE(ui.complete());
    EXPECT_EQ(fs.objectName(), "XafsFileSelect");
    EXPECT_EQ(fs.windowTitle(), "XAFS File Select");
    EXPECT_EQ(fs.size(), QSize(520, 28));
    EXPECT_TRUE(ui.Use->isChecked());
    EXPECT_TRUE(fs.use());
    EXPECT_TRUE(ui.Use->isHidden());
    EXPECT_TRUE(ui.Selected->isReadOnly());
    EXPECT_EQ(ui.Selected->styleSheet(), "background-color: rgb(253, 255, 225);");
    EXPECT_EQ(ui.Select->text(), "Select");
    EXPECT_EQ(ui.Clear->text(), "Clear");
    EXPECT_EQ(ui.Clear->sizePolicy().horizontalPolicy(), QSizePolicy::Maximum);
    QGridLayout *grid = fs.findChild<QGridLayout *>("gridLayout");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->spacing(), 3);
    EXPECT_FALSE(fs.fileChosen());
    _FileDialog *dialog = fs.fileDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->nameFilters(),
              QStringList() << "XAFS Data File (*.dat)" << "Any Files (* *.*)");
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
}

TEST(XafsFileSelectForm, LoadShowsFileAndMovesDialog)
{
    TestFiles files;
    const QString f = files.writeText("sub/a.dat", "1 2\n");
    XafsFileSelect fs;
    ChooserParts ui(fs);
    ASSERT_TRUE(ui.complete());
    QSignalSpy spy(&fs, &XafsFileSelect::newFile);
    fs.load(f);
    EXPECT_TRUE(fs.fileChosen());
    EXPECT_EQ(ui.Selected->text(), f);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), f);
    EXPECT_EQ(fs.fileDialog()->directory().canonicalPath(), QFileInfo(f).canonicalPath());

    // Clearing keeps the taken flag and the dialog's folder.
    QSignalSpy cleared(&fs, &XafsFileSelect::cleared);
    ui.Clear->click();
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_TRUE(ui.Selected->text().isEmpty());
    EXPECT_TRUE(fs.fileChosen());
    EXPECT_EQ(fs.fileDialog()->directory().canonicalPath(), QFileInfo(f).canonicalPath());
}

TEST(XafsFileSelectForm, MissingFolderStillReported)
{
    XafsFileSelect fs;
    ChooserParts ui(fs);
    ASSERT_TRUE(ui.complete());
    QSignalSpy spy(&fs, &XafsFileSelect::newFile);
    fs.fileSelected("/no/such/folder/x.dat");
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(ui.Selected->text(), "/no/such/folder/x.dat");
    EXPECT_TRUE(fs.fileChosen());
}

TEST(XafsFileSelectForm, UseBoxAndColours)
{
    XafsFileSelect fs;
    ChooserParts ui(fs);
    ASSERT_TRUE(ui.complete());
    QSignalSpy use(&fs, &XafsFileSelect::changedUse);
    fs.showUse(true);
    EXPECT_FALSE(ui.Use->isHidden());
    fs.setUse(false);
    ASSERT_EQ(use.count(), 1);
    EXPECT_FALSE(use.at(0).at(0).toBool());
    EXPECT_FALSE(fs.use());
    fs.fileNameValid(false);
    EXPECT_EQ(ui.Selected->styleSheet(), "background-color: rgb(255, 240, 240);");
    fs.fileNameValid(true);
    EXPECT_EQ(ui.Selected->styleSheet(), "background-color: rgb(255, 255, 224);");
    fs.setMaxSelectBW(33);
    fs.setMaxClearBW(44);
    EXPECT_EQ(ui.Select->maximumWidth(), 33);
    EXPECT_EQ(ui.Clear->maximumWidth(), 44);
}
