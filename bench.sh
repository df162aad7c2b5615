#!/usr/bin/env bash
# Install what is missing, build (Release) and run the benchmark suite on the offscreen platform.
# Arguments go to the benchmark program, e.g. ./bench.sh --benchmark_filter=DragMove
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
timespace_install_packages
timespace_build
runtime_dir="$(mktemp -d)"
trap 'rm -rf "$runtime_dir"' EXIT
cd "$TIMESPACE_BUILD"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime_dir" ./timespace_bench "$@"
