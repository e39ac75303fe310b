#!/usr/bin/env bash
# tst_layers.sh CXX INCLUDES_DIR SOURCE_TREE
# 1. For each library, the folders whose headers its files can include, asked of the
#    preprocessor with the library's own include directories: exactly its own folder and the
#    folders of the layers below it that it links. An upward include does not compile.
# 2. scripts/check-layers.sh passes on the tree, and fails on a copy with a "../" include,
#    an upward link, or a window file reaching past the radio model added.
set -euo pipefail
cxx=$1 includes=$2 source=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# library  folders its files may include from
reach=(
    "common    common"
    "profile   common profile"
    "protocol  common profile protocol"
    "settings  common profile protocol settings"
    "link      common profile protocol settings link"
    "memory    common profile protocol settings memory"
    "radio     common profile protocol settings link radio"
    "scan      common profile protocol settings memory scan"
    "net       common profile protocol settings link radio net"
    "hamlib    common profile protocol settings link radio hamlib"
    "exchange  common profile protocol settings memory exchange"
    "sim       common profile protocol sim"
    "ui        common profile protocol settings link memory radio scan net hamlib exchange ui"
)

# One header of every folder with a library, asked for by its usual spelling.
probe=$scratch/probe.cpp
: >"$probe"
for dir in "$source"/src/*/; do
    folder=$(basename "$dir")
    header=$(cd "$dir" && ls -1 ./*.h 2>/dev/null | head -n 1) || true
    [[ -n "$header" ]] || continue
    printf '#if __has_include("%s/%s")\nreach %s\n#endif\n' \
        "$folder" "${header#./}" "$folder" >>"$probe"
done

for row in "${reach[@]}"; do
    read -r layer expected <<<"$row"
    flags=()
    while IFS= read -r dir; do
        [[ -n "$dir" ]] && flags+=("-I$dir")
    done <"$includes/$layer.includes"
    actual=$("$cxx" -E -P "${flags[@]}" "$probe" | awk '$1 == "reach" {print $2}' | sort | xargs)
    want=$(tr ' ' '\n' <<<"$expected" | sort | xargs)
    if [[ "$actual" != "$want" ]]; then
        fail "corvane_$layer reaches [$actual], expected [$want]"
    fi
done

# The check script on a copy of the tree: clean, then with each fault put in.
copy() {
    rm -rf "$scratch/tree"
    mkdir -p "$scratch/tree"
    cp -r "$source/src" "$scratch/tree/"
}
copy
bash "$source/scripts/check-layers.sh" "$scratch/tree" >/dev/null || fail "check fails on the tree"
faults=(
    "src/settings/inifile.cpp|#include \"../link/seriallink.h\""
    "src/sim/virtualradio.cpp|#include \"$source/src/memory/datafreq.h\""
    "src/settings/CMakeLists.txt|target_link_libraries(corvane_settings PUBLIC corvane_link)"
    "src/sim/CMakeLists.txt|target_link_libraries(corvane_sim PUBLIC corvane_memory)"
    "src/radio/CMakeLists.txt|target_link_libraries(corvane_radio PUBLIC corvane_hamlib)"
    "src/ui/stepframe.cpp|#include \"protocol/civ.h\""
    "src/scan/bookmarkscan.cpp|#include \"link/seriallink.h\""
)
for entry in "${faults[@]}"; do
    file=${entry%%|*} line=${entry#*|}
    copy
    printf '%s\n' "$line" >>"$scratch/tree/$file"
    if bash "$source/scripts/check-layers.sh" "$scratch/tree" >/dev/null 2>&1; then
        fail "check passes with '$line' in $file"
    fi
done

if ((failures > 0)); then
    exit 1
fi
echo "layers: every library reaches only its own and lower layers; the check catches its faults"
