# Shared by fuzz-long.sh and fuzz-smoke.sh (sourced): builds the fuzz programs
# with clang in $build and lays out each harness's corpus, seeds, dictionary
# and limits. Not meant to be run by itself.

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MORVEL_FUZZ_BUILD:-$root/build/fuzz}"
harnesses=(info playback mpeg unpacker plugin extended)

fuzz_build() {
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DMORVEL_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$build" -j "${MORVEL_FUZZ_JOBS:-2}" --target morvel_fuzzers >/dev/null
    # Generated seeds: small modules (one holding each small MPEG fixture) and packed streams.
    rm -rf "$build/seeds"
    "$build/fuzz/morvel_fuzz_seeds" "$build/seeds" \
        "$root/tests/data/mpeg/l2_22k_mono_32.mp2" "$root/tests/data/mpeg/l1_32k_mono.mp1" \
        "$root/tests/data/mpeg3/s24_mono.mp3"
    # A scratch folder to run in, also the state folder the loader's log
    # (morvel/mrvldebug.txt) goes to, here thrown away.
    mkdir -p "$build/run/morvel"
    ln -sfn /dev/null "$build/run/morvel/mrvldebug.txt"
}

# The harness's valid name, or a failure.
fuzz_check_harness() {
    local h
    for h in "${harnesses[@]}"; do [[ "$1" == "$h" ]] && return 0; done
    echo "unknown harness '$1' (one of: ${harnesses[*]})" >&2
    return 1
}

# Seed folders of a harness (read, never written).
fuzz_seed_dirs() {
    local dirs=("$root/tests/data/fuzz-regressions/$1")
    case "$1" in
    info | playback | plugin | extended)
        mkdir -p "$build/seeds/example"
        cp "$root/examples/morvel-demo.dmf" "$build/seeds/example/"
        dirs+=("$build/seeds/module" "$build/seeds/example") ;;
    mpeg)
        mkdir -p "$build/seeds/mpeg"
        find "$root/tests/data/mpeg" "$root/tests/data/mpeg3" -size -20k \
            \( -name '*.mp1' -o -name '*.mp2' -o -name '*.mp3' -o -name '*.wav' \) \
            -exec cp {} "$build/seeds/mpeg/" \;
        dirs+=("$build/seeds/mpeg") ;;
    unpacker) dirs+=("$build/seeds/unpacker") ;;
    esac
    printf '%s\n' "${dirs[@]}"
}

# libFuzzer options of a harness: dictionary, input size, time per input.
# Modules as large as the example song (62 kB); MPEG streams of a few dozen
# frames; packed samples of 4 kB (a full tree takes under 300 bytes, more
# input only repeats the same decoding loop). The players and the plug-in
# render, so they get more time per input than the pure decoders.
fuzz_options() {
    local max_len=65536
    case "$1" in
    mpeg) max_len=16384 ;;
    unpacker) max_len=4096 ;;
    esac
    local opts=("-max_len=$max_len" -rss_limit_mb=2048 -print_final_stats=1
                "-artifact_prefix=$build/artifacts/$1/")
    case "$1" in
    info | playback | plugin | extended) opts+=("-dict=$root/fuzz/dmf.dict") ;;
    mpeg) opts+=("-dict=$root/fuzz/mpeg.dict") ;;
    esac
    # Time limits hold each harness to its stated bound with room for the
    # sanitizers (about ten times slower): an information load of any file
    # within a second (the longest legal song takes 13 ms in a release
    # build), a packed sample or an MPEG stream of -max_len within a few.
    case "$1" in
    playback | plugin | extended) opts+=(-timeout=25) ;;
    info | unpacker) opts+=(-timeout=2) ;;
    *) opts+=(-timeout=5) ;;
    esac
    mkdir -p "$build/artifacts/$1"
    printf '%s\n' "${opts[@]}"
}

# Runs one harness for Seconds (or until Runs executions, when given) with its
# corpus; prints the summary line "HARNESS: executions N, cov C, ft F, corpus K
# files" at the end.
fuzz_run() {
    local harness="$1" seconds="$2" runs="${3:--1}" log
    local corpus="$build/corpus/$harness"
    mkdir -p "$corpus"
    mapfile -t seeds < <(fuzz_seed_dirs "$harness")
    mapfile -t opts < <(fuzz_options "$harness")
    log="$build/$harness.log"
    (cd "$build/run" && XDG_STATE_HOME="$build/run" "$build/fuzz/fuzz_$harness" "${opts[@]}" -max_total_time="$seconds" -runs="$runs" \
        "$corpus" "${seeds[@]}") >"$log" 2>&1
    local status=$?
    local execs cov ft
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    cov=$(grep -ao 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    ft=$(grep -ao 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    echo "$harness: executions ${execs:-?}, cov ${cov:-?}, ft ${ft:-?}, corpus $(find "$corpus" -type f | wc -l) files (log $log)"
    if ((status != 0)); then
        echo "$harness: FAILED (exit $status); the input is in $build/artifacts/$harness/" >&2
        grep -a -m1 -A30 '^==[0-9]*==ERROR\|^SUMMARY\|timeout after\|out-of-memory' "$log" >&2 || tail -30 "$log" >&2
    fi
    return $status
}
