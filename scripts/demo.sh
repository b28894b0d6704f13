#!/usr/bin/env bash
# Builds Kavrin, starts a virtual radio, runs the main job against it and stops the radio again.
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

build/src/cli/kavrin-cli fw-version
