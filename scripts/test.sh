#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: once as an optimised build
# (Release, where the optimiser's warnings show, all of them errors), once as a Debug build under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the threaded tests under ThreadSanitizer;
# then packages the optimised build and checks the package. Each stage says how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
echo "-- packages ready after $SECONDS s"

jobs=$(nproc)
# Many tests spend their time waiting on sockets, time-outs and pauses, so more of them run at once
# than there are cores.
test_jobs=$((jobs + 2))
export QT_QPA_PLATFORM=offscreen
# ccache keys on paths relative to the checkout, so a clone in another folder hits the same cache.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
ccache --zero-stats >/dev/null 2>&1 || true

# build_and_test DIR LABEL CMAKE-ARGS...: with a label, only the tests of that label run, and only
# what they need is built (the target LABEL_tests).
build_and_test() {
    local dir=$1 label=$2
    shift 2
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    if [ -n "$label" ]; then
        cmake --build "$dir" -j "$jobs" --target "${label}_tests"
        ctest --test-dir "$dir" -j "$test_jobs" --output-on-failure -L "$label"
    else
        cmake --build "$dir" -j "$jobs"
        ctest --test-dir "$dir" -j "$test_jobs" --output-on-failure
    fi
}

stage() {
    if [ -n "${stage_name:-}" ]; then
        echo "-- $stage_name took $((SECONDS - stage_start)) s"
    fi
    stage_name=$1
    stage_start=$SECONDS
    [ -z "$stage_name" ] || echo "== $stage_name"
}

# The optimised build is the one packaged, so it gets Debian's hardening flags; without -g (the
# package is stripped) and without the source folder in the flags, so ccache hits from any clone.
stage "optimised build (Release, hardened)"
DEB_CXXFLAGS_MAINT_STRIP=-g velk_build_options=reproducible=-fixfilepath,-fixdebugpath source scripts/hardening.sh
build_and_test build "" -DCMAKE_BUILD_TYPE=Release "${hardened_cmake_args[@]}"

# Line tables are all a sanitizer's report needs, and they build faster than full debug data.
stage "AddressSanitizer + UndefinedBehaviorSanitizer (Debug)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    build_and_test build-asan "" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DVELK_SANITIZE=address,undefined -DVELK_BUILD_UI=OFF -DVELK_BUILD_BENCH=OFF

stage "ThreadSanitizer (threaded tests)"
TSAN_OPTIONS=halt_on_error=1 \
    build_and_test build-tsan threaded -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DVELK_SANITIZE=thread -DVELK_BUILD_UI=OFF -DVELK_BUILD_BENCH=OFF

stage "Debian package (of the optimised build)"
VELK_BUILD_DIR=build bash scripts/package.sh
bash tests/package/check_package.sh dist/velk_*.deb

stage ""
if command -v ccache >/dev/null; then
    echo "-- ccache: $(ccache --print-stats 2>/dev/null | awk -F'\t' '
        $1 == "direct_cache_hit" || $1 == "preprocessed_cache_hit" { hits += $2 }
        $1 == "cache_miss" { misses += $2 }
        END { total = hits + misses; printf "%d of %d compilations from the cache (%.0f%%)", hits, total, total ? 100 * hits / total : 0 }')"
fi
echo "All tests passed in $SECONDS s."
