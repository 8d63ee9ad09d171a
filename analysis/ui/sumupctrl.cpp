#include "analysis/ui/sumupctrl.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "ui_sumupctrl.h"

SumUpCtrl::SumUpCtrl(QWidget *parent) : QFrame(parent), ui(new Ui::SumUpCtrl)
{
    ui->setupUi(this);
    connect(ui->AddSumUp, &QPushButton::clicked, this, &SumUpCtrl::add);
    connect(ui->DelSumUp, &QPushButton::clicked, this, &SumUpCtrl::del);
}

SumUpCtrl::~SumUpCtrl()
{
    delete ui;
}

QLineEdit *SumUpCtrl::fromEdit() const
{
    return ui->SumUpFrom;
}

QLineEdit *SumUpCtrl::toEdit() const
{
    return ui->SumUpTo;
}

QComboBox *SumUpCtrl::rangeCombo() const
{
    return ui->SumUps;
}

void SumUpCtrl::add()
{
    const int from = ui->SumUpFrom->text().toInt();
    const int to = ui->SumUpTo->text().toInt();
    rangeList.append({from, to, 0});
    ui->SumUps->addItem(QString("%1-%2").arg(from).arg(to));
}

void SumUpCtrl::del()
{
    const int i = ui->SumUps->currentIndex();
    // No current item: nothing to remove.
    if (ui->SumUps->count() == 0 || i < 0 || i >= ui->SumUps->count())
        return;
    if (i >= 1)
        ui->SumUps->setCurrentIndex(i - 1);
    ui->SumUps->removeItem(i);
    if (i < rangeList.size())
        rangeList.remove(i);
}
