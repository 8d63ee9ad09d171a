#ifndef AELEMSCONDS_H
#define AELEMSCONDS_H

#include <QFrame>

#include "analysis/aelemscondsdata.h"

class QLineEdit;

namespace Ui {
class AElemsConds;
}

// The panel "Analyze Elems Conditions": the background values that the
// element analysis gives a row whose jump stays below its threshold. It has
// no behaviour of its own; requests take a snapshot() of its values.
class AElemsConds : public QFrame
{
    Q_OBJECT

public:
    explicit AElemsConds(QWidget *parent = nullptr);
    ~AElemsConds() override;

    // Every field read as a number; a text that is not one reads as 0.
    AElemsCondsData snapshot() const;

    // Write the value into the field ('g', 6 digits), as the batch commands do.
    void setBgDMut(double v);
    void setBgDMutR(double v);
    void setBgDE(double v);
    void setBgROI(double v);
    void setBgNROI(double v);

    QLineEdit *bgDMutEdit() const;    // BGVDMut
    QLineEdit *bgDMutREdit() const;   // BGVDMutR
    QLineEdit *bgDEEdit() const;      // BGVDE
    QLineEdit *bgROIEdit() const;     // BGVROI
    QLineEdit *bgNROIEdit() const;    // BGVNROI

private:
    Ui::AElemsConds *ui;
};

#endif
