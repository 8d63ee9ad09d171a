# Runs a batch of calibration and save-setting commands from the command line,
# headless: a map file that cannot be read does not stop the run, a loop saves
# one ".emp" map per edge energy set by a command, and quit ends the program
# with exit code 0 after the last line.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
file(WRITE ${WORKDIR}/m.emp
"###Vantoscope::VTSC\n"
"Std Edge Energy [eV]    : 7112\n"
"Spacing [nm]            : 3.1355316\n"
"X Offset [pix]          : 10\n"
"Y Offset [pix]          : 20\n"
"Width [pix]             : 3\n"
"Height [pix]            : 2\n"
"##-----------------\n"
"0 -0.01 0.02 \n"
"0.005 -0.0025 0.1 \n")
file(WRITE ${WORKDIR}/run.bat
"calib_load_map ${WORKDIR}/missing.emp\n"
"calib_load_map ${WORKDIR}/m.emp\n"
"calib_type 1\n"
":for e ##E## 7000 9000 1000\n"
"calib_set_edge_eV ##E##\n"
"calib_save_map ${WORKDIR}/map_##E##\n"
":next e\n"
"saveDataCfg_save_as_text\n"
"saveDataCfg_tiff_scale_max 65535.0\n"
":echo \"maps saved\"\n"
"quit\n"
":echo \"after quit\"\n")
execute_process(COMMAND ${PROGRAM} -c /dev/null -e -d ${WORKDIR} -b run.bat -x
                WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                TIMEOUT 30)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit code ${rc}\n${out}\n${err}")
endif()
set(log "${out}${err}")
# Debug lines in the order the batch gives them.
set(expected "Can not open" "setting save as text" "echo maps saved")
set(at 0)
foreach(e ${expected})
  string(FIND "${log}" "${e}" pos)
  if(pos LESS 0)
    message(FATAL_ERROR "missing \"${e}\":\n${log}")
  endif()
  if(pos LESS at)
    message(FATAL_ERROR "\"${e}\" out of order:\n${log}")
  endif()
  set(at ${pos})
endforeach()
foreach(bad "Err:" "echo after quit" "Destroyed while thread" "no edge energy known")
  string(FIND "${log}" "${bad}" pos)
  if(NOT pos LESS 0)
    message(FATAL_ERROR "unexpected \"${bad}\":\n${log}")
  endif()
endforeach()
# One map per pass, each with the edge energy its pass set and the map's size.
foreach(e 7000 8000 9000)
  if(NOT EXISTS ${WORKDIR}/map_${e}.emp)
    message(FATAL_ERROR "map_${e}.emp not written:\n${log}")
  endif()
  file(READ ${WORKDIR}/map_${e}.emp text)
  if(NOT text MATCHES "Std Edge Energy \\[eV\\] *: *${e}[\r\n]")
    message(FATAL_ERROR "map_${e}.emp without its edge energy:\n${text}")
  endif()
  if(NOT text MATCHES "Width \\[pix\\] *: *3[\r\n]" OR NOT text MATCHES "Height \\[pix\\] *: *2[\r\n]")
    message(FATAL_ERROR "map_${e}.emp with a wrong size:\n${text}")
  endif()
endforeach()
file(READ ${WORKDIR}/map_7000.emp a)
file(READ ${WORKDIR}/map_9000.emp b)
if(a STREQUAL b)
  message(FATAL_ERROR "the edge energy did not change the saved map")
endif()
