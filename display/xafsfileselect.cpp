#include "display/xafsfileselect.h"

#include <QFileInfo>

#include "imagedata/_filedialog.h"

XafsFileSelect::XafsFileSelect(QWidget *parent) : QFrame(parent), fileChosen(false)
{
    setupUi(this);
    Use->setChecked(true);
    Use->hide();

    dialog = new _FileDialog();
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilters(QStringList() << tr("XAFS Data File (*.dat)") << tr("Any Files (* *.*)"));

    connect(Select, &QPushButton::clicked, dialog, &QFileDialog::show);
    connect(dialog, &QFileDialog::fileSelected, this, &XafsFileSelect::fileSelected);
    connect(Use, &QCheckBox::toggled, this, &XafsFileSelect::changedUse);
    connect(Clear, &QPushButton::clicked, this, &XafsFileSelect::clear);
}

XafsFileSelect::~XafsFileSelect()
{
    delete dialog;
}

void XafsFileSelect::load(QString file)
{
    fileChosen = true;
    Selected->setText(file);
    dialog->setDirectory(QFileInfo(file).canonicalPath());
    emit newFile(file);
}

void XafsFileSelect::fileSelected(QString file)
{
    load(file);
}

void XafsFileSelect::fileNameValid(bool ok)
{
    Selected->setStyleSheet(ok ? QStringLiteral("background-color: rgb(255, 255, 224);")
                               : QStringLiteral("background-color: rgb(255, 240, 240);"));
}

void XafsFileSelect::clear()
{
    Selected->clear();
    emit cleared();
}

void XafsFileSelect::setUse(bool use)
{
    Use->setChecked(use);
}

void XafsFileSelect::showUse(bool show)
{
    Use->setVisible(show);
}

void XafsFileSelect::setMaxSelectBW(int w)
{
    Select->setMaximumWidth(w);
}

void XafsFileSelect::setMaxClearBW(int w)
{
    Clear->setMaximumWidth(w);
}
