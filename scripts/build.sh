#!/usr/bin/env bash
# Configures and builds one flavour of the tree: "release" (build/) or "sanitize" (build-asan/,
# clang with AddressSanitizer, UndefinedBehaviorSanitizer and the libFuzzer targets). Warnings are
# errors here; a user's plain configure leaves them warnings.
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-release}
jobs=$(nproc)
case "$flavour" in
release)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRIN_WERROR=ON >/dev/null
    cmake --build build -j "$jobs"
    ;;
sanitize)
    CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DKAVRIN_SANITIZE=ON -DKAVRIN_FUZZ=ON -DKAVRIN_WERROR=ON >/dev/null
    cmake --build build-asan -j "$jobs"
    ;;
*)
    echo "usage: $0 [release|sanitize]" >&2
    exit 2
    ;;
esac
