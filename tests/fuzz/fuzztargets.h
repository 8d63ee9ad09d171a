#ifndef FUZZTARGETS_H
#define FUZZTARGETS_H

#include <QVector>
#include <cstddef>
#include <cstdint>

// Each function hands one input to one of the program's file readers, as the
// program does: written to a file and loaded, or read from a stream. Shared by
// the fuzz programs and the test that replays the kept regression inputs.
namespace FuzzTargets {

using Run = int (*)(const uint8_t *data, size_t size);
struct Target
{
    const char *name;   // also the folder name under corpus/ and regressions/
    Run run;
};

// Start-up as the program does it, plus an application object (widgets, on the
// offscreen platform unless another is set) when none exists.
// quiet: drop every debug line (the fuzz programs).
void init(bool quiet);

int image(const uint8_t *data, size_t size);
int spectrum(const uint8_t *data, size_t size);
int energyRef(const uint8_t *data, size_t size);
int errPoints(const uint8_t *data, size_t size);
int cfg(const uint8_t *data, size_t size);
int batch(const uint8_t *data, size_t size);
int emp(const uint8_t *data, size_t size);
int lines(const uint8_t *data, size_t size);
int batchFile(const uint8_t *data, size_t size);

const QVector<Target> &all();

} // namespace FuzzTargets

#endif
