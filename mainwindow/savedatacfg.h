#ifndef SAVEDATACFG_H
#define SAVEDATACFG_H

#include <QFrame>

#include "ui_savedatacfg.h"

class QButtonGroup;

// The options for saving a result map: TIFF or text, the TIFF value range,
// the analysed-area size and the text separator and layout.
class SaveDataCfg : public QFrame, public Ui_SaveDataCfg
{
    Q_OBJECT

public:
    explicit SaveDataCfg(QWidget *parent = nullptr);
    ~SaveDataCfg() override;

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
    QButtonGroup *separatorGroup;
    QButtonGroup *layoutGroup;
};

#endif
