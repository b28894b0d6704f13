#!/usr/bin/env bash
# The main job on a virtual radio: builds Kavrin, starts a virtual radio in the background and
# opens Kavrin on it; the radio stops when Kavrin exits. Without a display it reads the virtual
# radio from the command line instead and keeps its softpot archive and tuning report in demo/
# (or $KAVRIN_DEMO_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
./scripts/build.sh release

ports=$(mktemp -d)
log=$(mktemp)
export KAVRIN_VIRTUAL_PORTS=$ports
coproc RADIO { exec build/src/sim/kavrin-radio-sim --exit-with-parent --log "$log"; }
radio_pid=$RADIO_PID
cleanup() {
    kill "$radio_pid" 2>/dev/null || true
    wait "$radio_pid" 2>/dev/null || true
    rm -rf "$ports" "$log"
}
trap cleanup EXIT
read -r device <&"${RADIO[0]}"
echo "Virtual radio on $device"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Opening Kavrin; choose File > Read Radio Information and Softpots."
    build/src/shell/kavrin
    exit 0
fi

out=${KAVRIN_DEMO_DIR:-demo}
mkdir -p "$out"
echo "No display here: reading the virtual radio from the command line instead."
build/src/cli/kavrin-cli read --save "$out/radio.spa" --report "$out/display.txt"
build/src/cli/kavrin-cli show "$out/radio.spa"
echo "Archive: $out/radio.spa"
echo "Report:  $out/display.txt"
