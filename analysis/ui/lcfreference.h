#ifndef LCFREFERENCE_H
#define LCFREFERENCE_H

#include <QFrame>
#include <QString>
#include <QVector>

#include "analysis/lcfrefdata.h"
#include "core/xafsspectrum.h"

class Analyzed2DRes;
class QCheckBox;
class QLineEdit;
class QRadioButton;
class XafsFileSelect;

namespace Ui {
class LCFReference;
}

// One reference row of the linear-combination fits: a file chooser, the
// reference's energy shift (DeltaE) and background model, its edge jump and
// edge energy, and the fraction and amount of the last fit. The row is the
// reference spectrum itself (its XafsSpectrum base) and owns the two result
// maps of an area run. GUI thread only; the fits read snapshot() copies.
class LCFReference : public QFrame, public XafsSpectrum
{
    Q_OBJECT

public:
    explicit LCFReference(QWidget *parent = nullptr);
    ~LCFReference() override;

    // Stores the fraction and shows it in R in percent ("%5.2f" of 100 f).
    void setFraction(double f);
    // Shows the amount in T ('g', 6 digits); the amount is not stored.
    void setAmount(double a);
    // R and T show no number (no fit); the stored fraction stays.
    void showNoResult();

    // Use box checked and a file chosen in the chooser.
    bool inUse() const;
    // The row as a fit request needs it: use state, spectrum and fraction.
    LcfRefData snapshot() const;
    // The reference spectrum held by the row.
    const XafsSpectrum &spectrum() const { return *this; }

    XafsFileSelect *fileSelect() const;   // XFS
    QLineEdit *deltaEEdit() const;        // DeltaE
    QLineEdit *dMutEdit() const;          // DMut
    QLineEdit *midEEdit() const;          // MidE
    QCheckBox *isVictreenBox() const;     // IsVictreen
    QLineEdit *fractionEdit() const;      // R
    QLineEdit *amountEdit() const;        // T
    QRadioButton *showButton() const;     // Show

    double fraction;                // fraction stored by the last fit
    QVector<Analyzed2DRes *> maps;  // "LCF Ref 1" (amounts), "LCF Ref 2" (fractions); owned

signals:
    void newFileSelected();
    void newDeltaE();
    // The chooser was cleared: the row holds no reference any more.
    void referenceCleared();

public slots:
    void newFile(QString fname);
    void changedUse(bool f);
    void editedDeltaE();
    void toggledIsVictreen(bool f);
    void setStd(bool use, double dE, QString fname, QString isVic);
    // Drops the loaded reference, its values and its use; the energy shift stays.
    void clearedFile();

private:
    // Normalises the loaded points with the background chosen in IsVictreen.
    void normalizeAsChosen();
    void setEnergyShift(double dE);

    Ui::LCFReference *ui;
    bool untickedByClear;  // the use box was unticked by clearedFile
};

#endif
