#!/bin/sh
# make-song-streams.sh MORVEL OUTDIR: renders the example song with the morvel
# program MORVEL, loops it to three minutes and encodes it twice into OUTDIR:
# song_l2_192.mp2 (twolame, 192 kbit/s joint stereo, Layer II) and
# song_l3_128.mp3 (lame, 128 kbit/s, Layer III). Needs sox, twolame and lame.
set -e
morvel=$1
out=$2
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=180
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$morvel" render "$root/examples/morvel-demo.dmf" -o "$work/song.wav" >/dev/null
# Enough repeats to pass three minutes, then cut there.
repeats=$(soxi -D "$work/song.wav" | awk -v s=$seconds '{ n = int(s / $1); print (n * $1 >= s) ? n - 1 : n }')
sox "$work/song.wav" "$work/song_3min.wav" repeat "$repeats" trim 0 $seconds
twolame --quiet -b 192 -m j "$work/song_3min.wav" "$work/song_l2_192.mp2"
lame --quiet -b 128 "$work/song_3min.wav" "$work/song_l3_128.mp3"
mv "$work/song_l2_192.mp2" "$work/song_l3_128.mp3" "$out/"
