#!/usr/bin/env bash
# Builds in release mode and runs the benchmarks (all, or those named).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORAVELT_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench
for b in build-bench/bench/bench_*; do
    [[ -f "$b" && -x "$b" ]] || continue
    name=$(basename "$b")
    if [[ $# -gt 0 ]]; then
        match=0
        for want in "$@"; do [[ "$name" == *"$want"* ]] && match=1; done
        [[ $match -eq 1 ]] || continue
    fi
    echo "== $name"
    QT_QPA_PLATFORM=offscreen "$b" --benchmark_counters_tabular=true
done
