#!/usr/bin/env bash
# What the build cannot see of the layers (README, "Layout"). Each folder under src/ is a
# library whose include root holds only its own folder, so an include of a folder whose
# library is not linked does not compile. This check covers the rest:
#  - an include written with "../" or an absolute path, which reaches past include roots;
#  - a folder's CMakeLists.txt linking the library of a layer above its own, which would
#    let such includes compile;
#  - the window or the bookmark scan reaching past the radio model: an include of link/ or
#    protocol/ in src/ui or src/scan, other than the serial ports the dialogs offer
#    (link/portoffers.h, link/portnames.h) and the dialogs' check of a port on a line of
#    its own (radiocheck, firststartdialog).
# scripts/check-layers.sh [SOURCE_TREE]   (the repository's by default)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# folder  folders above it, whose libraries it must not link (space separated)
rules=(
    "common    profile protocol settings link memory radio scan net hamlib exchange sim ui app"
    "profile   protocol settings link memory radio scan net hamlib exchange sim ui app"
    "protocol  settings link memory radio scan net hamlib exchange sim ui app"
    "settings  link memory radio scan net hamlib exchange sim ui app"
    "link      memory radio scan net hamlib exchange sim ui app"
    "memory    link radio scan net hamlib exchange sim ui app"
    "radio     memory scan net hamlib exchange sim ui app"
    "scan      link radio net hamlib exchange sim ui app"
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
if hits=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(link|protocol)/' \
    src/ui src/scan --include='*.h' --include='*.cpp' |
    grep -vE '"link/(portoffers|portnames)\.h"' |
    grep -vE '^src/ui/(radiocheck|firststartdialog)\.(h|cpp):'); then
    echo 'the window reaches past the radio model (link/ or protocol/):' >&2
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
