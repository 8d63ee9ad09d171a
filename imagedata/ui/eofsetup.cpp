#include "imagedata/ui/eofsetup.h"

#include <QButtonGroup>
#include <QDebug>
#include <cmath>

#include "core/physconst.h"
#include "display/_filedialog.h"
#include "display/widgethelpers.h"
#include "ui_eofsetup.h"

namespace {

const char *const NormalStyle = "background-color: rgb(255, 255, 255);";
const char *const BadStyle = "background-color: rgb(255, 192, 192);";
const char *const RefPathStyle = "background-color: rgb(255, 255, 231);";

const char *const PresetPatterns[] = {
    "(\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d",
    "\\d\\d\\d\\d_\\d\\d\\d\\d",
    "\\d\\d\\d\\d_\\d\\d",
    "\\d\\d\\d\\d_\\d\\deV",
    "\\d\\d\\d\\d\\.\\d\\d\\d\\d",
    "\\d\\d\\d\\d\\.\\d\\d",
    "\\d\\d\\d\\d\\.\\d\\deV",
    "\\d\\d\\d\\d\\.\\d",
    "\\d\\d_\\d\\d\\d\\d\\d\\dKeV",
    "\\d_\\d\\d\\d\\d\\d\\dKeV",
};

void markField(QLineEdit *field, bool bad, const char *normalStyle = NormalStyle)
{
    const QString style = QString::fromLatin1(bad ? BadStyle : normalStyle);
    if (field->styleSheet() != style)
        field->setStyleSheet(style);
}

QString realText(double v)
{
    return QString::number(v, 'g', 6);
}

} // namespace

EOFSetup::EOFSetup(QWidget *parent)
    : QFrame(parent), ui(new Ui::EngOfFilesSetup), crystal(PhysConst::DefaultSpacing),
      refDialog(new _FileDialog(QString()))
{
    ui->setupUi(this);

    ruleGroup = new QButtonGroup(this);
    ruleGroup->setExclusive(true);
    ruleGroup->addButton(ui->FromFileName);
    ruleGroup->addButton(ui->FromFileNum);
    ruleGroup->addButton(ui->FromRefFile);
    ui->FromFileName->setChecked(true);

    spacingGroup = new QButtonGroup(this);
    spacingGroup->setExclusive(true);
    spacingGroup->addButton(ui->EvenInEnergy);
    spacingGroup->addButton(ui->EvenInAngle);
    ui->EvenInAngle->setChecked(true);

    refDialog->setFileMode(QFileDialog::AnyFile);
    refDialog->setAcceptMode(QFileDialog::AcceptOpen);
    refDialog->setNameFilters(QStringList() << tr("XAFS Data File (*.dat)")
                                            << tr("Any Files (* *.*)"));

    for (const char *preset : PresetPatterns) {
        ui->PatternList->addItem(QString::fromLatin1(preset));
        ui->PatternList->setCurrentIndex(ui->PatternList->count() - 1);
    }
    ui->Pattern->setText(ui->PatternList->itemText(0));
    newPattern();

    connect(ui->Start, &QLineEdit::editingFinished, this, &EOFSetup::newStart);
    connect(ui->Delta, &QLineEdit::editingFinished, this, &EOFSetup::newDelta);
    connect(ui->End, &QLineEdit::editingFinished, this, &EOFSetup::newEnd);
    connect(ui->NumOfPoints, &QLineEdit::editingFinished, this, &EOFSetup::newNumOfPoints);
    connect(ui->Pattern, &QLineEdit::editingFinished, this, &EOFSetup::newPattern);
    connect(ui->PatternList, &QComboBox::currentTextChanged, this, &EOFSetup::newPatternSelected);
    showOnClick(ui->SelRefFile, refDialog.get());
    connect(refDialog.get(), &QFileDialog::fileSelected, this, &EOFSetup::refFileSelected);

    // The marks on the range fields follow the unit and the spacing rule.
    connect(ui->DisplayUnit, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &EOFSetup::markInvalidFields);
    connect(ui->EvenInEnergy, &QAbstractButton::toggled, this, &EOFSetup::markInvalidFields);
}

EOFSetup::~EOFSetup()
{
    delete ui;
}

EnergyRule EOFSetup::rule() const
{
    EnergyRule r(crystal.d());
    if (ui->FromFileName->isChecked())
        r.setMethod(EnergyRule::ByName);
    else if (ui->FromRefFile->isChecked())
        r.setMethod(EnergyRule::ByRef);
    else
        r.setMethod(EnergyRule::ByNumber);
    r.setPattern(ui->Pattern->text());
    r.setFactor(ui->Factor->text().toDouble());
    r.setRange(ui->Start->text().toDouble(), ui->Delta->text().toDouble(),
               ui->End->text().toDouble(), ui->NumOfPoints->text().toInt(nullptr, 10));
    r.setUnit(ui->DisplayUnit->currentIndex());
    r.setEvenInAngle(!ui->EvenInEnergy->isChecked());
    r.setRefEnergies(refList);
    return r;
}

double EOFSetup::energyOf(const QString &name, int i) const
{
    double e = 0;
    if (!rule().energyOf(name, i, e)) {
        qDebug() << "Image" << i << name << "gets the energy 0";
        e = 0;
    }
    return e;
}

void EOFSetup::markInvalidFields()
{
    const EnergyRule::Params bad = rule().invalidParams();
    markField(ui->Start, bad.testFlag(EnergyRule::StartParam));
    markField(ui->End, bad.testFlag(EnergyRule::EndParam));
    markField(ui->NumOfPoints, bad.testFlag(EnergyRule::NumParam));
    markField(ui->Pattern, bad.testFlag(EnergyRule::PatternParam));
}

bool EOFSetup::byName() const
{
    return ui->FromFileName->isChecked();
}

