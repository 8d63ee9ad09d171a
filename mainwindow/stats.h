#ifndef STATS_H
#define STATS_H

#include <QFrame>
#include <QPen>
#include <QPointer>
#include <QVector>

#include "imagedata/analyzecond.h"

class Analyzed2DRes;
class ChCoord;
class MouseC;
class QPainter;

namespace Ui {
class Stats;
}

// The "Statistics" window: count, extremes, mean and sigma of a result map
// over the analysis area, its histogram, and a value range picked by
// dragging two limit lines on the histogram.
class Stats : public QFrame
{
    Q_OBJECT

public:
    explicit Stats(QWidget *parent = nullptr);
    ~Stats() override;

    // Upper bound of the bin count typed into Bins.
    static constexpr int MaxBins = 10000;

    // Statistics and histogram of result over walker's centres, walked from
    // the walker's current position. A null map is ignored. The map is not
    // owned and must outlive its use here.
    void calcStats(Analyzed2DRes *result, AnalyzeCond walker);
    // Bin count from the Bins field (100 when it is no number or below 1),
    // bin width and empty histogram over lo .. hi.
    void setupBins(double lo, double hi);
    // Statistics of the binned values inside the picked range.
    void calcSelectedRangeStats();

    // The main window marks the pixels in selectedLo() .. selectedHi() when
    // showOverImage() is set.
    bool showOverImage() const;
    double selectedLo() const { return selLo; }
    double selectedHi() const { return selHi; }

    // Read-only view of the last computation.
    double minValue() const { return min; }
    double maxValue() const { return max; }
    int binCount() const { return bins; }
    double binSize() const { return binWidth; }
    const QVector<int> &binCounts() const { return histogram; }
    double rangeLow() const { return rangeLo; }
    double rangeHigh() const { return rangeHi; }

signals:
    void rangeSelected();

public slots:
    void pointedAt(double x, double y);
    void toggledShowOverImage(bool on);
    void draw(QPainter *p);
    void mousePressed();
    void mouseMoved();
    void mouseReleased();

private:
    Q_DISABLE_COPY(Stats)

    // Bin of value v for bins of width w, clamped to 0 .. bins - 1 (NaN gives 0).
    int binOf(double v, double w) const;
    void drawVLine(QPainter *p, double x, double y0, double y1) const;

    Ui::Stats *ui;

    ChCoord *plotCoord;
    MouseC *plotMouse;
    QPen selPen;
    QPointer<Analyzed2DRes> map;   // not owned; null once the map is deleted
    AnalyzeCond area;
    double pointedValue;
    int bins;
    double binWidth;
    QVector<int> histogram;
    int maxCount;
    int n;
    double min, max, mean, var, sigma;
    double rangeLo, rangeHi;
    double *draggedLimit;
    int selCount;
    double selLo, selHi;
    double selMean, selVar, selSigma;
};

#endif
