# The install step end to end: cmake --install into a fresh prefix puts the
# program, the plug-in library and the manual page in their places; the
# installed program shows its version and plays a song through the installed
# plug-in (not the build tree's), and a program without a plug-in says where
# it looked.
#   cmake -DBUILD=<build tree> -DPREFIX=<scratch prefix> -DSONG=<song> -DVERSION=<x.y.z>
#         -DPLUGIN_DIR=<the plug-in's folder under the prefix> -P InstallEndToEnd.cmake

function(expect what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}: got\n${actual}\nexpected\n${expected}")
  endif()
endfunction()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
expect("cmake --install (${err})" "${status}" 0)

foreach(installed bin/morvel ${PLUGIN_DIR}/libmorvel_plugin.so share/man/man1/morvel.1)
  if(NOT EXISTS ${PREFIX}/${installed})
    message(FATAL_ERROR "not installed: ${PREFIX}/${installed}\n${out}")
  endif()
endforeach()

execute_process(COMMAND ${PREFIX}/bin/morvel --version OUTPUT_VARIABLE out RESULT_VARIABLE status)
expect("morvel --version" "${status}:${out}" "0:morvel ${VERSION}\n")

execute_process(COMMAND ${PREFIX}/bin/morvel play --device null ${SONG}
                INPUT_FILE /dev/null OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status TIMEOUT 120)
expect("installed morvel play (standard error: ${err})" "${status}" 0)
if(NOT out MATCHES ", played to the end\n$")
  message(FATAL_ERROR "installed morvel play did not play the song:\n${out}${err}")
endif()

# The program alone, without its library beside it or in ../lib/morvel.
set(alone ${PREFIX}/alone/bin)
file(MAKE_DIRECTORY ${alone})
file(COPY ${PREFIX}/bin/morvel DESTINATION ${alone})
execute_process(COMMAND ${alone}/morvel play --device null ${SONG}
                INPUT_FILE /dev/null OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status TIMEOUT 120)
expect("morvel play without a plug-in" "${status}" 1)
if(NOT err MATCHES "plug-in library is missing.*${alone}/libmorvel_plugin.so")
  message(FATAL_ERROR "the missing plug-in is not reported with the places looked in:\n${err}")
endif()
file(REMOVE_RECURSE ${PREFIX})
