#ifndef EOFSETUP_H
#define EOFSETUP_H

#include <QFrame>
#include <QString>
#include <QVector>

#include "core/units.h"
#include "imagedata/_filedialog.h"
#include "ui_eofsetup.h"

class QButtonGroup;
class QLineEdit;
class QTextStream;

// The energy, in eV, of every image of one series: taken from the file name,
// computed from the image's position (even in energy or in Bragg angle), or
// read from a reference file of one Bragg angle per image.
class EOFSetup : public QFrame, public Ui_EngOfFilesSetup
{
    Q_OBJECT

public:
    explicit EOFSetup(QWidget *parent = nullptr);

    // Energy of image i of the series, by the selected rule.
    double energyOf(const QString &name, int i);
    double energyByName(const QString &name, int i);
    double energyByNumber(int i);
    double energyByRef(int i) const;

    // Readers behind refFileSelected. The first line of the file has already
    // been consumed. d is the lattice spacing to convert with; 0 means the
    // form's own. A "D=" item in the header of a "9809" file replaces it.
    void readRefFile(QTextStream &in, const QString &headerEnd, int column, double d = 0);
    void read9809RefFile(QTextStream &in, double d = 0);

    // Bragg's law with lattice spacing d [Angstrom]. angleOfEnergy gives -1
    // for an energy that no angle reaches (below hc / 2d, zero or negative).
    static double energyOfAngle(double degrees, double d);
    static double angleOfEnergy(double energy, double d);

    Units units;
    QVector<double> refEnergies;
    _FileDialog refFileDialog;

public slots:
    void newStart();
    void newDelta();
    void newEnd();
    void newNumOfPoints();
    void newPattern();
    void newPatternSelected(const QString &text);
    void refFileSelected(const QString &path);

private:
    void recomputeEnd();
    void recomputeDelta();
    // Marks the range fields that make the position rule unusable.
    void markRangeFields();
    bool angleRangeUsable(double startEV, double endEV, int num) const;
    double spacing(double d) const;

    QButtonGroup *ruleGroup;
    QButtonGroup *spacingGroup;
};

#endif
