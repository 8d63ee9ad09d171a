#ifndef ANALYZECOND_H
#define ANALYZECOND_H

#include <QMetaType>
#include <QRectF>

// Walks an area of the image box by box: the box centres run row after row,
// stepX apart within a row and stepY apart between rows. A box spans
// 2*halfW+1 columns and 2*halfH+1 rows around its centre.
//
// Usage: init() (or reset() on a copy), handle the current centre (x, y),
// call next(), stop when it returns false. The first centre is always handled.
//
// The area is not clipped to the image: the grid starts at its corner
// wherever that lies. Centres whose box lies wholly outside the image are
// stepped over without being visited (only the first centre of a row, when
// no box of the row reaches the image), so that any area ends at once.
class AnalyzeCond
{
public:
    AnalyzeCond();

    // Sets up a walk over area of an image of width x height pixels. A negative
    // step means boxes side by side (2*half+1). A zero step is taken as 1, so
    // that every walk ends, and a negative half-size as its size. Bounds are
    // truncated toward zero and held within +-2^29 (NaN gives 0).
    void init(int width, int height, int halfW, int halfH, const QRectF &area, int stepX,
              int stepY);
    // Back to the first centre.
    void reset();
    // Moves to the next centre; false when the walk is over.
    bool next();
    // Writes v into every cell of the current box that lies inside a row-major
    // map of width x height cells.
    void fillBlock(double *map, double v) const;

    // True when some cell of the box centred at (cx, cy) lies on the image.
    bool reaches(int cx, int cy) const;
    // Number of centres a walk from the first one visits.
    int centreCount() const;
    // Whether a centre the walk visits lies on the image.
    bool centreOnImage() const;
    // Number of centres of the area's grid, those stepped over included.
    qint64 areaCentreCount() const;
    // The current box clipped to the image: false when nothing of it lies inside.
    bool clippedBox(int *c0, int *c1, int *r0, int *r1) const;
    // True when (cx, cy) is a cell of a width x height image.
    bool inside(int cx, int cy) const { return cx >= 0 && cy >= 0 && cx < width && cy < height; }

    int width;
    int height;
    int halfW;
    int halfH;
    int x0;
    int x1;
    int stepX;
    int y0;
    int y1;
    int stepY;
    int x;
    int y;
    bool rowStart;
};

Q_DECLARE_METATYPE(AnalyzeCond)

#endif
