#include "analysis/ui/aelemsconds.h"

#include <QDebug>
#include <QLineEdit>
#include <cmath>

#include "ui_aelemsconds.h"

namespace {

double fieldValue(const QLineEdit *edit)
{
    bool ok = false;
    const double v = edit->text().toDouble(&ok);
    if (ok && std::isfinite(v))
        return v;
    qDebug() << "AElemsConds:" << edit->objectName() << edit->text()
             << "is not a number, 0 is used";
    return 0.0;
}

void setField(QLineEdit *edit, double v)
{
    edit->setText(QString::number(v, 'g', 6));
}

} // namespace

AElemsConds::AElemsConds(QWidget *parent) : QFrame(parent), ui(new Ui::AElemsConds)
{
    ui->setupUi(this);
}

AElemsConds::~AElemsConds()
{
    delete ui;
}

AElemsCondsData AElemsConds::snapshot() const
{
    AElemsCondsData d;
    d.bgDMut = fieldValue(ui->BGVDMut);
    d.bgDMutR = fieldValue(ui->BGVDMutR);
    d.bgDE = fieldValue(ui->BGVDE);
    d.bgROI = fieldValue(ui->BGVROI);
    d.bgNROI = fieldValue(ui->BGVNROI);
    return d;
}

void AElemsConds::setBgDMut(double v)
{
    setField(ui->BGVDMut, v);
}

void AElemsConds::setBgDMutR(double v)
{
    setField(ui->BGVDMutR, v);
}

void AElemsConds::setBgDE(double v)
{
    setField(ui->BGVDE, v);
}

void AElemsConds::setBgROI(double v)
{
    setField(ui->BGVROI, v);
}

void AElemsConds::setBgNROI(double v)
{
    setField(ui->BGVNROI, v);
}

QLineEdit *AElemsConds::bgDMutEdit() const
{
    return ui->BGVDMut;
}

QLineEdit *AElemsConds::bgDMutREdit() const
{
    return ui->BGVDMutR;
}

QLineEdit *AElemsConds::bgDEEdit() const
{
    return ui->BGVDE;
}

QLineEdit *AElemsConds::bgROIEdit() const
{
    return ui->BGVROI;
}

QLineEdit *AElemsConds::bgNROIEdit() const
{
    return ui->BGVNROI;
}
