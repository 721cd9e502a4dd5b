#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: once as an optimised build
# (RelWithDebInfo, where the optimiser's warnings show, all of them errors), once as a Debug build
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the threaded tests under
# ThreadSanitizer; then packages the optimised build and checks the package.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

build_and_test() {
    local dir=$1 label=$2
    shift 2
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    if [ -n "$label" ]; then
        ctest --test-dir "$dir" -j "$jobs" --output-on-failure -L "$label"
    else
        ctest --test-dir "$dir" -j "$jobs" --output-on-failure
    fi
}

echo "== optimised build (RelWithDebInfo)"
build_and_test build "" -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== AddressSanitizer + UndefinedBehaviorSanitizer (Debug)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    build_and_test build-asan "" -DCMAKE_BUILD_TYPE=Debug -DVELK_SANITIZE=address,undefined \
    -DVELK_BUILD_UI=OFF -DVELK_BUILD_BENCH=OFF

echo "== ThreadSanitizer (threaded tests)"
TSAN_OPTIONS=halt_on_error=1 \
    build_and_test build-tsan threaded -DCMAKE_BUILD_TYPE=Debug -DVELK_SANITIZE=thread \
    -DVELK_BUILD_UI=OFF -DVELK_BUILD_BENCH=OFF

echo "== Debian package (of the optimised build)"
VELK_BUILD_DIR=build bash scripts/package.sh
bash tests/package/check_package.sh dist/velk_*.deb

echo "All tests passed."
