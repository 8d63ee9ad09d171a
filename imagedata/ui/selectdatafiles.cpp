#include "imagedata/ui/selectdatafiles.h"

#include <QButtonGroup>
#include <QDebug>
#include <QVariant>
#include <cmath>

#include "display/selectimgdialog.h"
#include "display/widgethelpers.h"
#include "imagedata/ui/eofsetup.h"
#include "imagedata/ui/selectdatafilesadditionalsetup.h"
#include "ui_selectdatafiles.h"

namespace {

const char *const NormalStyle = "background-color: rgb(255, 255, 255);";
const char *const BadStyle = "background-color: rgb(255, 192, 192);";

} // namespace

SelectDataFiles::SelectDataFiles(QWidget *parent)
    : QFrame(parent), ui(new Ui::SelectDataFiles), imageDialog(new SelectImgDialog()),
      energyWindow(new EOFSetup()), moreSetup(new SelectDataFilesAdditionalSetup())
{
    ui->setupUi(this);

    imageDialog->setAcceptMode(QFileDialog::AcceptOpen);
    imageDialog->setFileMode(QFileDialog::ExistingFiles);
    imageDialog->setNameFilters(QStringList()
                          << tr("RVKT Files, IMG Files, Tiff Files (*.dat *.img *.tif *.tiff)")
                          << tr("Any Files (* *.*)"));

    auto *loadMode = new QButtonGroup(this);
    loadMode->setExclusive(true);
    loadMode->addButton(ui->LoadNewFiles);
    loadMode->addButton(ui->AddFiles);
    ui->LoadNewFiles->setChecked(true);

    connect(ui->Selected, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &SelectDataFiles::newImageSelected);
    showOnClick(ui->Select, imageDialog.get());
    connect(imageDialog.get(), &QFileDialog::filesSelected, this,
            &SelectDataFiles::emitFilesSelected);
    connect(ui->Clear, &QPushButton::clicked, this, &SelectDataFiles::clear);
    showOnClick(ui->EngOfFilesSetup, energyWindow.get());
    showOnClick(ui->AdditionalSetup, moreSetup.get());
    connect(moreSetup.get(), &SelectDataFilesAdditionalSetup::setDarkArea, this,
            &SelectDataFiles::setDarkArea);
    connect(moreSetup.get(), &SelectDataFilesAdditionalSetup::updateDarkArea, this,
            &SelectDataFiles::updateDarkArea);
    connect(moreSetup.get(), &SelectDataFilesAdditionalSetup::clearDarkArea, this,
            &SelectDataFiles::clearDarkArea);
}

SelectDataFiles::~SelectDataFiles()
{
    delete ui;
}

void SelectDataFiles::setCaption(const QString &caption)
{
    ui->Select->setText(caption);
    imageDialog->setWindowTitle(caption);
    energyWindow->setWindowTitle(caption);
    moreSetup->setWindowTitle(caption);
}

void SelectDataFiles::emitFilesSelected(const QStringList &files)
{
    emit filesSelected(files, ui->LoadNewFiles->isChecked());
}

double SelectDataFiles::addImageItem(const QString &name, int i)
{
    energyWindow->markInvalidFields();
    const double e = energyWindow->energyOf(name, i);
    ui->Selected->addItem(name, QVariant(e));
    ui->Count->setText(QString::number(ui->Selected->count()));
    return e;
}

int SelectDataFiles::loadStart() const
{
    return qMax(ui->CutFirst->text().toInt(nullptr, 10), 0);
}

int SelectDataFiles::loadTail() const
{
    return qMax(ui->CutLast->text().toInt(nullptr, 10), 0);
}

int SelectDataFiles::loadStep() const
{
    return qMax(ui->Skip->text().toInt(nullptr, 10), 1);
}

bool SelectDataFiles::skipLive() const
{
    return moreSetup->ignoreLiveFiles();
}

bool SelectDataFiles::showLatest() const
{
    return moreSetup->showLatest();
}

