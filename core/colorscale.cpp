#include "core/colorscale.h"

#include <cmath>

#include "core/globals.h"

uchar *ColorScale::colorBytesOf(double v, uchar *out) const
{
    const LookupFunc lookup = lookupFuncFor(format);
    if (!lookup || !out)
        return out;
    const uchar *px = lookup(fractionOf(v));
    const int n = bytesPerPixel(format);
    for (int i = 0; i < n; i++)
        out[i] = px[i];
    return out + n;
}

uchar *ColorScale::colorBytesOf(double v, uchar *out, int outFormat) const
{
    if (outFormat == format)
        return colorBytesOf(v, out);
    if (!out || !lookupFuncFor(outFormat))
        return out;
    const QColor c = colorOf(v);
    if (outFormat == ImageFormatRGB888) {
        out[0] = uchar(c.red());
        out[1] = uchar(c.green());
        out[2] = uchar(c.blue());
        return out + 3;
    }
    out[0] = uchar(qGray(c.rgb()));
    return out + 1;
}

QColor ColorScale::pixelColor(double f) const
{
    const LookupFunc lookup = lookupFuncFor(format);
    if (!lookup)
        return QColor(0, 0, 0);
    const uchar *px = lookup(f);
    if (format == ImageFormatRGB888)
        return QColor(px[0], px[1], px[2]);
    return QColor(px[0], px[0], px[0]);
}

QColor ColorScale::colorOf(double v) const { return pixelColor(fractionOf(v)); }

ColorScale::Writer::Writer(const ColorScale &s, int outFormat) : scale(s), format(outFormat)
{
    if (outFormat != s.format || !lookupFuncFor(outFormat))
        return;
    if (outFormat == ImageFormatRGB888) {
        table = colorLut;
        steps = ColorSteps;
        last = ColorLutSize - 1;
        bytes = 3;
    } else {
        table = greyLut;
        steps = GreySteps;
        last = GreyLutSize - 1;
    }
}

bool ColorScale::isValueRange(double lo, double hi)
{
    const double NoValue = 1e300;
    return std::fabs(lo) < NoValue && std::fabs(hi) < NoValue;
}
