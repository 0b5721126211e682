#!/usr/bin/env bash
# The SHA-256 of every PCM the decoder and the renderer make of the tree's data:
# each MPEG stream of tests/data (decoded by mpegdec as a compressed sample is
# decoded when a module loads), the bench's song streams when a native build has
# made them, and the raw render of every .dmf in tests/data and examples/
# (morvel render --raw; a render that fails is listed with its exit code), and
# of the render corpus the build's tests/morvel_song_corpus writes.
#
#   pcm-hashes.sh BUILD              prints "hash  name" lines for the build
#   pcm-hashes.sh BUILD OTHER        prints the differences of two builds, fails on any
#
# MORVEL_SONG_STREAMS names another folder of song streams (*.mp2, *.mp3).
# BUILD is a native or a 32-bit Windows build folder (its programs then run
# under wine). Run it before and after a change of the decoder or the engine:
# every line must stay the same.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if (($# == 2)); then
    # Both builds decode the same song streams: the first build's, unless named.
    MORVEL_SONG_STREAMS="${MORVEL_SONG_STREAMS:-$(cd "$1" && pwd)/bench/song-streams}"
    export MORVEL_SONG_STREAMS
    first="$(mktemp)"
    second="$(mktemp)"
    trap 'rm -f "$first" "$second"' EXIT
    "$0" "$1" >"$first"
    "$0" "$2" >"$second"
    if diff "$first" "$second"; then
        echo "all $(wc -l <"$first") outputs identical"
        exit 0
    fi
    echo "outputs differ" >&2
    exit 1
fi
if (($# != 1)); then
    echo "usage: pcm-hashes.sh BUILD [OTHER_BUILD]" >&2
    exit 2
fi

build="$(cd "$1" && pwd)"
run=()
suffix=""
if [[ -f "$build/tools/mpegdec/mpegdec.exe" ]]; then
    run=(wine)
    suffix=".exe"
    export WINEDEBUG=-all
fi
mpegdec="$build/tools/mpegdec/mpegdec$suffix"
morvel="$build/host/morvel$suffix"
for program in "$mpegdec" "$morvel"; do
    if [[ ! -x "$program" && ! -f "$program" ]]; then
        echo "missing $program (build the mpegdec and morvel targets)" >&2
        exit 2
    fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
out="$work/out.pcm"

hash_of() {
    sha256sum "$1" | cut -d' ' -f1
}

cd "$root"
mapfile -t streams < <(find tests/data/mpeg tests/data/mpeg3 tests/data/fuzz-regressions/mpeg -type f \
    \( -name '*.mp1' -o -name '*.mp2' -o -name '*.mp3' -o -name '*.wav' \) | LC_ALL=C sort)
for stream in "${streams[@]}"; do
    rm -f "$out"
    "${run[@]}" "$mpegdec" "$stream" "$out" >/dev/null
    echo "$(hash_of "$out")  $stream"
done
# Made by the benchmarks in a native build (bench/make-song-streams.sh); the same
# files serve a 32-bit build's comparison when it names them.
songs="${MORVEL_SONG_STREAMS:-$build/bench/song-streams}"
for stream in "$songs"/*.mp2 "$songs"/*.mp3; do
    [[ -f "$stream" ]] || continue
    rm -f "$out"
    "${run[@]}" "$mpegdec" "$stream" "$out" >/dev/null
    echo "$(hash_of "$out")  song-streams/$(basename "$stream")"
done

# The songs of the tree, then the render corpus (tests/corpus) when the build
# has its writer: 60 songs that use every frame format, loop, effect and tempo.
mapfile -t songs < <(find tests/data examples -type f -name '*.dmf' | LC_ALL=C sort)
corpus="$build/tests/morvel_song_corpus$suffix"
if [[ -f "$corpus" ]]; then
    "${run[@]}" "$corpus" "$work/corpus" >/dev/null
    mapfile -t -O "${#songs[@]}" songs < <(find "$work/corpus" -name '*.dmf' | LC_ALL=C sort)
fi
for song in "${songs[@]}"; do
    rm -f "$out"
    status=0
    "${run[@]}" "$morvel" render "$song" --raw --force -o "$out" >/dev/null 2>&1 || status=$?
    name="${song#"$work/"}"
    if [[ -f "$out" ]]; then
        echo "$(hash_of "$out")  $name (render, exit $status)"
    else
        echo "no output  $name (render, exit $status)"
    fi
done
