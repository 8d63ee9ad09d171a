#include "calibration/ui/calibctrl.h"

#include <QButtonGroup>
#include <QDebug>
#include <QPushButton>
#include <QVariant>
#include <cmath>

#include "core/physconst.h"
#include "display/eshiftmapdialog.h"
#include "display/screenfit.h"
#include "display/widgethelpers.h"
#include "ui_calibctrl.h"

namespace {

// A field's text as a number; not a number gives 0 with a debug line. An
// empty text gives 0 quietly where that means "not given".
double numberIn(const QLineEdit *edit, bool emptyIsZero = false)
{
    const QString text = edit->text().trimmed();
    if (emptyIsZero && text.isEmpty())
        return 0.0;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        qDebug() << "CalibCtrl:" << edit->objectName() << edit->text()
                 << "is not a number, 0 is used";
        return 0.0;
    }
    return v;
}

int integerIn(const QLineEdit *edit)
{
    bool ok = false;
    const int v = edit->text().trimmed().toInt(&ok);
    if (!ok) {
        qDebug() << "CalibCtrl:" << edit->objectName() << edit->text()
                 << "is not an integer, 0 is used";
        return 0;
    }
    return v;
}

struct Crystal
{
    const char *name;
    double spacing;  // Angstrom
};

const Crystal crystals[] = {
    {"Si(111)", PhysConst::SpacingSi111}, {"Si(311)", PhysConst::SpacingSi311},
    {"Si(333)", PhysConst::SpacingSi333}, {"Ge(111)", PhysConst::SpacingGe111},
    {"Ge(333)", PhysConst::SpacingGe333},
};

} // namespace

CalibCtrl::CalibCtrl(QWidget *parent)
    : QFrame(parent), ui(new Ui::CalibCtrl), methodGroup(nullptr), targetBGGroup(nullptr),
      stdBGGroup(nullptr), failedLoad(false)
{
    ui->setupUi(this);
    for (QLineEdit *e : {ui->EdgeEeV, ui->DEMax, ui->DEMin, ui->DEAvr})
        widenForTexts(e, WidestText::energy());
    widenForTexts(ui->DESigma, WidestText::number());
    for (QLineEdit *e : {ui->XOffset, ui->YOffset, ui->Width, ui->Height})
        widenForTexts(e, {"-88888"});
    widenForTexts(ui->Progress, {"100.0"});
    // The run note's line is kept while it is empty, so a note never pushes
    // the window into scrolling.
    ui->RunNote->setMinimumHeight(ui->RunNote->fontMetrics().lineSpacing());

    for (const Crystal &c : crystals)
        ui->SelCrystal->addItem(QString::fromLatin1(c.name), QVariant(c.spacing));

    methodGroup = new QButtonGroup(this);
    methodGroup->setExclusive(true);
    methodGroup->addButton(ui->CalibTypeDMidX);
    methodGroup->addButton(ui->CalibTypeInnerP);
    ui->CalibTypeDMidX->setChecked(true);
    setInnerPCtrlVisible(true);
    // Each background choice is a pair of its own.
    targetBGGroup = new QButtonGroup(this);
    targetBGGroup->addButton(ui->TargetBGSimple);
    targetBGGroup->addButton(ui->TargetBGVictreen);
    stdBGGroup = new QButtonGroup(this);
    stdBGGroup->addButton(ui->StdBGSimple);
    stdBGGroup->addButton(ui->StdBGVictreen);

    // Top-level dialogs, freed with the window.
    saveDialog.reset(new EShiftMapDialog());
    saveDialog->setFileMode(QFileDialog::AnyFile);
    saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    loadDialog.reset(new EShiftMapDialog());

    if (QPushButton *select = ui->SelectStd->findChild<QPushButton *>(QStringLiteral("Select")))
        select->setText(tr("Select Std."));
    else
        qDebug() << "CalibCtrl: the standard chooser has no Select button";

    showOnClick(ui->LoadMap, loadDialog.get());
    connect(loadDialog.get(), &QFileDialog::fileSelected, this, &CalibCtrl::loadEMap);
    showOnClick(ui->SaveMap, saveDialog.get());
    connect(saveDialog.get(), &QFileDialog::fileSelected, this, &CalibCtrl::saveEMap);
    connect(ui->SelectStd, &XafsFileSelect::newFile, this, &CalibCtrl::newFile);
    connect(ui->SelectStd, &XafsFileSelect::cleared, this, &CalibCtrl::clearedStd);
    connect(ui->ExecCalib, &QPushButton::clicked, this, &CalibCtrl::execCalibration);
    connect(ui->StdBGVictreen, &QRadioButton::toggled, this, &CalibCtrl::stdBGToggled);
    connect(ui->ClearMap, &QPushButton::clicked, this, &CalibCtrl::clearMap);
}

