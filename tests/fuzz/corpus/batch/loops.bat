:echo "run in $DataRoot$"
:let dir $DataRoot$/a
:for i I 1 3
:for j J 1 2
save_data f_I_J
:next j
seek_image I
:next i
:rem_start
skip_i1 3
:rem_end
load_I1_files_of_pattern NEW i1/ *.tif
Use_I0 1
:end
