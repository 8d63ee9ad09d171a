#ifndef BENCHFRAMES_H
#define BENCHFRAMES_H

#include <QString>
#include <QStringList>

#include <functional>

class TiffData;

// Writes count TIFF files of side x side 16-bit pixels (a ramp with noise,
// rising from frame to frame) named frameNNN.tif into folder; the names in
// file order. Stops the program when a file can not be written.
QStringList writeBenchFrames(const QString &folder, int count, int side);

// A side x side frame of 16-bit pixels held in memory as the ".img" reader
// holds it, named name, with value(x, y) clipped to 0 .. 65535.
TiffData *memoryFrame(const QString &name, int side, const std::function<double(int, int)> &value);

#endif
