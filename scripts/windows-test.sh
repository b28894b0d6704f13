#!/usr/bin/env bash
# Cross-builds the UI-free core for 64-bit Windows with MinGW-w64 (cross/windows, in
# build-windows/) and runs its tests under wine in a temporary wine prefix of its own, without a
# display. Exits non-zero when the build or any test fails, or a test program outlives its
# timeout (KAVRIN_WINDOWS_TEST_TIMEOUT seconds, 120 by default).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
test_timeout=${KAVRIN_WINDOWS_TEST_TIMEOUT:-120}
started=$SECONDS

wine=""
for candidate in wine wine64 /usr/lib/wine/wine64; do
    if command -v "$candidate" >/dev/null 2>&1; then
        wine=$(command -v "$candidate")
        break
    fi
done
if [ -z "$wine" ]; then
    echo "windows-test: wine is not installed (scripts/setup.sh installs it)" >&2
    exit 1
fi
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

echo "== Windows cross-build (build-windows/)"
cmake -S cross/windows -B build-windows -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRIN_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build build-windows -j "$jobs"
echo "   built in $((SECONDS - started)) s"

# The test programs are the build's registered tests, named as their executables.
mapfile -t programs < <(ctest --test-dir build-windows -N | sed -n 's/^ *Test *#[0-9]*: *//p')
if [ ${#programs[@]} -eq 0 ]; then
    echo "windows-test: the build registered no tests" >&2
    exit 1
fi

# A prefix of our own, so that nothing of the user's wine setup is used or changed, and no
# display: the tests are console programs. Mono and Gecko are not wanted, so wineboot does not
# offer to install them.
prefix=$(mktemp -d "${TMPDIR:-/tmp}/kavrin-wine.XXXXXX")
cleanup() {
    WINEPREFIX="$prefix" "$wineserver" -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

echo "== wine prefix"
boot_started=$SECONDS
if ! timeout "$test_timeout" "$wine" wineboot --init >/dev/null 2>&1; then
    echo "windows-test: wineboot --init failed or took longer than ${test_timeout}s" >&2
    exit 1
fi
echo "   ready in $((SECONDS - boot_started)) s"

failed=()
for program in "${programs[@]}"; do
    echo "== $program.exe under wine"
    status=0
    # From the build tree, a Unix directory: the tests find their files by the paths they were
    # built with, relative to it or absolute from the root, which wine's current drive maps.
    (cd build-windows && timeout "$test_timeout" "$wine" "./$program.exe" --gtest_brief=1 \
        --gtest_color=no) || status=$?
    if [ "$status" -ne 0 ]; then
        [ "$status" -eq 124 ] && echo "$program.exe did not end within ${test_timeout}s"
        failed+=("$program")
    fi
done

echo "== Windows core: ${#programs[@]} test programs in $((SECONDS - started)) s"
if [ ${#failed[@]} -ne 0 ]; then
    echo "FAILED under wine: ${failed[*]}"
    exit 1
fi
echo "all passed under wine"
