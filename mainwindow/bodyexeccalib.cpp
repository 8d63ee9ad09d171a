// Batch commands of the calibration window, the save settings and quitting.
#include "mainwindow/body.h"

#include <QDebug>

#include "batch/batchcmdtables.h"
#include "calibration/empheader.h"
#include "calibration/ui/calibctrl.h"
#include "core/globals.h"
#include "display/widgethelpers.h"
#include "mainwindow/batchargs.h"
#include "mainwindow/savedatacfg.h"

bool Body::execCalibSaveCmd(EX_CMD_ID id, const CmdLine &cmd)
{
    const QString a0 = argOrEmpty(cmd, 0);
    switch (id) {
    case EX_calib_show_window:
        showInFront(calibCtrl);
        break;
    case EX_calib_load_std: {
        // A standard read is a new one.
        const XafsSpectrum *before = calibCtrl->standard();
        calibCtrl->loadStd(a0);
        if (calibCtrl->standard() == before)
            logRefusal("calib_load_std: "
                       + tr("no standard spectrum was read from \"%1\"; the former one is kept")
                             .arg(a0));
        break;
    }
    case EX_calib_set_edge_eV:
        calibCtrl->setEdgeEV(a0);
        break;
    case EX_calib_exec:
        // The command completes when its own run ends (or cannot start); a
        // run in progress, started by hand or left over from a stopped
        // batch, is stopped first and reports to nobody.
        if (calibrating) {
            logDebug("calib_exec: a calibration this command did not start is in progress; it is "
                     "stopped and a new one started");
            stopCalibration();
        }
        nextRunToken = batchToken;
        execCalibration();
        nextRunToken = 0;
        return true;
    case EX_calib_load_map: {
        EMPHeader header;
        loadMap(a0, eShiftMap, header);   // reports 99 on each of its ends
        return true;
    }
    case EX_calib_clear_map:
        clearShiftMap();
        break;
    case EX_calib_save_map:
        saveEMap(a0);
        break;
    case EX_calib_type:
        calibCtrl->setCalibByInnerProduct(batchFlag(a0));
        break;
    case EX_saveDataCfg_show_window:
        showInFront(saveDataCfg);
        break;
    case EX_saveDataCfg_save_as_tiff:
        qDebug() << "setting save as tiff";
        saveDataCfg->setSaveAsTiff();
        break;
    case EX_saveDataCfg_save_as_text:
        qDebug() << "setting save as text";
        saveDataCfg->setSaveAsText();
        break;
    case EX_saveDataCfg_tiff_fix_scale:
        saveDataCfg->setSaveTiffScaleFixed(batchFlag(a0));
        break;
    case EX_saveDataCfg_tiff_scale_min:
        saveDataCfg->setSaveTiffScaleMin(batchReal(a0));
        break;
    case EX_saveDataCfg_tiff_scale_max:
        saveDataCfg->setSaveTiffScaleMax(batchReal(a0));
        break;
    case EX_saveDataCfg_tiff_as_analyzed:
        saveDataCfg->setSaveTiffAsAnalyzed(batchFlag(a0));
        break;
    case EX_saveDataCfg_text_as_csv:
        saveDataCfg->setSaveTextAsCSV();
        break;
    case EX_saveDataCfg_text_as_ssv:
        saveDataCfg->setSaveTextAsSSV();
        break;
    case EX_saveDataCfg_text_as_xyz:
        saveDataCfg->setSaveTextAsXYVal();
        break;
    case EX_saveDataCfg_text_as_vals:
        saveDataCfg->setSaveTextAsValValVal();
        break;
    case EX_quit:
        // The program ends: no completion.
        emit finishing();
        return true;
    default:
        qDebug() << "execCalibSaveCmd: not a command of this group:" << exCmdName(id);
        break;
    }
    return false;
}
