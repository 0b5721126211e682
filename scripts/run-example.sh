#!/usr/bin/env bash
# Installs what is needed, builds Morvel, and renders the bundled example song
# to a WAV file, printing its title, length and where the file went.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${MORVEL_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Release -DMORVEL_BENCH=ON >/dev/null
cmake --build "$build/native" -j "$(nproc)" --target morvel

song="$root/examples/morvel-demo.dmf"
out="$build/morvel-demo.wav"
"$build/native/host/morvel" info "$song"
"$build/native/host/morvel" render "$song" --force -o "$out"
