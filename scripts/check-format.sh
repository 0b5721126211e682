#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what clang-format makes of it
# with the tree's .clang-format, and names each such file. Tables that are laid
# out by hand sit between "// clang-format off" and "// clang-format on".
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.inc' ':!:tests/data/**')
differing=()
for f in "${sources[@]}"; do
    # .inc files are C++ fragments; clang-format tells the language by the name.
    if ! clang-format --dry-run --Werror --assume-filename="${f%.inc}.cpp" <"$f" >/dev/null 2>&1; then
        differing+=("$f")
    fi
done
if ((${#differing[@]})); then
    echo "${#differing[@]} of ${#sources[@]} sources differ from the .clang-format (clang-format -i FILE mends one):"
    printf '  %s\n' "${differing[@]}"
    exit 1
fi
echo "all ${#sources[@]} sources follow the .clang-format"
