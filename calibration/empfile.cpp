#include "calibration/empfile.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QStringRef>
#include <QTextStream>
#include <cmath>
#include <new>

#include "core/boundedlinereader.h"
#include "core/globals.h"
#include "core/physconst.h"
#include "core/stringutil.h"
#include "core/wholefile.h"
#include "imagedata/analyzed2dres.h"

namespace {

const char *const Names[] = {"X Offset [pix]",       "Y Offset [pix]",     "Width [pix]",
                             "Height [pix]",         "Bin Half Width [pix]", "Bin Half Height [pix]",
                             "Area X0",              "Area X1",            "Area Y0",
                             "Area Y1",              "Std Edge Energy [eV]", "Spacing [nm]"};
enum Key { XOffset, YOffset, Width, Height, BinHalfWidth, BinHalfHeight,
           AreaX0, AreaX1, AreaY0, AreaY1, StdEdgeEnergy, Spacing, KeyCount };

double toRadians(double deg)
{
    return deg / PhysConst::HalfTurnDeg * PhysConst::BraggPi;
}

// The first item after the key; false when the line has none.
bool valueAfter(const QString &line, int keyLength, QString *value)
{
    splitItem(line.mid(keyLength), *value);
    return !value->isEmpty();
}

// Calls f(token) for every blank-separated token of line until f returns false.
template <typename F>
bool forEachToken(const QString &line, F f)
{
    const int n = line.size();
    const QChar *c = line.constData();
    int i = 0;
    while (i < n) {
        while (i < n && c[i].isSpace())
            i++;
        const int start = i;
        while (i < n && !c[i].isSpace())
            i++;
        if (i > start && !f(QStringRef(&line, start, i - start)))
            return false;
    }
    return true;
}

} // namespace

const char *const EmpFile::Magic = "###Vantoscope::VTSC";
const char *const EmpFile::OldMagic = "###VTSC";
const char *const EmpFile::EndOfHeader = "##-----------------";

QString EmpFile::key(const char *name)
{
    return QString::fromLatin1(name).leftJustified(24, QLatin1Char(' ')) + QStringLiteral(": ");
}

double EmpFile::braggAngle(double energy, double spacing)
{
    if (!(energy > 0.0) || !(spacing > 0.0))
        return -1.0;
    const double s = PhysConst::Hc / (2.0 * spacing * energy);
    if (!std::isfinite(s) || std::fabs(s) > 1.0)
        return -1.0;
    return std::asin(s) * PhysConst::HalfTurnDeg / PhysConst::BraggPi;
}

double EmpFile::braggEnergy(double angle, double spacing)
{
    const double s = std::sin(toRadians(angle));
    if (!(spacing > 0.0) || !(s > 0.0))
        return 0.0;
    const double e = PhysConst::Hc / (2.0 * spacing * s);
    return std::isfinite(e) ? e : 0.0;
}

double EmpFile::angleOf(double shift, double e0, double spacing)
{
    const double t0 = braggAngle(e0, spacing);
    const double t = braggAngle(e0 - shift, spacing);
    if (t0 < 0.0 || t < 0.0)
        return 0.0;
    return t - t0;
}

double EmpFile::shiftOf(double angle, double e0, double spacing)
{
    const double t0 = braggAngle(e0, spacing);
    if (t0 < 0.0 || angle == 0.0)
        return 0.0;
    const double e = braggEnergy(t0 + angle, spacing);
    return e > 0.0 ? e0 - e : 0.0;
}

