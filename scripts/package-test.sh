#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh, or from the build folder given), checks it with
# lintian and the desktop's validators, unpacks it into a temporary root and runs the installed
# programs from there:
# kavrin-cli reads the installed virtual radio and writes a report, kavrin checks that it finds
# its help and pictures. Exits non-zero on the first failure; stops what it started.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d "${TMPDIR:-/tmp}/kavrin-package-test.XXXXXX")
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
    echo "package-test: $*" >&2
    exit 1
}
step() {
    echo "package-test: $*"
}

# With a build folder as its argument it packages that build (the test command's release build)
# instead of making a release build of its own.
if [ $# -ge 1 ]; then
    step "packaging the build in $1"
    cmake --build "$1" --target package >&2
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt")
    deb="$(cd "$1" && pwd)/kavrin_${version}_$(dpkg --print-architecture).deb"
else
    step "building the package"
    deb=$(scripts/package.sh | tail -n 1)
fi
[ -f "$deb" ] || fail "no package built"
step "package $deb"

step "lintian"
# Running as root is how the containers here work; lintian only warns about it.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian found errors"

root="$work/root"
dpkg-deb -x "$deb" "$root"
share="$root/usr/share"

step "desktop entry, metainfo, file type and udev rule"
desktop-file-validate "$share/applications/kavrin.desktop" || fail "desktop entry is invalid"
appstreamcli validate --no-net "$share/metainfo/org.kavrin.Kavrin.metainfo.xml" ||
    fail "AppStream metainfo is invalid"
grep -qx 'MimeType=application/x-kavrin-archive;' "$share/applications/kavrin.desktop" ||
    fail "the desktop entry does not open archives"
grep -qx 'Exec=kavrin %f' "$share/applications/kavrin.desktop" ||
    fail "the desktop entry does not pass the file"
grep -q '<mime-type type="application/x-kavrin-archive">' "$share/mime/packages/kavrin.xml" &&
    grep -q '<glob pattern="\*.spa"/>' "$share/mime/packages/kavrin.xml" ||
    fail "the file type does not cover *.spa"
rule="$root/usr/lib/udev/rules.d/70-kavrin-cp210x.rules"
if command -v udevadm >/dev/null 2>&1 && udevadm verify --help >/dev/null 2>&1; then
    udevadm verify "$rule" || fail "the udev rule is invalid"
fi
grep -qxF 'SUBSYSTEM=="tty", ATTRS{idVendor}=="10c4", ATTRS{idProduct}=="ea60", TAG+="uaccess"' \
    "$rule" || fail "the udev rule is not the one for the programming cable"
for size in 16 32 48 64 128 256; do
    file "$share/icons/hicolor/${size}x${size}/apps/kavrin.png" |
        grep -q "PNG image data, $size x $size" || fail "no ${size}x${size} icon"
done
for page in kavrin kavrin-cli kavrin-radio-sim; do
    zcat "$share/man/man1/$page.1.gz" | grep -q '^\.TH' || fail "no manual page $page(1)"
done

step "the installed kavrin-cli against the installed virtual radio"
export KAVRIN_VIRTUAL_PORTS="$work/ports" KAVRIN_HISTORY=none
mkdir -p "$KAVRIN_VIRTUAL_PORTS"
"$root/usr/bin/kavrin-radio-sim" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 100); do
    [ -s "$work/sim.out" ] && break
    kill -0 "$sim_pid" 2>/dev/null || fail "the virtual radio ended: $(cat "$work/sim.err")"
    sleep 0.1
done
[ -s "$work/sim.out" ] || fail "the virtual radio printed no port within 10 s"
step "virtual radio on $(head -n 1 "$work/sim.out")"
(cd "$work" && timeout 60 "$root/usr/bin/kavrin-cli" read --save X.spa) ||
    fail "kavrin-cli read failed"
[ -s "$work/X.spa" ] || fail "kavrin-cli read saved no archive"
(cd "$work" && timeout 60 "$root/usr/bin/kavrin-cli" report X.spa --output R.txt) ||
    fail "kavrin-cli report failed"
grep -q 'R A D I O   S O F T P O T   D A T A' "$work/R.txt" || fail "the report is not one"

step "the installed kavrin finds its help and pictures"
check=$(QT_QPA_PLATFORM=offscreen timeout 60 "$root/usr/bin/kavrin" --check-installation) ||
    fail "kavrin --check-installation failed"
echo "$check"
grep -qx "help: $share/kavrin/Kavrin.chm/index.htm" <<<"$check" ||
    fail "kavrin did not take its help from the installation"
grep -qx "title picture: $share/kavrin/title.bmp" <<<"$check" ||
    fail "kavrin did not take its pictures from the installation"
"$root/usr/bin/kavrin" --version | grep -qx "kavrin [0-9.]*" || fail "kavrin --version"

step "passed"
