#ifndef CHCOORD_H
#define CHCOORD_H

#include <QObject>

// Linear mapping between one plot's screen pixels and its real (data)
// coordinates, with an inner plot window inside the full screen range.
class ChCoord : public QObject
{
    Q_OBJECT

public:
    explicit ChCoord(QObject *parent = nullptr);

    // Upper bound of the tick count that axisTicks reports.
    static constexpr int MaxAxisTicks = 200;

    double screenX0, screenX1, screenY0, screenY1;   // full screen range
    double winX0, winX1, winY0, winY1;               // inner window
    double realX0, realX1, realY0, realY1;           // real range shown
    double edgeFracScreen;
    double edgeFracWin;
    double marginLeft;
    double marginRight;
    double marginTop;
    double marginBottom;
    int labelHeightDiv;
    int labelWidthDiv;
    double labelScale;

    // Full range and inner window both set to (x0..x1, y0..y1).
    void setScreenRange(double x0, double y0, double x1, double y1);
    void setScreenWindow(double x0, double y0, double x1, double y1);
    // Inner window := full range less the margins (whole pixels).
    void setScreenWindowByMargins();
    void setRealRange(double x0, double y0, double x1, double y1);
    void setRealXRange(double x0, double x1);
    void setRealYRange(double y0, double y1);

    // An empty range on either side maps to the middle of the other side.
    double realToScreenX(double x) const;
    double realToScreenY(double y) const;
    double realToScreenLengthX(double l) const;
    double realToScreenLengthY(double l) const;
    double screenToRealX(double s) const;
    double screenToRealY(double s) const;

    // Real offset from the window start (realX0/realY0 not added).
    double screenToRealOffsetX(double s) const;
    double screenToRealOffsetY(double s) const;
    // Real value clamped into the real range.
    double screenToRealClampedX(double s) const;
    double screenToRealClampedY(double s) const;
    double screenToRealLengthX(double l) const;
    double screenToRealLengthY(double l) const;

    // Within edgeFracWin of either end of the inner window.
    bool isNearScreenXEdge(double x) const;
    bool isNearScreenYEdge(double y) const;
    // Within edgeFracScreen of either end of the full range.
    bool isNearFullScreenXEdge(double x) const;
    bool isNearFullScreenYEdge(double y) const;

    // Ticks of simple decimal steps over min..max: step, first and last tick.
    // Returns the number of ticks (first + i * step, i = 0 .. count - 1),
    // at most MaxAxisTicks; 0 when the range is not finite. A zero range
    // gives the one tick min; a reversed range is taken as its ascending twin.
    int axisTicks(double min, double max, double &step, double &first, double &last) const;
    // Number of ticks first, first + step, ... up to last, capped; 0 for bad input.
    static int tickCount(double step, double first, double last);
    // The tick values of axisTicks as a list.
    QVector<double> axisTickValues(double min, double max) const;

    // First of base * {1, 2, 5} * 10^k (k = 0..7) longer on screen along x
    // than the pixel count, else base * 10^8.
    double tickStep(double base, double pixels) const;

    // Truncation towards zero to int, safe for NaN (0) and out-of-range values.
    static int toInt(double v);
};

#endif
