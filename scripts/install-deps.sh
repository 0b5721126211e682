#!/usr/bin/env bash
# Installs what building and testing Morvel needs on Debian, only what is missing.
set -euo pipefail

packages=(cmake make g++ libgtest-dev googletest libbenchmark-dev libasound2-dev
          g++-mingw-w64-i686 wine wine32:i386 xvfb xauth mpg123 twolame lame sox xfonts-base
          clang libclang-rt-14-dev clang-format-16
          pulseaudio pulseaudio-utils libasound2-plugins python3
          libpulse-dev libsndfile1-dev flac vorbis-tools opus-tools
          pipewire pipewire-pulse wireplumber dbus)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    need_update=1
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
elif [[ -n "${need_update:-}" ]]; then
    apt-get update -qq
fi
