#!/usr/bin/env bash
# Builds the program and starts the editor. Without a display it says so and
# checks a bundled example message instead, showing the listing.
set -euo pipefail
cd "$(dirname "$0")"

tools/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target oravelt-cli $( [[ -f src/app/main.cpp ]] && echo oravelt )

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" && -x build/oravelt ]]; then
    exec build/oravelt "$@"
fi

echo "No display: the editor needs a desktop session (set DISPLAY, or use xvfb-run)." >&2
example="${1:-examples/welcome.abc}"
if [[ -f "$example" ]]; then
    echo "Checking $example with oravelt-cli instead:" >&2
    out=$(mktemp -d)
    build/oravelt-cli check "$example" -o "$out" --pressure 0 --humidity 0
    cat "$out/cmpres.bak"
    echo "Compiled program: $(stat -c %s "$out/cmpres8.dat") bytes in $out/cmpres8.dat" >&2
fi
