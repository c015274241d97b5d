#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer and AddressSanitizer) into
# build-fuzz and runs each for the given time: the source file reader's,
# seeded with the example files and the malformed corpus of the tests; the
# compiled program decoder's, seeded with the examples' programs and the
# malformed programs of the tests; and the markup reader's (the parser of
# `oravelt-cli compose`), seeded with the example markup and the cases of
# the markup tests.
#
#   tools/fuzz.sh [--seconds N | --total-seconds N] [--only reader|program|markup]
#                 [-- extra libFuzzer options]
#
# --seconds is the time of each fuzzer (60 unless given); --total-seconds
# is shared out evenly among the fuzzers that run.
#
# Inputs that crash, hang or allocate more than 64 MiB at once are saved as
# build-fuzz/<reader|program|markup>-crash-*, -timeout-* or -oom-*; the
# script then fails. Turn each into a file under tests/data/malformed (source
# files), tests/data/malformed-programs or tests/data/fuzz-regressions
# (markup: *.txt) so the regular tests keep it.
set -euo pipefail
cd "$(dirname "$0")/.."

usage="usage: $0 [--seconds N | --total-seconds N] [--only reader|program|markup] [-- libFuzzer options]"
seconds=60
total=""
only=""
extra=()
while [[ $# -gt 0 ]]; do
    case "$1" in
        --seconds) seconds="$2"; shift 2 ;;
        --total-seconds) total="$2"; shift 2 ;;
        --only) only="$2"; shift 2 ;;
        --) shift; extra=("$@"); break ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done
case "$only" in
    "") targets=(reader program markup) ;;
    reader|program|markup) targets=("$only") ;;
    *) echo "$usage" >&2; exit 2 ;;
esac
if [[ -n "$total" ]]; then
    seconds=$(( total / ${#targets[@]} ))
    (( seconds >= 1 )) || seconds=1
fi

tools/install-deps.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DORAVELT_FUZZ=ON -DORAVELT_BUILD_GUI=OFF -DORAVELT_BUILD_TESTS=OFF -DORAVELT_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "${targets[@]/%/_fuzzer}" -- -j2

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

for target in "${targets[@]}"; do
    case "$target" in
        reader) run_fuzzer reader fuzz/source_file.dict 65536 examples tests/data/malformed tests/data/fuzz-regressions ;;
        program) run_fuzzer program fuzz/program.dict 16384 fuzz/program-seeds tests/data/malformed-programs ;;
        markup) run_fuzzer markup fuzz/markup.dict 4096 fuzz/markup-seeds examples tests/data/fuzz-regressions/markup ;;
    esac
done
