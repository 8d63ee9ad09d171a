#include "batch/batchcmdtables.h"

#include <QHash>

#include "batch/cmdline.h"

QVector<CmdIdName> ctlCmdTable;
QVector<CmdIdName> exCmdTable;

namespace {

// The tables' upper-cased names with the id of their first row, made with the
// tables; read only afterwards, from any thread.
QHash<QString, int> ctlCmdIndex;
QHash<QString, int> exCmdIndex;

void indexTable(const QVector<CmdIdName> &table, QHash<QString, int> &index)
{
    for (const CmdIdName &row : table) {
        const QString upper = row.name.toUpper();
        if (!index.contains(upper))
            index.insert(upper, row.id);
    }
}

}  // namespace

void initBatchCmdTables()
{
    if (!exCmdTable.isEmpty())
        return;
    static const CmdIdName ctl[] = {
        {CTL_for, ":for"},
        {CTL_next, ":next"},
        {CTL_echo, ":echo"},
        {CTL_rem_start, ":rem_start"},
        {CTL_rem_end, ":rem_end"},
        {CTL_end, ":end"},
        {CTL_let, ":let"},
    };
    for (const CmdIdName &row : ctl)
        ctlCmdTable.append(row);

    static const CmdIdName ex[] = {
        {EX_clear_I1_files, "clear_I1_files"},
        {EX_clear_I0_files, "clear_I0_files"},
        {EX_set_i1_energy_pattern, "set_i1_energy_pattern"},
        {EX_set_i0_energy_pattern, "set_i0_energy_pattern"},
        {EX_load_I1_files, "load_I1_files"},
        {EX_load_I0_files, "load_I0_files"},
        {EX_load_I1_files_of_pattern, "load_I1_files_of_pattern"},
        {EX_load_I0_files_of_pattern, "load_I0_files_of_pattern"},
        {EX_cut_f_i0, "cut_f_i0"},
        {EX_cut_f_i1, "cut_f_i1"},
        {EX_cut_l_i0, "cut_l_i0"},
        {EX_cut_l_i1, "cut_l_i1"},
        {EX_skip_i0, "skip_i0"},
        {EX_skip_i1, "skip_i1"},
        {EX_show_latest_i0, "show_latest_i0"},
        {EX_show_latest_i1, "show_latest_i1"},
        {EX_eng_by_name_i0, "eng_by_name_i0"},
        {EX_eng_by_name_i1, "eng_by_name_i1"},
        {EX_eng_by_name_reg_exp_i0, "eng_by_name_reg_exp_i0"},
        {EX_eng_by_name_reg_exp_i1, "eng_by_name_reg_exp_i1"},
        {EX_eng_by_name_factor_i0, "eng_by_name_factor_i0"},
        {EX_eng_by_name_factor_i1, "eng_by_name_factor_i1"},
        {EX_eng_by_calc_i0, "eng_by_calc_i0"},
        {EX_eng_by_calc_i1, "eng_by_calc_i1"},
        {EX_eng_calc_base_i0, "eng_calc_base_i0"},
        {EX_eng_calc_base_i1, "eng_calc_base_i1"},
        {EX_eng_calc_delta_i0, "eng_calc_delta_i0"},
        {EX_eng_calc_delta_i1, "eng_calc_delta_i1"},
        {EX_eng_calc_end_i0, "eng_calc_end_i0"},
        {EX_eng_calc_end_i1, "eng_calc_end_i1"},
        {EX_eng_calc_num_i0, "eng_calc_num_i0"},
        {EX_eng_calc_num_i1, "eng_calc_num_i1"},
        {EX_eng_calc_even_in_eng_i0, "eng_calc_even_in_eng_i0"},
        {EX_eng_calc_even_in_eng_i1, "eng_calc_even_in_eng_i1"},
        {EX_eng_calc_even_in_deg_i0, "eng_calc_even_in_deg_i0"},
        {EX_eng_calc_even_in_deg_i1, "eng_calc_even_in_deg_i1"},
        {EX_eng_calc_disp_unit_i0, "eng_calc_disp_unit_i0"},
        {EX_eng_calc_disp_unit_i1, "eng_calc_disp_unit_i1"},
        {EX_eng_by_ref_i0, "eng_by_ref_i0"},
        {EX_eng_by_ref_i1, "eng_by_ref_i1"},
        {EX_set_fluo_type, "set_fluo_type"},
        {EX_set_band_w, "set_band_w"},
        {EX_set_band_h, "set_band_h"},
        {EX_select_disp_image, "select_disp_image"},
        {EX_seek_image, "seek_image"},
        {EX_save_image, "save_image"},
        {EX_save_image_w_num, "save_image_w_num"},
        {EX_save_all_images, "save_all_images"},
        {EX_save_data, "save_data"},
        {EX_save_data_as_tiff, "save_data_as_tiff"},
        {EX_move_position, "move_position"},
        {EX_save_spectra, "save_spectra"},
        {EX_cbar_set_range, "cbar_set_range"},
        {EX_cbar_set_all, "cbar_set_all"},
        {EX_select_region, "select_region"},
        {EX_scale_reset, "scale_reset"},
        {EX_zoom_in, "zoom_in"},
        {EX_xafs_view_normalize, "xafs_view_normalize"},
        {EX_xafs_view_enerugy_correction, "xafs_view_enerugy_correction"},
        {EX_analyzer_show_window, "analyzer_show_window"},
        {EX_analyzer_set_LCF_std, "analyzer_set_LCF_std"},
        {EX_analyzer_set_LCF_mode, "analyzer_set_LCF_mode"},
        {EX_analyzer_exec_LCF, "analyzer_exec_LCF"},
        {EX_analyzer_select_image, "analyzer_select_image"},
        {EX_analyzer_select_image_type, "analyzer_select_image_type"},
        {EX_analyzer_set_ra_energy, "analyzer_set_ra_energy"},
        {EX_analyzer_set_ra_factor, "analyzer_set_ra_factor"},
        {EX_analyzer_exec_ra, "analyzer_exec_ra"},
        {EX_analyzer_set_fixed_scale, "analyzer_set_fixed_scale"},
        {EX_analyzer_set_scale_max, "analyzer_set_scale_max"},
        {EX_analyzer_set_scale_min, "analyzer_set_scale_min"},
        {EX_analyzer_set_dMut_scale_max, "analyzer_set_dMut_scale_max"},
        {EX_analyzer_set_dMut_scale_min, "analyzer_set_dMut_scale_min"},
        {EX_analyzer_set_ratio_scale_max, "analyzer_set_ratio_scale_max"},
        {EX_analyzer_set_ratio_scale_min, "analyzer_set_ratio_scale_min"},
        {EX_analyzer_view_normalize, "analyzer_view_normalize"},
        {EX_analyzer_view_enerugy_correction, "analyzer_view_enerugy_correction"},
        {EX_analyzer_target_elements, "analyzer_target_elements"},
        {EX_analyzer_select_analysis_mode, "analyzer_select_analysis_mode"},
        {EX_analyzer_elems_select_target, "analyzer_elems_select_target"},
        {EX_analyzer_elems_select_show, "analyzer_elems_select_show"},
        {EX_analyzer_elems_set_deVs, "analyzer_elems_set_deVs"},
        {EX_analyzer_elems_set_corr_th, "analyzer_elems_set_corr_th"},
        {EX_analyzer_elems_select_disp_mode, "analyzer_elems_select_disp_mode"},
        {EX_analyzer_elems_set_use, "analyzer_elems_set_use"},
        {EX_analyzer_elems_sort_by_an, "analyzer_elems_sort_by_an"},
        {EX_analyzer_elems_roi, "analyzer_elems_roi"},
        {EX_analyzer_elems_thdmut, "analyzer_elems_thdmut"},
        {EX_analyzer_elems_no_neg, "analyzer_elems_no_neg"},
        {EX_analyzer_elems_bg_dMut, "analyzer_elems_bg_dMut"},
        {EX_analyzer_elems_bg_dMutR, "analyzer_elems_bg_dMutR"},
        {EX_analyzer_elems_bg_dE, "analyzer_elems_bg_dE"},
        {EX_analyzer_elems_bg_ROI, "analyzer_elems_bg_ROI"},
        {EX_analyzer_elems_bg_NROI, "analyzer_elems_bg_NROI"},
        {EX_analyzer_exec_elems, "analyzer_exec_elems"},
        {EX_calib_show_window, "calib_show_window"},
        {EX_calib_load_std, "calib_load_std"},
        {EX_calib_set_edge_eV, "calib_set_edge_eV"},
        {EX_calib_exec, "calib_exec"},
        {EX_calib_load_map, "calib_load_map"},
        {EX_calib_clear_map, "calib_clear_map"},
        {EX_calib_save_map, "calib_save_map"},
        {EX_calib_type, "calib_type"},
        {EX_saveDataCfg_show_window, "saveDataCfg_show_window"},
        {EX_saveDataCfg_save_as_tiff, "saveDataCfg_save_as_tiff"},
        {EX_saveDataCfg_save_as_text, "saveDataCfg_save_as_text"},
        {EX_saveDataCfg_tiff_fix_scale, "saveDataCfg_tiff_fix_scale"},
        {EX_saveDataCfg_tiff_scale_min, "saveDataCfg_tiff_scale_min"},
        {EX_saveDataCfg_tiff_scale_max, "saveDataCfg_tiff_scale_max"},
        {EX_saveDataCfg_tiff_as_analyzed, "saveDataCfg_tiff_as_analyzed"},
        {EX_saveDataCfg_text_as_csv, "saveDataCfg_text_as_csv"},
        {EX_saveDataCfg_text_as_ssv, "saveDataCfg_text_as_ssv"},
        {EX_saveDataCfg_text_as_xyz, "saveDataCfg_text_as_xyz"},
        {EX_saveDataCfg_text_as_vals, "saveDataCfg_text_as_vals"},
        {EX_quit, "quit"},
        {EX_Use_I0, "Use_I0"},
        {EX_Suggest_Elm, "Suggest_Elm"},
        {EX_Suggesting_Elm, "Suggesting_Elm"},
        {EX_Suggesting_Edge, "Suggesting_Edge"},
        {EX_Suggesting_Edge_eV, "Suggesting_Edge_eV"},
        {EX_Suggesting_Pre_End_eV, "Suggesting_Pre_End_eV"},
        {EX_Suggesting_Post_Start_eV, "Suggesting_Post_Start_eV"},
        {EX_set_i0_dark_area, "set_i0_dark_area"},
        {EX_set_i1_dark_area, "set_i1_dark_area"},
        {EX_clear_i0_dark_area, "clear_i0_dark_area"},
        {EX_clear_i1_dark_area, "clear_i1_dark_area"},
        {EX_not_ex_cmd, "not ex cmd"},
    };
    for (const CmdIdName &row : ex)
        exCmdTable.append(row);
    indexTable(ctlCmdTable, ctlCmdIndex);
    indexTable(exCmdTable, exCmdIndex);
}

