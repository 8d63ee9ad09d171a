#ifndef EOFSETUP_H
#define EOFSETUP_H

#include <QFrame>
#include <QString>
#include <QVector>
#include <memory>

#include "core/units.h"
#include "imagedata/energyrule.h"

class QButtonGroup;
class QLineEdit;
class _FileDialog;

namespace Ui {
class EngOfFilesSetup;
}

// The window that sets the energy rule of one series (EnergyRule): from the
// file name, from the image's position, or from a reference file of Bragg
// angles. Fields that make the rule unusable are marked pink when the user
// edits them or when the owner asks (markInvalidFields), never while an
// energy is computed.
class EOFSetup : public QFrame
{
    Q_OBJECT

public:
    explicit EOFSetup(QWidget *parent = nullptr);
    ~EOFSetup() override;

    // The rule as the fields give it now.
    EnergyRule rule() const;
    // Energy in eV of image i of the series; 0, with a debug message, when
    // the rule gives none.
    double energyOf(const QString &name, int i) const;

    // The rule radios; false cannot deselect the selected one.
    bool byName() const;
    void setByName(bool on);
    bool byNumber() const;
    void setByNumber(bool on);
    bool byRef() const;
    void setByRef(bool on);
    bool evenInEnergy() const;
    void setEvenInEnergy(bool on);
    bool evenInAngle() const;
    void setEvenInAngle(bool on);

    // Unit of Start, End and Delta: 0 eV, 1 keV, 2 deg; -1 none. An index
    // not below the item count is ignored.
    int displayUnit() const;
    void setDisplayUnit(int n);

    // The range fields. Each setter writes the number (6 significant digits)
    // and recomputes the coupled field as an edit by the user does: Start
    // and Delta give End, End and Num give Delta.
    QString startText() const;
    void setStart(double v);
    QString deltaText() const;
    void setDelta(double v);
    QString endText() const;
    void setEnd(double v);
    QString numOfPointsText() const;
    void setNumOfPoints(int n);

    // The name rule. setPattern leaves Factor and the pattern list alone.
    QString pattern() const;
    void setPattern(const QString &pattern);
    QString factorText() const;
    void setFactor(double f);

    QString refFilePath() const;
    void setRefFilePath(const QString &path);
    const QVector<double> &refEnergies() const { return refList; }

    const Units &units() const { return crystal; }
    _FileDialog *refFileDialog() const { return refDialog.get(); }

public slots:
    void newStart();
    void newDelta();
    void newEnd();
    void newNumOfPoints();
    void newPattern();
    void newPatternSelected(const QString &text);
    // Why the file cannot be read, and what energies the images keep (the
    // path field's tool tip says it too); empty when it was read. A refused
    // file leaves the list and its path as they were.
    QString refFileSelected(const QString &path);
    // Marks pink the fields whose values the rule cannot use.
    void markInvalidFields();

private:
    void recomputeEnd();
    void recomputeDelta();

    Ui::EngOfFilesSetup *ui;
    Units crystal;
    QVector<double> refList;
    std::unique_ptr<_FileDialog> refDialog;
    QButtonGroup *ruleGroup;
    QButtonGroup *spacingGroup;
};

#endif
