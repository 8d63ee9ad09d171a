#include "imagedata/selectdatafiles.h"

#include <QButtonGroup>
#include <QVariant>

#include "imagedata/eofsetup.h"
#include "imagedata/selectimgdialog.h"

namespace {

const char *const NormalStyle = "background-color: rgb(255, 255, 255);";
const char *const BadStyle = "background-color: rgb(255, 192, 192);";

QString realText(double v)
{
    return QString::number(v, 'g', 6);
}

} // namespace

SelectDataFiles::SelectDataFiles(QWidget *parent) : QFrame(parent)
{
    setupUi(this);

    fileDialog = new SelectImgDialog();
    fileDialog->setAcceptMode(QFileDialog::AcceptOpen);
    fileDialog->setFileMode(QFileDialog::ExistingFiles);
    fileDialog->setNameFilters(QStringList()
                               << tr("RVKT Files, IMG Files, Tiff Files (*.dat *.img *.tif *.tiff)")
                               << tr("Any Files (* *.*)"));
    eofSetup = new EOFSetup();

    auto *loadMode = new QButtonGroup(this);
    loadMode->setExclusive(true);
    loadMode->addButton(LoadNewFiles);
    loadMode->addButton(AddFiles);
    LoadNewFiles->setChecked(true);

    connect(Selected, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &SelectDataFiles::newImageSelected);
    connect(Select, &QPushButton::clicked, fileDialog, &QWidget::show);
    connect(fileDialog, &QFileDialog::filesSelected, this, &SelectDataFiles::emitFilesSelected);
    connect(Clear, &QPushButton::clicked, this, &SelectDataFiles::clear);
    connect(EngOfFilesSetup, &QPushButton::clicked, eofSetup, &QWidget::show);
    connect(AdditionalSetup, &QPushButton::clicked, &additionalSetup, &QWidget::show);
    connect(&additionalSetup, &SelectDataFilesAdditionalSetup::setDarkArea, this,
            &SelectDataFiles::setDarkArea);
    connect(&additionalSetup, &SelectDataFilesAdditionalSetup::updateDarkArea, this,
            &SelectDataFiles::updateDarkArea);
    connect(&additionalSetup, &SelectDataFilesAdditionalSetup::clearDarkArea, this,
            &SelectDataFiles::clearDarkArea);
}

SelectDataFiles::~SelectDataFiles()
{
    fileDialog->deleteLater();
    eofSetup->deleteLater();
}

void SelectDataFiles::setCaption(const QString &caption)
{
    Select->setText(caption);
    fileDialog->setWindowTitle(caption);
    eofSetup->setWindowTitle(caption);
    additionalSetup.setWindowTitle(caption);
}

void SelectDataFiles::emitFilesSelected(const QStringList &files)
{
    emit filesSelected(files, LoadNewFiles->isChecked());
}

double SelectDataFiles::addImageItem(const QString &name, int i)
{
    const double e = eofSetup->energyOf(name, i);
    Selected->addItem(name, QVariant(e));
    Count->setText(QString::number(Selected->count()));
    return e;
}

int SelectDataFiles::loadStart() const
{
    return qMax(CutFirst->text().toInt(nullptr, 10), 0);
}

int SelectDataFiles::loadTail() const
{
    return qMax(CutLast->text().toInt(nullptr, 10), 0);
}

int SelectDataFiles::loadStep() const
{
    return qMax(Skip->text().toInt(nullptr, 10), 1);
}

bool SelectDataFiles::skipLive() const
{
    return additionalSetup.IgnoreLiveFiles->isChecked();
}

bool SelectDataFiles::showLatest() const
{
    return additionalSetup.ShowLatest->isChecked();
}

ErrPoints *SelectDataFiles::errPoints()
{
    return &additionalSetup.errPoints;
}

void SelectDataFiles::newImageSelected(int i)
{
    if (showLatest())
        emit currentIndexChanged(i);
}

void SelectDataFiles::clearFiles()
{
    Selected->clear();
    Count->setText(QString::number(Selected->count()));
}

void SelectDataFiles::prev()
{
    const int i = Selected->currentIndex();
    if (i > 0)
        Selected->setCurrentIndex(i - 1);
}

void SelectDataFiles::next()
{
    const int i = Selected->currentIndex();
    if (i < Selected->count() - 1)
        Selected->setCurrentIndex(i + 1);
}

void SelectDataFiles::select(int i)
{
    if (i >= 0 && i < Selected->count())
        Selected->setCurrentIndex(i);
}

void SelectDataFiles::setSkip(int n)
{
    Skip->setText(QString::number(n));
}

void SelectDataFiles::setCutF(int n)
{
    CutFirst->setText(QString::number(n));
}

void SelectDataFiles::setCutL(int n)
{
    CutLast->setText(QString::number(n));
}

void SelectDataFiles::setShowLatest(bool on)
{
    additionalSetup.ShowLatest->setChecked(on);
}

void SelectDataFiles::setEngByName(bool on)
{
    eofSetup->FromFileName->setChecked(on);
}

void SelectDataFiles::setEngByCalc(bool on)
{
    eofSetup->FromFileNum->setChecked(on);
}

void SelectDataFiles::setEngCalcStart(double v)
{
    eofSetup->Start->setText(realText(v));
    eofSetup->newStart();
}

void SelectDataFiles::setEngCalcDelta(double v)
{
    eofSetup->Delta->setText(realText(v));
    eofSetup->newStart();
}

void SelectDataFiles::setEngCalcEnd(double v)
{
    eofSetup->End->setText(realText(v));
    eofSetup->newEnd();
}

void SelectDataFiles::setEngCalcNum(int n)
{
    eofSetup->NumOfPoints->setText(QString::number(n));
    eofSetup->newEnd();
}

void SelectDataFiles::setEvenInEng(bool on)
{
    eofSetup->EvenInEnergy->setChecked(on);
}

void SelectDataFiles::setEvenInDeg(bool on)
{
    eofSetup->EvenInAngle->setChecked(on);
}

void SelectDataFiles::setDispUnit(int n)
{
    if (n < eofSetup->DisplayUnit->count())
        eofSetup->DisplayUnit->setCurrentIndex(n);
}

void SelectDataFiles::setEngByNameRegExp(const QString &pattern)
{
    eofSetup->Pattern->setText(pattern);
}

void SelectDataFiles::setEngByNameFactor(double f)
{
    eofSetup->Factor->setText(realText(f));
}

void SelectDataFiles::setExpTimeMS(double ms, bool uniform)
{
    ExpTime->setText(realText(ms));
    ExpTime->setStyleSheet(QString::fromLatin1(uniform ? NormalStyle : BadStyle));
}

void SelectDataFiles::setEngByRef(const QString &path)
{
    eofSetup->FromRefFile->setChecked(!path.isEmpty());
    eofSetup->RefFilePath->setText(path);
    if (!path.isEmpty())
        eofSetup->refFileSelected(path);
}

void SelectDataFiles::darkArea(const QRectF &r)
{
    additionalSetup.darkArea(r);
}
