#ifndef IMAGEFIXTURES_H
#define IMAGEFIXTURES_H

#include <QByteArray>
#include <QString>
#include <QVector>
#include <functional>

class TiffData;

// Bytes of detector image files in the three formats the readers take, built
// by hand so that tests can also make unusual and broken files. Write them
// with TestFiles::write.
class ImageFixtures
{
public:
    struct TiffOptions
    {
        int width = 4;
        int height = 3;
        QVector<quint16> pixels;        // width x height, row-major; empty: pattern16
        bool bigEndian = false;         // "MM" instead of "II"
        double exposureSeconds = -1;    // >= 0: an EXIF directory with ExposureTime
        int bitsPerSample = 16;         // 8: the low byte of every pixel
        int samplesPerPixel = 1;        // > 1: every sample repeated
        bool tiled = false;             // 16 x 16 tiles instead of strips
        int rowsPerStrip = 0;           // 0: one strip for the whole image
        int claimedWidth = -1;          // >= 0: ImageWidth tag value (a lying header)
        int claimedHeight = -1;         // >= 0: ImageLength tag value
        int truncateTo = -1;            // >= 0: keep only this many bytes
    };

    // A TIFF file (uncompressed); the pixels come first, then the directories.
    static QByteArray tiff(const TiffOptions &options);
    static QByteArray tiff(int width, int height, const QVector<quint16> &pixels,
                           bool bigEndian = false, double exposureSeconds = -1);

    // An ".img" file: 64-byte header, comment, pixels of filePixelBytes (4 or 2).
    static QByteArray img(int width, int height, const QVector<quint32> &pixels,
                          const QByteArray &comment, int filePixelBytes = 2, int originX = 0,
                          int originY = 0);

    // A text image: magic line (with magicSuffix right after the tag), the four
    // ranges, then one "x y value" line per pixel for the first bodyLines
    // values (-1: all of them).
    static QByteArray textImage(int x0, int x1, int y0, int y1, const QVector<double> &values,
                                int bodyLines = -1, const QByteArray &magicSuffix = QByteArray());

    // Frames built in memory, without a file: 16-bit rows (".img" type) or
    // float rows (text-image type), pixel (x, y) = value(x, y), min and max
    // those of the values. The caller owns the frame.
    static TiffData *frame16(int width, int height, const std::function<int(int, int)> &value);
    static TiffData *floatFrame(int width, int height,
                                const std::function<float(int, int)> &value);

    // Deterministic 16-bit test pattern, all values distinct for small frames.
    static QVector<quint16> pattern16(int width, int height);
    // Row-major 16-bit pixels, pixel (x, y) = value(x, y).
    static QVector<quint16> pixels16(int width, int height,
                                     const std::function<int(int, int)> &value);
    static quint16 patternValue(int x, int y);
};

#endif
