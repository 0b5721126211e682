#!/usr/bin/env bash
# scripts/fuzz-smoke.sh [SECONDS]: a short fuzzing round of every harness,
# one after the other (SECONDS each, default 12), for the test command. Fails
# when any harness finds a fault.
set -uo pipefail
source "$(dirname "$0")/fuzz-common.sh"

seconds="${1:-12}"
fuzz_build || exit 1
failed=0
for harness in "${harnesses[@]}"; do
    fuzz_run "$harness" "$seconds" || failed=1
done
exit $failed
