# Runs a batch file given on the command line, headless, and checks its echo
# lines, that the configuration file's batch lines ran first, and that the
# program ends by itself with exit code 0 and its threads stopped.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
file(WRITE ${WORKDIR}/run.bat
":let who world\n"
"# a loop with a zero-padded counter\n"
":for i ##N## 01 03 1\n"
":echo \"pass ##N## of $who$\"\n"
":next i\n"
"not_a_command 1 2\n"
":rem_start\n"
":echo never\n"
":rem_end\n"
":echo \"data in $DataRoot$\"\n"
"quit\n")
file(WRITE ${WORKDIR}/test.cfg "batch :echo \"from config\"\nbatch :echo \"config done\"\n")
execute_process(COMMAND ${PROGRAM} -c ${CONFIG} -e -d ${WORKDIR} -b run.bat -x
                WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                TIMEOUT 30)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit code ${rc}\n${out}\n${err}")
endif()
set(log "${out}${err}")
set(expected "echo pass 01 of world" "echo pass 02 of world" "echo pass 03 of world"
             "echo data in ${WORKDIR}")
if(CONFIG STREQUAL "${WORKDIR}/test.cfg")
  list(PREPEND expected "echo from config" "echo config done")
endif()
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
foreach(bad "echo never" "Destroyed while thread")
  string(FIND "${log}" "${bad}" pos)
  if(NOT pos LESS 0)
    message(FATAL_ERROR "unexpected \"${bad}\":\n${log}")
  endif()
endforeach()
