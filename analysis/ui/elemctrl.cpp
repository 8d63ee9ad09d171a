#include "analysis/ui/elemctrl.h"

#include <QDebug>
#include <cmath>

#include "ui_elemctrl.h"

ElemCtrl::ElemCtrl(QWidget *parent) : QFrame(parent), ui(new Ui::ElemCtrl)
{
    ui->setupUi(this);
    connect(ui->Eng, &QLineEdit::editingFinished, this, &ElemCtrl::edgeMarkerChanged);
}

ElemCtrl::~ElemCtrl()
{
    delete ui;
}

QString ElemCtrl::name() const
{
    return ui->Name->text();
}

void ElemCtrl::setName(const QString &name)
{
    ui->Name->setText(name);
}

double ElemCtrl::edgeEnergy() const
{
    bool ok = false;
    const double e = ui->Eng->text().toDouble(&ok);
    if (!ok || !std::isfinite(e)) {
        qDebug() << "ElemCtrl: edge energy" << ui->Eng->text() << "of" << ui->Name->text()
                 << "is not a number, 0 is used";
        return 0.0;
    }
    return e;
}

void ElemCtrl::setEdgeEnergy(double e)
{
    ui->Eng->setText(QString::number(e, 'g', 6));
}

EdgeMarker ElemCtrl::edgeMarker() const
{
    return EdgeMarker{name(), edgeEnergy()};
}
