# Prepares the wine host's run folder (WORKDIR): the plug-in DLL under the name
# Winamp loads input plug-ins by, in_morvel.dll, in a folder of its own with
# vuravi__.fon beside it when the build has made the font; the example song;
# and that song's raw PCM from the reference renderer: NATIVE_BUILD's
# host/morvel when given, else this build's morvel.exe under EMULATOR.
file(REMOVE_RECURSE ${WORKDIR}/plugins)
file(MAKE_DIRECTORY ${WORKDIR}/plugins)
file(COPY_FILE ${DLL} ${WORKDIR}/plugins/in_morvel.dll)
if(EXISTS ${FONT})
  file(COPY_FILE ${FONT} ${WORKDIR}/plugins/vuravi__.fon)
else()
  message(STATUS "${FONT} is not built: the font checks will be skipped")
endif()
file(COPY_FILE ${SONG} ${WORKDIR}/morvel-demo.dmf)
# Every load appends to the log in the current folder: one run's log at a time.
file(REMOVE ${WORKDIR}/mrvldebug.txt)

file(REMOVE ${WORKDIR}/morvel-demo.pcm)
if(NATIVE_BUILD)
  set(renderer ${NATIVE_BUILD}/host/morvel)
  if(NOT EXISTS ${renderer})
    message(FATAL_ERROR "MORVEL_NATIVE_BUILD names ${NATIVE_BUILD}, which holds no host/morvel")
  endif()
  # The native program logs to the state folder: here, the run folder.
  set(render_command ${CMAKE_COMMAND} -E env XDG_STATE_HOME=${WORKDIR} ${renderer})
else()
  set(render_command ${EMULATOR} ${CROSS_MORVEL})
endif()
execute_process(COMMAND ${render_command} render morvel-demo.dmf --raw -o morvel-demo.pcm
                WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0 OR NOT EXISTS ${WORKDIR}/morvel-demo.pcm)
  message(FATAL_ERROR "the reference render failed (${status}): ${render_command}")
endif()
