#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer flavour, checks the format of the
# sources, runs every test in both, checks the Debian package and the installed programs,
# cross-builds the core for Windows and runs its tests under wine, and fuzzes the frame and
# archive decoders for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
jobs=$(nproc)
fuzz_seconds=${KAVRIN_FUZZ_SECONDS:-60}
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
passed=0

# Runs one CTest tree and adds its count to the total; CTest's own exit status stops the script
# on any failure.
run_ctest() {
    ctest --test-dir "$1" -j "$jobs" --output-on-failure --timeout "$2" | tee "$summary"
    local count
    count=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$summary")
    passed=$((passed + ${count:-0}))
}

echo "== release build and tests"
./scripts/build.sh release
echo "== format check"
cmake --build build --target format-check
run_ctest build 120

echo "== Debian package: lintian, validators, the installed programs"
./scripts/package-test.sh build
passed=$((passed + 1))

# The Windows core's cross-build and its tests under wine need nothing of the other builds: they
# run beside the sanitizer build's compiling (not beside timed tests).
windows_log=$(mktemp)
./scripts/windows-test.sh >"$windows_log" 2>&1 &
windows_pid=$!
trap 'kill "$windows_pid" 2>/dev/null || true; rm -f "$summary" "$windows_log"' EXIT

echo "== sanitizer build and tests"
./scripts/build.sh sanitize
echo "== Windows core: cross-build and tests under wine"
if ! wait "$windows_pid"; then
    cat "$windows_log"
    echo "== the Windows core failed" >&2
    exit 1
fi
cat "$windows_log"
windows_tests=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' "$windows_log" |
    awk '{ s += $1 } END { print s + 0 }')
passed=$((passed + ${windows_tests:-0}))

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
run_ctest build-asan 300

corpus=$(mktemp -d)
trap 'rm -rf "$corpus" "$summary" "$windows_log"' EXIT
for target in frame archive; do
    echo "== fuzzing the $target decoder for ${fuzz_seconds}s"
    rm -rf "${corpus:?}"/*
    cp tests/fuzz/corpus/$target/* "$corpus"/
    build-asan/tests/fuzz/${target}_fuzzer -max_total_time="$fuzz_seconds" -print_final_stats=0 \
        "$corpus" 2>&1 | tail -n 1
    passed=$((passed + 1))
done

echo "== all tests passed"
echo "$passed passed, 0 failed"
