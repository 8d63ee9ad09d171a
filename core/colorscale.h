#ifndef COLORSCALE_H
#define COLORSCALE_H

#include <QColor>
#include <QMetaType>
#include <QtGlobal>

// How normalised values become display pixels: the image format (13 colour,
// 24 grey), two limits that stretch the colour map over part of 0..1, and the
// value range the scale is labelled with. A plain value: copies of it are
// handed to worker threads as snapshots.
class ColorScale
{
public:
    static constexpr int DefaultFormat = 24;

    int format = DefaultFormat;
    double lowerLimit = 0;   // fractions of the bar, 0 = bottom
    double upperLimit = 1;
    double valueMin = 0;     // bottom label
    double valueMax = 1;     // top label

    // Fraction 0..1 of a normalised value between the limits; NaN and equal
    // or non-finite limits give 0.
    double fractionOf(double v) const;
    // Writes the pixel bytes of v (3 for colour, 1 for grey) and returns the
    // advanced pointer.
    uchar *colorBytesOf(double v, uchar *out) const;
    // Writes v's pixel in another format (converted through its colour).
    uchar *colorBytesOf(double v, uchar *out, int outFormat) const;
    QColor colorOf(double v) const;
    // Colour of a bar fraction 0..1, limits not applied.
    QColor pixelColor(double f) const;
    // lo .. hi are values, not the +-1e300 that marks "no value" (nor
    // beyond it, nor NaN).
    static bool isValueRange(double lo, double hi);
};
Q_DECLARE_METATYPE(ColorScale)

#endif