void EOFSetup::setByName(bool on)
{
    ui->FromFileName->setChecked(on);
}

bool EOFSetup::byNumber() const
{
    return ui->FromFileNum->isChecked();
}

void EOFSetup::setByNumber(bool on)
{
    ui->FromFileNum->setChecked(on);
}

bool EOFSetup::byRef() const
{
    return ui->FromRefFile->isChecked();
}

void EOFSetup::setByRef(bool on)
{
    ui->FromRefFile->setChecked(on);
}

bool EOFSetup::evenInEnergy() const
{
    return ui->EvenInEnergy->isChecked();
}

void EOFSetup::setEvenInEnergy(bool on)
{
    ui->EvenInEnergy->setChecked(on);
}

bool EOFSetup::evenInAngle() const
{
    return ui->EvenInAngle->isChecked();
}

void EOFSetup::setEvenInAngle(bool on)
{
    ui->EvenInAngle->setChecked(on);
}

int EOFSetup::displayUnit() const
{
    return ui->DisplayUnit->currentIndex();
}

void EOFSetup::setDisplayUnit(int n)
{
    if (n < ui->DisplayUnit->count())
        ui->DisplayUnit->setCurrentIndex(n);
    else
        qDebug() << "Unit" << n << "is not in the unit list; the unit is kept";
}

QString EOFSetup::startText() const
{
    return ui->Start->text();
}

void EOFSetup::setStart(double v)
{
    ui->Start->setText(realText(v));
    newStart();
}

QString EOFSetup::deltaText() const
{
    return ui->Delta->text();
}

void EOFSetup::setDelta(double v)
{
    ui->Delta->setText(realText(v));
    newDelta();
}

QString EOFSetup::endText() const
{
    return ui->End->text();
}

void EOFSetup::setEnd(double v)
{
    ui->End->setText(realText(v));
    newEnd();
}

QString EOFSetup::numOfPointsText() const
{
    return ui->NumOfPoints->text();
}

void EOFSetup::setNumOfPoints(int n)
{
    ui->NumOfPoints->setText(QString::number(n));
    newNumOfPoints();
}

QString EOFSetup::pattern() const
{
    return ui->Pattern->text();
}

void EOFSetup::setPattern(const QString &pattern)
{
    ui->Pattern->setText(pattern);
    EnergyRule::checkPattern(pattern);
    markInvalidFields();
}

QString EOFSetup::factorText() const
{
    return ui->Factor->text();
}

void EOFSetup::setFactor(double f)
{
    ui->Factor->setText(realText(f));
}

QString EOFSetup::refFilePath() const
{
    return ui->RefFilePath->text();
}

void EOFSetup::setRefFilePath(const QString &path)
{
    ui->RefFilePath->setText(path);
}

void EOFSetup::recomputeEnd()
{
    const double start = ui->Start->text().toDouble();
    const double delta = ui->Delta->text().toDouble();
    const int num = ui->NumOfPoints->text().toInt(nullptr, 10);
    const double end = start + num * delta;
    if (std::isfinite(end))
        ui->End->setText(realText(end));
    else
        qDebug() << "Start" << ui->Start->text() << "and Delta" << ui->Delta->text()
                 << "give no End; End is kept";
    markInvalidFields();
}

void EOFSetup::recomputeDelta()
{
    const double start = ui->Start->text().toDouble();
    const double end = ui->End->text().toDouble();
    const int num = ui->NumOfPoints->text().toInt(nullptr, 10);
    const double delta = num > 0 ? (end - start) / num : 0;
    if (num > 0 && std::isfinite(delta))
        ui->Delta->setText(realText(delta));
    else
        qDebug() << "Start" << ui->Start->text() << "End" << ui->End->text() << "Num"
                 << ui->NumOfPoints->text() << "give no Delta; Delta is kept";
    markInvalidFields();
}

void EOFSetup::newStart()
{
    recomputeEnd();
}

void EOFSetup::newDelta()
{
    recomputeEnd();
}

void EOFSetup::newEnd()
{
    recomputeDelta();
}

void EOFSetup::newNumOfPoints()
{
    recomputeDelta();
}

void EOFSetup::newPattern()
{
    const QString text = ui->Pattern->text();
    ui->Factor->setText(text.toUpper().contains(QLatin1String("KEV")) ? QStringLiteral("1000")
                                                                      : QStringLiteral("1"));
    EnergyRule::checkPattern(text);
    markInvalidFields();

    for (int k = 0; k < ui->PatternList->count(); k++) {
        if (ui->PatternList->itemText(k) == text) {
            ui->PatternList->setCurrentIndex(k);
            return;
        }
    }
    ui->PatternList->addItem(text);
    ui->PatternList->setCurrentIndex(ui->PatternList->count() - 1);
}

void EOFSetup::newPatternSelected(const QString &text)
{
    ui->Pattern->setText(text);
    newPattern();
}

QString EOFSetup::refFileSelected(const QString &path)
{
    EnergyRule r(crystal.d());
    int rejected = 0;
    if (!r.loadRefFile(path, &rejected)) {
        const QString why =
            refList.isEmpty()
                ? tr("no energy reference was read from \"%1\"; with no list, image i takes "
                     "%2 + i eV")
                      .arg(path)
                      .arg(EnergyRule::EmptyRefBase)
                : tr("no energy reference was read from \"%1\"; the images keep the energies "
                     "of the list read before")
                      .arg(path);
        ui->RefFilePath->setToolTip(why);
        return why;
    }
    refList = r.refEnergies();
    ui->RefFilePath->setText(path);
    ui->RefFilePath->setToolTip(QString());
    markField(ui->RefFilePath, rejected > 0 || refList.isEmpty(), RefPathStyle);
    return QString();
}