bool EmpFile::write(const QString &fileName, const EMPHeader &h, const QString &stdFileName,
                    const Analyzed2DRes &map)
{
    const double t0 = braggAngle(h.stdEdgeEnergy, h.spacing);
    if (t0 < 0.0) {
        qDebug() << "EMap: the edge energy" << h.stdEdgeEnergy << "eV has no Bragg angle at"
                 << h.spacing << "A; not written:" << fileName;
        return false;
    }
    if (h.width <= 0 || h.height <= 0) {
        qDebug() << "EMap: no map to write (size" << h.width << "x" << h.height << "):" << fileName;
        return false;
    }
    WholeFile f(fileName);
    if (!f.open())
        return false;
    QTextStream &out = f.stream();
    out << Magic << '\n';
    out << key("Record Date") << QDateTime::currentDateTime().toString("yy/MM/dd hh:mm:ss.zzz")
        << '\n';
    out << key(Names[StdEdgeEnergy]) << h.stdEdgeEnergy << '\n';
    out << key(Names[Spacing]) << h.spacing << '\n';
    const int ints[] = {h.xOffset, h.yOffset, h.width, h.height, h.binHalfWidth, h.binHalfHeight,
                        h.areaX0, h.areaX1, h.areaY0, h.areaY1};
    for (int k = XOffset; k <= AreaY1; k++)
        out << key(Names[k]) << ints[k] << '\n';
    out << key("Std File Name") << stdFileName << '\n';
    const int mapH = qMax(map.area.height, 0);
    out << key("Map Height") << mapH << '\n';
    for (int r = 0; r < mapH; r++)
        out << key("Map Width") << r << ' ' << map.area.width << '\n';
    out << EndOfHeader << '\n';

    logDebug("EMap Write Start : ");
    qint64 noAngle = 0;
    QString row;
    for (int y = 0; y < h.height; y++) {
        row.clear();
        for (int x = 0; x < h.width; x++) {
            const double v = map.value(x, y);
            const double t = std::isfinite(v) ? braggAngle(h.stdEdgeEnergy - v, h.spacing) : -1.0;
            if (t < 0.0 && v != 0.0)
                noAngle++;
            row += QString::number(t < 0.0 ? 0.0 : t - t0, 'g', 6);
            row += QLatin1Char(' ');
        }
        out << row << '\n';
    }
    logDebug("EMap Write End   : ");
    if (noAngle > 0)
        qDebug() << "EMap:" << noAngle << "shifts have no Bragg angle and were written as 0";
    return f.commit();
}

EMPHeader EmpFile::readHeader(QTextStream &in)
{
    EMPHeader h;
    const QString who = QStringLiteral("EmpFile::readHeader");
    QString first;
    BoundedLineReader::readLine(in, first, who);
    if (!first.startsWith(QLatin1String(OldMagic)) && !first.startsWith(QLatin1String(Magic))) {
        qDebug() << "Not a emp file.";
        return h;
    }
    QString keys[KeyCount];
    for (int k = 0; k < KeyCount; k++)
        keys[k] = key(Names[k]);
    int *const ints[] = {&h.xOffset, &h.yOffset, &h.width, &h.height, &h.binHalfWidth,
                         &h.binHalfHeight, &h.areaX0, &h.areaX1, &h.areaY0, &h.areaY1};
    bool seen[KeyCount] = {};
    bool ended = false;
    QString line;
    while (BoundedLineReader::readLine(in, line, who)) {
        for (int k = 0; k < KeyCount; k++) {
            QString v;
            if (!line.startsWith(keys[k]) || !valueAfter(line, keys[k].size(), &v))
                continue;
            seen[k] = true;
            if (k == StdEdgeEnergy)
                h.stdEdgeEnergy = v.toDouble();
            else if (k == Spacing)
                h.spacing = v.toDouble();
            else
                *ints[k] = v.toInt();
            if (k == Width)
                qDebug() << "emp W" << h.width << line;
            else if (k == Height)
                qDebug() << "emp H" << h.height << line;
            break;
        }
        if (line.startsWith(QLatin1String(EndOfHeader))) {
            ended = true;
            break;
        }
    }
    if (!seen[AreaX0] && !seen[AreaX1] && !seen[AreaY0] && !seen[AreaY1]) {
        h.areaX1 = h.width;
        h.areaY1 = h.height;
    }
    h.valid = ended && seen[Width] && seen[Height] && seen[StdEdgeEnergy] && seen[Spacing];
    if (h.valid)
        orderArea(h);
    return h;
}

