# Demo batch: a linear-combination (LCF) map of a synthetic Fe K-edge stack.
# Run it in the folder that vantoscope-makedemo filled (i1/, i0/, fe2o3.dat,
# feo.dat): "scripts/setup.sh run" does both. In that stack the Fe2O3 share
# of the normalised absorption runs from 0 at the left edge to 1 at the right.
# Comments stand on lines of their own: words after a command are arguments.
:echo "Vantoscope demo in $DataRoot$"

# The energy of every image comes from its file name: 7082_5000.tif is 7082.5 eV.
eng_by_name_i1
eng_by_name_i0
set_i1_energy_pattern (\d|)\d\d\d\d_\d\d\d\d
set_i0_energy_pattern (\d|)\d\d\d\d_\d\d\d\d
eng_by_name_factor_i1 1
eng_by_name_factor_i0 1

# The stacks: I1 behind the sample, I0 in front of it (the folder names end
# with "/": the loader puts them in front of the file names as they are).
load_I1_files_of_pattern NEW i1/ *.tif
load_I0_files_of_pattern NEW i0/ *.tif
Use_I0 1
set_fluo_type 0

# One pixel per map point over the whole 32 x 24 image.
set_band_w 0
set_band_h 0
select_region 0 0 32 24

# The two references in the first two rows, with straight pre- and post-edge
# lines (background 0), no energy shift; rows 3 and 4 stay unused.
analyzer_select_analysis_mode 0
analyzer_set_LCF_mode 0
analyzer_set_LCF_std 0 1 0 fe2o3.dat 0
analyzer_set_LCF_std 1 1 0 feo.dat 0
:echo "LCF map over the image"
analyzer_exec_LCF

# The fraction maps (not the amounts) of both rows.
analyzer_select_image_type 0
analyzer_set_fixed_scale 1
analyzer_set_ratio_scale_min 0
analyzer_set_ratio_scale_max 1
select_disp_image 3

# As text, one "x y value" line a pixel: fe2o3_fraction-0.dat, feo_fraction-1.dat.
saveDataCfg_save_as_text
saveDataCfg_text_as_ssv
saveDataCfg_text_as_xyz
analyzer_select_image 0
save_data fe2o3_fraction.dat
save_image fe2o3_fraction.png
analyzer_select_image 1
save_data feo_fraction.dat

# As 16-bit TIFF, fraction 0 to 1 on 0 to 65535: fe2o3_fraction-0.tif, feo_fraction-1.tif.
saveDataCfg_save_as_tiff
saveDataCfg_tiff_fix_scale 1
saveDataCfg_tiff_scale_min 0
saveDataCfg_tiff_scale_max 1
saveDataCfg_tiff_as_analyzed 0
analyzer_select_image 0
save_data fe2o3_fraction.tif
analyzer_select_image 1
save_data feo_fraction.tif

# The spectrum of the pixel in the middle of the image.
move_position 16 12
save_spectra spectrum_16_12.dat

:echo "demo done: maps and spectrum saved in $DataRoot$"
quit
