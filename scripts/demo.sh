#!/usr/bin/env bash
# Builds Kavrin, starts a virtual radio, reads it, keeps its softpot archive and tuning report in
# demo/ (or $KAVRIN_DEMO_DIR), shows the archive, and stops the radio again.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
./scripts/build.sh release

ports=$(mktemp -d)
log=$(mktemp)
export KAVRIN_VIRTUAL_PORTS=$ports
coproc RADIO { exec build/src/sim/kavrin-radio-sim --log "$log"; }
radio_pid=$RADIO_PID
cleanup() {
    kill "$radio_pid" 2>/dev/null || true
    wait "$radio_pid" 2>/dev/null || true
    rm -rf "$ports" "$log"
}
trap cleanup EXIT
read -r device <&"${RADIO[0]}"
echo "Virtual radio on $device"

out=${KAVRIN_DEMO_DIR:-demo}
mkdir -p "$out"
build/src/cli/kavrin-cli fw-version
build/src/cli/kavrin-cli read --save "$out/radio.spa" --report "$out/display.txt"
build/src/cli/kavrin-cli show "$out/radio.spa"
echo "Archive: $out/radio.spa  Report: $out/display.txt"
