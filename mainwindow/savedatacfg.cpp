#include "mainwindow/savedatacfg.h"

#include <QButtonGroup>
#include <QDebug>
#include <cmath>

#include "ui_savedatacfg.h"

namespace {

double numberIn(const QLineEdit *edit)
{
    bool ok = false;
    const double v = edit->text().toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        qDebug() << "SaveDataCfg:" << edit->objectName() << edit->text()
                 << "is not a number, 0 is used";
        return 0.0;
    }
    return v;
}

} // namespace

SaveDataCfg::SaveDataCfg(QWidget *parent) : QFrame(parent), ui(new Ui::SaveDataCfg)
{
    ui->setupUi(this);

    // The four text options share one frame; two groups keep the separator
    // and the layout choices independent of each other.
    separatorGroup = new QButtonGroup(this);
    separatorGroup->addButton(ui->DataCommaSeparated);
    separatorGroup->addButton(ui->DataSpaceSeparated);
    layoutGroup = new QButtonGroup(this);
    layoutGroup->addButton(ui->DataXYVal);
    layoutGroup->addButton(ui->DataValValVal);
    ui->DataCommaSeparated->setChecked(true);
    ui->DataXYVal->setChecked(true);

    toggledSaveAs(ui->SaveAsTiff->isChecked());
    connect(ui->SaveAsTiff, &QRadioButton::toggled, this, &SaveDataCfg::toggledSaveAs);
}

SaveDataCfg::~SaveDataCfg()
{
    delete ui;
}

bool SaveDataCfg::saveAsTiff() const
{
    return ui->SaveAsTiff->isChecked();
}

bool SaveDataCfg::saveTiffScaleFixed() const
{
    return ui->TiffFixedScale->isChecked();
}

double SaveDataCfg::saveTiffScaleMin() const
{
    return numberIn(ui->TiffScaleMin);
}

double SaveDataCfg::saveTiffScaleMax() const
{
    return numberIn(ui->TiffScaleMax);
}

bool SaveDataCfg::saveTiffAsAnalyzed() const
{
    return ui->TiffAsAnalyzed->isChecked();
}

bool SaveDataCfg::saveTextAsCSV() const
{
    return ui->DataCommaSeparated->isChecked();
}

bool SaveDataCfg::saveTextAsXYVal() const
{
    return ui->DataXYVal->isChecked();
}

void SaveDataCfg::toggledSaveAs(bool tiff)
{
    ui->TiffCfg->setEnabled(tiff);
    ui->TextCfg->setEnabled(!tiff);
}

void SaveDataCfg::setSaveAsTiff()
{
    ui->SaveAsTiff->setChecked(true);
}

void SaveDataCfg::setSaveAsText()
{
    ui->SaveAsTextData->setChecked(true);
}

void SaveDataCfg::setSaveTiffScaleFixed(bool fixed)
{
    ui->TiffFixedScale->setChecked(fixed);
}

void SaveDataCfg::setSaveTiffScaleMin(double v)
{
    ui->TiffScaleMin->setText(QString::number(v, 'g', 6));
}

void SaveDataCfg::setSaveTiffScaleMax(double v)
{
    ui->TiffScaleMax->setText(QString::number(v, 'g', 6));
}

void SaveDataCfg::setSaveTiffAsAnalyzed(bool asAnalyzed)
{
    ui->TiffAsAnalyzed->setChecked(asAnalyzed);
}

void SaveDataCfg::setSaveTextAsCSV()
{
    ui->DataCommaSeparated->setChecked(true);
}

void SaveDataCfg::setSaveTextAsSSV()
{
    ui->DataSpaceSeparated->setChecked(true);
}

void SaveDataCfg::setSaveTextAsXYVal()
{
    ui->DataXYVal->setChecked(true);
}

void SaveDataCfg::setSaveTextAsValValVal()
{
    ui->DataValValVal->setChecked(true);
}
