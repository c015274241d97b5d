#!/usr/bin/env bash
# Checks the include rules that keep the layers of src/ apart (a test of the
# test command runs it):
#   - the core folders (ORAVELT_CORE_FOLDERS in CMakeLists.txt) and
#     src/richtext include no widget header (Qt Widgets, src/app, src/ui) and
#     nothing of the programs (src/cli, src/ledsim8);
#   - src/ui, the widget helpers, includes nothing of the windows in src/app;
#   - a tool window (src/app/<folder>/, other than the editor control in
#     richview/ and platform/) reaches the main editor only through
#     app/EditorSession.h: it includes no other file of src/app and nothing
#     of another tool window, so no include runs from a tool window back to
#     the main window.
# Usage: tools/check-layers.sh [SOURCE_DIR [QT_WIDGETS_INCLUDE_DIR]]
# Prints every include that breaks a rule and fails when there is one.
set -euo pipefail

root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
widgets=${2:-}
if [[ -z $widgets ]]; then
    for candidate in /usr/include/*/qt6/QtWidgets /usr/include/qt6/QtWidgets; do
        [[ -d $candidate ]] && widgets=$candidate && break
    done
fi
cd "$root"

# The names between "set(ORAVELT_CORE_FOLDERS" and its ")", over any lines.
core=$(awk '/^set\(ORAVELT_CORE_FOLDERS/ { on = 1; sub(/^set\(ORAVELT_CORE_FOLDERS/, "") }
            on { line = $0; done = sub(/\).*/, "", line); printf "%s ", line; if (done) exit }' CMakeLists.txt)
if [[ -z $core ]]; then
    echo "check-layers: no ORAVELT_CORE_FOLDERS in CMakeLists.txt" >&2
    exit 2
fi

faults=0
fault() {
    echo "$1: $2"
    faults=$((faults + 1))
}

# The includes of a file, one "kind name" a line: q for "...", a for <...>.
includes() {
    sed -n -e 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/q \1/p' \
           -e 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/a \1/p' "$1"
}

is_widget_header() {
    local name=$1
    if [[ $name == QtWidgets* ]]; then return 0; fi
    [[ -n $widgets && $name == Q* && -e $widgets/$name ]]
}

# Core folders and the rich-text document: no widgets, no programs.
for folder in $core richtext; do
    if [[ ! -d src/$folder ]]; then continue; fi
    while IFS= read -r file; do
        while read -r kind name; do
            if [[ $kind == a ]]; then
                if is_widget_header "$name"; then fault "$file" "includes the widget header <$name>"; fi
            else
                case $name in
                app/* | ui/* | cli/* | ledsim8/*) fault "$file" "includes \"$name\", above the core" ;;
                esac
                if [[ $folder != richtext && $name == richtext/* ]]; then
                    fault "$file" "includes \"$name\", above the core"
                fi
            fi
        done < <(includes "$file")
    done < <(find "src/$folder" -name '*.h' -o -name '*.cpp' | sort)
done

# The widget helpers: nothing of the windows.
if [[ -d src/ui ]]; then
    while IFS= read -r file; do
        while read -r kind name; do
            if [[ $kind == q && $name == app/* ]]; then fault "$file" "includes the window header \"$name\""; fi
        done < <(includes "$file")
    done < <(find src/ui -name '*.h' -o -name '*.cpp' | sort)
fi

# The tool windows: the main editor only through its session.
for dir in src/app/*/; do
    tool=$(basename "$dir")
    case $tool in richview | platform) continue ;; esac
    while IFS= read -r file; do
        while read -r kind name; do
            if [[ $kind != q ]]; then continue; fi
            case $name in
            app/EditorSession.h | app/richview/* | "app/$tool/"*) ;;
            app/*) fault "$file" "includes \"$name\": of src/app a tool window includes only app/EditorSession.h and the editor control" ;;
            TForm1.h | ../*) fault "$file" "includes \"$name\" outside its folder" ;;
            esac
        done < <(includes "$file")
    done < <(find "$dir" -name '*.h' -o -name '*.cpp' | sort)
done

if ((faults > 0)); then
    echo "check-layers: $faults include(s) break the layers" >&2
    exit 1
fi
echo "check-layers: the layers hold"
