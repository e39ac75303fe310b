#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_WERROR=ON "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
