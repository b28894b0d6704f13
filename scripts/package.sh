#!/usr/bin/env bash
# Builds the Debian package kavrin in a release build folder of its own (build-package/, or
# $KAVRIN_PACKAGE_BUILD_DIR), without the tests, with Debian's hardening flags, and prints the
# package's path as the last line.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KAVRIN_PACKAGE_BUILD_DIR:-build-package}
jobs=${KAVRIN_PACKAGE_JOBS:-2}

launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# The flags a Debian package is built with (stack protector, fortified functions, read-only
# relocations, immediate binding); the source folder is mapped away so that it does not end up
# in the binaries.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$jobs" --target package >&2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/kavrin_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
    echo "package.sh: $deb was not built" >&2
    exit 1
fi
echo "$(pwd)/$deb"
