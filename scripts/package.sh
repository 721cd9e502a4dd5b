#!/usr/bin/env bash
# Builds the Debian package of velk into dist/: bash scripts/package.sh
# VELK_BUILD_DIR=DIR packages the build already made in DIR (the tests package their optimised build,
# made with the same hardening flags); without it the package comes from a Release build in
# build-package with Debian's build flags.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=${VELK_BUILD_DIR:-build-package}
if [ -z "${VELK_BUILD_DIR:-}" ]; then
    # Debian's hardening and reproducibility flags, with -O2 as Debian builds, not CMake's -O3.
    # shellcheck source=hardening.sh
    source scripts/hardening.sh
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
        "${hardened_cmake_args[@]}" -DVELK_BUILD_TESTS=OFF -DVELK_BUILD_BENCH=OFF >/dev/null
elif [ ! -f "$build/CPackConfig.cmake" ]; then
    echo "package.sh: $build is no configured build folder (no CPackConfig.cmake)" >&2
    exit 1
fi
# A build made without the hardening flags is no package: the package check would refuse it.
if ! grep -q -- '-D_FORTIFY_SOURCE' "$build/CMakeCache.txt"; then
    echo "package.sh: $build was built without Debian's hardening flags (scripts/hardening.sh)" >&2
    exit 1
fi
cmake --build "$build" -j "$(nproc)" --target velk velkctl velk-panel-sim velk_data

mkdir -p dist
rm -f dist/velk_*.deb
cpack --config "$build/CPackConfig.cmake"
ls dist/velk_*.deb
