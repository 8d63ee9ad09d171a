#include "imagedata/selectdatafilesadditionalsetup.h"

#include <cmath>
#include <limits>

#include "core/cfg.h"

SelectDataFilesAdditionalSetup::SelectDataFilesAdditionalSetup(QWidget *parent)
    : QFrame(parent), errPsDefDialog(QString())
{
    setupUi(this);

    connect(SetDA, &QPushButton::clicked, this, &SelectDataFilesAdditionalSetup::setDarkArea);
    connect(UpDateDA, &QPushButton::clicked, this, &SelectDataFilesAdditionalSetup::updateDarkArea);
    connect(ClearDA, &QPushButton::clicked, this, &SelectDataFilesAdditionalSetup::clearDarkArea);

    // A configured bad-pixel file is in use in every series from the start.
    errPsDefSelected(cfg.valueNoCase(QStringLiteral("ErrPoints"), QString()));

    connect(SelectErrPsDef, &QPushButton::clicked, &errPsDefDialog, &QWidget::show);
    connect(&errPsDefDialog, &QFileDialog::fileSelected, this,
            &SelectDataFilesAdditionalSetup::errPsDefSelected);
    connect(UseErrPs, &QCheckBox::toggled, this, &SelectDataFilesAdditionalSetup::toggledUseErrPs);
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

void SelectDataFilesAdditionalSetup::errPsDefSelected(const QString &path)
{
    if (errPoints.load(path, false)) {
        ErrPsFile->setText(path);
        errPoints.valid = UseErrPs->isChecked();
    } else {
        ErrPsFile->setText(QString());
    }
}

void SelectDataFilesAdditionalSetup::toggledUseErrPs(bool on)
{
    errPoints.valid = on;
}

void SelectDataFilesAdditionalSetup::darkArea(const QRectF &r)
{
    DarkArea->setText(areaText(r));
}
