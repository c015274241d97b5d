#!/usr/bin/env bash
# Builds the source file reader's fuzzer with clang (libFuzzer and
# AddressSanitizer) into build-fuzz and runs it, seeded with the example
# files and the malformed corpus of the tests.
#
#   tools/fuzz.sh [--seconds N] [-- extra libFuzzer options]
#
# Inputs that crash, hang or allocate more than 64 MiB at once are saved as
# build-fuzz/crash-*, timeout-* or oom-*; the script then fails. Turn each
# into a file under tests/data/malformed so the regular tests keep it.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
extra=()
while [[ $# -gt 0 ]]; do
    case "$1" in
        --seconds) seconds="$2"; shift 2 ;;
        --) shift; extra=("$@"); break ;;
        *) echo "usage: $0 [--seconds N] [-- libFuzzer options]" >&2; exit 2 ;;
    esac
done

tools/install-deps.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DORAVELT_FUZZ=ON -DORAVELT_BUILD_GUI=OFF -DORAVELT_BUILD_TESTS=OFF -DORAVELT_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target reader_fuzzer -- -j2

# New inputs the fuzzer finds go into the working corpus (not kept in git).
corpus=fuzz/corpus-work
mkdir -p "$corpus"
seeds=(examples)
[[ -d tests/data/malformed ]] && seeds+=(tests/data/malformed)

echo "Fuzzing the source file reader for ${seconds}s..." >&2
ASAN_OPTIONS=allocator_may_return_null=0:detect_leaks=1 \
build-fuzz/fuzz/reader_fuzzer "$corpus" "${seeds[@]}" \
    -dict=fuzz/source_file.dict \
    -max_total_time="$seconds" -timeout=10 \
    -malloc_limit_mb=64 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/ "${extra[@]}"
