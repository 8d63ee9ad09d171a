#ifndef ELEMCTRL_H
#define ELEMCTRL_H

#include <QFrame>
#include <QString>

#include "analysis/elemrowdata.h"
#include "display/edgemarker.h"
#include "imagedata/analyzed2dres.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace Ui {
class ElemCtrl;
}

// One element-and-edge row of the element analysis: the parameters of its
// measurement (edge energy "Eng", half width, threshold, region of interest),
// the results of the last analysis of one spectrum, a standard ratio for the
// correlations and the seven result maps of an element area run. GUI thread
// only; the analysis reads snapshot() copies.
class ElemCtrl : public QFrame
{
    Q_OBJECT

public:
    explicit ElemCtrl(QWidget *parent = nullptr);
    ~ElemCtrl() override;

    // The maps in the order of the analysis' vectors.
    enum MapKind { JumpMap, RatioMap, MuPlusMap, MuMinusMap, EdgeOffsetMap, RoiMap, NRoiMap,
                   MapKinds };

    QString name() const;
    void setName(const QString &name);
    // The "Eng" text as a number; a text that is not a finite number gives 0.
    double edgeEnergy() const;
    // Writes e into "Eng" with 6 significant digits.
    void setEdgeEnergy(double e);
    // The row's edge as the spectrum view marks it: name and edge energy.
    EdgeMarker edgeMarker() const;

    // Makes this the row of element z at edge e named rowName ("Fe-K"): No,
    // the map names and Eng, the table's edge energy in eV (0 when the table
    // has none, with a debug line).
    void setElement(int z, int e, const QString &rowName);
    // The results of one analysis: dmut, ratio, muPlus and muMinus are kept;
    // DMuT, Ratio and DE show 6 digits, ROI and NROI their first 5 characters.
    void setResults(double dMut, double dMutRatio, double mutPlus, double mutMinus, double dE,
                    double roi, double nroi);
    // The result fields show no number (no analysis); the values stay.
    void showNoResults();
    // StdRatio shows r and stdRatio takes it.
    void setStdRatio(double r);
    // The texts (6 digits) and boxes the batch commands set.
    void setPrePostDE(double v);
    void setThDMut(double v);
    void setROI(double s, double e);
    void setNoNeg(bool f);
    void setUse(bool f);
    bool inUse() const;

    // The row as the element analysis reads it; texts that are not finite
    // numbers read as 0.
    ElemRowData snapshot() const;

    Analyzed2DRes *map(int kind);

    QRadioButton *mainTargetButton() const;   // MainTarget
    QRadioButton *showButton() const;         // Show
    QCheckBox *useBox() const;                // Use
    QCheckBox *noNegBox() const;              // NoNeg
    QLineEdit *engEdit() const;               // Eng
    QLineEdit *prePostDEEdit() const;         // PrePostDE
    QLineEdit *thDMutEdit() const;            // ThDMut
    QLineEdit *roiStartEdit() const;          // ROIs
    QLineEdit *roiEndEdit() const;            // ROIe
    QLineEdit *stdRatioEdit() const;          // StdRatio

    int Z;
    int edge;
    double dmut;
    double ratio;
    double stdRatio;
    double muPlus;
    double muMinus;
    Analyzed2DRes map0;
    Analyzed2DRes mapN;
    Analyzed2DRes mapMP;
    Analyzed2DRes mapMM;
    Analyzed2DRes mapDE;
    Analyzed2DRes mapROI;
    Analyzed2DRes mapNROI;

signals:
    // The user has finished editing the edge energy.
    void edgeMarkerChanged();

public slots:
    // StdRatio edited: the text read as a number (not one: 0), rewritten with
    // 6 digits, becomes stdRatio.
    void newStdRatio();

private:
    // The text of edit as a number; 0 with a debug line when it is not a finite one.
    double numberIn(const QLineEdit *edit) const;

    Ui::ElemCtrl *ui;
};

#endif
