#include "imagedata/eofsetup.h"

#include <QButtonGroup>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <cmath>

#include "core/globals.h"

namespace {

const double Hc = 12398.424360387684;   // eV * Angstrom
const double Pi = 3.1415926535;
const double KeVFactor = 1000.0;
const double HalfTurn = 180.0;
const double EmptyListBase = 8000;
const double CrystalSpacing = 3.13553;  // Si(111), Angstrom

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
    field->setStyleSheet(QString::fromLatin1(bad ? BadStyle : normalStyle));
}

// The lattice spacing given by a "D=" item of a header line, else d.
double spacingInLine(const QStringList &items, double d)
{
    for (int k = 0; k + 1 < items.size(); k++) {
        if (items[k] != QLatin1String("D="))
            continue;
        bool ok = false;
        const double v = items[k + 1].toDouble(&ok);
        if (ok && std::isfinite(v) && v > 0)
            d = v;
        else
            qDebug() << "Lattice spacing" << items[k + 1] << "of the reference file ignored";
    }
    return d;
}

// The number that a pattern match stands for: "8979_50eV" -> 8979.5.
double numberOfMatch(const QString &match)
{
    QString t = match.toUpper();
    t.replace(QLatin1String("_"), QLatin1String("."));
    t.remove(QLatin1String("KEV"));
    t.remove(QLatin1String("EV"));
    const double v = t.toDouble();
    return std::isfinite(v) ? v : 0;
}

} // namespace

EOFSetup::EOFSetup(QWidget *parent)
    : QFrame(parent), units(CrystalSpacing), refFileDialog(QString())
{
    setupUi(this);

    ruleGroup = new QButtonGroup(this);
    ruleGroup->setExclusive(true);
    ruleGroup->addButton(FromFileName);
    ruleGroup->addButton(FromFileNum);
    ruleGroup->addButton(FromRefFile);
    FromFileName->setChecked(true);

    spacingGroup = new QButtonGroup(this);
    spacingGroup->setExclusive(true);
    spacingGroup->addButton(EvenInEnergy);
    spacingGroup->addButton(EvenInAngle);
    EvenInAngle->setChecked(true);

    refFileDialog.setFileMode(QFileDialog::AnyFile);
    refFileDialog.setAcceptMode(QFileDialog::AcceptOpen);
    refFileDialog.setNameFilters(QStringList() << tr("XAFS Data File (*.dat)")
                                               << tr("Any Files (* *.*)"));

    for (const char *preset : PresetPatterns) {
        PatternList->addItem(QString::fromLatin1(preset));
        PatternList->setCurrentIndex(PatternList->count() - 1);
    }
    Pattern->setText(PatternList->itemText(0));
    newPattern();

    connect(Start, &QLineEdit::editingFinished, this, &EOFSetup::newStart);
    connect(Delta, &QLineEdit::editingFinished, this, &EOFSetup::newDelta);
    connect(End, &QLineEdit::editingFinished, this, &EOFSetup::newEnd);
    connect(NumOfPoints, &QLineEdit::editingFinished, this, &EOFSetup::newNumOfPoints);
    connect(Pattern, &QLineEdit::editingFinished, this, &EOFSetup::newPattern);
    connect(PatternList, &QComboBox::currentTextChanged, this, &EOFSetup::newPatternSelected);
    connect(SelRefFile, &QPushButton::clicked, &refFileDialog, &QWidget::show);
    connect(&refFileDialog, &QFileDialog::fileSelected, this, &EOFSetup::refFileSelected);

    // The marks on the range fields follow the unit and the spacing rule.
    connect(DisplayUnit, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { markRangeFields(); });
    connect(EvenInEnergy, &QAbstractButton::toggled, this, [this] { markRangeFields(); });
}

double EOFSetup::energyOfAngle(double degrees, double d)
{
    return Hc / (2 * std::sin(degrees / HalfTurn * Pi) * d);
}

double EOFSetup::angleOfEnergy(double energy, double d)
{
    const double a = Hc / energy / (2 * d);
    if (std::fabs(a) <= 1)
        return std::asin(a) / Pi * HalfTurn;
    return -1;
}

double EOFSetup::spacing(double d) const
{
    return d > 0 ? d : units.d();
}

double EOFSetup::energyOf(const QString &name, int i)
{
    if (FromFileName->isChecked())
        return energyByName(name, i);
    if (FromFileNum->isChecked())
        return energyByNumber(i);
    if (FromRefFile->isChecked())
        return energyByRef(i);
    return energyByNumber(i);
}

double EOFSetup::energyByName(const QString &name, int i)
{
    const QRegularExpression re(Pattern->text());
    double value = i;
    if (!re.isValid()) {
        qDebug() << "Energy pattern" << Pattern->text() << "is not a valid regular expression:"
                 << re.errorString();
    } else {
        // The file's own name first, so that a folder name cannot give every
        // image of the folder the same energy.
        QRegularExpressionMatch m = re.match(QFileInfo(name).fileName());
        if (!m.hasMatch())
            m = re.match(name);
        if (m.hasMatch())
            value = numberOfMatch(m.captured(0));
        else
            qDebug() << "Energy pattern" << Pattern->text() << "matches nothing in" << name
                     << "- its index" << i << "is used";
    }
    const double f = Factor->text().toDouble();
    if (std::isfinite(f) && f > 0)
        value *= f;
    return value;
}

bool EOFSetup::angleRangeUsable(double startEV, double endEV, int num) const
{
    const double d = units.d();
    return num > 0 && angleOfEnergy(startEV, d) > 0 && angleOfEnergy(endEV, d) > 0;
}

