#ifndef COLORBAR_H
#define COLORBAR_H

#include <QColor>
#include <QPixmap>

#include "core/colorscale.h"
#include "display/dispa.h"
#include "display/drawtext.h"

// Vertical colour scale with two draggable limits that stretch the colour
// map over part of the value range; labels show the value range. The widget
// around a ColorScale value: scale() is the snapshot images are coloured with.
// pixmap is the picture saved beside maps and images; the widget draws the
// same scale at its own size, labels at a readable size.
class ColorBar : public DispA, public ColorScale
{
    Q_OBJECT

public:
    explicit ColorBar(QWidget *parent = nullptr);

    DrawText textDrawer;
    QPixmap pixmap;          // 20 x 600 with its labels, the saved picture
    bool dragging;
    double *draggedLimit;    // &lowerLimit or &upperLimit

    ColorScale scale() const { return *this; }
    // The saved picture of a scale: 20 x 600 colour rows through its limits,
    // the limit lines and, when labelled, its value range (dragged: the value
    // at that limit too) on dark backings. The same scale always gives the
    // same picture.
    static QPixmap picture(const ColorScale &scale, bool labelled,
                           const double *draggedLimit = nullptr);
    // Labels the bar with a value range and repaints it; a range that is not
    // readable leaves the bar without numbers.
    void setValueRange(double min, double max);
    // No numbers on the bar until the next setValueRange: nothing is shown.
    void clearValueRange();

signals:
    void cBarUpdating();
    void cBarUpdated();

public slots:
    void paintCBar();
    void draw1(QPainter *painter);
    void onMouseMoved();
    void onMousePressed();
    void onMouseReleased();
    // Colour of the bar fraction y / height, clamped to 0..1, through the
    // limits as colorOf.
    QColor colorOfH(int y);

private:
    bool valuesShown = true;
    double barFraction(int y) const;
    // Colour rows and limit lines over a w x h surface; row y has the colour
    // of the fraction (h - 1 - y) / h.
    static void paintScale(const ColorScale &scale, QPainter *painter, int w, int h);
    // The widget's labels: its font, at least 9 pt.
    void drawLabels(QPainter *painter);
    // A label along the bar, reading top to bottom, on a dark backing of
    // length x thickness centred on (x, centreY).
    static void drawLabel(QPainter *painter, const QFont &font, const QString &text, double x,
                          double centreY, double length, double thickness);
    double mouseFraction() const;
};

#endif
