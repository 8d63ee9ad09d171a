#include "analysis/ui/lcfreference.h"

#include <QDebug>
#include <cmath>

#include "display/screenfit.h"
#include "display/xafsfileselect.h"
#include "imagedata/analyzed2dres.h"
#include "ui_lcfreference.h"

LCFReference::LCFReference(QWidget *parent)
    : QFrame(parent), XafsSpectrum(), fraction(0.0), ui(new Ui::LCFReference),
      untickedByClear(false)
{
    ui->setupUi(this);
    widenForTexts(ui->DeltaE, WidestText::energy());
    widenForTexts(ui->DMut, WidestText::number());
    widenForTexts(ui->MidE, WidestText::energy());
    widenForTexts(ui->R, {"-888.88"});
    widenForTexts(ui->T, WidestText::number());

    maps.append(new Analyzed2DRes(QStringLiteral("LCF Ref 1")));
    maps.append(new Analyzed2DRes(QStringLiteral("LCF Ref 2")));
    ui->XFS->showUse(true);
    useOffset = true;
    editedDeltaE();
    fraction = 0.0;

    connect(ui->XFS, &XafsFileSelect::newFile, this, &LCFReference::newFile);
    connect(ui->XFS, &XafsFileSelect::changedUse, this, &LCFReference::changedUse);
    connect(ui->XFS, &XafsFileSelect::cleared, this, &LCFReference::clearedFile);
    connect(ui->DeltaE, &QLineEdit::editingFinished, this, &LCFReference::editedDeltaE);
    connect(ui->IsVictreen, &QCheckBox::toggled, this, &LCFReference::toggledIsVictreen);
}

LCFReference::~LCFReference()
{
    qDeleteAll(maps);
    maps.clear();
    delete ui;
}

void LCFReference::setFraction(double f)
{
    fraction = f;
    ui->R->setText(QString::asprintf("%5.2f", f * 100.0));
}

void LCFReference::setAmount(double a)
{
    ui->T->setText(QString::number(a, 'g', 6));
}

void LCFReference::showNoResult()
{
    ui->R->clear();
    ui->T->clear();
}

bool LCFReference::inUse() const
{
    return ui->XFS->use() && ui->XFS->fileChosen();
}

LcfRefData LCFReference::snapshot() const
{
    LcfRefData d;
    d.inUse = inUse();
    d.spectrum = spectrum();
    d.fraction = fraction;
    return d;
}

XafsFileSelect *LCFReference::fileSelect() const
{
    return ui->XFS;
}

QLineEdit *LCFReference::deltaEEdit() const
{
    return ui->DeltaE;
}

QLineEdit *LCFReference::dMutEdit() const
{
    return ui->DMut;
}

QLineEdit *LCFReference::midEEdit() const
{
    return ui->MidE;
}

QCheckBox *LCFReference::isVictreenBox() const
{
    return ui->IsVictreen;
}

QLineEdit *LCFReference::fractionEdit() const
{
    return ui->R;
}

QLineEdit *LCFReference::amountEdit() const
{
    return ui->T;
}

QRadioButton *LCFReference::showButton() const
{
    return ui->Show;
}

void LCFReference::newFile(QString fname)
{
    // A file chosen after a Clear puts the row back in use.
    if (untickedByClear)
        ui->XFS->setUse(true);
    untickedByClear = false;
    XafsSpectrum::load(fname);  // a file that cannot be read leaves no points
    normalizeAsChosen();
    ui->DMut->setText(QString::number(dMut, 'g', 6));
    ui->MidE->setText(QString::number(midx, 'g', 6));
    emit newFileSelected();
}

void LCFReference::changedUse(bool f)
{
    Spectrum::inUse = f;
    untickedByClear = false;
}

void LCFReference::clearedFile()
{
    const bool wasUsed = ui->XFS->use();
    clearPoints();
    normalizeAsChosen();
    dMut = 0.0;
    midx = 0.0;
    fraction = 0.0;
    for (QLineEdit *e : {ui->DMut, ui->MidE, ui->R, ui->T})
        e->clear();
    ui->XFS->setUse(false);
    Spectrum::inUse = false;
    untickedByClear = wasUsed;
    emit referenceCleared();
}

void LCFReference::editedDeltaE()
{
    const QString text = ui->DeltaE->text();
    bool ok = false;
    double dE = text.toDouble(&ok);
    if (!ok || !std::isfinite(dE)) {
        qDebug() << "LCFReference: DeltaE" << text << "is not a number, 0 is used";
        dE = 0.0;
    }
    setEnergyShift(dE);
    emit newDeltaE();
}

void LCFReference::toggledIsVictreen(bool)
{
    normalizeAsChosen();
}

void LCFReference::setStd(bool use, double dE, QString fname, QString isVic)
{
    bool vic = true;
    if (!isVic.isEmpty() && isVic.toUpper() != QLatin1String("VIC")) {
        bool ok = false;
        const int n = isVic.toInt(&ok, 10);
        vic = ok && n > 0;
    }
    ui->IsVictreen->setChecked(vic);  // a change normalises the spectrum still loaded

    ui->XFS->load(fname);  // loads and normalises through newFile

    ui->XFS->setUse(use);
    Spectrum::inUse = use;

    if (!std::isfinite(dE)) {
        qDebug() << "LCFReference: energy shift" << dE << "for" << fname
                 << "is not a number, 0 is used";
        dE = 0.0;
    }
    setEnergyShift(dE);
    ui->DeltaE->setText(QString::number(dE, 'g', 6));
}

void LCFReference::normalizeAsChosen()
{
    if (count() == 0) {
        // Nothing loaded (or a failed read): no derived spectra of an earlier file.
        normalized.clearPoints();
        doubleNormalizedPreBase.clearPoints();
        normalizedPostBase.clearPoints();
        doubleNormalizedPostBase.clearPoints();
        return;
    }
    // The derived spectra and midx are kept in the file's own energies; the
    // shift is applied once, by whoever reads the row through useOffset and
    // offset, however often the row is normalised after DeltaE was set.
    const bool withOffset = useOffset;
    useOffset = false;
    normalizeIfNotEmpty(ui->IsVictreen->isChecked() ? 0 : 1);
    useOffset = withOffset;
}

void LCFReference::setEnergyShift(double dE)
{
    offset = dE;
    shift = dE;
}
