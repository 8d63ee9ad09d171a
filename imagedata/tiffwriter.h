#ifndef TIFFWRITER_H
#define TIFFWRITER_H

#include <QString>
#include <QtGlobal>

class QImage;

// Writes grey images of unsigned 16-bit samples, and pictures as 8-bit RGB,
// as uncompressed TIFF files, whole or not at all. Every writer returns false
// on failure, with a debug line, and then leaves an earlier file as it was.
class TiffWriter
{
public:
    TiffWriter() {}
    ~TiffWriter() {}

    // w x h samples, row after row from the top.
    bool writeTiff(const QString &fileName, int w, int h, const quint16 *samples);
    bool writeConstTiff(const QString &fileName, int w, int h, quint16 value);
    bool writeFlat(const QString &fileName, int w, int h);   // all samples 1
    bool writeDark(const QString &fileName, int w, int h);   // all samples 0
    // A picture (a colour bar) as 8-bit RGB.
    bool writeRgb(const QString &fileName, const QImage &image);
};

#endif
