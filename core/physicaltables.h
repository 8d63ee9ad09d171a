#ifndef PHYSICALTABLES_H
#define PHYSICALTABLES_H

#include <QString>

// Elements: row i holds Z = i; row 0 is a blank, row 110 deuterium.
struct ElementInfo
{
    int Z;
    QString symbol;
    double weight;
};
enum { ElementTableSize = 111 };
extern const ElementInfo elementTable[ElementTableSize];

// Absorption edges, in the order of every edge index: 0 K, 1 LI, 2 LII, 3 LIII.
enum { EdgeNameCount = 4 };
extern const QString edgeNames[EdgeNameCount];

// One row of the Victoreen table: edge values in keV (the fifth slot holds the
// resource's M1 column) and the coefficients C and D of the same five regions.
enum { VictoreenSlots = 5, VictoreenCapacity = 100 };
struct VictoreenRec
{
    int Z;
    double edge[VictoreenSlots];
    double C[VictoreenSlots];
    double D[VictoreenSlots];
};
// Row index = Z (row 0 is the resource's title line); victoreenRowCount rows are filled.
extern VictoreenRec victoreenTable[VictoreenCapacity];
extern int victoreenRowCount;

// Energy units of the energy form and their number formats.
struct UnitInfo
{
    QString name;
    QString format;
};
enum { UnitTableSize = 4 };
extern const UnitInfo unitTable[UnitTableSize];

int symbolToZ(const QString &symbol);
int edgeIndex(const QString &name);
double clampNonNegative(double x);

// Fills victoreenTable from the compiled-in ":Victoreen1.txt".
bool loadVictoreenTable();
// The same from another file of that layout.
bool loadVictoreenTable(const QString &path);

// Edge energy in eV of element Z at edge index 0..3, or 0 when Z has no loaded row or the
// edge index is out of range (the fifth slot holds a wavelength, not an energy).
double edgeEnergyEV(int Z, int edge);

#endif
