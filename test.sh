#!/usr/bin/env bash
# Builds everything and runs every test (installs what it needs first).
set -euo pipefail
cd "$(dirname "$0")"

tools/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
ctest --test-dir build --output-on-failure -j "$(nproc)"

# The same tests again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer: any report fails the command.
tools/sanitize.sh

# A short run of the file reader's fuzzer, seeded with the example files.
if [[ -x tools/fuzz.sh ]]; then
    tools/fuzz.sh --seconds "${ORAVELT_FUZZ_SECONDS:-20}"
fi
echo "All tests passed."
