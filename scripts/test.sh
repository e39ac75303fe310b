#!/usr/bin/env bash
# Sets up, builds and runs every test headless: once as built for use, once under
# AddressSanitizer and UndefinedBehaviorSanitizer; with clang, a short fuzzing run at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

# The layer rules the include roots cannot see (see README, "Layout"); tst_layers checks the rest.
bash scripts/check-layers.sh

bash scripts/build.sh build -DBUILD_TESTING=ON
cmake --build build --target benchmarks -j "$(nproc)"
(cd build && ctest --output-on-failure -j 2)

# The Debian package from build/: its files and dependencies, and the installed programs
# started with a fresh HOME.
bash scripts/package.sh build

bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DBUILD_TESTING=ON
(cd build-asan && ctest --output-on-failure -j 2)

# Every fuzz target for a short bounded time, when clang is there to build them.
if command -v clang++ >/dev/null; then
    bash scripts/fuzz.sh 20
else
    echo "clang++ not found: fuzz targets not run"
fi
