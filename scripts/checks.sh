#!/usr/bin/env bash
# The checks a machine can make on the sources: the formatting of every C++ file against
# .clang-format, and a static analysis of the program's code (cppcheck with its Qt library,
# the warning, performance and portability checks). Each finding that is not a fault is
# suppressed where it occurs, with its reason. Exits non-zero on any finding.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
timespace_install_packages clang-format cppcheck
cd "$TIMESPACE_ROOT"

status=0
echo "=== clang-format"
if ! git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror; then
    echo "Formatting differs from .clang-format: run clang-format -i on the files above." >&2
    status=1
fi

echo "=== cppcheck"
cppcheck_lib="$(dpkg -L cppcheck 2>/dev/null | grep '/cfg/qt\.cfg$' | head -n 1 || true)"
if ! cppcheck --enable=warning,performance,portability --library="${cppcheck_lib:-qt}" \
    --std=c++20 --inline-suppr --quiet --error-exitcode=1 --suppress=missingIncludeSystem \
    -I . -j "$(nproc)" --template='{file}:{line}: {severity} {id}: {message}' \
    model platform controls help document analysis app cli; then
    status=1
fi
exit "$status"
