#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer and AddressSanitizer) into
# build-fuzz and runs each for the given time: the source file reader's,
# seeded with the example files and the malformed corpus of the tests, and
# the compiled program decoder's, seeded with the examples' programs and the
# malformed programs of the tests.
#
#   tools/fuzz.sh [--seconds N] [--only reader|program] [-- extra libFuzzer options]
#
# Inputs that crash, hang or allocate more than 64 MiB at once are saved as
# build-fuzz/<reader|program>-crash-*, -timeout-* or -oom-*; the script then
# fails. Turn each into a file under tests/data/malformed (source files) or
# tests/data/malformed-programs so the regular tests keep it.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
only=""
extra=()
while [[ $# -gt 0 ]]; do
    case "$1" in
        --seconds) seconds="$2"; shift 2 ;;
        --only) only="$2"; shift 2 ;;
        --) shift; extra=("$@"); break ;;
        *) echo "usage: $0 [--seconds N] [--only reader|program] [-- libFuzzer options]" >&2; exit 2 ;;
    esac
done

tools/install-deps.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DORAVELT_FUZZ=ON -DORAVELT_BUILD_GUI=OFF -DORAVELT_BUILD_TESTS=OFF -DORAVELT_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target reader_fuzzer program_fuzzer -- -j2

# New inputs the fuzzers find go into working corpora (not kept in git).
run_fuzzer() {
    local name="$1" dict="$2" max_len="$3"
    shift 3
    local corpus="fuzz/corpus-work/$name"
    mkdir -p "$corpus"
    local seeds=()
    for d in "$@"; do [[ -d "$d" ]] && seeds+=("$d"); done
    echo "Fuzzing the $name for ${seconds}s..." >&2
    ASAN_OPTIONS=allocator_may_return_null=0:detect_leaks=1 \
    "build-fuzz/fuzz/${name}_fuzzer" "$corpus" "${seeds[@]}" \
        -dict="$dict" \
        -max_total_time="$seconds" -timeout=10 \
        -malloc_limit_mb=64 -rss_limit_mb=2048 \
        -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="build-fuzz/${name}-" "${extra[@]}"
}

if [[ -z "$only" || "$only" == reader ]]; then
    run_fuzzer reader fuzz/source_file.dict 65536 examples tests/data/malformed tests/data/fuzz-regressions
fi
if [[ -z "$only" || "$only" == program ]]; then
    run_fuzzer program fuzz/program.dict 16384 fuzz/program-seeds tests/data/malformed-programs
fi
