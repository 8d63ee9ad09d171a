#ifndef CALIBCTRL_H
#define CALIBCTRL_H

#include <QFrame>
#include <QString>
#include <memory>

#include "core/xafsspectrum.h"

class EShiftMapDialog;
class QButtonGroup;

namespace Ui {
class CalibCtrl;
}

// The calibration window: the method and its search parameters, the crystal,
// the edge energy, the standard spectrum (owned), the run button and progress,
// the background models, the statistics of the last run, the map's size and
// origin, and the map file buttons. It computes nothing itself: the main window
// reads its fields and answers its signals.
//
// Fields read as numbers: a text that is not a number gives 0 and a debug
// line; an empty EdgeEeV gives 0 without one (no edge energy given).
class CalibCtrl : public QFrame
{
    Q_OBJECT

public:
    explicit CalibCtrl(QWidget *parent = nullptr);
    ~CalibCtrl() override;

    // Crystal: the selected item's d-spacing [Angstrom] and its name.
    double crystalSpacing() const;
    QString crystalName() const;
    // EdgeEeV [eV].
    double edgeEnergy() const;

    // The standard spectrum, normalised; null until a file was read.
    const XafsSpectrum *standard() const;
    // The file the standard was read from; empty while there is none.
    QString stdFileName() const;

    // Method: the inner product (CalibTypeInnerP) or else dMidx.
    bool calibByInnerProduct() const;
    void setCalibByInnerProduct(bool inner);
    // Search of the inner-product method [eV]: DEw, DEs, MinDEs.
    double searchRange() const;
    double searchStep() const;
    double minSearchStep() const;

    // Victoreen lines for the target spectra (TargetBGVictreen), else linear.
    bool targetBGVictoreen() const;
    // CheckSize: compare a loaded map's size with the images.
    bool checkSize() const;
    // XOffset and YOffset as integers.
    int xOffset() const;
    int yOffset() const;

    EShiftMapDialog *saveMapDialog() const;
    EShiftMapDialog *loadMapDialog() const;

    void setInnerPCtrlVisible(bool visible);

signals:
    void newStdFileLoaded();
    // The user cleared the standard's chooser: there is no standard any more.
    void stdCleared();
    void execCalibration();
    void saveEMap(QString fileName);
    void loadEMap(QString fileName);
    void clearMap();

public slots:
    void newFile(QString fileName);
    void clearedStd();
    void stdBGToggled(bool);
    void loadStd(QString fileName);
    void setEdgeEV(QString text);
    void loadEShiftMap(QString fileName);
    void progress(double p);
    // The note of the last run (boxes without a shift, or why it did not
    // start), below Exec Calib.; empty clears it.
    void setRunNote(const QString &note);

    // Results of a run and of a map file, shown in the read-only fields;
    // a value that is not finite shows no number.
    void showStatistics(double min, double max, double mean);
    void showSigma(double sigma);
    void showMapGeometry(int originX, int originY, int width, int height);
    void showEMPFileName(const QString &fileName);

private:
    void normalizeStd();

    Ui::CalibCtrl *ui;
    std::unique_ptr<XafsSpectrum> stdSpectrum;
    std::unique_ptr<EShiftMapDialog> saveDialog;
    std::unique_ptr<EShiftMapDialog> loadDialog;
    QString stdFile;
    bool failedLoad;  // newFile empties the chooser after a file it could not read
    QButtonGroup *methodGroup;
    QButtonGroup *targetBGGroup;
    QButtonGroup *stdBGGroup;
};

#endif
