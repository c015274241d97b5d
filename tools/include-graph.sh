#!/usr/bin/env bash
# Draws the include graph of src/ by folder: an arrow from a folder to every
# folder whose headers it includes, with the number of includes. The folders
# are the top folders of src/, with src/app and src/document split into
# their subfolders; the tool windows' narrow interface to the main editor,
# src/app/EditorSession.h, is a node of its own below them. Writes DOT to standard output, or with -o FILE.png the
# picture (needs graphviz: apt-get install graphviz).
# Usage: tools/include-graph.sh [-o docs/layers.png]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
output=
if [[ ${1:-} == -o ]]; then
    output=$2
fi
cd "$root"

# The node of a path under src/: app/check, document/model, serial, ...
node_of() {
    local path=$1 top rest sub
    top=${path%%/*}
    rest=${path#*/}
    if [[ $path == app/EditorSession.h ]]; then
        echo "app/EditorSession"
    elif [[ ($top == app || $top == document) && $rest == */* ]]; then
        sub=${rest%%/*}
        case $top/$sub in
        app/platform) echo "app (main window)" ;;
        *) echo "$top/$sub" ;;
        esac
    elif [[ $top == app ]]; then
        echo "app (main window)"
    else
        echo "$top"
    fi
}

edges() {
    find src -name '*.h' -o -name '*.cpp' | sort | while IFS= read -r file; do
        from=$(node_of "${file#src/}")
        dir=$(dirname "${file#src/}")
        sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file" | while IFS= read -r name; do
            if [[ $name == */* && -e src/$name ]]; then
                target=$name
            elif [[ -e src/$dir/$name ]]; then
                target=$dir/$name
            else
                continue
            fi
            to=$(node_of "$target")
            if [[ $from != "$to" ]]; then echo "$from|$to"; fi
        done
    done | sort | uniq -c
}

dot_text() {
    echo 'digraph layers {'
    echo '  rankdir=TB; node [shape=box, style=rounded, fontname="DejaVu Sans", fontsize=11];'
    echo '  edge [color="#555555", fontsize=9, fontname="DejaVu Sans"];'
    edges | while read -r line; do
        count=${line%% *}
        pair=${line#* }
        echo "  \"${pair%%|*}\" -> \"${pair#*|}\" [label=\"$count\"];"
    done
    echo '}'
}

if [[ -n $output ]]; then
    dot_text | dot -Tpng -Gdpi=80 -o "$output"
else
    dot_text
fi
