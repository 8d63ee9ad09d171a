#ifndef SPECTRUMSOURCE_H
#define SPECTRUMSOURCE_H

#include <QVector>

#include <functional>
#include <vector>

#include "core/spectrum.h"

class TiffData;

// Everything the corrected spectrum of a pixel box is made from, taken in the
// GUI thread: the frames (not owned; they must outlive every use), the dark
// frame and its exposure factors, the dark-area levels, the I0 source and the
// spectrum type. prepare() takes the frames' energies and shifts as they are
// then; the spectra read those, never the frames' own fields, so a copy may be
// read from any number of threads at once while the frames' shifts change.
class SpectrumSource
{
public:
    // Image size: boxes wholly off it have no spectrum.
    int width = 0;
    int height = 0;
    QVector<const TiffData *> i1;           // null entries give no point
    QVector<const TiffData *> i0ByEnergy;   // rising energy
    const TiffData *dark = nullptr;
    double darkScale1 = 1.0;                // dark exposure to the I1 / I0 exposure
    double darkScale0 = 1.0;
    bool i1DarkOn = false;
    bool i0DarkOn = false;
    QVector<double> i1DarkMeans;            // per pixel, per frame
    QVector<double> i0DarkMeans;
    bool useI0 = false;
    bool fluo = false;                      // I1 / I0 instead of ln(I0 / I1)
    bool useTable = false;                  // I0 from the total-I0 table
    QVector<double> tableI0;                // table value per I1 frame index

    // Takes the frames' energies and shifts and finds the I0 frames
    // bracketing each I1 energy; call once after filling.
    void prepare();

    // mu-t (or I1 / I0) per I1 frame of the box of half sizes hw, hh around
    // (x, y), pixels off the image counting 0; empty for a box wholly off it.
    Spectrum spectrum(int x, int y, int hw, int hh) const;
    // The spectra of the boxes (xs[k], y), k < count, frame by frame, so that
    // each frame's rows are read once in memory order. out[k] is the same as
    // spectrum(xs[k], y, hw, hh).
    void rowSpectra(const int *xs, int count, int y, int hw, int hh, Spectrum *out) const;
    // The box sums of one row of boxes; kept by a caller that builds row
    // after row, as are the spectra, whose point vectors keep their size and room.
    struct Sums
    {
        std::vector<double> dark, dark1, dark0, i0, i1;
        std::vector<char> on;
        std::vector<QPointF *> points;
        // Per I1 and per I0 frame, the row of 16-bit pixels one-pixel boxes
        // read in place (null: through the box sums).
        std::vector<const quint16 *> rows1, rows0;
    };
    void rowSpectra(const int *xs, int count, int y, int hw, int hh, Spectrum *out,
                    Sums &sums) const;
    // The same, part by part, the frames' rows looked up once: out[0 .. n)
    // holds the spectra of boxes first .. first + n - 1 (n at most part) while
    // use(first, n) runs; stops after a use that returns false.
    void rowSpectra(const int *xs, int count, int y, int hw, int hh, int part, Spectrum *out,
                    Sums &sums, const std::function<bool(int first, int n)> &use) const;

private:
    struct Bracket
    {
        int lo = -1;   // -1: no I0 frames (1.0); lo == hi: a single frame
        int hi = -1;
    };
    // A frame as prepare() found it.
    struct Frame
    {
        const TiffData *data = nullptr;
        double energy = 0.0;
        int dx = 0;
        int dy = 0;
        qint64 width = 0;
        // Whether the columns x0 .. x1 of the image lie on the frame's row.
        bool covers(int x0, int x1) const
        {
            return qint64(x0) - dx >= 0 && qint64(x1) - dx < width;
        }
        // The sums of one-pixel boxes, centred from x0 to x1, read from row
        // (may be null) where they all lie on it; else boxSums.
        void boxSums(const quint16 *row, int x0, int x1, const int *xs, int count, int y, int hw,
                     int hh, double *out) const;
        void boxSums(const int *xs, int count, int y, int hw, int hh, double *out) const;
        void prefetch(int x0, int x1, int y, int hw, int hh) const;
        // prefetch, from row where it is not null.
        void prefetch(const quint16 *row, int x0, int x1, int y, int hw, int hh) const;
    };
    static Frame taken(const TiffData *f);
    // Takes sums.rows1 and rows0 for boxes of half sizes hw, hh on row y.
    void takeRows(int y, int hw, int hh, Sums &sums) const;
    // rowSpectra with the rows taken.
    void partSpectra(const int *xs, int count, int y, int hw, int hh, Spectrum *out,
                     Sums &sums) const;
    QVector<Frame> i1Frames;
    QVector<Frame> i0Frames;
    Frame darkFrame;
    QVector<Bracket> brackets;   // per I1 frame
    QVector<int> i0Read;         // the I0 frames some bracket reads
};

#endif