void EmpFile::orderArea(EMPHeader &h)
{
    // A selection dragged from right to left.
    if (h.areaX0 <= h.areaX1 && h.areaY0 <= h.areaY1)
        return;
    qDebug().noquote() << QString("EMap: area (%1, %2)-(%3, %4) turned round")
                              .arg(h.areaX0).arg(h.areaY0).arg(h.areaX1).arg(h.areaY1);
    if (h.areaX0 > h.areaX1)
        qSwap(h.areaX0, h.areaX1);
    if (h.areaY0 > h.areaY1)
        qSwap(h.areaY0, h.areaY1);
}

bool EmpFile::checkGeometry(const EMPHeader &h, QString *why)
{
    QString reason;
    if (h.width <= 0 || h.height <= 0)
        reason = QString("map size %1 x %2 is not positive").arg(h.width).arg(h.height);
    else if (qint64(h.width) * h.height > MaxCells)
        reason = QString("map size %1 x %2 is too large").arg(h.width).arg(h.height);
    else if (h.areaX0 > h.areaX1 || h.areaY0 > h.areaY1 || h.areaX1 < 0 || h.areaY1 < 0
             || h.areaX0 > h.width || h.areaY0 > h.height)
        reason = QString("area (%1, %2)-(%3, %4) lies outside the %5 x %6 map")
                     .arg(h.areaX0).arg(h.areaY0).arg(h.areaX1).arg(h.areaY1)
                     .arg(h.width).arg(h.height);
    if (why)
        *why = reason;
    return reason.isEmpty();
}

AnalyzeCond EmpFile::areaOf(const EMPHeader &h)
{
    AnalyzeCond c;
    c.init(h.width, h.height, h.binHalfWidth, h.binHalfHeight, h.areaRect(), -1, -1);
    return c;
}

bool EmpFile::readShifts(QTextStream &in, const EMPHeader &h, double e0,
                         std::unique_ptr<double[]> &shifts, QString *why)
{
    const double t0 = braggAngle(e0, h.spacing);
    if (t0 < 0.0) {
        if (why)
            *why = QString("the edge energy %1 eV has no Bragg angle at the spacing %2")
                       .arg(e0).arg(h.spacing);
        return false;
    }
    QString reason;
    if (!checkGeometry(h, &reason)) {
        if (why)
            *why = reason;
        return false;
    }
    const qint64 n = qint64(h.width) * h.height;
    std::unique_ptr<double[]> v(new (std::nothrow) double[size_t(n)]());
    if (!v) {
        if (why)
            *why = QString("%1 values can not be held").arg(n);
        return false;
    }
    qint64 k = 0;
    qint64 notNumbers = 0;
    QString line;
    while (k < n && BoundedLineReader::readLine(in, line, QStringLiteral("EmpFile::readShifts"))) {
        forEachToken(line, [&](const QStringRef &token) {
            bool ok = false;
            const double a = token.toDouble(&ok);
            double s = 0.0;
            if (ok && std::isfinite(a)) {
                // No angle offset is no shift, without the rounding of E(theta0).
                const double e = a == 0.0 ? e0 : braggEnergy(t0 + a, h.spacing);
                s = e > 0.0 ? e0 - e : 0.0;
            } else {
                notNumbers++;
            }
            v[size_t(k++)] = s;
            return k < n;
        });
    }
    if (notNumbers > 0)
        qDebug() << "EMap:" << notNumbers << "values are not numbers and read as 0";
    if (k < n)
        qDebug().noquote() << QString("run out! : %1 of %2 values missing, read as 0")
                                  .arg(n - k).arg(n);
    shifts = std::move(v);
    return true;
}

void EmpFile::fillMap(Analyzed2DRes &map, const AnalyzeCond &area, const double *shifts)
{
    map.setArea(area);
    map.setCells(shifts);
}
