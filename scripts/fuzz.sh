#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz and runs each one for a
# bounded time on a working corpus (build-fuzz/corpus/TARGET, seeded from fuzz/corpus).
#   scripts/fuzz.sh [SECONDS] [TARGET...]     default: 30 seconds, every target
# A finding stops the run with a non-zero status; the input is saved as build-fuzz/crash-*
# and replays with: build-fuzz/fuzz/TARGET build-fuzz/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-30}
shift || true

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DCORVANE_FUZZ=ON "${launcher[@]}" >/dev/null

targets=("$@")
if ((${#targets[@]} == 0)); then
    mapfile -t targets < build-fuzz/fuzzers.txt
fi
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"

for target in "${targets[@]}"; do
    corpus=$root/build-fuzz/corpus/$target
    mkdir -p "$corpus"
    echo "fuzzing $target for $seconds s"
    "$root/build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$root/build-fuzz/" "$corpus" "$root/fuzz/corpus/$target"
done
