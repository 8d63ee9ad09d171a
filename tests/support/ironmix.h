#ifndef IRONMIX_H
#define IRONMIX_H

#include <QStringList>
#include <QVector>

class TestFiles;
class TiffData;

// An I1 stack mixed from the two measured iron spectra A (Fe2O3) and B (FeO)
// at n energies from e0 in steps of de: pixel (x, y) of frame i holds
// exp(-(0.2 + 0.8 (f A_i + (1 - f) B_i))) with f = (x + y) / (w + h - 2).
class IronMix
{
public:
    // Writes the resampled spectra as "ref0.dat" (A) and "ref1.dat" (B).
    IronMix(const TestFiles &files, int n, double e0, double de);

    // Whether both spectra were read.
    bool ok() const { return !a.isEmpty() && a.size() == b.size(); }
    // Batch lines: energies by calculation, one-pixel blocks, the spectra as
    // reference rows 0 and 1, A also as calibration standard.
    QStringList setUpLines() const { return lines; }
    // The frames, w x h pixels each, named "f0" on.
    QVector<TiffData *> frames(int w, int h) const;

private:
    QVector<double> a, b;
    QStringList lines;
};

#endif
