# vantoscope-makedemo --help prints its usage and makes no folder; an
# unknown option is refused the same way.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
execute_process(COMMAND ${MAKEDEMO} --help WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT rc EQUAL 0 OR NOT out MATCHES "usage: .* OUTDIR")
  message(FATAL_ERROR "--help: exit code ${rc}\n${out}\n${err}")
endif()
execute_process(COMMAND ${MAKEDEMO} -x WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(rc EQUAL 0 OR NOT err MATCHES "usage:")
  message(FATAL_ERROR "-x: exit code ${rc}\n${out}\n${err}")
endif()
file(GLOB made ${WORKDIR}/*)
if(made)
  message(FATAL_ERROR "files made for an option: ${made}")
endif()
