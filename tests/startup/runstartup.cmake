# Starts a program headless with a batch file that quits, and checks that it
# ends by itself with exit code 0.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
file(WRITE ${WORKDIR}/quit.bat "# ends the program\nquit\n")
file(WRITE ${WORKDIR}/test.cfg "DataRoot ${WORKDIR}\n")
execute_process(COMMAND ${PROGRAM} -config ${WORKDIR}/test.cfg -b quit.bat -x
                WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                TIMEOUT 30)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit code ${rc}\n${out}\n${err}")
endif()
if(NOT err MATCHES "cfg file")
  message(FATAL_ERROR "start-up log missing:\n${err}")
endif()
