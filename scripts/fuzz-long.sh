#!/usr/bin/env bash
# scripts/fuzz-long.sh HARNESS [SECONDS [RUNS]]: builds the libFuzzer programs
# (clang, in build/fuzz or $MORVEL_FUZZ_BUILD) and fuzzes one harness for
# SECONDS (default 3600) or RUNS executions, whichever ends first, with its
# growing corpus (build/fuzz/corpus/HARNESS), the
# seeds and its dictionary. For long runs outside CI; prints executions,
# coverage (cov/ft) and corpus size at the end. A fault leaves its input in
# build/fuzz/artifacts/HARNESS/ and fails the script.
# Harnesses: info, playback, mpeg, unpacker, plugin.
set -uo pipefail
source "$(dirname "$0")/fuzz-common.sh"

if (($# < 1 || $# > 3)); then
    echo "usage: $0 HARNESS [SECONDS [RUNS]]   (HARNESS: ${harnesses[*]})" >&2
    exit 2
fi
fuzz_check_harness "$1" || exit 2
fuzz_build || exit 1
fuzz_run "$1" "${2:-3600}" "${3:--1}"