double EOFSetup::energyByNumber(int i)
{
    const double start = Start->text().toDouble();
    const double end = End->text().toDouble();
    const double delta = Delta->text().toDouble();
    const int num = NumOfPoints->text().toInt(nullptr, 10);
    const double x = start + delta * i;
    const double d = units.d();

    markRangeFields();
    double e = x;
    const int unit = DisplayUnit->currentIndex();
    if (unit == 0 || unit == 1) {
        const double scale = unit == 1 ? KeVFactor : 1.0;
        e = x * scale;
        if (!EvenInEnergy->isChecked()) {
            if (angleRangeUsable(start * scale, end * scale, num)) {
                const double ts = angleOfEnergy(start * scale, d);
                const double te = angleOfEnergy(end * scale, d);
                e = energyOfAngle(ts + (te - ts) / num * i, d);
            } else {
                qDebug() << "Start" << start << "End" << end << "Num" << num
                         << "give no range of Bragg angles; image" << i
                         << "gets the energy of even steps in energy";
            }
        }
    } else if (unit == 2) {
        e = energyOfAngle(x, d);
    }
    if (!std::isfinite(e) || e < 0) {
        qDebug() << "Image" << i << "gets no usable energy from Start" << start << "Delta" << delta
                 << "- 0 is used";
        e = 0;
    }
    return e;
}

void EOFSetup::markRangeFields()
{
    const double start = Start->text().toDouble();
    const double end = End->text().toDouble();
    const int num = NumOfPoints->text().toInt(nullptr, 10);
    const double d = units.d();
    const int unit = DisplayUnit->currentIndex();
    bool badStart = false;
    bool badEnd = false;
    if ((unit == 0 || unit == 1) && !EvenInEnergy->isChecked()) {
        const double scale = unit == 1 ? KeVFactor : 1.0;
        badStart = angleOfEnergy(start * scale, d) <= 0;
        badEnd = angleOfEnergy(end * scale, d) <= 0;
    } else if (unit == 2) {
        badStart = !(start > 0 && start < HalfTurn);
    }
    markField(Start, badStart);
    markField(End, badEnd);
    markField(NumOfPoints, num <= 0);
}

void EOFSetup::recomputeEnd()
{
    const double start = Start->text().toDouble();
    const double delta = Delta->text().toDouble();
    const int num = NumOfPoints->text().toInt(nullptr, 10);
    End->setText(QString::number(start + num * delta, 'g', 6));
    markRangeFields();
}

void EOFSetup::recomputeDelta()
{
    const double start = Start->text().toDouble();
    const double end = End->text().toDouble();
    const int num = NumOfPoints->text().toInt(nullptr, 10);
    if (num > 0)
        Delta->setText(QString::number((end - start) / num, 'g', 6));
    else
        qDebug() << "Num" << NumOfPoints->text() << "is not above 0; Delta is kept";
    markRangeFields();
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
    const QString text = Pattern->text();
    const QString p = text.toUpper();
    Factor->setText(p.contains(QLatin1String("KEV")) ? QStringLiteral("1000") : QStringLiteral("1"));

    for (int k = 0; k < PatternList->count(); k++) {
        if (PatternList->itemText(k) == text) {
            PatternList->setCurrentIndex(k);
            return;
        }
    }
    PatternList->addItem(text);
    PatternList->setCurrentIndex(PatternList->count() - 1);
}

void EOFSetup::newPatternSelected(const QString &text)
{
    Pattern->setText(text);
    newPattern();
}

double EOFSetup::energyByRef(int i) const
{
    const int n = refEnergies.size();
    if (n < 1)
        return EmptyListBase + i;
    if (i < 0)
        return refEnergies.first();
    if (i < n)
        return refEnergies[i];
    return refEnergies.last();
}

void EOFSetup::refFileSelected(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Can't open ref file" << path;
        return;
    }
    RefFilePath->setText(path);
    QTextStream in(&f);
    const QStringList items = in.readLine().simplified().split(QLatin1Char(' '));
    if (items.value(0) == QLatin1String("9809"))
        read9809RefFile(in, spacingInLine(items, units.d()));
    else
        readRefFile(in, QString(), 0);
    f.close();
}

void EOFSetup::read9809RefFile(QTextStream &in, double d)
{
    refEnergies.clear();
    readRefFile(in, QStringLiteral("Offset"), 1, d);
}

void EOFSetup::readRefFile(QTextStream &in, const QString &headerEnd, int column, double d)
{
    qDebug() << "reading simple";
    refEnergies.clear();
    d = spacing(d);
    bool inHeader = !headerEnd.isEmpty();
    int lineNo = 1;  // the first line was read by the caller
    int rejected = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        lineNo++;
        const QString simple = line.simplified();
        const QStringList items = simple.split(QLatin1Char(' '));
        if (inHeader) {
            d = spacingInLine(items, d);
            if (simple.startsWith(headerEnd))
                inHeader = false;
            continue;
        }
        if (line.startsWith(QLatin1Char('#')))
            continue;
        if (items.size() <= column)
            continue;
        bool ok = false;
        const double theta = items[column].toDouble(&ok);
        const double e = ok ? energyOfAngle(theta, d) : 0;
        if (!ok || !std::isfinite(e) || e <= 0) {
            qDebug() << "Line" << lineNo << "of the reference file gives no energy:" << line;
            rejected++;
            continue;
        }
        refEnergies.append(e);
    }
    markField(RefFilePath, rejected > 0 || refEnergies.isEmpty(), RefPathStyle);
}
