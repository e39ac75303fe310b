#!/usr/bin/env bash
# Sets up, builds and runs every test headless: once as built for use, once under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

bash scripts/build.sh build
(cd build && ctest --output-on-failure -j 2)

# The Debian package from build/: its files and dependencies, and the installed programs
# started with a fresh HOME.
bash scripts/package.sh build

bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON
(cd build-asan && ctest --output-on-failure -j 2)
