#ifndef COLORSCALE_H
#define COLORSCALE_H

#include <QColor>
#include <QMetaType>
#include <QtGlobal>

#include <cmath>

#include "core/globals.h"

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
    double fractionOf(double v) const
    {
        const double span = upperLimit - lowerLimit;
        if (span == 0 || !std::isfinite(span))
            return 0;
        const double f = (v - lowerLimit) / span;
        if (!(f > 0))   // also NaN
            return 0;
        return f < 1 ? f : 1;
    }
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

    // colorBytesOf(v, out, outFormat) for pixel after pixel, the table looked
    // up once. The scale must outlive it.
    class Writer
    {
    public:
        Writer(const ColorScale &scale, int outFormat);
        uchar *operator()(double v, uchar *out) const
        {
            if (!table)
                return scale.colorBytesOf(v, out, format);
            const uchar *px = table + bytes * lutIndex(scale.fractionOf(v), steps, last);
            out[0] = px[0];
            if (bytes == 3) {
                out[1] = px[1];
                out[2] = px[2];
            }
            return out + bytes;
        }

    private:
        const ColorScale &scale;
        int format;
        const uchar *table = nullptr;   // null: through colorBytesOf
        double steps = 0;
        int last = 0;
        int bytes = 1;
    };
};
Q_DECLARE_METATYPE(ColorScale)

#endif