CalibCtrl::~CalibCtrl()
{
    delete ui;
}

double CalibCtrl::crystalSpacing() const
{
    const QVariant d = ui->SelCrystal->currentData();
    return d.isValid() ? d.toDouble() : PhysConst::DefaultSpacing;
}

QString CalibCtrl::crystalName() const
{
    return ui->SelCrystal->currentText();
}

double CalibCtrl::edgeEnergy() const
{
    return numberIn(ui->EdgeEeV, true);
}

const XafsSpectrum *CalibCtrl::standard() const
{
    return stdSpectrum.get();
}

QString CalibCtrl::stdFileName() const
{
    return stdFile;
}

bool CalibCtrl::calibByInnerProduct() const
{
    return ui->CalibTypeInnerP->isChecked();
}

void CalibCtrl::setCalibByInnerProduct(bool inner)
{
    (inner ? ui->CalibTypeInnerP : ui->CalibTypeDMidX)->setChecked(true);
}

double CalibCtrl::searchRange() const
{
    return numberIn(ui->DEw);
}

double CalibCtrl::searchStep() const
{
    return numberIn(ui->DEs);
}

double CalibCtrl::minSearchStep() const
{
    return numberIn(ui->MinDEs);
}

bool CalibCtrl::targetBGVictoreen() const
{
    return ui->TargetBGVictreen->isChecked();
}

bool CalibCtrl::checkSize() const
{
    return ui->CheckSize->isChecked();
}

int CalibCtrl::xOffset() const
{
    return integerIn(ui->XOffset);
}

int CalibCtrl::yOffset() const
{
    return integerIn(ui->YOffset);
}

EShiftMapDialog *CalibCtrl::saveMapDialog() const
{
    return saveDialog.get();
}

EShiftMapDialog *CalibCtrl::loadMapDialog() const
{
    return loadDialog.get();
}

void CalibCtrl::setInnerPCtrlVisible(bool visible)
{
    ui->InnerPCtrl->setVisible(visible);
}

// The standard is replaced only by a file that could be read.
void CalibCtrl::newFile(QString fileName)
{
    auto loaded = std::make_unique<XafsSpectrum>();
    if (!loaded->load(fileName)) {
        qDebug() << "CalibCtrl: can not read the standard spectrum" << fileName
                 << ", the former standard is kept";
        failedLoad = true;
        ui->SelectStd->clear();
        failedLoad = false;
        return;
    }
    stdSpectrum = std::move(loaded);
    stdFile = fileName;
    normalizeStd();
    ui->EdgeEeV->setText(QString::number(stdSpectrum->midx, 'g', 6));
    emit newStdFileLoaded();
}

// Clear drops the standard; the chooser emptied by a failed load keeps it.
void CalibCtrl::clearedStd()
{
    if (failedLoad)
        return;
    stdSpectrum.reset();
    stdFile.clear();
    emit stdCleared();
}

// The main window keeps the copy it took at the last load.
void CalibCtrl::stdBGToggled(bool)
{
    if (stdSpectrum)
        normalizeStd();
}

void CalibCtrl::loadStd(QString fileName)
{
    ui->SelectStd->load(fileName);
}

void CalibCtrl::setEdgeEV(QString text)
{
    ui->EdgeEeV->setText(text);
}

void CalibCtrl::loadEShiftMap(QString fileName)
{
    emit loadEMap(fileName);
}

void CalibCtrl::progress(double p)
{
    ui->Progress->setText(QStringLiteral("%1").arg(p, 5, 'f', 1));
}

void CalibCtrl::setRunNote(const QString &note)
{
    ui->RunNote->setText(note);
    ui->RunNote->setToolTip(note);
}

// No number for a value that is none (no block gave a shift).
static QString statText(double v)
{
    return std::isfinite(v) ? QString::number(v, 'g', 6) : QString();
}

void CalibCtrl::showStatistics(double min, double max, double mean)
{
    ui->DEMin->setText(statText(min));
    ui->DEMax->setText(statText(max));
    ui->DEAvr->setText(statText(mean));
}

void CalibCtrl::showSigma(double sigma)
{
    ui->DESigma->setText(statText(sigma));
}

void CalibCtrl::showMapGeometry(int originX, int originY, int width, int height)
{
    ui->XOffset->setText(QString::number(originX));
    ui->YOffset->setText(QString::number(originY));
    ui->Width->setText(QString::number(width));
    ui->Height->setText(QString::number(height));
}

void CalibCtrl::showEMPFileName(const QString &fileName)
{
    ui->EMPFileName->setText(fileName);
}

void CalibCtrl::normalizeStd()
{
    const int linear = ui->StdBGVictreen->isChecked() ? 0 : 1;
    stdSpectrum->mode = linear;
    stdSpectrum->normalizeIfNotEmpty(linear);
}
