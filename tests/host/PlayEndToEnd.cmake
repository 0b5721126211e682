# morvel play end to end: a playlist of a missing file and the example song on
# ALSA's null device, stdin not a terminal. The missing file is skipped with
# one line on standard error, the song plays to its end through the plug-in
# (its end-of-file message ends the entry), and the plug-in's log stays out of
# standard output.
#   cmake -DMORVEL=<program> -DSONG=<example song> -DMISSING=<missing.dmf> -P PlayEndToEnd.cmake

execute_process(COMMAND ${MORVEL} play --device null ${MISSING} ${SONG}
                INPUT_FILE /dev/null
                OUTPUT_VARIABLE out
                ERROR_VARIABLE err
                RESULT_VARIABLE status
                TIMEOUT 120)
message(STATUS "standard output:\n${out}standard error:\n${err}")

if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}, expected 0")
endif()

string(REGEX MATCHALL "[^\n]*\n" err_lines "${err}")
list(LENGTH err_lines err_count)
if(NOT err_count EQUAL 1)
  message(FATAL_ERROR "${err_count} lines on standard error, expected one")
endif()
string(FIND "${err}" "${MISSING}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the line on standard error does not name ${MISSING}")
endif()

set(played "${SONG}: Morvel Demo - The Morvel project (0:52), played to the end\n")
if(NOT out STREQUAL played)
  message(FATAL_ERROR "standard output should be exactly:\n${played}")
endif()
