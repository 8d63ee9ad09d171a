#ifndef TIFFDATALIMITS_H
#define TIFFDATALIMITS_H

#include <QString>
#include <QtGlobal>
#include <limits>

// Limits and helpers shared by the detector frame's source files.
namespace TiffDataLimits {

// Exposure of a frame whose file records none, or records an invalid one.
constexpr double DefaultExposureMs = 100.0;

constexpr double RangeStartMin = std::numeric_limits<double>::max();
constexpr double RangeStartMax = std::numeric_limits<double>::min();   // smallest positive normal

// Frames larger than this are refused before anything is allocated.
constexpr qint64 MaxFrameSide = qint64(1) << 20;
constexpr qint64 MaxFramePixels = qint64(1) << 28;

// False (with a debug line) for sizes no frame may have.
bool sizeAcceptable(qint64 w, qint64 h, const QString &fileName);
// The memory of the machine, or the process's data or address-space limit
// when lower; 0 when unknown.
qint64 machineMemory();
// False (with a debug line) when a decoded frame of w x h pixels of
// pixelBytes each, with its display image, can not fit the memory of the
// machine (or the process's data limit).
bool memoryAcceptable(qint64 w, qint64 h, int pixelBytes, const QString &fileName);

// Room kept beside the stacks for the work on them: the maps of a run over
// the whole image (ten maps of doubles with their display images) a pixel of
// the largest frame, the stacks of the threads the program may start, and a
// margin for the rest of the program.
constexpr qint64 WorkBytesPerPixel = 10 * (8 + 4);
constexpr int WorkThreadsPerCore = 2;
constexpr int WorkThreadsBeside = 4;
constexpr qint64 WorkMarginBytes = qint64(64) << 20;
// What the process may still take: the least of the machine's available
// memory (less a sixteenth of what is installed, for the rest of the
// machine) and what is left under the process's data and address-space
// limits, each less the stacks of the threads the program may start (under
// an address-space limit with their allocator arenas) and the margin. -1
// when nothing is known.
qint64 freeMemory();
// Smallest and largest of n 16-bit values (65535 and 0 for none).
void range16(const quint16 *p, qint64 n, int &lo, int &hi);
// Truncates toward zero; false when no int can hold the value.
bool truncatedInt(double v, qint64 &out);

} // namespace TiffDataLimits

#endif
