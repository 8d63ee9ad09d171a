#ifndef ELEMCTRL_H
#define ELEMCTRL_H

#include <QFrame>

#include "ui_elemctrl.h"

// One element-and-edge row of the analysis window. The spectrum view reads
// its "Name" (for example "Fe-K") and its edge energy "Eng" in eV.
class ElemCtrl : public QFrame, public Ui_ElemCtrl
{
    Q_OBJECT

public:
    explicit ElemCtrl(QWidget *parent = nullptr);
    ~ElemCtrl() override;
};

#endif
