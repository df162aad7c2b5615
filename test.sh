#!/usr/bin/env bash
# Install what is missing, build (Release) and run the whole test suite.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
timespace_install_packages
timespace_build
cd "$TIMESPACE_BUILD"
ctest --output-on-failure --parallel "$(nproc)"
