#ifndef EMPHEADER_H
#define EMPHEADER_H

#include <QMetaType>
#include <QRectF>

// The header of an energy-shift map file (".emp"): the map's size and
// detector origin, the block size and area of the calibration that made it,
// and the standard edge energy and crystal spacing its Bragg-angle
// differences refer to. A plain value type; everything 0, valid false.
class EMPHeader
{
public:
    EMPHeader();

    // The calibration area as a rectangle (x0, y0) - (x1, y1).
    QRectF areaRect() const;

    bool valid;             // every required line was there
    int xOffset;            // detector position of the map's pixel (0, 0)
    int yOffset;
    int width;              // map size [pix]
    int height;
    int binHalfWidth;       // block half sizes of the calibration
    int binHalfHeight;
    int areaX0;             // the calibration area
    int areaX1;
    int areaY0;
    int areaY1;
    double stdEdgeEnergy;   // E0 of the standard [eV]
    double spacing;         // crystal lattice spacing [Angstrom]
};

Q_DECLARE_METATYPE(EMPHeader)

#endif
