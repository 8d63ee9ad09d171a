#ifndef COLORBAR_H
#define COLORBAR_H

#include <QColor>
#include <QPixmap>

#include "display/dispa.h"
#include "display/drawtext.h"

// Vertical colour scale with two draggable limits that stretch the colour
// map over part of the value range; labels show the value range.
class ColorBar : public DispA
{
    Q_OBJECT

public:
    explicit ColorBar(QWidget *parent = nullptr);

    // The program-wide default image format (grey).
    static constexpr int DefaultFormat = 24;

    DrawText textDrawer;
    int format;              // 13 colour, 24 grey
    QPixmap pixmap;          // 20 x 600, stretched over the widget
    bool dragging;
    double *draggedLimit;    // &lowerLimit or &upperLimit
    double lowerLimit;       // fractions of the bar, 0 = bottom
    double upperLimit;
    double valueMin;         // bottom label
    double valueMax;         // top label

    // Fraction 0..1 of a normalised value between the limits; NaN and equal
    // or non-finite limits give 0.
    double fractionOf(double v) const;
    // Writes the pixel bytes of v (3 for colour, 1 for grey) and returns the
    // advanced pointer.
    uchar *colorBytesOf(double v, uchar *out) const;
    QColor colorOf(double v) const;

signals:
    void cBarUpdating();
    void cBarUpdated();

public slots:
    void paintCBar();
    void draw1(QPainter *painter);
    void onMouseMoved();
    void onMousePressed();
    void onMouseReleased();
    // Colour of the bar fraction y / height, clamped to 0..1.
    QColor colorOfH(int y);

private:
    QColor pixelColor(double f) const;
    double barFraction(int y) const;
    double mouseFraction() const;
};

#endif
