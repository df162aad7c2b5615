#!/usr/bin/env bash
# Shared set-up for run.sh, test.sh and bench.sh: install the Debian packages
# that are missing, then configure and build. Sourced, not executed.
set -euo pipefail

TIMESPACE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TIMESPACE_BUILD="${TIMESPACE_BUILD:-$TIMESPACE_ROOT/build}"

# poppler-utils gives the tests pdftotext, which reads the printed report's text back.
# libqt6svg6 carries Qt's SVG image-format and icon-engine plug-ins, which load the window icon;
# qt6-svg-dev the SVG writer of the picture export.
TIMESPACE_PACKAGES=(cmake g++ make pkg-config qt6-base-dev libgl-dev libjpeg-dev libbenchmark-dev
    libqt6svg6 qt6-svg-dev fonts-liberation2 fonts-dejavu-core xvfb xauth desktop-file-utils appstream
    poppler-utils)

timespace_install_packages() {
    local missing=()
    local pkg
    for pkg in "${TIMESPACE_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# Configures quietly; the configure output is shown when it fails.
timespace_configure() {
    local folder="$1" log
    shift
    log="$(mktemp)"
    if ! cmake -S "$TIMESPACE_ROOT" -B "$folder" "$@" >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        echo "Configuring $folder failed." >&2
        return 1
    fi
    rm -f "$log"
}

# Configures and builds Release in $TIMESPACE_BUILD. Arguments name the targets to build
# (everything without them).
timespace_build() {
    local werror=OFF
    if [ "${CI:-}" = "true" ]; then
        werror=ON
    fi
    timespace_configure "$TIMESPACE_BUILD" -DCMAKE_BUILD_TYPE=Release -DTIMESPACE_WERROR="$werror"
    local targets=()
    if [ $# -gt 0 ]; then
        targets=(--target "$@")
    fi
    cmake --build "$TIMESPACE_BUILD" --parallel "$(nproc)" "${targets[@]}"
}
