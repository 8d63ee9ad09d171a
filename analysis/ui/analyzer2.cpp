#include "analysis/ui/analyzer2.h"

#include <QCheckBox>
#include <QDebug>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui_analyzer2.h"

Analyzer2::Analyzer2(QWidget *parent) : QFrame(parent), ui(new Ui::Analyzer2)
{
    ui->setupUi(this);
    connect(ui->CollectQInfo, &QPushButton::clicked, this, &Analyzer2::startCollectQInfo);
    connect(ui->DarkCheck, &QPushButton::clicked, this, &Analyzer2::askedDarkCheck);
    connect(ui->UseErrPMask, &QCheckBox::toggled, this, &Analyzer2::useErrPMaskToggled);
}

Analyzer2::~Analyzer2()
{
    delete ui;
}

QLineEdit *Analyzer2::darkThEdit() const
{
    return ui->DarkTh;
}

QLineEdit *Analyzer2::histgMaxEdit() const
{
    return ui->HistgMax;
}

QLineEdit *Analyzer2::histgBinsEdit() const
{
    return ui->HistgBins;
}

QCheckBox *Analyzer2::useErrPMaskBox() const
{
    return ui->UseErrPMask;
}

QLabel *Analyzer2::errPMaskFileLabel() const
{
    return ui->ErrPMaskFileName;
}

void Analyzer2::doCollectQInfo(const AnalyzeCond &)
{
    qDebug() << "do collect Q Info";
}

void Analyzer2::setUseErrPMaskEnabled(bool f)
{
    ui->UseErrPMask->setEnabled(f);
}

void Analyzer2::setUseErrPMaskChecked(bool f)
{
    ui->UseErrPMask->setChecked(f);
}

bool Analyzer2::useErrPMask() const
{
    return ui->UseErrPMask->isChecked() && ui->UseErrPMask->isEnabled();
}

void Analyzer2::setErrPMaskFileName(const QString &name)
{
    ui->ErrPMaskFileName->setText(name);
}
