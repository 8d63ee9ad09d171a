#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

#include "core/globals.h"
#include "display/_filedialog.h"
#include "display/eshiftmapdialog.h"
#include "display/fdgroup.h"
#include "display/selectimgdialog.h"
#include "support/testfiles.h"

namespace {

// Exposes how many slots listen to the dialog's signals.
class ProbeDialog : public _FileDialog
{
public:
    int currentChangedListeners() const { return receivers(SIGNAL(currentChanged(QString))); }
    int directoryEnteredListeners() const
    {
        return receivers(SIGNAL(directoryEntered(QString)));
    }
};

void emitCurrentChanged(QFileDialog *d, const QString &path)
{
    QMetaObject::invokeMethod(d, "currentChanged", Qt::DirectConnection, Q_ARG(QString, path));
}

void emitDirectoryEntered(QFileDialog *d, const QString &path)
{
    QMetaObject::invokeMethod(d, "directoryEntered", Qt::DirectConnection, Q_ARG(QString, path));
}

QString folderOf(const QFileDialog &d)
{
    return d.directory().absolutePath();
}

class FileDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedRoot = dataRoot;
        root = QFileInfo(files.writeText("root/x.txt", "x")).canonicalPath();
        folderA = QFileInfo(files.writeText("A/a.dat", "a")).canonicalPath();
        folderB = QFileInfo(files.writeText("B/b.dat", "b")).canonicalPath();
        dataRoot = root;
    }
    void TearDown() override { dataRoot = savedRoot; }

    TestFiles files;
    QString savedRoot, root, folderA, folderB;
};

} // namespace

TEST_F(FileDialogsTest, FileDialogIsNonNativeInDataRoot)
{
    _FileDialog d("Pick");
    EXPECT_TRUE(d.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(d.windowTitle(), QString("Pick"));
    EXPECT_EQ(folderOf(d), root);
    EXPECT_EQ(d.parent(), nullptr);

    SelectImgDialog s;
    EXPECT_TRUE(s.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(folderOf(s), root);
    EXPECT_TRUE(s.windowTitle().isEmpty());
}

TEST_F(FileDialogsTest, ShiftMapDialogOpensEmpFiles)
{
    EShiftMapDialog d;
    EXPECT_EQ(d.nameFilters(),
              QStringList({"Energy Shift Map File (*.emp)", "Any Files (* *.*)"}));
    EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_TRUE(d.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(folderOf(d), root);
}

TEST_F(FileDialogsTest, GroupRegistersDialogOnce)
{
    FDGroup group;
    ProbeDialog d;
    const int before = d.currentChangedListeners();
    group.addDialog(&d);
    const int once = d.currentChangedListeners();
    const int enteredOnce = d.directoryEnteredListeners();
    group.addDialog(&d);
    EXPECT_EQ(group.dialogs().size(), 1);
    EXPECT_EQ(once, before + 1);
    EXPECT_EQ(d.currentChangedListeners(), once);
    EXPECT_EQ(d.directoryEnteredListeners(), enteredOnce);
}

TEST_F(FileDialogsTest, GroupFollowsHighlightAndFolderChanges)
{
    FDGroup group;
    _FileDialog d1, d2, d3;
    group.addDialog(&d1);
    group.addDialog(&d2);
    group.addDialog(&d3);

    // A highlighted file moves the others to its canonical folder; the sender stays.
    emitCurrentChanged(&d1, folderA + "/../A/a.dat");
    EXPECT_EQ(folderOf(d1), root);
    EXPECT_EQ(folderOf(d2), folderA);
    EXPECT_EQ(folderOf(d3), folderA);

    emitDirectoryEntered(&d2, folderB);
    EXPECT_EQ(folderOf(d1), folderB);
    EXPECT_EQ(folderOf(d2), folderA);
    EXPECT_EQ(folderOf(d3), folderB);

    // A highlight that names no existing file moves nobody.
    emitCurrentChanged(&d3, QString());
    EXPECT_EQ(folderOf(d1), folderB);
    EXPECT_EQ(folderOf(d2), folderA);
}

TEST_F(FileDialogsTest, DialogAlreadyInTargetFolderKeepsSelection)
{
    FDGroup group;
    _FileDialog d1, d2;
    d2.setDirectory(folderA);
    d2.selectFile(folderA + "/a.dat");
    group.addDialog(&d1);
    group.addDialog(&d2);
    emitDirectoryEntered(&d1, folderA);
    EXPECT_EQ(folderOf(d2), folderA);
    EXPECT_EQ(d2.selectedFiles(), QStringList({folderA + "/a.dat"}));
}

TEST_F(FileDialogsTest, DeletedDialogLeavesGroup)
{
    FDGroup group;
    _FileDialog keep;
    auto *gone = new _FileDialog;
    group.addDialog(gone);
    group.addDialog(&keep);
    delete gone;
    EXPECT_EQ(group.dialogs().size(), 1);
    _FileDialog other;
    group.addDialog(&other);
    emitDirectoryEntered(&other, folderB);
    EXPECT_EQ(folderOf(keep), folderB);
}
