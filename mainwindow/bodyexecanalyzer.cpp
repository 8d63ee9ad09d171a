// The batch commands of the analysis window: modes, reference rows, scales,
// residual absorption, element rows and their background values, the image
// shown, and the area runs.
#include "mainwindow/body.h"

#include <QDebug>

#include "analysis/ui/aelemsconds.h"
#include "analysis/ui/analyzer.h"
#include "analysis/ui/lcfreference.h"
#include "batch/batchcmdtables.h"
#include "batch/cmdline.h"
#include "core/globals.h"
#include "mainwindow/batchargs.h"

bool Body::execAnalyzerCmd(EX_CMD_ID id, const CmdLine &cmd)
{
    const auto text = [&cmd](int i) { return argOrEmpty(cmd, i); };
    const auto real = [&cmd](int i) { return batchReal(argOrEmpty(cmd, i)); };
    const auto integer = [&cmd](int i) { return batchInt(argOrEmpty(cmd, i)); };
    const auto flag = [&cmd](int i) { return batchFlag(argOrEmpty(cmd, i)); };

    // The command completes when its own run ends (or cannot start). A run
    // in progress is not this command's: one started by hand or left over
    // from a stopped batch. It is stopped, its end reports to nobody, and
    // this command starts its own.
    if (id == EX_analyzer_exec_LCF || id == EX_analyzer_exec_elems) {
        const bool fit = id == EX_analyzer_exec_LCF;
        if (analyzing) {
            logDebug(QString("%1: an area run this command did not start is in progress; it is "
                             "stopped and a new run started")
                         .arg(exCmdName(id)));
            if (fit)
                stop2DAnalysis();
            else
                stopElems2DAnalysis();
        }
        nextRunToken = batchToken;
        if (fit)
            start2DAnalysis();
        else
            startElems2DAnalysis();
        nextRunToken = 0;
        return true;
    }
    if (!analyzer) {
        logDebug(QString("%1: there is no analysis window").arg(exCmdName(id)));
        return false;
    }
    AElemsConds *conds = analyzer->elemsConds();

    switch (id) {
    case EX_analyzer_show_window:
        analyzer->show();
        break;
    case EX_analyzer_set_LCF_std: {
        const int no = integer(0);
        analyzer->setLCFStd(no, flag(1), real(2), text(3), text(4));
        if (no >= 0 && no < analyzer->refs.size() && analyzer->refs[no]->count() == 0)
            logRefusal("analyzer_set_LCF_std: "
                       + tr("no reference spectrum was read from \"%1\"; row %2 holds none")
                             .arg(text(3))
                             .arg(no));
        break;
    }
    case EX_analyzer_set_LCF_mode:
        analyzer->setLCFMode(flag(0) ? 1 : 0);
        break;
    case EX_analyzer_select_image:
        analyzer->selectImage(integer(0));
        break;
    case EX_analyzer_select_image_type: {
        const int type = integer(0);
        qDebug() << "Selecting img Type" << type;
        analyzer->selectRaImageType(type);
        break;
    }
    case EX_analyzer_set_ra_energy:
        analyzer->setRaEnergy(real(0));
        break;
    case EX_analyzer_set_ra_factor:
        analyzer->setRaFactor(real(0));
        break;
    case EX_analyzer_exec_ra:
        startRA2DAnalysis();
        break;
    case EX_analyzer_set_fixed_scale:
        analyzer->setFixedScale(flag(0));
        break;
    case EX_analyzer_set_scale_max:
        analyzer->setDMutScaleMax(real(0));
        analyzer->setRatioScaleMax(real(0));
        break;
    case EX_analyzer_set_scale_min:
        analyzer->setDMutScaleMin(real(0));
        analyzer->setRatioScaleMin(real(0));
        break;
    case EX_analyzer_set_dMut_scale_max:
        analyzer->setDMutScaleMax(real(0));
        break;
    case EX_analyzer_set_dMut_scale_min:
        analyzer->setDMutScaleMin(real(0));
        break;
    case EX_analyzer_set_ratio_scale_max:
        analyzer->setRatioScaleMax(real(0));
        break;
    case EX_analyzer_set_ratio_scale_min:
        analyzer->setRatioScaleMin(real(0));
        break;
    case EX_analyzer_view_normalize:
        analyzer->setNormalize(flag(0));
        break;
    case EX_analyzer_view_enerugy_correction:
        analyzer->setEnergyCorrection(flag(0));
        break;
    case EX_analyzer_target_elements:
        analyzer->setTargetElements(text(0));
        break;
    case EX_analyzer_select_analysis_mode:
        analyzer->selectAnalysisMode(integer(0));
        break;
    case EX_analyzer_elems_select_target:
        analyzer->selectElemTarget(text(0));
        dispImgSelected(true);
        break;
    case EX_analyzer_elems_select_show:
        analyzer->selectElemShow(text(0));
        dispImgSelected(true);
        break;
    case EX_analyzer_elems_set_deVs:
        analyzer->setElemsDEs(real(0));
        break;
    case EX_analyzer_elems_set_corr_th:
        analyzer->setCorTh(real(0));
        break;
    case EX_analyzer_elems_select_disp_mode:
        analyzer->selectElemsDispMode(integer(0));
        break;
    case EX_analyzer_elems_set_use:
        analyzer->setElemUse(text(0), flag(1));
        break;
    case EX_analyzer_elems_sort_by_an:
        analyzer->setElemsSortByAN(flag(0));
        break;
    case EX_analyzer_elems_roi:
        analyzer->setElemROI(text(0), real(1), real(2));
        break;
    case EX_analyzer_elems_thdmut:
        analyzer->setElemThDMut(text(0), real(1));
        break;
    case EX_analyzer_elems_no_neg:
        analyzer->setElemNoNeg(text(0), flag(1));
        break;
    // The background values are taken from argument 1.
    case EX_analyzer_elems_bg_dMut:
        if (conds)
            conds->setBgDMut(real(1));
        break;
    case EX_analyzer_elems_bg_dMutR:
        if (conds)
            conds->setBgDMutR(real(1));
        break;
    case EX_analyzer_elems_bg_dE:
        if (conds)
            conds->setBgDE(real(1));
        break;
    case EX_analyzer_elems_bg_ROI:
        if (conds)
            conds->setBgROI(real(1));
        break;
    case EX_analyzer_elems_bg_NROI:
        if (conds)
            conds->setBgNROI(real(1));
        break;
    default:
        logDebug(QString("%1 is not a command of the analysis window").arg(exCmdName(id)));
        break;
    }
    return false;
}
