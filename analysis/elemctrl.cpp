#include "analysis/elemctrl.h"

ElemCtrl::ElemCtrl(QWidget *parent) : QFrame(parent)
{
    setupUi(this);
}

ElemCtrl::~ElemCtrl() = default;
