#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them: scripts/fuzz.sh reply_reader|reply_framer|text_rules|parse_response|sim_framer|project_text|project_loader [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh reply_reader|reply_framer|text_rules|parse_response|sim_framer|project_text|project_loader [seconds]}
seconds=${2:-600}
bash scripts/setup.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELK_FUZZ=ON \
    -DVELK_BUILD_UI=OFF -DVELK_BUILD_TESTS=OFF -DVELK_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "fuzz_$target"
corpus=fuzz-corpus/$target
mkdir -p "$corpus"
cp -n fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
exec build-fuzz/bin/fuzz_"$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus"
