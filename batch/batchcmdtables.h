#ifndef BATCHCMDTABLES_H
#define BATCHCMDTABLES_H

#include <QMetaType>
#include <QString>
#include <QVector>

class CmdLine;

// Control words, carried out by the interpreter itself.
enum CTL_CMD_ID {
    CTL_for = 0,
    CTL_next = 1,
    CTL_echo = 2,
    CTL_rem_start = 3,
    CTL_rem_end = 4,
    CTL_end = 5,
    CTL_let = 6,
    CTL_none = 7
};

// Command words, carried out by the main window's command executor.
enum EX_CMD_ID {
    EX_clear_I1_files = 0,
    EX_clear_I0_files = 1,
    EX_set_i1_energy_pattern = 2,
    EX_set_i0_energy_pattern = 3,
    EX_load_I1_files = 4,
    EX_load_I0_files = 5,
    EX_load_I1_files_of_pattern = 6,
    EX_load_I0_files_of_pattern = 7,
    EX_cut_f_i0 = 8,
    EX_cut_f_i1 = 9,
    EX_cut_l_i0 = 10,
    EX_cut_l_i1 = 11,
    EX_skip_i0 = 12,
    EX_skip_i1 = 13,
    EX_show_latest_i0 = 14,
    EX_show_latest_i1 = 15,
    EX_eng_by_name_i0 = 16,
    EX_eng_by_name_i1 = 17,
    EX_eng_by_name_reg_exp_i0 = 18,
    EX_eng_by_name_reg_exp_i1 = 19,
    EX_eng_by_name_factor_i0 = 20,
    EX_eng_by_name_factor_i1 = 21,
    EX_eng_by_calc_i0 = 22,
    EX_eng_by_calc_i1 = 23,
    EX_eng_calc_base_i0 = 24,
    EX_eng_calc_base_i1 = 25,
    EX_eng_calc_delta_i0 = 26,
    EX_eng_calc_delta_i1 = 27,
    EX_eng_calc_end_i0 = 28,
    EX_eng_calc_end_i1 = 29,
    EX_eng_calc_num_i0 = 30,
    EX_eng_calc_num_i1 = 31,
    EX_eng_calc_even_in_eng_i0 = 32,
    EX_eng_calc_even_in_eng_i1 = 33,
    EX_eng_calc_even_in_deg_i0 = 34,
    EX_eng_calc_even_in_deg_i1 = 35,
    EX_eng_calc_disp_unit_i0 = 36,
    EX_eng_calc_disp_unit_i1 = 37,
    EX_eng_by_ref_i0 = 38,
    EX_eng_by_ref_i1 = 39,
    EX_set_fluo_type = 40,
    EX_set_band_w = 41,
    EX_set_band_h = 42,
    EX_select_disp_image = 43,
    EX_seek_image = 44,
    EX_save_image = 45,
    EX_save_image_w_num = 46,
    EX_save_all_images = 47,
    EX_save_data = 48,
    EX_save_data_as_tiff = 49,
    EX_move_position = 50,
    EX_save_spectra = 51,
    EX_cbar_set_range = 52,
    EX_cbar_set_all = 53,
    EX_select_region = 54,
    EX_scale_reset = 55,
    EX_zoom_in = 56,
    EX_xafs_view_normalize = 57,
    EX_xafs_view_enerugy_correction = 58,
    EX_analyzer_show_window = 59,
    EX_analyzer_set_LCF_std = 60,
    EX_analyzer_set_LCF_mode = 61,
    EX_analyzer_exec_LCF = 62,
    EX_analyzer_select_image = 63,
    EX_analyzer_select_image_type = 64,
    EX_analyzer_set_ra_energy = 65,
    EX_analyzer_set_ra_factor = 66,
    EX_analyzer_exec_ra = 67,
    EX_analyzer_set_fixed_scale = 68,
    EX_analyzer_set_scale_max = 69,
    EX_analyzer_set_scale_min = 70,
    EX_analyzer_set_dMut_scale_max = 71,
    EX_analyzer_set_dMut_scale_min = 72,
    EX_analyzer_set_ratio_scale_max = 73,
    EX_analyzer_set_ratio_scale_min = 74,
    EX_analyzer_view_normalize = 75,
    EX_analyzer_view_enerugy_correction = 76,
    EX_analyzer_target_elements = 77,
    EX_analyzer_select_analysis_mode = 78,
    EX_analyzer_elems_select_target = 79,
    EX_analyzer_elems_select_show = 80,
    EX_analyzer_elems_set_deVs = 81,
    EX_analyzer_elems_set_corr_th = 82,
    EX_analyzer_elems_select_disp_mode = 83,
    EX_analyzer_elems_set_use = 84,
    EX_analyzer_elems_sort_by_an = 85,
    EX_analyzer_elems_roi = 86,
    EX_analyzer_elems_thdmut = 87,
    EX_analyzer_elems_no_neg = 88,
    EX_analyzer_elems_bg_dMut = 89,
    EX_analyzer_elems_bg_dMutR = 90,
    EX_analyzer_elems_bg_dE = 91,
    EX_analyzer_elems_bg_ROI = 92,
    EX_analyzer_elems_bg_NROI = 93,
    EX_analyzer_exec_elems = 94,
    EX_calib_show_window = 95,
    EX_calib_load_std = 96,
    EX_calib_set_edge_eV = 97,
    EX_calib_exec = 98,
    EX_calib_load_map = 99,
    EX_calib_clear_map = 100,
    EX_calib_save_map = 101,
    EX_calib_type = 102,
    EX_saveDataCfg_show_window = 103,
    EX_saveDataCfg_save_as_tiff = 104,
    EX_saveDataCfg_save_as_text = 105,
    EX_saveDataCfg_tiff_fix_scale = 106,
    EX_saveDataCfg_tiff_scale_min = 107,
    EX_saveDataCfg_tiff_scale_max = 108,
    EX_saveDataCfg_tiff_as_analyzed = 109,
    EX_saveDataCfg_text_as_csv = 110,
    EX_saveDataCfg_text_as_ssv = 111,
    EX_saveDataCfg_text_as_xyz = 112,
    EX_saveDataCfg_text_as_vals = 113,
    EX_quit = 114,
    EX_Use_I0 = 115,
    EX_Suggest_Elm = 116,
    EX_Suggesting_Elm = 117,
    EX_Suggesting_Edge = 118,
    EX_Suggesting_Edge_eV = 119,
    EX_Suggesting_Pre_End_eV = 120,
    EX_Suggesting_Post_Start_eV = 121,
    EX_set_i0_dark_area = 122,
    EX_set_i1_dark_area = 123,
    EX_clear_i0_dark_area = 124,
    EX_clear_i1_dark_area = 125,
    EX_not_ex_cmd = 126
};
Q_DECLARE_METATYPE(EX_CMD_ID)

struct CmdIdName
{
    int id;
    QString name;
};

extern QVector<CmdIdName> ctlCmdTable;
extern QVector<CmdIdName> exCmdTable;

void initBatchCmdTables();
CTL_CMD_ID ctlCmdId(const CmdLine &c);
bool isCtlCmd(const CmdLine &c);
EX_CMD_ID exCmdId(const CmdLine &c);
bool isExCmd(const CmdLine &c);
QString exCmdName(EX_CMD_ID id);

#endif
