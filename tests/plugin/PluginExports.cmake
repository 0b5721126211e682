# Checks that the plug-in library exports winampGetInModule2 and nothing else.
# Run as: cmake -DNM=<nm> -DLIBRARY=<path> -P PluginExports.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(exported)
foreach(line IN LISTS lines)
  # "address type name[@@version]"; a version node ("A MORVEL_1.0" or the like)
  # is no symbol.
  if(line MATCHES "^[0-9a-fA-F]* *([A-Za-z]) ([^@]+)")
    if(NOT CMAKE_MATCH_1 STREQUAL "A")
      list(APPEND exported "${CMAKE_MATCH_2}")
    endif()
  endif()
endforeach()
if(NOT exported STREQUAL "winampGetInModule2")
  message(FATAL_ERROR "exported: ${exported}; only winampGetInModule2 may be")
endif()
message(STATUS "exported: ${exported}")
