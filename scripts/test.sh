#!/usr/bin/env bash
# Checks that every C++ source follows the .clang-format, then builds and runs
# every test: native (release, with morvel play on a private
# PulseAudio server and on a private PipeWire, then address and undefined
# behaviour sanitizers), the
# plug-in's tests under ThreadSanitizer, a short fuzzing round of every
# libFuzzer harness, and the 32-bit Windows build under wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${MORVEL_BUILD_DIR:-$root/build}"
jobs="$(nproc)"

"$root/scripts/install-deps.sh"
export WINEDEBUG=-all

echo "== code format (clang-format, .clang-format)"
"$root/scripts/check-format.sh"

echo "== native release build"
cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Release -DMORVEL_BENCH=ON >/dev/null
cmake --build "$build/native" -j "$jobs"
ctest --test-dir "$build/native" --output-on-failure -LE 'pulse|pipewire'

echo "== morvel play on a private PulseAudio server (real time, recorded and compared with morvel render)"
"$root/tests/host/server/with-pulse.sh" ctest --test-dir "$build/native" --output-on-failure -L pulse

echo "== morvel play on a private PipeWire with its PulseAudio server (skipped where PipeWire cannot start)"
"$root/tests/host/server/with-pipewire.sh" ctest --test-dir "$build/native" --output-on-failure -L pipewire

echo "== native build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$root" -B "$build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DMORVEL_SANITIZE=ON >/dev/null
cmake --build "$build/sanitize" -j "$jobs"
# What is slow and checks no memory use of ours (the sound files read back) ran in the release build.
ctest --test-dir "$build/sanitize" --output-on-failure -LE slow

echo "== plug-in tests under ThreadSanitizer"
cmake -S "$root" -B "$build/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVEL_TSAN=ON >/dev/null
cmake --build "$build/tsan" -j "$jobs" --target test_plugin
ctest --test-dir "$build/tsan" --output-on-failure -R '^plugin$'

echo "== fuzzing smoke: every harness for a few seconds (clang, libFuzzer)"
MORVEL_FUZZ_BUILD="$build/fuzz" MORVEL_FUZZ_JOBS="$jobs" "$root/scripts/fuzz-smoke.sh" 15

echo "== 32-bit Windows build, tests under wine (windows on a virtual X display)"
# The Windows host compares the DLL's PCM with the native build's morvel render.
cmake -S "$root" -B "$build/win32" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" -DMORVEL_NATIVE_BUILD="$build/native" >/dev/null
cmake --build "$build/win32" -j "$jobs"
ctest --test-dir "$build/win32" --output-on-failure
