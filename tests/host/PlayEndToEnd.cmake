# morvel play end to end on ALSA's null device, stdin not a terminal.
# 1. A playlist of a missing file, a text file, a module cut short and the
#    example song: each file that is no module is refused with the line info
#    gives for it, the song plays to its end through the plug-in (its
#    end-of-file message ends the entry), and the plug-in's log stays out of
#    standard output.
# 2. A playlist of nothing playable exits with 1.
# 3. With --log the plug-in's log is echoed to standard error. The log file is
#    in $XDG_STATE_HOME/morvel/, never in the current folder.
# 4. The sound settings' options reach the plug-in through the settings file
#    the host's window names: what it plays (ALSA's file device over the null
#    device, as fast as it renders) is morvel render's bytes with the same
#    options, and the settings file is gone afterwards.
#   cmake -DMORVEL=<program> -DSONG=<example song> -DWORKDIR=<scratch folder> -P PlayEndToEnd.cmake
# (run in WORKDIR with XDG_STATE_HOME=WORKDIR/state)

function(run_morvel)
  execute_process(COMMAND ${MORVEL} ${ARGN}
                  INPUT_FILE /dev/null
                  OUTPUT_VARIABLE out
                  ERROR_VARIABLE err
                  RESULT_VARIABLE status
                  TIMEOUT 120)
  message(STATUS "morvel ${ARGN}: exit ${status}\nstandard output:\n${out}standard error:\n${err}")
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
  set(status "${status}" PARENT_SCOPE)
endfunction()

function(expect what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}: got\n${actual}\nexpected\n${expected}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORKDIR}/state ${WORKDIR}/mrvldebug.txt)
set(missing ${WORKDIR}/no-such-song.dmf)
set(text ${WORKDIR}/notes.dmf)
file(WRITE ${text} "These are notes, not music.\n")
set(cut ${WORKDIR}/cut.dmf)
execute_process(COMMAND head -c 2000 ${SONG} OUTPUT_FILE ${cut})

# What info says of each file that is no module: play must say the same.
run_morvel(info ${missing} ${text} ${cut})
expect("info's exit status" "${status}" 1)
set(refused "${err}")
string(REGEX MATCHALL "[^\n]*\n" refused_lines "${refused}")
list(LENGTH refused_lines refused_count)
expect("lines info wrote to standard error" "${refused_count}" 3)
foreach(file ${missing} ${text} ${cut})
  string(FIND "${refused}" "morvel: ${file}: " at)
  if(at EQUAL -1)
    message(FATAL_ERROR "no line on standard error names ${file}")
  endif()
endforeach()

run_morvel(play --device null ${missing} ${text} ${cut} ${SONG})
expect("exit status" "${status}" 0)
expect("standard error" "${err}" "${refused}")
expect("standard output" "${out}" "${SONG}: Morvel Demo - The Morvel project (0:52), played to the end\n")

run_morvel(play --device null ${text} ${cut})
expect("exit status with nothing playable" "${status}" 1)

run_morvel(--log play --device null ${SONG})
expect("exit status with --log" "${status}" 0)
expect("standard output with --log" "${out}" "${SONG}: Morvel Demo - The Morvel project (0:52), played to the end\n")
# The plug-in's two loads (its file information, then Play) reach the end block; the host's check is not echoed.
string(REGEX MATCHALL "Reading Block, type: ENDE\n" ends "${err}")
list(LENGTH ends end_count)
expect("loads echoed on standard error" "${end_count}" 2)

if(EXISTS ${WORKDIR}/mrvldebug.txt)
  message(FATAL_ERROR "the log was written into the current folder")
endif()
file(READ ${WORKDIR}/state/morvel/mrvldebug.txt log)
string(FIND "${log}" "] Reading Block, type: ENDE" at)
if(at EQUAL -1)
  message(FATAL_ERROR "no load in ${WORKDIR}/state/morvel/mrvldebug.txt")
endif()

foreach(options "--rate;22050;--interpolation;cubic;--separation;50"
                "--rate;48000;--interpolation;sinc;--click-removal")
  set(played ${WORKDIR}/played.raw)
  set(rendered ${WORKDIR}/rendered.raw)
  file(REMOVE ${played} ${rendered})
  file(GLOB before_files "$ENV{TMPDIR}/morvel-play-*.ini" "/tmp/morvel-play-*.ini")
  run_morvel(play --output alsa --device "file:FILE=${played},FORMAT=raw" ${options} ${SONG})
  expect("exit status of play ${options}" "${status}" 0)
  run_morvel(render ${SONG} --raw ${options} -o ${rendered})
  expect("exit status of render ${options}" "${status}" 0)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${played} ${rendered} RESULT_VARIABLE differ)
  expect("play ${options} against render ${options} (0: the same bytes)" "${differ}" 0)
  file(GLOB after_files "$ENV{TMPDIR}/morvel-play-*.ini" "/tmp/morvel-play-*.ini")
  expect("settings files left behind" "${after_files}" "${before_files}")
endforeach()