// First row whose name equals the word, both upper-cased; -1 when none.
static int lookup(const QVector<CmdIdName> &table, const QHash<QString, int> &index,
                  const QString &word)
{
    const QString upper = word.toUpper();
    if (!index.isEmpty())
        return index.value(upper, -1);
    for (const CmdIdName &row : table) {
        if (row.name.toUpper() == upper)
            return row.id;
    }
    return -1;
}

CTL_CMD_ID ctlCmdId(const CmdLine &c)
{
    const int id = lookup(qAsConst(ctlCmdTable), ctlCmdIndex, c.cmd);
    return id < 0 ? CTL_none : CTL_CMD_ID(id);
}

bool isCtlCmd(const CmdLine &c) { return ctlCmdId(c) != CTL_none; }

EX_CMD_ID exCmdId(const CmdLine &c)
{
    const int id = lookup(qAsConst(exCmdTable), exCmdIndex, c.cmd);
    return id < 0 ? EX_not_ex_cmd : EX_CMD_ID(id);
}

bool isExCmd(const CmdLine &c) { return exCmdId(c) != EX_not_ex_cmd; }

QString exCmdName(EX_CMD_ID id)
{
    for (const CmdIdName &row : qAsConst(exCmdTable)) {
        if (row.id == int(id))
            return row.name;
    }
    return "UnKnow ExCMD id";
}
