#include "imagedata/ui/selectdatafilesadditionalsetup.h"

#include <cmath>
#include <limits>

#include "core/cfg.h"
#include "display/_filedialog.h"
#include "display/widgethelpers.h"
#include "ui_selectdatafilesadditionalsetup.h"

SelectDataFilesAdditionalSetup::SelectDataFilesAdditionalSetup(QWidget *parent)
    : QFrame(parent), ui(new Ui::SelectDataFilesAdditionalSetup),
      errPsDialog(new _FileDialog(QString()))
{
    ui->setupUi(this);

    connect(ui->SetDA, &QPushButton::clicked, this, &SelectDataFilesAdditionalSetup::setDarkArea);
    connect(ui->UpDateDA, &QPushButton::clicked, this,
            &SelectDataFilesAdditionalSetup::updateDarkArea);
    connect(ui->ClearDA, &QPushButton::clicked, this,
            &SelectDataFilesAdditionalSetup::clearDarkArea);

    // A configured bad-pixel file is in use in every series from the start;
    // without one nothing is opened.
    const QString configured = cfg.valueNoCase(QStringLiteral("ErrPoints"), QString()).trimmed();
    if (!configured.isEmpty())
        errPsDefSelected(configured);

    showOnClick(ui->SelectErrPsDef, errPsDialog.get());
    connect(errPsDialog.get(), &QFileDialog::fileSelected, this,
            &SelectDataFilesAdditionalSetup::errPsDefSelected);
    connect(ui->UseErrPs, &QCheckBox::toggled, this,
            &SelectDataFilesAdditionalSetup::toggledUseErrPs);
}

SelectDataFilesAdditionalSetup::~SelectDataFilesAdditionalSetup()
{
    delete ui;
}

QString SelectDataFilesAdditionalSetup::areaText(const QRectF &r)
{
    // Truncation toward zero; values beyond the range of int are held at its ends.
    auto corner = [](double v) {
        if (std::isnan(v))
            return 0;
        return static_cast<int>(qBound<double>(std::numeric_limits<int>::min(), v,
                                               std::numeric_limits<int>::max()));
    };
    return QStringLiteral("(%1,%2)-(%3,%4)")
        .arg(corner(r.x()))
        .arg(corner(r.y()))
        .arg(corner(r.x() + r.width()))
        .arg(corner(r.y() + r.height()));
}

bool SelectDataFilesAdditionalSetup::showLatest() const
{
    return ui->ShowLatest->isChecked();
}

void SelectDataFilesAdditionalSetup::setShowLatest(bool on)
{
    ui->ShowLatest->setChecked(on);
}

bool SelectDataFilesAdditionalSetup::ignoreLiveFiles() const
{
    return ui->IgnoreLiveFiles->isChecked();
}

void SelectDataFilesAdditionalSetup::setIgnoreLiveFiles(bool on)
{
    ui->IgnoreLiveFiles->setChecked(on);
}

QString SelectDataFilesAdditionalSetup::darkAreaText() const
{
    return ui->DarkArea->text();
}

QString SelectDataFilesAdditionalSetup::errPsFile() const
{
    return ui->ErrPsFile->text();
}

void SelectDataFilesAdditionalSetup::errPsDefSelected(const QString &path)
{
    if (errList.load(path, false)) {
        ui->ErrPsFile->setText(path);
        errList.valid = ui->UseErrPs->isChecked();
    } else {
        ui->ErrPsFile->setText(QString());
    }
}

void SelectDataFilesAdditionalSetup::toggledUseErrPs(bool on)
{
    errList.valid = on;
}

void SelectDataFilesAdditionalSetup::darkArea(const QRectF &r)
{
    ui->DarkArea->setText(areaText(r));
}
