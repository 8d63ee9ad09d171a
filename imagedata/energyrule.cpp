#include "imagedata/energyrule.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>
#include <cmath>

#include "core/boundedlinereader.h"
#include "core/physconst.h"

namespace {

const double KeVFactor = 1000.0;

bool usable(double e)
{
    return std::isfinite(e) && e >= 0;
}

} // namespace

EnergyRule::EnergyRule(double d)
    : how(ByName), factor(1), start(8000), delta(1), end(9000), steps(1000), rangeUnit(EV),
      evenInAngle(true), latticeD(PhysConst::DefaultSpacing)
{
    setSpacing(d);
}

void EnergyRule::setPattern(const QString &pattern)
{
    re.setPattern(pattern);
}

bool EnergyRule::checkPattern(const QString &pattern)
{
    const QRegularExpression r(pattern);
    if (r.isValid())
        return true;
    qDebug().noquote() << QString("Energy pattern \"%1\" is not a valid regular expression (%2 at "
                                  "%3): energies by name are the image indexes")
                              .arg(pattern, r.errorString())
                              .arg(r.patternErrorOffset());
    return false;
}

void EnergyRule::setRange(double startValue, double deltaValue, double endValue, int num)
{
    start = startValue;
    delta = deltaValue;
    end = endValue;
    steps = num;
}

void EnergyRule::setSpacing(double d)
{
    latticeD = std::isfinite(d) && d > 0 ? d : PhysConst::DefaultSpacing;
}

double EnergyRule::energyOfAngle(double degrees, double d)
{
    const double radians = degrees / PhysConst::HalfTurnDeg * PhysConst::BraggPi;
    return PhysConst::Hc / (2 * std::sin(radians) * d);
}

double EnergyRule::angleOfEnergy(double energy, double d)
{
    const double a = PhysConst::Hc / energy / (2 * d);
    if (std::fabs(a) <= 1)
        return std::asin(a) / PhysConst::BraggPi * PhysConst::HalfTurnDeg;
    return -1;
}

double EnergyRule::numberOfMatch(const QString &match)
{
    QString t = match.toUpper();
    t.replace(QLatin1String("_"), QLatin1String("."));
    t.remove(QLatin1String("KEV"));
    t.remove(QLatin1String("EV"));
    const double v = t.toDouble();
    return std::isfinite(v) ? v : 0;
}

bool EnergyRule::energyOf(const QString &name, int i, double &e) const
{
    switch (how) {
    case ByName:
        return energyByName(name, i, e);
    case ByRef:
        return energyByRef(i, e);
    case ByNumber:
        break;
    }
    return energyByNumber(i, e);
}

bool EnergyRule::energyByName(const QString &name, int i, double &e) const
{
    double value = i;
    // An invalid pattern matches nothing (said once, where it is set).
    if (re.isValid()) {
        // The file's own name first, so that a folder name cannot give every
        // image of the folder the same energy.
        QRegularExpressionMatch m = re.match(QFileInfo(name).fileName());
        if (!m.hasMatch())
            m = re.match(name);
        if (m.hasMatch())
            value = numberOfMatch(m.captured(0));
        else
            qDebug() << "Energy pattern" << re.pattern() << "matches nothing in" << name
                     << "- its index" << i << "is used";
    }
    if (std::isfinite(factor) && factor > 0)
        value *= factor;
    if (!usable(value)) {
        qDebug() << "Image" << i << "gets no usable energy from" << name << ":" << value;
        return false;
    }
    e = value;
    return true;
}

EnergyRule::Params EnergyRule::invalidParams() const
{
    Params bad;
    if (!re.isValid())
        bad |= PatternParam;
    if (steps <= 0)
        bad |= NumParam;
    if ((rangeUnit == EV || rangeUnit == KeV) && evenInAngle) {
        const double scale = rangeUnit == KeV ? KeVFactor : 1.0;
        if (!(angleOfEnergy(start * scale, latticeD) > 0))
            bad |= StartParam;
        if (!(angleOfEnergy(end * scale, latticeD) > 0))
            bad |= EndParam;
    } else if (rangeUnit == Degree) {
        if (!(start > 0 && start < PhysConst::HalfTurnDeg))
            bad |= StartParam;
    }
    return bad;
}

