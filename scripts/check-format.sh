#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what clang-format makes of it
# with the tree's .clang-format, and names each such file. Tables that are laid
# out by hand sit between "// clang-format off" and "// clang-format on".
# clang-format 16: the first version that braces every control statement's
# body (InsertBraces); older ones refuse the .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
format=clang-format-16
mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.inc' ':!:tests/data/**')
differing=()
for f in "${sources[@]}"; do
    # .inc files are C++ fragments; clang-format tells the language by the name.
    if ! "$format" --dry-run --Werror --assume-filename="${f%.inc}.cpp" <"$f" >/dev/null 2>&1; then
        differing+=("$f")
    fi
done
if ((${#differing[@]})); then
    echo "${#differing[@]} of ${#sources[@]} sources differ from the .clang-format ($format -i FILE mends one):"
    printf '  %s\n' "${differing[@]}"
    exit 1
fi
echo "all ${#sources[@]} sources follow the .clang-format"
