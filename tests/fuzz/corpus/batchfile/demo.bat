:echo "Vantoscope demo in $DataRoot$"
eng_by_name_i1
eng_by_name_i0
set_i1_energy_pattern (\d|)\d\d\d\d_\d\d\d\d
set_i0_energy_pattern (\d|)\d\d\d\d_\d\d\d\d
eng_by_name_factor_i1 1
eng_by_name_factor_i0 1
load_I1_files_of_pattern NEW i1/ *.tif
load_I0_files_of_pattern NEW i0/ *.tif
Use_I0 1
set_fluo_type 0
set_band_w 0
set_band_h 0
select_region 0 0 32 24
analyzer_select_analysis_mode 0
analyzer_set_LCF_mode 0
analyzer_set_LCF_std 0 1 0 fe2o3.dat 0
analyzer_set_LCF_std 1 1 0 feo.dat 0
:echo "LCF map over the image"
analyzer_exec_LCF
analyzer_select_image_type 0
analyzer_set_fixed_scale 1
analyzer_set_ratio_scale_min 0
analyzer_set_ratio_scale_max 1
select_disp_image 3
