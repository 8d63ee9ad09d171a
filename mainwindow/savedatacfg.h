#ifndef SAVEDATACFG_H
#define SAVEDATACFG_H

#include <QFrame>

class QButtonGroup;

namespace Ui {
class SaveDataCfg;
}

// The options for saving a result map: TIFF or text, the TIFF value range,
// the analysed-area size and the text separator and layout.
class SaveDataCfg : public QFrame
{
    Q_OBJECT

public:
    explicit SaveDataCfg(QWidget *parent = nullptr);
    ~SaveDataCfg() override;

    // The choices as the saving reads them.
    bool saveAsTiff() const;          // else text
    bool saveTiffScaleFixed() const;
    // The range texts as numbers; a text that is not a number gives 0.
    double saveTiffScaleMin() const;
    double saveTiffScaleMax() const;
    bool saveTiffAsAnalyzed() const;
    bool saveTextAsCSV() const;       // else space separated
    bool saveTextAsXYVal() const;     // else one line per row of values

public slots:
    void toggledSaveAs(bool tiff);
    void setSaveAsTiff();
    void setSaveAsText();
    void setSaveTiffScaleFixed(bool fixed);
    void setSaveTiffScaleMin(double v);
    void setSaveTiffScaleMax(double v);
    void setSaveTiffAsAnalyzed(bool asAnalyzed);
    void setSaveTextAsCSV();
    void setSaveTextAsSSV();
    void setSaveTextAsXYVal();
    void setSaveTextAsValValVal();

private:
    Ui::SaveDataCfg *ui;
    QButtonGroup *separatorGroup;
    QButtonGroup *layoutGroup;
};

#endif
