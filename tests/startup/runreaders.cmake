# Starts a program headless without "-b": it loads "batchFile.bat" of the
# working directory, written with CR line ends only, and runs it with "-x".
# The batch names /dev/zero and a FIFO as reference spectrum, standard and
# energy reference file (the FIFO also as energy-shift map), and the configuration INCLUDEs both: each is refused
# with a debug line, the batch goes on to its end and the program quits by itself. Then /dev/zero and a folder as
# the "-b" batch file: refused, the configuration's batch still quits.
include(${CMAKE_CURRENT_LIST_DIR}/expectinlog.cmake)

file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
execute_process(COMMAND mkfifo ${WORKDIR}/fifo RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "mkfifo failed")
endif()
set(lines ":echo \"first of the default batch\""
          "analyzer_set_LCF_std 0 1 0 /dev/zero"
          "calib_load_std /dev/zero"
          "eng_by_ref_i1 /dev/zero"
          "analyzer_set_LCF_std 1 1 0 ${WORKDIR}/fifo"
          "calib_load_std ${WORKDIR}/fifo"
          "eng_by_ref_i1 ${WORKDIR}/fifo"
          "calib_load_map ${WORKDIR}/fifo"
          ":echo \"last of the default batch\""
          "quit")
string(REPLACE ";" "\r" text "${lines}")
file(WRITE ${WORKDIR}/batchFile.bat "${text}\r")
file(WRITE ${WORKDIR}/test.cfg "DataRoot ${WORKDIR}\nINCLUDE /dev/zero\nINCLUDE ${WORKDIR}/fifo\n")
execute_process(COMMAND ${PROGRAM} -config ${WORKDIR}/test.cfg -e -x
                WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                TIMEOUT 60)
set(log "${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit code ${rc}\n${log}")
endif()
expect_in_log("default batch" "echo first of the default batch" "echo last of the default batch"
              "Can't open config file : /dev/zero" "Can't open config file : ${WORKDIR}/fifo")
string(REGEX MATCHALL "not a regular file" refusals "${log}")
list(LENGTH refusals n)
if(n LESS 7)
  message(FATAL_ERROR "${n} refusals of /dev/zero and the FIFO, not 7 or more:\n${log}")
endif()
string(FIND "${log}" "Can't Open \"\"" pos)
if(NOT pos LESS 0)
  message(FATAL_ERROR "a bad-pixel file was opened without a name:\n${log}")
endif()

file(WRITE ${WORKDIR}/quit.cfg "batch :echo \"config ran\"\nbatch quit\n")
foreach(bad /dev/zero ${WORKDIR})
  execute_process(COMMAND ${PROGRAM} -config ${WORKDIR}/quit.cfg -e -b ${bad} -x
                  WORKING_DIRECTORY ${WORKDIR}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 60)
  set(log "${out}${err}")
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "-b ${bad}: exit code ${rc}\n${log}")
  endif()
  expect_in_log("-b ${bad}" "Can not open batch file" "echo config ran")
endforeach()
