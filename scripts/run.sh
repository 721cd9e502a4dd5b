#!/usr/bin/env bash
# Installs what is missing, builds velk and starts it. Without a panel at hand it starts the
# panel simulator on 127.0.0.1 and points velk at it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELK_BUILD_TESTS=OFF \
    -DVELK_BUILD_BENCH=OFF >/dev/null
cmake --build build-run -j "$(nproc)" --target velk velk-panel-sim velkctl

panel_args=()
if [ -z "${VELK_PANEL:-}" ]; then
    port=${VELK_SIM_PORT:-4800}
    build-run/bin/velk-panel-sim --port "$port" &
    sim_pid=$!
    trap 'kill $sim_pid 2>/dev/null || true' EXIT
    panel_args=(--panel "127.0.0.1:$port")
else
    panel_args=(--panel "$VELK_PANEL")
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here: starting velk inside a virtual X server (xvfb-run)."
    xvfb-run -a -s "-screen 0 1280x1024x24" build-run/bin/velk "${panel_args[@]}" "$@"
else
    build-run/bin/velk "${panel_args[@]}" "$@"
fi
