#ifndef IMAGESHIFT_H
#define IMAGESHIFT_H

#include <QImage>

#include "imagedata/procimage.h"

class TiffData;

// Alignment of a frame against a reference: the edge strength of a frame
// (Prewitt gradients), its binary image, the correlation score of a binary
// image moved by (dx, dy) against a reference, and the hill climb over the
// eight neighbouring shifts that maximises the score.
class ImageShift
{
public:
    // Shifts are held within +-MaxShift; a shift that large overlaps nothing.
    static constexpr int MaxShift = 1 << 24;
    // Moves a search makes at most.
    static constexpr int DefaultMaxSteps = 10000;

    // The sums of a comparison: a the reference, b the moved binary image.
    struct Sums
    {
        double sa = 0;
        double sb = 0;
        double sab = 0;
        // Sab / sqrt(Sa * Sb), 0 when the product is not positive.
        double score() const;
    };

    struct SearchResult
    {
        int dx = 0;
        int dy = 0;
        double score = 0;         // best score found; the start value when nothing beat it
        int steps = 0;            // moves made
        bool stoppedAtLimit = false;
    };

    // Edge strength of the frame as stored (its shift not applied), outside
    // pixels 0:
    // max(|right column - left column|, |row below - row above|) over the
    // 3 x 3 neighbourhood. False (with a debug line) when the frame's size is
    // not one a frame may have; out is then left empty.
    static bool edgeImage(const TiffData &frame, ProcImage &out);
    // 1 where edge > threshold (strictly), else 0.
    static ProcImage binarize(const ProcImage &edge, double threshold);

    // True when bin and ref exist and have one size; otherwise a debug line
    // says which check failed ("no bin image", "no ref bin image", "size mis-match").
    static bool comparable(const ProcImage *ref, const ProcImage *bin);

    // Over the reference's pixels (x, y) whose partner (x - dx, y - dy) lies in
    // bin: a = ref(x, y), b = bin(x - dx, y - dy).
    static Sums matchSums(const ProcImage &ref, const ProcImage &bin, int dx, int dy);
    static double matchScore(const ProcImage &ref, const ProcImage &bin, int dx, int dy);
    // The same sums, drawn row by row into out (RGB888, the reference's size):
    // red = 255 a, green = 255 b, blue where the partner lies outside bin.
    static Sums overlay(const ProcImage &ref, const ProcImage &bin, int dx, int dy, QImage &out);

    // Hill climb from (x0, y0): each pass scores the eight neighbours in the
    // order (1,1) (1,0) (1,-1) (0,-1) (-1,-1) (-1,0) (-1,1) (0,1) and moves to
    // the first best one that beats best strictly; it ends when none does or
    // after maxSteps moves.
    static SearchResult search(const ProcImage &ref, const ProcImage &bin, int x0, int y0,
                               double best, int maxSteps = DefaultMaxSteps);

    static int clampShift(qint64 v);
};

#endif
