#include "display/chcoord.h"

#include <QVector>
#include <cmath>
#include <limits>

namespace {

// Linear map of v from (a0..a1) onto (b0..b1); an empty or non-finite source
// range gives the middle of the target range.
double mapLinear(double v, double a0, double a1, double b0, double b1)
{
    const double ext = a1 - a0;
    if (ext == 0 || !std::isfinite(ext))
        return (b0 + b1) / 2;
    return (b1 - b0) / ext * (v - a0) + b0;
}

double scaleLength(double l, double a0, double a1, double b0, double b1)
{
    const double ext = a1 - a0;
    if (ext == 0 || !std::isfinite(ext))
        return 0;
    return (b1 - b0) / ext * l;
}

bool nearEdge(double v, double e0, double e1, double frac)
{
    const double band = frac * std::fabs(e1 - e0);
    return std::fabs(v - e0) <= band || std::fabs(v - e1) <= band;
}

} // namespace

ChCoord::ChCoord(QObject *parent)
    : QObject(parent),
      screenX0(0), screenX1(1), screenY0(0), screenY1(1),
      winX0(0), winX1(1), winY0(0), winY1(1),
      realX0(0), realX1(1), realY0(0), realY1(1),
      edgeFracScreen(0.1), edgeFracWin(0.1),
      marginLeft(0.1), marginRight(0.05), marginTop(0.05), marginBottom(0.1),
      labelHeightDiv(20), labelWidthDiv(25), labelScale(0.85)
{
}

void ChCoord::setScreenRange(double x0, double y0, double x1, double y1)
{
    screenX0 = winX0 = x0;
    screenY0 = winY0 = y0;
    screenX1 = winX1 = x1;
    screenY1 = winY1 = y1;
}

void ChCoord::setScreenWindow(double x0, double y0, double x1, double y1)
{
    winX0 = x0;
    winY0 = y0;
    winX1 = x1;
    winY1 = y1;
}

void ChCoord::setScreenWindowByMargins()
{
    const double w = screenX1 - screenX0;
    const double h = screenY1 - screenY0;
    winX0 = screenX0 + std::trunc(marginLeft * w);
    winX1 = screenX1 - std::trunc(marginRight * w);
    winY0 = screenY0 + std::trunc(marginBottom * h);
    winY1 = screenY1 - std::trunc(marginTop * h);
}

void ChCoord::setRealRange(double x0, double y0, double x1, double y1)
{
    realX0 = x0;
    realY0 = y0;
    realX1 = x1;
    realY1 = y1;
}

void ChCoord::setRealXRange(double x0, double x1)
{
    realX0 = x0;
    realX1 = x1;
}

void ChCoord::setRealYRange(double y0, double y1)
{
    realY0 = y0;
    realY1 = y1;
}

double ChCoord::realToScreenX(double x) const { return mapLinear(x, realX0, realX1, winX0, winX1); }
double ChCoord::realToScreenY(double y) const { return mapLinear(y, realY0, realY1, winY0, winY1); }

double ChCoord::realToScreenLengthX(double l) const
{
    return scaleLength(l, realX0, realX1, winX0, winX1);
}

double ChCoord::realToScreenLengthY(double l) const
{
    return scaleLength(l, realY0, realY1, winY0, winY1);
}

double ChCoord::screenToRealX(double s) const { return mapLinear(s, winX0, winX1, realX0, realX1); }
double ChCoord::screenToRealY(double s) const { return mapLinear(s, winY0, winY1, realY0, realY1); }

double ChCoord::screenToRealOffsetX(double s) const { return screenToRealX(s) - realX0; }
double ChCoord::screenToRealOffsetY(double s) const { return screenToRealY(s) - realY0; }

double ChCoord::screenToRealClampedX(double s) const
{
    const double v = screenToRealX(s);
    return qBound(qMin(realX0, realX1), v, qMax(realX0, realX1));
}

double ChCoord::screenToRealClampedY(double s) const
{
    const double v = screenToRealY(s);
    return qBound(qMin(realY0, realY1), v, qMax(realY0, realY1));
}

double ChCoord::screenToRealLengthX(double l) const
{
    return scaleLength(l, winX0, winX1, realX0, realX1);
}

double ChCoord::screenToRealLengthY(double l) const
{
    return scaleLength(l, winY0, winY1, realY0, realY1);
}

bool ChCoord::isNearScreenXEdge(double x) const { return nearEdge(x, winX0, winX1, edgeFracWin); }
bool ChCoord::isNearScreenYEdge(double y) const { return nearEdge(y, winY0, winY1, edgeFracWin); }

bool ChCoord::isNearFullScreenXEdge(double x) const
{
    return nearEdge(x, screenX0, screenX1, edgeFracScreen);
}

bool ChCoord::isNearFullScreenYEdge(double y) const
{
    return nearEdge(y, screenY0, screenY1, edgeFracScreen);
}

int ChCoord::axisTicks(double min, double max, double &step, double &first, double &last) const
{
    if (!std::isfinite(min) || !std::isfinite(max) || !std::isfinite(max - min)) {
        step = 1;
        first = last = 0;
        return 0;
    }
    if (max < min)
        std::swap(min, max);
    if (max == min) {
        // One tick at the value itself.
        step = min != 0 ? std::pow(10.0, std::floor(std::log10(std::fabs(min)))) : 1.0;
        first = last = min;
        return 1;
    }
    static const double M[9] = {0.2, 0.2, 0.5, 0.5, 1, 1, 1, 2, 2};
    const double d = std::pow(10.0, std::floor(std::log10(max - min)));
    const double n = std::trunc((max - min) / d) - 1;
    step = (n >= 0 && n < 9) ? d * M[int(n)] : d;
    first = std::ceil(min / step) * step;
    last = std::floor(max / step) * step;
    return tickCount(step, first, last);
}

int ChCoord::tickCount(double step, double first, double last)
{
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(first) || !std::isfinite(last)
        || last < first)
        return 0;
    const double n = std::floor((last - first) / step + 1e-9) + 1;
    if (!(n >= 1))
        return 0;
    return n > MaxAxisTicks ? MaxAxisTicks : int(n);
}

QVector<double> ChCoord::axisTickValues(double min, double max) const
{
    double step, first, last;
    const int n = axisTicks(min, max, step, first, last);
    QVector<double> ticks;
    ticks.reserve(n);
    for (int i = 0; i < n; i++)
        ticks.append(first + i * step);
    return ticks;
}

double ChCoord::tickStep(double base, double pixels) const
{
    static const double mult[3] = {1, 2, 5};
    double p = 1;
    for (int k = 0; k <= 7; k++, p *= 10) {
        for (double m : mult) {
            const double s = base * m * p;
            if (std::fabs(realToScreenLengthX(s)) > pixels)
                return s;
        }
    }
    return base * 1e8;
}

int ChCoord::toInt(double v)
{
    if (!(v == v))
        return 0;
    const double lim = double(std::numeric_limits<int>::max());
    if (v >= lim)
        return std::numeric_limits<int>::max();
    if (v <= -lim)
        return -std::numeric_limits<int>::max();
    return int(v);
}
