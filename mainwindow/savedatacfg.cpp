#include "mainwindow/savedatacfg.h"

#include <QButtonGroup>

SaveDataCfg::SaveDataCfg(QWidget *parent) : QFrame(parent)
{
    setupUi(this);

    // The four text options share one frame; two groups keep the separator
    // and the layout choices independent of each other.
    separatorGroup = new QButtonGroup(this);
    separatorGroup->addButton(DataCommaSeparated);
    separatorGroup->addButton(DataSpaceSeparated);
    layoutGroup = new QButtonGroup(this);
    layoutGroup->addButton(DataXYVal);
    layoutGroup->addButton(DataValValVal);
    DataCommaSeparated->setChecked(true);
    DataXYVal->setChecked(true);

    toggledSaveAs(SaveAsTiff->isChecked());
    connect(SaveAsTiff, &QRadioButton::toggled, this, &SaveDataCfg::toggledSaveAs);
}

SaveDataCfg::~SaveDataCfg() = default;

void SaveDataCfg::toggledSaveAs(bool tiff)
{
    TiffCfg->setEnabled(tiff);
    TextCfg->setEnabled(!tiff);
}

void SaveDataCfg::setSaveAsTiff()
{
    SaveAsTiff->setChecked(true);
}

void SaveDataCfg::setSaveAsText()
{
    SaveAsTextData->setChecked(true);
}

void SaveDataCfg::setSaveTiffScaleFixed(bool fixed)
{
    TiffFixedScale->setChecked(fixed);
}

void SaveDataCfg::setSaveTiffScaleMin(double v)
{
    TiffScaleMin->setText(QString::number(v, 'g', 6));
}

void SaveDataCfg::setSaveTiffScaleMax(double v)
{
    TiffScaleMax->setText(QString::number(v, 'g', 6));
}

void SaveDataCfg::setSaveTiffAsAnalyzed(bool asAnalyzed)
{
    TiffAsAnalyzed->setChecked(asAnalyzed);
}

void SaveDataCfg::setSaveTextAsCSV()
{
    DataCommaSeparated->setChecked(true);
}

void SaveDataCfg::setSaveTextAsSSV()
{
    DataSpaceSeparated->setChecked(true);
}

void SaveDataCfg::setSaveTextAsXYVal()
{
    DataXYVal->setChecked(true);
}

void SaveDataCfg::setSaveTextAsValValVal()
{
    DataValValVal->setChecked(true);
}
