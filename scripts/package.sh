#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks it as an operator would meet it:
# its files and dependencies, the menu entry and AppStream metadata, then an install into a
# temporary root (DESTDIR) whose programs are started offscreen with a fresh HOME.
# scripts/package.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "$1")
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package check: $*" >&2; exit 1; }

# ---- The package, its files and its dependencies.
rm -f "$build"/corvane_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/corvane_*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
expected=(
    /usr/bin/corvane /usr/bin/corvane-sim /usr/share/corvane/EMPTY.MDB
    /usr/share/applications/corvane.desktop
    /usr/share/metainfo/org.corvane.Corvane.metainfo.xml
    /usr/share/icons/hicolor/scalable/apps/corvane.svg
    /usr/share/man/man1/corvane.1.gz /usr/share/man/man1/corvane-sim.1.gz
    /usr/share/doc/corvane/copyright /usr/share/doc/corvane/changelog.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/corvane.png")
done
if [[ -x "$build/src/app/corvane-memories" ]]; then
    expected+=(/usr/bin/corvane-memories /usr/share/man/man1/corvane-memories.1.gz)
fi
for file in "${expected[@]}"; do
    grep -qx "$file" "$work/files" || fail "$file is not in the package"
done
outside=$(grep -v '^/usr/' "$work/files" | grep -v '/$' || true)
[[ -z "$outside" ]] || fail "files outside /usr: $outside"
programs=$(grep '^/usr/bin/.' "$work/files" | grep -v -e '/corvane$' -e '/corvane-sim$' \
    -e '/corvane-memories$' || true)
[[ -z "$programs" ]] || fail "unexpected programs: $programs"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
dependency_names=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
has_dependency() { grep -qxF "$1" <<<"$dependency_names"; }
for package in libqt6sql6-sqlite fonts-liberation2 libqt6widgets6 libqt6serialport6 libqt6sql6; do
    has_dependency "$package" || fail "Depends lacks $package"
done
# Every library the programs link comes from a package the package depends on.
dpkg-deb -x "$deb" "$work/deb"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for program in "$work"/deb/usr/bin/*; do
    file "$program" | grep -q 'ELF .* executable' || fail "$program is not a program"
    for library in $(objdump -p "$program" | awk '/NEEDED/ {print $2}'); do
        owner=$(dpkg -S "*/$multiarch/$library" 2>/dev/null | head -n 1 | cut -d: -f1)
        [[ -n "$owner" ]] || fail "no package holds $library"
        has_dependency "$owner" || fail "$(basename "$program") links $library of $owner: not in Depends"
    done
done

# ---- Menu entry and metadata.
desktop-file-validate "$work/deb/usr/share/applications/corvane.desktop"
appstreamcli validate --no-net "$work/deb/usr/share/metainfo/org.corvane.Corvane.metainfo.xml"

# ---- Installed into a temporary root, started with a fresh HOME.
root="$work/root"
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
bin="$root/usr/bin"
touch "$work/installed"
run_env=(env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME QT_QPA_PLATFORM=offscreen
    ASAN_OPTIONS=detect_leaks=0)

# The demo: the data folder and its template copy are made, the demo's settings written
# and read there, and the window comes up on the virtual radio.
home="$work/home-demo"
mkdir -p "$home"
HOME="$home" "${run_env[@]}" "$bin/corvane" --demo --screenshot "$work/demo.png" \
    --quit-after 1 >"$work/demo.out" 2>&1 || { cat "$work/demo.out"; fail "the demo failed"; }
data="$home/.local/share/corvane"
cmp -s "$data/EMPTY.MDB" "$root/usr/share/corvane/EMPTY.MDB" || fail "no template copy in $data"
grep -q "^COM2=/dev/pts/" "$data/demo/IC706.INI" || fail "no demo settings in $data/demo"
grep -q "settings in $data/demo/IC706.INI" "$work/demo.out" || fail "demo settings not used"
grep -q "to radio    FE FE 48 E0 07 00 FD" "$work/demo.out" || fail "no start-up frames"
[[ -s "$work/demo.png" ]] || fail "no screenshot of the window"

# The real route: installed corvane-sim as the radio, a settings file naming its link in
# the user's data folder; the program makes its template copy and sends the start-up
# frames.
home="$work/home-radio"
data="$home/.local/share/corvane"
mkdir -p "$data"
"$bin/corvane-sim" --link "$work/radio" --log "$work/sim.log" </dev/null >"$work/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -e "$work/radio" ]] && break; sleep 0.1; done
printf '[SETTINGS]\nADDR706=72\nCOMPORT=2\nCOM2=%s\n[BOOKMARKS]\nBOOK0=EMPTY.MDB\n' \
    "$work/radio" >"$data/IC706.INI"
HOME="$home" "${run_env[@]}" "$bin/corvane" >"$work/radio.out" 2>&1 &
pids+=($!)
for _ in $(seq 200); do
    (($(grep -c ' RX ' "$work/sim.log" || true) >= 4)) && break
    sleep 0.1
done
rx=$(grep ' RX ' "$work/sim.log" | awk '{print $3}' | tr '\n' ' ' || true)
[[ "$rx" == "FEFE48E00700FD FEFE48E00605FD FEFE48E00F00FD FEFE48E0050000404501FD " ]] ||
    { cat "$work/radio.out" "$work/sim.log"; fail "start-up frames: $rx"; }
cmp -s "$data/EMPTY.MDB" "$root/usr/share/corvane/EMPTY.MDB" || fail "no template copy in $data"

# Nothing was ever written beside the programs or anywhere in the installed tree.
written=$(find "$root" -newer "$work/installed" || true)
[[ -z "$written" ]] || fail "written into the installed tree: $written"
echo "package check: $(basename "$deb") passed"
