#include "analysis/ui/analyzer.h"

#include "analysis/ui/sumupctrl.h"
#include "ui_analyzer.h"

SumUpCtrl *Analyzer::sumUpCtrl() const
{
    return ui->SumUpC;
}
