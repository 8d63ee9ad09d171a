#include "display/xafsfileselect.h"

#include <QFileInfo>

#include "display/_filedialog.h"
#include "display/widgethelpers.h"
#include "ui_xafsfileselect.h"

XafsFileSelect::XafsFileSelect(QWidget *parent)
    : QFrame(parent), ui(new Ui::XafsFileSelect), chosen(false), dialog(nullptr)
{
    ui->setupUi(this);
    ui->Use->setChecked(true);
    ui->Use->hide();

    // A child window of the panel: it goes with the panel and does not keep
    // the program running when it is left open.
    dialog = new _FileDialog(QString(), this);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilters(QStringList()
                           << tr("XAFS Data File (*.dat)") << tr("Any Files (* *.*)"));

    showOnClick(ui->Select, dialog);
    connect(dialog, &QFileDialog::fileSelected, this, &XafsFileSelect::fileSelected);
    connect(ui->Use, &QCheckBox::toggled, this, &XafsFileSelect::changedUse);
    connect(ui->Clear, &QPushButton::clicked, this, &XafsFileSelect::clear);
}

XafsFileSelect::~XafsFileSelect()
{
    delete ui;
}

bool XafsFileSelect::fileChosen() const
{
    return chosen;
}

bool XafsFileSelect::use() const
{
    return ui->Use->isChecked();
}

_FileDialog *XafsFileSelect::fileDialog() const
{
    return dialog;
}

void XafsFileSelect::load(QString file)
{
    chosen = true;
    ui->Selected->setText(file);
    dialog->setDirectory(QFileInfo(file).canonicalPath());
    emit newFile(file);
}

void XafsFileSelect::fileSelected(QString file)
{
    load(file);
}

void XafsFileSelect::fileNameValid(bool ok)
{
    ui->Selected->setStyleSheet(ok ? QStringLiteral("background-color: rgb(255, 255, 224);")
                                   : QStringLiteral("background-color: rgb(255, 240, 240);"));
}

void XafsFileSelect::clear()
{
    ui->Selected->clear();
    emit cleared();
}

void XafsFileSelect::setUse(bool use)
{
    ui->Use->setChecked(use);
}

void XafsFileSelect::showUse(bool show)
{
    ui->Use->setVisible(show);
}

void XafsFileSelect::setMaxSelectBW(int w)
{
    ui->Select->setMaximumWidth(w);
}

void XafsFileSelect::setMaxClearBW(int w)
{
    ui->Clear->setMaximumWidth(w);
}
