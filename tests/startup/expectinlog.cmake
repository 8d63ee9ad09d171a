# expect_in_log(what text...): fails, naming what, unless every text is in ${log}.
function(expect_in_log what)
  foreach(e ${ARGN})
    string(FIND "${log}" "${e}" pos)
    if(pos LESS 0)
      message(FATAL_ERROR "${what}: missing \"${e}\":\n${log}")
    endif()
  endforeach()
endfunction()
