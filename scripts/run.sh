#!/usr/bin/env bash
# Sets up, builds and starts Corvane on its demo: a virtual radio in the same process.
# With a display the window opens; without one the demo runs a few seconds under a virtual
# X server, saves a picture of the window and prints it with the frames exchanged.
# Extra arguments go to the program (for example --dir DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build

program=build/src/app/corvane
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$program" --demo "$@"
fi

shot="${CORVANE_SCREENSHOT:-$PWD/build/corvane-demo.png}"
echo "No display: running the demo under xvfb-run for a few seconds."
xvfb-run -a "$program" --demo --screenshot "$shot" --quit-after 6 "$@"
echo "Screenshot of the window: $shot"
