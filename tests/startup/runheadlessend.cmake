# Headless runs with "-x" that cannot go on end the program with exit status 1
# after their debug line: a batch file that is a folder, a FIFO or holds a line
# over 32 MiB, and a loop that passes without a command until the interpreter
# gives it up. A batch that quits ends with 0, and so does one that ends
# without quitting (at its last line or at :end), also when the configuration
# file's batch lines ran before it.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR}/folder.bat)
execute_process(COMMAND mkfifo ${WORKDIR}/fifo.bat RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "mkfifo failed")
endif()
string(REPEAT "a" 1048576 mib)
string(REPEAT "${mib}" 33 long)
file(WRITE ${WORKDIR}/long.bat ":echo short\nquit ${long}\nquit\n")
file(WRITE ${WORKDIR}/idle.bat ":for i N 1 2000000000\n:let v N\n:next i\nquit\n")
file(WRITE ${WORKDIR}/quit.bat ":echo fine\nquit\n")
file(WRITE ${WORKDIR}/noquit.bat ":echo first\n:for i N 1 3\n:echo \"pass N\"\n:next i\n")
file(WRITE ${WORKDIR}/end.bat ":echo before\n:end\n:echo after\nquit\n")
file(WRITE ${WORKDIR}/test.cfg "DataRoot ${WORKDIR}\n")
file(WRITE ${WORKDIR}/batch.cfg "DataRoot ${WORKDIR}\nbatch :echo \"from config\"\n")

include(${CMAKE_CURRENT_LIST_DIR}/expectinlog.cmake)

function(run_batch bat expected_rc)
  if(NOT cfg)
    set(cfg test.cfg)
  endif()
  execute_process(COMMAND ${PROGRAM} -config ${WORKDIR}/${cfg} -e -b ${bat} -x
                  WORKING_DIRECTORY ${WORKDIR}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 100)
  set(log "${out}${err}")
  if(NOT "${rc}" STREQUAL "${expected_rc}")
    message(FATAL_ERROR "-b ${bat}: exit status \"${rc}\", not ${expected_rc}:\n${log}")
  endif()
  expect_in_log("-b ${bat}" ${ARGN})
endfunction()

set(unreadable "Can not open batch file" "The batch file could not be read")
run_batch(folder.bat 1 ${unreadable})
run_batch(fifo.bat 1 ${unreadable})
run_batch(long.bat 1 "Can not read batch file" "The batch file could not be read")
run_batch(idle.bat 1 "Batch stopped: loop i ran" "The batch run was given up")
run_batch(quit.bat 0 "echo fine")
set(ended "The batch run has ended and no screen can show the program")
run_batch(noquit.bat 0 "echo first" "echo pass 3" ${ended})
run_batch(end.bat 0 "echo before" ${ended})
set(cfg batch.cfg)
run_batch(noquit.bat 0 "echo from config" "echo first" "echo pass 3" ${ended})
