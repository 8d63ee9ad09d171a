#ifndef GLOBALS_H
#define GLOBALS_H

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QVector>

// Image format codes: QImage's own numbers.
enum { ImageFormatRGB888 = 13, ImageFormatGrayscale8 = 24 };
enum { ColorLutSize = 767, GreyLutSize = 256 };

extern QString dataRoot;
extern QString batchRoot;
extern bool showAnalyzer2Button;
// Constant tables, ready before any code runs.
extern const uchar *const colorLut;   // ColorLutSize entries of R, G, B
extern const uchar *const greyLut;    // GreyLutSize entries
const QVector<QColor> &curvePalette();
// The program-wide bad-pixel list, globalErrPoints, is declared with ErrPoints.

// Compiled-in resources and default roots; later calls change nothing.
void initGlobals();
// Registers the compiled-in tables once (safe from any thread).
void initCoreResources();

// Index of v * scale truncated and clamped to [0, last]; NaN gives 0.
inline int lutIndex(double v, double scale, int last)
{
    const double f = v * scale;
    if (!(f > 0))
        return 0;
    if (f >= last)
        return last;
    return int(f);
}
// The tables' steps: greyOf(v) is greyLut + lutIndex(v, GreySteps, GreyLutSize - 1),
// colorOf(v) colorLut + 3 * lutIndex(v, ColorSteps, ColorLutSize - 1).
enum { GreySteps = 256, ColorSteps = 766 };
const uchar *greyOf(double v);
const uchar *greyOf(int i);
const uchar *colorOf(double v);
const uchar *colorOf(int i);
typedef const uchar *(*LookupFunc)(double);
LookupFunc lookupFuncFor(int format);
QColor paletteColor(int i);

int bytesPerPixel(int format);
int alignedStride(int bytes);
int rowStride(int format, int width);
// Zeroed unless told otherwise; given back by delete[].
uchar *newImageBuffer(int format, int width, int height, bool zeroed = true);
QImage *newImage(int format, uchar *buffer, int width, int height);

void logDebug(const QString &text);
QString addDefaultSuffix(const QString &fileName, const QString &defaultSuffix);
QString insertTag(const QString &fileName, const QString &tag);
inline double linearInterpolate(double x, double x0, double y0, double x1, double y1)
{
    if (x1 == x0)
        return (y0 + y1) / 2;
    return (y1 - y0) / (x1 - x0) * (x - x0) + y0;
}
QString keyValue(const QByteArray &header, const QString &key, char delimiter,
                 const QString &defaultValue);

// Keeps freed heap memory for reuse instead of handing it back to the system
// after every large spectrum or frame; the maps build and drop many of them.
void tuneAllocator();

#endif
