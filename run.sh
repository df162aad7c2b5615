#!/usr/bin/env bash
# Install what is missing, build (Release) and open the main window.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
timespace_install_packages
# Only the program: the tests and benchmarks are built by ./test.sh and ./bench.sh.
timespace_build timespace
# Started from its own folder so that the help page beside it is found.
cd "$TIMESPACE_BUILD"
exec ./timespace
