#ifndef ENERGYRULE_H
#define ENERGYRULE_H

#include <QFlags>
#include <QRegularExpression>
#include <QString>
#include <QVector>

class QTextStream;

// The rule that gives image i of a series its X-ray energy in eV:
// - ByName: a regular expression cuts a number out of the file name
//   ("8979_50eV" -> 8979.5), times a factor; no match gives i;
// - ByNumber: x = Start + Delta * i in the unit (eV, keV or degrees of Bragg
//   angle); in eV or keV the images lie evenly in energy, or evenly in angle
//   between Start and End over Num steps;
// - ByRef: entry i of a list read from a file of Bragg angles.
// An energy that comes out NaN, infinite or negative is reported as a failure.
class EnergyRule
{
public:
    enum Method { ByName, ByNumber, ByRef };
    // Units of Start, End and Delta; any other value: x is used as it is.
    enum Unit { EV = 0, KeV = 1, Degree = 2 };
    // Parameters that keep the rule from working as set.
    enum Param {
        NoParam = 0,
        StartParam = 0x1,   // no Bragg angle (angle rule) or no angle in (0, 180) degrees
        EndParam = 0x2,     // no Bragg angle (angle rule)
        NumParam = 0x4,     // not above 0
        PatternParam = 0x8, // not a valid regular expression
    };
    Q_DECLARE_FLAGS(Params, Param)

    // Energy of image i when no reference list is loaded: EmptyRefBase + i.
    static constexpr double EmptyRefBase = 8000;

    explicit EnergyRule(double d = 0);

    void setMethod(Method m) { how = m; }
    Method method() const { return how; }
    void setPattern(const QString &pattern);
    // False, with one debug line, for a pattern that is not a valid regular
    // expression (which then matches no name).
    static bool checkPattern(const QString &pattern);
    QString pattern() const { return re.pattern(); }
    // Multiplier of the number taken from a name; used only when above 0.
    void setFactor(double f) { factor = f; }
    void setRange(double startValue, double deltaValue, double endValue, int num);
    void setUnit(int unit) { rangeUnit = unit; }
    void setEvenInAngle(bool on) { evenInAngle = on; }
    // Lattice spacing [Angstrom] of the Bragg conversions; 0 or less: the default.
    void setSpacing(double d);
    double spacing() const { return latticeD; }
    void setRefEnergies(const QVector<double> &energies) { refList = energies; }
    const QVector<double> &refEnergies() const { return refList; }

    // Energy of image i by the method; false (e untouched) when it gives none.
    bool energyOf(const QString &name, int i, double &e) const;
    bool energyByName(const QString &name, int i, double &e) const;
    bool energyByNumber(int i, double &e) const;
    bool energyByRef(int i, double &e) const;

    // The parameters of the name and position rules that are not usable.
    Params invalidParams() const;

    // Replaces the reference list with the energies of a plain or a "9809"
    // file. False, list kept, when the file cannot be opened. rejected gets
    // the number of lines that should give an angle but give no energy.
    bool loadRefFile(const QString &path, int *rejected = nullptr);
    // Readers behind loadRefFile; the first line has already been consumed.
    // d is the spacing to convert with (0 or less: the rule's); a "D=" item
    // of a "9809" file is not read. Return the lines rejected, -1 when a line
    // is too long to be read.
    int readRefFile(QTextStream &in, const QString &headerEnd, int column, double d = 0);
    int read9809RefFile(QTextStream &in, double d = 0);

    // Bragg's law with lattice spacing d [Angstrom]. angleOfEnergy gives -1
    // for an energy that no angle reaches (below Hc / 2d, zero or negative).
    static double energyOfAngle(double degrees, double d);
    static double angleOfEnergy(double energy, double d);
    // The number that a match of a name pattern stands for: "8979_50eV" ->
    // 8979.5, "08_979050KeV" -> 8.97905; 0 when it does not parse.
    static double numberOfMatch(const QString &match);

private:
    Method how;
    QRegularExpression re;
    double factor;
    double start;
    double delta;
    double end;
    int steps;
    int rangeUnit;
    bool evenInAngle;
    double latticeD;
    QVector<double> refList;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(EnergyRule::Params)

#endif
