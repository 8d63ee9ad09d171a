#ifndef EMPFILE_H
#define EMPFILE_H

#include <QString>
#include <QtGlobal>
#include <memory>

#include "calibration/empheader.h"
#include "imagedata/analyzecond.h"

class Analyzed2DRes;
class QTextStream;

// The energy-shift map file (".emp"): the magic line, key and value lines up
// to "##-----------------", then one row of numbers per map row. A pixel's
// shift v [eV] is stored as the Bragg-angle difference theta(E0 - v) -
// theta(E0) in degrees, so that a map made at one edge energy E0 reads back
// at another. The data block always has the header's Width x Height values.
class EmpFile
{
public:
    static const char *const Magic;       // written first line
    static const char *const OldMagic;    // also accepted as the first line
    static const char *const EndOfHeader;

    // A map larger than this many cells is not read.
    static constexpr qint64 MaxCells = qint64(1) << 24;

    // The 26-character key text of a header line: name padded to 24, ": ".
    static QString key(const char *name);

    // Bragg angle [deg] of an energy [eV] at the lattice spacing [Angstrom];
    // -1 when there is none (also for a non-positive energy or spacing).
    static double braggAngle(double energy, double spacing);
    // Energy [eV] at a Bragg angle [deg]; 0 when the angle gives none.
    static double braggEnergy(double angle, double spacing);
    // The stored angle difference of shift v at the edge energy e0, and the
    // shift of a stored difference; 0 where the angles do not exist.
    static double angleOf(double shift, double e0, double spacing);
    static double shiftOf(double angle, double e0, double spacing);

    // Writes map under header, whose Width and Height give the data block
    // (map values at (x, y), 0 outside the map), whose stdEdgeEnergy and
    // spacing convert the values. False with a debug line when the edge
    // energy has no Bragg angle, the size is not positive or the file can not
    // be written; a refused file is not touched.
    static bool write(const QString &fileName, const EMPHeader &header, const QString &stdFileName,
                      const Analyzed2DRes &map);

    // Reads the header lines, leaving in after the end line. Valid when the
    // end line and the Width, Height, Std Edge Energy and Spacing lines were
    // there; without any area line the area is the whole map. The corners of
    // a valid header's area are put in order (orderArea).
    static EMPHeader readHeader(QTextStream &in);
    // Orders the area's corners, with a debug line when that changes them.
    // The area is kept as the calibration walked it, also where it reaches
    // beyond the map.
    static void orderArea(EMPHeader &header);
    // Whether the header's map can be read: a positive size of at most
    // MaxCells and an area that reaches the map; why gets the reason when not.
    static bool checkGeometry(const EMPHeader &header, QString *why);
    // The block walker of the header's calibration over its area.
    static AnalyzeCond areaOf(const EMPHeader &header);

    // Reads the header's width x height angle differences after the header
    // and turns them into shifts at e0 with the header's spacing (row-major).
    // A file that ends early, or at a line too long to read, leaves the rest 0
    // (one debug line); a token that is not a number reads 0. False, shifts
    // untouched, when e0 has no Bragg angle at that spacing or the values can
    // not be held.
    static bool readShifts(QTextStream &in, const EMPHeader &header, double e0,
                           std::unique_ptr<double[]> &shifts, QString *why);
    // Gives map the area (its size) and the shifts, and rescans its range.
    static void fillMap(Analyzed2DRes &map, const AnalyzeCond &area, const double *shifts);
};

#endif
