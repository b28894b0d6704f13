#!/usr/bin/env bash
# Installs every package Kavrin needs to build, run and test on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6serialport6-dev qt6-qpa-plugins
    libgl-dev
    libqt6sql6-sqlite libqt6sql6-psql postgresql
    # Qt Charts' CMake package needs Qt OpenGL's, which its Debian package does not pull in.
    qt6-charts-dev libqt6opengl6-dev poppler-utils
    googletest libgtest-dev libgmock-dev
    clang lld libclang-rt-dev clang-format
    fonts-liberation
    # The Windows cross-build of the core (scripts/windows-test.sh) and wine to run its tests.
    g++-mingw-w64-x86-64 wine wine64
    # The Debian package and its checks (scripts/package.sh, scripts/package-test.sh).
    lintian help2man desktop-file-utils appstream dpkg-dev fakeroot file
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
