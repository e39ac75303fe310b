#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own. One include root
# (src/) cannot stop such an include, so this check does. Each rule: a folder under src/
# and the folders its files must not include from.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder  forbidden folders (space separated)
rules=(
    "protocol  link settings memory radio scan net exchange ui app sim"
    "common    protocol link settings memory radio scan net exchange ui app sim"
    "link      memory radio scan net exchange ui app"
    "settings  memory radio scan net exchange ui app"
    "memory    radio scan net exchange ui app"
    "radio     scan net exchange ui app"
    "scan      net exchange ui app"
    "net       ui app"
    "exchange  net ui app"
    "sim       ui app"
)

status=0
for rule in "${rules[@]}"; do
    read -r folder forbidden <<<"$rule"
    [[ -d "src/$folder" ]] || continue
    for upper in $forbidden; do
        if hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]$upper/" \
            "src/$folder" --include='*.h' --include='*.cpp'); then
            echo "upward include: src/$folder must not include $upper/:" >&2
            echo "$hits" >&2
            status=1
        fi
    done
done
if [[ $status -eq 0 ]]; then
    echo "layers: no upward include"
fi
exit $status