bool EnergyRule::energyByNumber(int i, double &e) const
{
    const double x = start + delta * i;
    double value = x;
    if (rangeUnit == EV || rangeUnit == KeV) {
        const double scale = rangeUnit == KeV ? KeVFactor : 1.0;
        value = x * scale;
        if (evenInAngle) {
            if (!(invalidParams() & (StartParam | EndParam | NumParam))) {
                const double ts = angleOfEnergy(start * scale, latticeD);
                const double te = angleOfEnergy(end * scale, latticeD);
                value = energyOfAngle(ts + (te - ts) / steps * i, latticeD);
            } else {
                qDebug() << "Start" << start << "End" << end << "Num" << steps
                         << "give no range of Bragg angles; image" << i
                         << "gets the energy of even steps in energy";
            }
        }
    } else if (rangeUnit == Degree) {
        value = energyOfAngle(x, latticeD);
    }
    if (!usable(value)) {
        qDebug() << "Image" << i << "gets no usable energy from Start" << start << "Delta" << delta
                 << ":" << value;
        return false;
    }
    e = value;
    return true;
}

bool EnergyRule::energyByRef(int i, double &e) const
{
    const int n = refList.size();
    double value;
    if (n < 1)
        value = EmptyRefBase + i;
    else if (i < 0)
        value = refList.first();
    else if (i < n)
        value = refList[i];
    else
        value = refList.last();
    if (!usable(value)) {
        qDebug() << "Image" << i << "gets no usable energy from the reference list:" << value;
        return false;
    }
    e = value;
    return true;
}

bool EnergyRule::loadRefFile(const QString &path, int *rejected)
{
    QString why;
    QFile f(path);
    if (!BoundedLineReader::isReadableFile(path, &why)
        || !f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Can't open ref file" << path << ":" << (why.isEmpty() ? f.errorString() : why);
        return false;
    }
    QTextStream in(&f);
    QString first;
    if (!BoundedLineReader::readLine(in, first, QStringLiteral("EnergyRule::loadRefFile"))
        && !in.atEnd()) {
        qDebug() << "Ref file" << path << "is not read: its reference list is kept";
        return false;
    }
    const QStringList items = first.simplified().split(QLatin1Char(' '));
    const QVector<double> old = refList;
    const int bad = items.value(0) == QLatin1String("9809") ? read9809RefFile(in)
                                                             : readRefFile(in, QString(), 0);
    if (bad < 0) {
        qDebug() << "Ref file" << path << "is not read: its reference list is kept";
        refList = old;
        return false;
    }
    if (rejected)
        *rejected = bad;
    return true;
}

int EnergyRule::read9809RefFile(QTextStream &in, double d)
{
    refList.clear();
    return readRefFile(in, QStringLiteral("Offset"), 1, d);
}

int EnergyRule::readRefFile(QTextStream &in, const QString &headerEnd, int column, double d)
{
    qDebug() << "reading simple";
    refList.clear();
    if (!(std::isfinite(d) && d > 0))
        d = latticeD;
    bool inHeader = !headerEnd.isEmpty();
    int lineNo = 1;  // the first line was read by the caller
    int rejected = 0;
    QString line;
    while (!in.atEnd()) {
        if (!BoundedLineReader::readLine(in, line, QStringLiteral("EnergyRule::readRefFile")))
            return -1;
        lineNo++;
        const QString simple = line.simplified();
        const QStringList items = simple.split(QLatin1Char(' '));
        if (inHeader) {
            if (simple.startsWith(headerEnd))
                inHeader = false;
            continue;
        }
        if (line.startsWith(QLatin1Char('#')) || items.size() <= column)
            continue;
        bool ok = false;
        const double theta = items[column].toDouble(&ok);
        const double e = ok ? energyOfAngle(theta, d) : 0;
        if (!ok || !std::isfinite(e) || e <= 0) {
            qDebug() << "Line" << lineNo << "of the reference file gives no energy:" << line;
            rejected++;
            continue;
        }
        refList.append(e);
    }
    return rejected;
}
