#ifndef BENCHFRAMES_H
#define BENCHFRAMES_H

#include <QString>
#include <QStringList>

// Writes count TIFF files of side x side 16-bit pixels (a ramp with noise,
// rising from frame to frame) named frameNNN.tif into folder; the names in
// file order. Stops the program when a file can not be written.
QStringList writeBenchFrames(const QString &folder, int count, int side);

#endif
