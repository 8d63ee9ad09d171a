#ifndef ELEMCTRL_H
#define ELEMCTRL_H

#include <QFrame>
#include <QString>

#include "display/edgemarker.h"

namespace Ui {
class ElemCtrl;
}

// One element-and-edge row of the analysis window: its "Name" (for example
// "Fe-K") and its edge energy "Eng" in eV, which the user may edit.
class ElemCtrl : public QFrame
{
    Q_OBJECT

public:
    explicit ElemCtrl(QWidget *parent = nullptr);
    ~ElemCtrl() override;

    QString name() const;
    void setName(const QString &name);
    // The "Eng" text as a number; a text that is not a finite number gives 0.
    double edgeEnergy() const;
    // Writes e into "Eng" with 6 significant digits.
    void setEdgeEnergy(double e);
    // The row's edge as the spectrum view marks it: name and edge energy.
    EdgeMarker edgeMarker() const;

signals:
    // The user has finished editing the edge energy.
    void edgeMarkerChanged();

private:
    Ui::ElemCtrl *ui;
};

#endif