ErrPoints *SelectDataFiles::errPoints()
{
    return moreSetup->errPoints();
}

int SelectDataFiles::imageCount() const
{
    return ui->Selected->count();
}

int SelectDataFiles::currentIndex() const
{
    return ui->Selected->currentIndex();
}

double SelectDataFiles::expTimeMS(bool *ok) const
{
    bool parsed = false;
    double ms = ui->ExpTime->text().toDouble(&parsed);
    if (!parsed || !std::isfinite(ms)) {
        qDebug() << "Exposure time" << ui->ExpTime->text() << "is not a number";
        parsed = false;
        ms = 0;
    }
    if (ok)
        *ok = parsed;
    return ms;
}

void SelectDataFiles::newImageSelected(int i)
{
    // -1: the list was emptied, no image was chosen.
    if (i >= 0 && showLatest())
        emit currentIndexChanged(i);
}

void SelectDataFiles::clearFiles()
{
    ui->Selected->clear();
    ui->Count->setText(QString::number(ui->Selected->count()));
}

void SelectDataFiles::prev()
{
    const int i = ui->Selected->currentIndex();
    if (i > 0)
        ui->Selected->setCurrentIndex(i - 1);
}

void SelectDataFiles::next()
{
    const int i = ui->Selected->currentIndex();
    if (i < ui->Selected->count() - 1)
        ui->Selected->setCurrentIndex(i + 1);
}

void SelectDataFiles::select(int i)
{
    if (i >= 0 && i < ui->Selected->count())
        ui->Selected->setCurrentIndex(i);
}

void SelectDataFiles::setSkip(int n)
{
    ui->Skip->setText(QString::number(n));
}

void SelectDataFiles::setCutF(int n)
{
    ui->CutFirst->setText(QString::number(n));
}

void SelectDataFiles::setCutL(int n)
{
    ui->CutLast->setText(QString::number(n));
}

void SelectDataFiles::setShowLatest(bool on)
{
    moreSetup->setShowLatest(on);
}

void SelectDataFiles::setEngByName(bool on)
{
    energyWindow->setByName(on);
}

void SelectDataFiles::setEngByCalc(bool on)
{
    energyWindow->setByNumber(on);
}

void SelectDataFiles::setEngCalcStart(double v)
{
    energyWindow->setStart(v);
}

void SelectDataFiles::setEngCalcDelta(double v)
{
    energyWindow->setDelta(v);
}

void SelectDataFiles::setEngCalcEnd(double v)
{
    energyWindow->setEnd(v);
}

void SelectDataFiles::setEngCalcNum(int n)
{
    energyWindow->setNumOfPoints(n);
}

void SelectDataFiles::setEvenInEng(bool on)
{
    energyWindow->setEvenInEnergy(on);
}

void SelectDataFiles::setEvenInDeg(bool on)
{
    energyWindow->setEvenInAngle(on);
}

void SelectDataFiles::setDispUnit(int n)
{
    energyWindow->setDisplayUnit(n);
}

void SelectDataFiles::setEngByNameRegExp(const QString &pattern)
{
    energyWindow->setPattern(pattern);
}

void SelectDataFiles::setEngByNameFactor(double f)
{
    energyWindow->setFactor(f);
}

void SelectDataFiles::setExpTimeMS(double ms, bool uniform)
{
    ui->ExpTime->setText(QString::number(ms, 'g', 6));
    ui->ExpTime->setStyleSheet(QString::fromLatin1(uniform ? NormalStyle : BadStyle));
}

QString SelectDataFiles::setEngByRef(const QString &path)
{
    energyWindow->setByRef(!path.isEmpty());
    // A file that cannot be read leaves the path of the list in use.
    if (!path.isEmpty())
        return energyWindow->refFileSelected(path);
    energyWindow->setRefFilePath(path);
    return QString();
}

void SelectDataFiles::darkArea(const QRectF &r)
{
    moreSetup->darkArea(r);
}
