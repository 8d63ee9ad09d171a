// Batch commands on the image stacks, their energy rules, the display, the
// point spectrum, the dark areas and the saving of images and data.

#include <QAbstractButton>
#include <QDebug>
#include <QDir>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/lcfreference.h"
#include "batch/batchcmdtables.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/batchargs.h"
#include "mainwindow/body.h"
#include "ui_body.h"

namespace {

// Regular files of dir matching any of filters (all files without filters),
// sorted by name regardless of case, each prefixed with dir as written.
QStringList filesOfPattern(const QString &dir, const QStringList &filters)
{
    const QStringList names =
        QDir(dir).entryList(filters, QDir::Files, QDir::Name | QDir::IgnoreCase);
    QStringList files;
    files.reserve(names.size());
    for (const QString &n : names)
        files << dir + n;
    return files;
}

bool isNewMode(const QString &mode)
{
    return mode.toUpper() == QLatin1String("NEW");
}

} // namespace

bool Body::execImageDataCmd(EX_CMD_ID id, const CmdLine &cmd)
{
    const QString a0 = argOrEmpty(cmd, 0);
    SelectDataFiles *i1 = ui->SelectI1Files;
    SelectDataFiles *i0 = ui->SelectI0Files;

    switch (id) {
    // Image stacks
    case EX_clear_I1_files:
        clearI1Files();
        return false;
    case EX_clear_I0_files:
        clearI0Files();
        return false;
    case EX_load_I1_files:
    case EX_load_I0_files: {
        if (cmd.args.size() < 2) {
            qDebug().noquote() << exCmdName(id)
                               << "needs a mode and at least one file name: nothing loaded";
            return false;
        }
        const QStringList files = cmd.args.mid(1);
        if (id == EX_load_I1_files)
            readI1Files(files, isNewMode(a0));
        else
            readI0Files(files, isNewMode(a0));
        return true;
    }
    case EX_load_I1_files_of_pattern:
    case EX_load_I0_files_of_pattern: {
        const QString dir = argOrEmpty(cmd, 1);
        const QStringList filters = cmd.args.size() > 2 ? cmd.args.mid(2) : QStringList();
        const QStringList files = filesOfPattern(dir, filters);
        if (files.isEmpty())
            qDebug().noquote() << exCmdName(id) << "- no file in" << dir << "matches"
                               << filters.join(' ');
        if (id == EX_load_I1_files_of_pattern)
            readI1Files(files, isNewMode(a0));
        else
            readI0Files(files, isNewMode(a0));
        return true;
    }
    case EX_cut_f_i0:
        i0->setCutF(batchInt(a0));
        return false;
    case EX_cut_f_i1:
        i1->setCutF(batchInt(a0));
        return false;
    case EX_cut_l_i0:
        i0->setCutL(batchInt(a0));
        return false;
    case EX_cut_l_i1:
        i1->setCutL(batchInt(a0));
        return false;
    case EX_skip_i0:
        i0->setSkip(batchInt(a0));
        return false;
    case EX_skip_i1:
        i1->setSkip(batchInt(a0));
        return false;
    case EX_show_latest_i0:
        i0->setShowLatest(batchFlag(a0));
        return false;
    case EX_show_latest_i1:
        i1->setShowLatest(batchFlag(a0));
        return false;
    case EX_Use_I0:
        ui->UseI0->setChecked(batchFlag(a0));
        return false;
    case EX_set_i0_dark_area:
        setI0DarkArea();
        return false;
    case EX_set_i1_dark_area:
        setI1DarkArea();
        return false;
    case EX_clear_i0_dark_area:
        clearI0DarkArea();
        return false;
    case EX_clear_i1_dark_area:
        clearI1DarkArea();
        return false;

    // Energy of the image files
    case EX_set_i1_energy_pattern:
    case EX_eng_by_name_reg_exp_i1:
        i1->setEngByNameRegExp(a0);
        return false;
    case EX_set_i0_energy_pattern:
    case EX_eng_by_name_reg_exp_i0:
        i0->setEngByNameRegExp(a0);
        return false;
    case EX_eng_by_name_i0:
        i0->setEngByName(true);
        return false;
    case EX_eng_by_name_i1:
        i1->setEngByName(true);
        return false;
    case EX_eng_by_name_factor_i0:
        i0->setEngByNameFactor(batchReal(a0));
        return false;
    case EX_eng_by_name_factor_i1:
        i1->setEngByNameFactor(batchReal(a0));
        return false;
    case EX_eng_by_calc_i0:
        i0->setEngByCalc(batchFlag(a0));
        return false;
    case EX_eng_by_calc_i1:
        i1->setEngByCalc(batchFlag(a0));
        return false;
    case EX_eng_calc_base_i0:
        i0->setEngCalcStart(batchReal(a0));
        return false;
    case EX_eng_calc_base_i1:
        i1->setEngCalcStart(batchReal(a0));
        return false;
    case EX_eng_calc_delta_i0:
        i0->setEngCalcDelta(batchReal(a0));
        return false;
    case EX_eng_calc_delta_i1:
        i1->setEngCalcDelta(batchReal(a0));
        return false;
    case EX_eng_calc_end_i0:
        i0->setEngCalcEnd(batchReal(a0));
        return false;
    case EX_eng_calc_end_i1:
        i1->setEngCalcEnd(batchReal(a0));
        return false;
    case EX_eng_calc_num_i0:
        i0->setEngCalcNum(batchInt(a0));
        return false;
    case EX_eng_calc_num_i1:
        i1->setEngCalcNum(batchInt(a0));
        return false;
    case EX_eng_calc_even_in_eng_i0:
        i0->setEvenInEng(batchFlag(a0));
        return false;
    case EX_eng_calc_even_in_eng_i1:
        i1->setEvenInEng(batchFlag(a0));
        return false;
    case EX_eng_calc_even_in_deg_i0:
        i0->setEvenInDeg(batchFlag(a0));
        return false;
    case EX_eng_calc_even_in_deg_i1:
        i1->setEvenInDeg(batchFlag(a0));
        return false;
    case EX_eng_calc_disp_unit_i0:
        i0->setDispUnit(batchInt(a0));
        return false;
    case EX_eng_calc_disp_unit_i1:
        i1->setDispUnit(batchInt(a0));
        return false;
    case EX_eng_by_ref_i0:
    case EX_eng_by_ref_i1:
    {
        const QString why = (id == EX_eng_by_ref_i0 ? i0 : i1)->setEngByRef(a0);
        if (!why.isEmpty())
            logRefusal((id == EX_eng_by_ref_i0 ? "eng_by_ref_i0: " : "eng_by_ref_i1: ") + why);
        return false;
    }

    // Display and point spectrum
    case EX_set_fluo_type:
        ui->FluoType->setChecked(batchFlag(a0));
        return false;
    case EX_set_band_w:
        ui->HWidth->setText(batchIntText(a0));
        return false;
    case EX_set_band_h:
        ui->VWidth->setText(batchIntText(a0));
        return false;
    case EX_select_disp_image:
        if (QAbstractButton *b = imageTypeGroup.button(batchInt(a0)))
            b->setChecked(true);
        else
            logRefusal("select_disp_image: " + tr("no image type %1").arg(a0));
        return false;
    case EX_seek_image:
        seekImage(batchInt(a0));
        return false;
    case EX_move_position:
        ui->dispA->setRealMousePos(double(batchInt(a0)), double(batchInt(argOrEmpty(cmd, 1))));
        return false;
    case EX_save_spectra:
        if (spectrumView)
            spectrumView->saveData(a0);
        return false;
    case EX_cbar_set_range: {
        ColorBar *bar = ui->CBar;
        bar->valueMin = batchReal(a0);
        bar->valueMax = batchReal(argOrEmpty(cmd, 1));
        qDebug() << "setting cbar" << bar->valueMin << bar->valueMax;
        bar->paintCBar();
        return false;
    }
    case EX_cbar_set_all:
        qDebug() << "cbar set all";
        cBarUpdated();
        return false;
    case EX_select_region:
        ui->dispA->setSelectedArea(batchInt(a0), batchInt(argOrEmpty(cmd, 1)),
                                   batchInt(argOrEmpty(cmd, 2)), batchInt(argOrEmpty(cmd, 3)));
        return false;
    case EX_scale_reset:
        ui->dispA->resetImageViewWindow();
        return false;
    case EX_zoom_in:
        ui->dispA->setViewWAsSelectedArea();
        return false;
    case EX_xafs_view_normalize:
        if (spectrumView)
            spectrumView->setNormalize(batchFlag(a0));
        return false;
    case EX_xafs_view_enerugy_correction:
        if (spectrumView)
            spectrumView->setEnergyCorrection(batchFlag(a0));
        return false;
    case EX_Suggest_Elm:
        ui->UseSuggestElm->setChecked(batchFlag(a0));
        suggestEdgeEnergy();
        return false;
    case EX_Suggesting_Elm:
        ui->SuggestingElm->setText(a0);
        suggestEdgeEnergy();
        return false;
    case EX_Suggesting_Edge:
        ui->SuggestingEdge->setCurrentIndex(batchInt(a0));
        suggestEdgeEnergy();
        return false;
    case EX_Suggesting_Edge_eV:
        ui->SuggestingEeV->setText(a0);
        return false;
    case EX_Suggesting_Pre_End_eV:
        ui->DPreE->setText(a0);
        return false;
    case EX_Suggesting_Post_Start_eV:
        ui->DPostS->setText(a0);
        return false;

    // Saving images and data
    case EX_save_image:
        saveImage(a0);
        return false;
    case EX_save_image_w_num:
        saveImageWNum(a0, argOrEmpty(cmd, 1));
        return false;
    case EX_save_all_images:
        saveAllImages(a0);
        return false;
    case EX_save_data:
        saveData(a0);
        return false;
    case EX_save_data_as_tiff:
        saveDataAsTiff(a0, shownRowIndex());
        return false;
    default:
        qDebug() << "not an image-data command:" << int(id);
        return false;
    }
}
