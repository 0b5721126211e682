#!/bin/sh
# Regenerates the block switching fixtures: Layer III streams written by
# tests/mpeg/fixtures/MakeBlockSwitchingStreams.cpp (granules of block types 1, 2
# and 3 with and without mixed_block_flag, which no common encoder writes, and an
# MPEG-2 intensity stereo stream of long blocks whose channels' intensity scale bits
# differ), and the reference PCM decoded by mpg123 (16-bit little-endian, no gapless
# trimming).
set -e
cd "$(dirname "$0")"
root=$(cd ../../.. && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

${CXX:-c++} -std=c++20 -O1 -Wall -Wextra -I"$root" \
    "$root/tests/mpeg/fixtures/MakeBlockSwitchingStreams.cpp" "$root/mpeg/layer3/MpegHuffmanCodes.cpp" \
    "$root/mpeg/layer3/MpegLayer3Tables.cpp" -o "$tmp/make_streams"
"$tmp/make_streams" .
for stream in blocks_*.mp3; do
    mpg123 --quiet --no-gapless -s "$stream" > "${stream%.mp3}.pcm"
done
