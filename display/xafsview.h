#ifndef XAFSVIEW_H
#define XAFSVIEW_H

#include <QFrame>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QString>
#include <QVector>

#include "core/fft1d.h"
#include "core/spectrum.h"
#include "core/xafsspectrum.h"
#include "display/chcoord.h"
#include "display/drawtext.h"
#include "display/edgemarker.h"
#include "display/mousec.h"

class _FileDialog;

namespace Ui {
class XafsView;
}

// The spectrum window: one XAFS spectrum (the current one) drawn with a
// standard, further spectra, the raw spectrum it came from and marker lines,
// with a pointer read-out, pan, wheel zoom and saving. The current, standard
// and raw spectra and the edge markers are held by copy; the further spectra
// belong to their owners.
class XafsView : public QFrame
{
    Q_OBJECT

public:
    explicit XafsView(QWidget *parent = nullptr);
    ~XafsView() override;

    // Smallest and largest width of the shown energy range that a wheel zoom
    // may reach, so that the axis stays finite and its ticks well defined.
    static constexpr double minShownXWidth = 1e-3;
    static constexpr double maxShownXWidth = 1e9;
    // Points further apart than this [eV] are not joined in the curves.
    static constexpr double gapWidth = 50.0;

    // Copies s in as the current spectrum; returns its midx less the
    // standard's midx.
    double setXafsSpectrum(const XafsSpectrum &s);
    void setRawSpectrum(const Spectrum &s);
    // Edges marked by a red line and their name; the list is copied and the
    // plot repainted.
    void setEdgeMarkers(const QVector<EdgeMarker> &list);
    const QVector<EdgeMarker> &edgeMarkers() const { return markers; }
    // The "Normalized" and "E. Correct" boxes (set by setNormalize and
    // setEnergyCorrection).
    bool normalize() const;
    bool energyCorrection() const;

    ChCoord mapper;
    DrawText textDrawer;
    MouseC *plotMouse;
    Spectrum raw;
    XafsSpectrum current;
    double xRangeMin[2];   // shown, full
    double xRangeMax[2];   // shown, full
    bool followXRange;
    XafsSpectrum standard;
    QVector<XafsSpectrum *> others;
    double energyMarker;
    Fft1D fft;
    QVector<QPen> pens;

    // A range to map onto: [lo, hi] when finite and not empty; an empty range
    // is widened about its value, an unset or broken one becomes [0, 1].
    static void usableRange(double &lo, double &hi);
    // Index of the point nearest to the stored energy e (for ascending x).
    static int pointIndexAt(const Spectrum &s, double e);

signals:
    void updated();

public slots:
    void draw(QPainter *p);
    void onMouseMoved();
    void onWheelMoved();
    void resetXScale();
    void update();
    // Writes the current, standard and further spectra; false (with a debug
    // line naming each file) when a file could not be written.
    bool saveData(QString name);
    void setNormalize(bool on);
    void setEnergyCorrection(bool on);

private:
    Ui::XafsView *ui;
    _FileDialog *saveDialog;  // a child of the view
    QVector<EdgeMarker> markers;

    void setPlotWindow();
    void setReadOutRange();
    // Pens of others[i]: its curve pen, and its line pen with dashes 6, 2.
    QPen otherCurvePen(int i) const;
    QPen otherLinePen(int i) const;

    // Drawing steps.
    void drawNormalized(QPainter *p, bool eCorrect);
    void drawMuT(QPainter *p, bool eCorrect);
    void drawLinesAndCurve(QPainter *p, const XafsSpectrum &s, const QPen &linePen,
                           const QPen &curvePen);
    void drawVerticalLine(QPainter *p, const QPen &pen, double e);
    void drawFrameAndGrid(QPainter *p);
    void drawElementLabels(QPainter *p);
    void drawRaw(QPainter *p);
    void drawFourier(QPainter *p);
    void writeLegend();
    QPoint screenPoint(double x, double y) const;
};

#endif
