#!/usr/bin/env bash
# Builds everything and runs every test (installs what it needs first).
set -euo pipefail
cd "$(dirname "$0")"

# Runs one part and says how long it took (wall clock and processor time),
# so that slow parts show in CI logs.
timed() {
    local TIMEFORMAT="[test.sh] %0R s (processor: %0U s user, %0S s system): ${*//%/%%}"
    time "$@"
}

timed tools/install-deps.sh

timed cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
timed cmake --build build
# The window tests under a window manager depend on its timing: a test that
# fails is run again (up to three times in all) before it counts as failed.
timed ctest --test-dir build --output-on-failure -j "$(nproc)" --repeat until-pass:3

# The same tests again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer: any report fails the command.
timed tools/sanitize.sh

# A short run of the three fuzzers (source file reader, program decoder,
# markup reader), 40 seconds in all.
if [[ -x tools/fuzz.sh ]]; then
    timed tools/fuzz.sh --total-seconds "${ORAVELT_FUZZ_SECONDS:-40}"
fi
echo "All tests passed in $SECONDS s."
