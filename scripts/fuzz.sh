#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz and runs each one for a
# bounded time on a working corpus (build-fuzz/corpus/TARGET, seeded from fuzz/corpus).
#   scripts/fuzz.sh [SECONDS] [TARGET...]     default: 30 seconds, every target
# A finding stops that target's run and makes the script's status non-zero; the input is
# saved as build-fuzz/crash-* and replays with: build-fuzz/fuzz/TARGET build-fuzz/crash-...
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

# Allocation stacks are not recorded and freed memory is held back less (1 MiB, still many
# inputs' worth, so a use after free within an input is caught) while fuzzing: recording a
# stack at every allocation took a third of the time and grew the process by hundreds of MiB
# over a long run, and a large quarantine hands back memory that has left the cache (16 MiB:
# 11 % fewer inputs a second and 79 MiB instead of 46). Replaying a finding by hand (without
# these options) shows the full stacks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0:quarantine_size_mb=1:thread_local_quarantine_size_kb=64}

# Each run's full output goes to build-fuzz/fuzz-TARGET.log; one summary line a target is
# printed: executions and their rate, coverage, and what was found.
status=0
for target in "${targets[@]}"; do
    corpus=$root/build-fuzz/corpus/$target
    log=$root/build-fuzz/fuzz-$target.log
    mkdir -p "$corpus"
    options=()
    if [[ -s "$root/build-fuzz/fuzz/$target.options" ]]; then
        read -r -a options <"$root/build-fuzz/fuzz/$target.options"
    fi
    echo "fuzzing $target for $seconds s (log: $log)"
    result=0
    "$root/build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        "${options[@]}" -artifact_prefix="$root/build-fuzz/" "$corpus" \
        "$root/fuzz/corpus/$target" >"$log" 2>&1 || result=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1 || true)
    if ((result == 0)); then
        found="nothing found"
    else
        found="FINDING (status $result): $(grep -m 1 -E 'broken rule|ERROR: ' "$log" || true)"
        found+=" $(grep -m 1 -oE "Test unit written to [^ ]+" "$log" || true)"
        status=1
    fi
    echo "$target: ${runs:-?} executions (${rate:-?}/s), ${coverage:-no coverage line}, $found"
done
exit $status
