#include "core/physicaltables.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>
#include <atomic>
#include <cmath>

#include "core/globals.h"

const ElementInfo elementTable[ElementTableSize] = {
    {0, " ", 0.0},
    {1, "H", 1.0079},     {2, "He", 4.0026},    {3, "Li", 6.941},     {4, "Be", 9.0122},
    {5, "B", 10.811},     {6, "C", 12.011},     {7, "N", 14.007},     {8, "O", 15.999},
    {9, "F", 18.998},     {10, "Ne", 20.18},    {11, "Na", 22.99},    {12, "Mg", 24.305},
    {13, "Al", 26.982},   {14, "Si", 28.086},   {15, "P", 30.974},    {16, "S", 32.066},
    {17, "Cl", 35.453},   {18, "Ar", 39.948},   {19, "K", 39.098},    {20, "Ca", 40.078},
    {21, "Sc", 44.956},   {22, "Ti", 47.88},    {23, "V", 50.942},    {24, "Cr", 51.996},
    {25, "Mn", 54.938},   {26, "Fe", 55.847},   {27, "Co", 58.933},   {28, "Ni", 58.96},
    {29, "Cu", 63.546},   {30, "Zn", 65.39},    {31, "Ga", 69.723},   {32, "Ge", 72.61},
    {33, "As", 74.922},   {34, "Se", 78.96},    {35, "Br", 79.904},   {36, "Kr", 83.8},
    {37, "Rb", 85.468},   {38, "Sr", 87.62},    {39, "Y", 88.906},    {40, "Zr", 91.224},
    {41, "Nb", 92.906},   {42, "Mo", 95.94},    {43, "Tc", 98.906},   {44, "Ru", 101.07},
    {45, "Rh", 102.91},   {46, "Pd", 106.42},   {47, "Ag", 107.87},   {48, "Cd", 112.41},
    {49, "In", 114.82},   {50, "Sn", 118.71},   {51, "Sb", 121.75},   {52, "Te", 127.6},
    {53, "I", 126.9},     {54, "Xe", 131.29},   {55, "Cs", 132.91},   {56, "Ba", 137.33},
    {57, "La", 138.91},   {58, "Ce", 140.12},   {59, "Pr", 140.91},   {60, "Nd", 144.24},
    {61, "Pm", 146.92},   {62, "Sm", 150.36},   {63, "Eu", 151.97},   {64, "Gd", 157.25},
    {65, "Tb", 158.93},   {66, "Dy", 162.5},    {67, "Ho", 164.93},   {68, "Er", 167.26},
    {69, "Tm", 168.93},   {70, "Yb", 173.04},   {71, "Lu", 174.97},   {72, "Hf", 178.49},
    {73, "Ta", 180.95},   {74, "W", 183.85},    {75, "Re", 186.21},   {76, "Os", 190.2},
    {77, "Ir", 192.22},   {78, "Pt", 195.08},   {79, "Au", 196.97},   {80, "Hg", 200.59},
    {81, "Tl", 204.38},   {82, "Pb", 207.2},    {83, "Bi", 208.98},   {84, "Po", 208.98},
    {85, "At", 209.99},   {86, "Rn", 222.02},   {87, "Fr", 223.02},   {88, "Ra", 226.03},
    {89, "Ac", 227.03},   {90, "Th", 232.04},   {91, "Pa", 231.04},   {92, "U", 238.051},
    {93, "Np", 237.05},   {94, "Pu", 244.06},   {95, "Am", 243.06},   {96, "Cm", 247.07},
    {97, "Bk", 247.07},   {98, "Cf", 251.08},   {99, "Es", 252.08},   {100, "Fm", 257.1},
    {101, "Md", 0.0},     {102, "No", 0.0},     {103, "Lr", 0.0},     {104, "Rf", 0.0},
    {105, "Db", 0.0},     {106, "Sg", 0.0},     {107, "Bh", 0.0},     {108, "Hs", 0.0},
    {109, "Mt", 0.0},
    {110, "D", 2.01355321},
};

