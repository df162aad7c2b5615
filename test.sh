#!/usr/bin/env bash
# Install what is missing, build (Release) and run the whole test suite.
#
# With --sanitizers (or TIMESPACE_SANITIZERS=1 in the environment) two more passes follow,
# each in its own build folder: the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer with leak checking (build-asan/), then the threaded timer, the
# lifecycle, the soak and the browser launch tests under ThreadSanitizer (build-tsan/).
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"

sanitizers="${TIMESPACE_SANITIZERS:-0}"
for arg in "$@"; do
    case "$arg" in
    --sanitizers) sanitizers=1 ;;
    *)
        echo "usage: $0 [--sanitizers]" >&2
        exit 2
        ;;
    esac
done

# The tests that run under ThreadSanitizer: everything that starts a thread or a process.
TSAN_TESTS=(tst_ThdTimer tst_Lifecycle tst_Soak tst_BrowserLaunch)

# Configures and builds a sanitizer build in its own folder: optimised, with debug information
# for readable reports, without the benchmarks. Further arguments name the targets to build.
sanitizer_build() {
    local folder="$1" sanitize="$2"
    shift 2
    local targets=()
    if [ $# -gt 0 ]; then
        targets=(--target "$@")
    fi
    timespace_configure "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTIMESPACE_SANITIZE="$sanitize" -DTIMESPACE_BENCH=OFF
    cmake --build "$folder" --parallel "$(nproc)" "${targets[@]}"
}

timings=()
run_pass() {
    local name="$1" start=$SECONDS
    shift
    echo "=== $name"
    "$@"
    timings+=("$name: $((SECONDS - start)) s")
}

normal_pass() {
    timespace_build
    (cd "$TIMESPACE_BUILD" && ctest --output-on-failure --parallel "$(nproc)")
}

asan_pass() {
    local folder="$TIMESPACE_ROOT/build-asan"
    sanitizer_build "$folder" address,undefined
    (cd "$folder" && ctest --output-on-failure --parallel "$(nproc)")
}

tsan_pass() {
    local folder="$TIMESPACE_ROOT/build-tsan"
    sanitizer_build "$folder" thread "${TSAN_TESTS[@]}"
    local pattern
    pattern="^($(IFS='|'; echo "${TSAN_TESTS[*]}"))\$"
    (cd "$folder" && ctest --output-on-failure --parallel "$(nproc)" -R "$pattern")
}

# The tests hand the arterial to the traffic simulator, so the suite installs it; ./run.sh
# does not, and the program explains how to install it when it is missing.
timespace_install_packages sumo sumo-tools
run_pass "normal" normal_pass
if [ "$sanitizers" = "1" ]; then
    run_pass "address,undefined" asan_pass
    run_pass "thread" tsan_pass
fi
printf '%s\n' "${timings[@]}"
