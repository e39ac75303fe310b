#!/usr/bin/env bash
# What the build cannot see of the layers (README, "Layout"). Each folder under src/ is a
# library whose include root holds only its own folder, so an include of a folder whose
# library is not linked does not compile. This check covers the rest:
#  - an include written with "../" or an absolute path, which reaches past include roots;
#  - a folder's CMakeLists.txt linking the library of a layer above its own, which would
#    let such includes compile.
# scripts/check-layers.sh [SOURCE_TREE]   (the repository's by default)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# folder  folders above it, whose libraries it must not link (space separated)
rules=(
    "common    protocol settings link memory radio scan net hamlib exchange sim ui app"
    "protocol  settings link memory radio scan net hamlib exchange sim ui app"
    "settings  link memory radio scan net hamlib exchange sim ui app"
    "link      memory radio scan net hamlib exchange sim ui app"
    "memory    link radio scan net hamlib exchange sim ui app"
    "radio     memory scan net hamlib exchange sim ui app"
    "scan      radio net hamlib exchange sim ui app"
    "net       memory scan hamlib exchange sim ui app"
    "hamlib    memory scan net exchange sim ui app"
    "exchange  link radio scan net hamlib sim ui app"
    "sim       settings link memory radio scan net hamlib exchange ui app"
    "ui        sim app"
)

status=0
if hits=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<](/|([^">]*/)?\.\./)' \
    src --include='*.h' --include='*.cpp'); then
    echo 'include past the include roots ("../" or an absolute path):' >&2
    echo "$hits" >&2
    status=1
fi
for rule in "${rules[@]}"; do
    read -r folder forbidden <<<"$rule"
    list="src/$folder/CMakeLists.txt"
    [[ -f "$list" ]] || continue
    for upper in $forbidden; do
        if hits=$(grep -nE "\\bcorvane_$upper\\b" "$list"); then
            echo "upward link: src/$folder must not link corvane_$upper:" >&2
            echo "$hits" >&2
            status=1
        fi
    done
done
if [[ $status -eq 0 ]]; then
    echo "layers: no upward include or link"
fi
exit $status
