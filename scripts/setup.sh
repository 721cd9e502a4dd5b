#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when missing; packages
# named as arguments too (scripts/fuzz.sh adds clang and its fuzzing runtime this way).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format ccache
    libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev sqlite3
    qt6-base-dev qt6-base-dev-tools libgl-dev xvfb xauth fonts-noto-cjk qt6-translations-l10n
    libtomlplusplus-dev libcli11-dev nlohmann-json3-dev
    scdoc lintian desktop-file-utils appstream librsvg2-bin dpkg-dev file cmark-gfm
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -q
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
