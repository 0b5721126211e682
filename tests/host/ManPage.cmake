# The manual page renders without a warning.
#   cmake -DGROFF=<groff> -DPAGE=<morvel.1> -P ManPage.cmake
execute_process(COMMAND ${GROFF} -man -Tutf8 -ww -z ${PAGE} ERROR_VARIABLE warnings RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff (exit ${status}) on ${PAGE}:\n${warnings}")
endif()