const QString edgeNames[EdgeNameCount] = {"K", "LI", "LII", "LIII"};

VictoreenRec victoreenTable[VictoreenCapacity];
int victoreenRowCount = 0;

const UnitInfo unitTable[UnitTableSize] = {
    {"eV", "% 8.2f"}, {"keV", "% 8.5f"}, {"A", "% 8.5f"}, {"deg", "% 8.5f"}};

int symbolToZ(const QString &symbol)
{
    for (const ElementInfo &e : elementTable) {
        if (e.symbol == symbol)
            return e.Z;
    }
    return -1;
}

int edgeIndex(const QString &name)
{
    const QString upper = name.toUpper();
    if (upper == "K")
        return 0;
    if (upper == "L1" || upper == "LI")
        return 1;
    if (upper == "L2" || upper == "LII")
        return 2;
    if (upper == "L3" || upper == "LIII")
        return 3;
    return 0;
}

double clampNonNegative(double x) { return x > 0 ? x : 0.0; }

// Item i as a number; 0 when it is missing or not a finite number.
static double number(const QStringList &items, int i)
{
    const double v = items.value(i).toDouble();
    return std::isfinite(v) ? v : 0.0;
}

bool loadVictoreenTable()
{
    initCoreResources();
    return loadVictoreenTable(":Victoreen1.txt");
}

static std::atomic<bool> victoreenLoadTried{false};

// Loads the compiled-in table on first use when nobody tried to load one.
static void ensureVictoreenTable()
{
    static const bool tried = victoreenLoadTried.load() || loadVictoreenTable() || true;
    Q_UNUSED(tried);
}

// File name of path for messages, without the prefix of a resource path.
static QString shownName(const QString &path)
{
    QString name = QFileInfo(path).fileName();
    if (name.startsWith(':'))
        name.remove(0, 1);
    return name;
}

bool loadVictoreenTable(const QString &path)
{
    victoreenLoadTried = true;
    victoreenRowCount = 0;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug().noquote() << QString("Cannot open [%1]\n").arg(shownName(path));
        return false;
    }
    static const int edgeItems[VictoreenSlots] = {2, 6, 10, 14, 18};
    static const int cItems[VictoreenSlots] = {4, 8, 12, 16, 19};
    static const int dItems[VictoreenSlots] = {5, 9, 13, 17, 20};

    QTextStream in(&f);
    in.setCodec("UTF-8");
    while (!in.atEnd()) {
        const QString line = in.readLine().simplified();
        // An empty line would take a row and shift every row after it off its Z.
        if (line.isEmpty())
            continue;
        const QStringList items = line.split(' ');
        if (items[0].startsWith('#'))
            continue;
        if (victoreenRowCount >= VictoreenCapacity) {
            qDebug().noquote() << QString("[%1] has more than %2 rows; the rest is ignored")
                                      .arg(shownName(path))
                                      .arg(VictoreenCapacity);
            break;
        }
        VictoreenRec &r = victoreenTable[victoreenRowCount];
        r.Z = items.value(1).toInt();
        r.edge[0] = number(items, edgeItems[0]);
        for (int k = 0; k < VictoreenSlots; k++) {
            if (k > 0)
                r.edge[k] = clampNonNegative(number(items, edgeItems[k]));
            r.C[k] = clampNonNegative(number(items, cItems[k]));
            r.D[k] = clampNonNegative(number(items, dItems[k]));
        }
        victoreenRowCount++;
    }
    f.close();
    return true;
}

double edgeEnergyEV(int Z, int edge)
{
    ensureVictoreenTable();
    if (Z < 0 || Z >= victoreenRowCount || edge < 0 || edge >= EdgeNameCount
        || victoreenTable[Z].Z != Z) {
        qDebug().noquote() << QString("No edge energy for Z %1, edge %2").arg(Z).arg(edge);
        return 0.0;
    }
    return 1000.0 * victoreenTable[Z].edge[edge];
}
