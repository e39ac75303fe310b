#!/usr/bin/env bash
# Installs the Debian 12 packages Corvane needs to build, run and test, when missing.
set -euo pipefail

packages=(
    cmake g++ make pkgconf
    qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite libsqlite3-dev libgl-dev
    clang libclang-rt-14-dev
    fonts-liberation2
    xvfb xauth
    libhamlib-utils libhamlib-dev
    sqlite3
    # The Debian package and its checks: icon rendering, menu entry and metadata validators.
    dpkg-dev file binutils librsvg2-bin desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
