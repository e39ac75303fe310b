#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [extra cmake options...]
# The programs only; -DBUILD_TESTING=ON adds the tests (scripts/test.sh does).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_WERROR=ON -DBUILD_TESTING=OFF "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
