#!/usr/bin/env bash
# Builds the product for Windows (tools/windows/build.sh) and tests it under
# Wine on a virtual X display:
#   - the test programs built for Windows;
#   - oravelt-cli.exe: check of every example equal byte for byte to the Linux
#     build's files, dump and markup equal to Linux's output, upload and
#     set-clock through COM5, which Wine maps to one end of a pseudo-terminal
#     pair whose other end is read here;
#   - the editor: found by its exact caption, F9 writes the check files, and
#     a screenshot goes to build-windows/screenshots/.
# Prints how long each part took. Exits non-zero when anything failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
started=$SECONDS
say() { echo "[windows-test] $*" >&2; }
failures=()
fail() { failures+=("$1"); say "FAILED: $1"; }

for p in wine wine64 xvfb xauth xdotool socat imagemagick; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        sudo=(); [[ $(id -u) -ne 0 ]] && sudo=(sudo)
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$p" >/dev/null
    fi
done

tools/windows/build.sh || exit 1
say "built in $((SECONDS - started)) s"
sdk=$(tools/windows/build-sdk.sh --print-dir)
build=$root/build-windows
version=$(grep -o -m1 'QStringLiteral("[0-9.]*")' "$build/generated/OraveltVersion.h" | grep -o '[0-9.]*')
stage=$build/stage/oravelt-$version

# The Linux build's command-line tool, to compare with.
if [[ ! -x build/oravelt-cli ]]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build --target oravelt-cli >/dev/null || exit 1
fi
linux_cli=$root/build/oravelt-cli

# --- Wine and a display ---------------------------------------------------
export WINEPREFIX=$build/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Qt and our libraries for the test programs, which run from the build folder.
# Wine's drive Z: is the root folder.
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }
# The SDK's first: Qt finds its plugins relative to the Qt6Core.dll it runs
# on, also in test programs without an application object to read qt.conf.
export WINEPATH="$(windows_path "$sdk/bin");$(windows_path "$stage")"
# Qt finds its plugins (platforms, image formats) and translations through a
# qt.conf beside each test program: Wine's Qt does not take QT_PLUGIN_PATH.
qt_conf=$(printf '[Paths]\r\nPrefix = Z:%s\r\nTranslations = Z:/usr/share/qt6/translations\r\n' "$sdk")
find "$build/tests" -name '*.exe' -printf '%h\n' | sort -u | while read -r d; do
    printf '%s' "$qt_conf" >"$d/qt.conf"
done
export ORAVELT_UNDER_WINE=1
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
socat_pid=
cleanup() {
    [[ -n $socat_pid ]] && kill $socat_pid 2>/dev/null
    wineserver -k 2>/dev/null
    kill "$xvfb" 2>/dev/null
}
trap cleanup EXIT
export DISPLAY=$display
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    say "creating the Wine prefix"
    wineboot --init >/dev/null 2>&1
fi
wineserver -p 2>/dev/null

# COM5 is one end of a pseudo-terminal pair whose far end is read here;
# COM6 and COM7 are the two ends of another, for the port's own tests.
ports=$build/ports
mkdir -p "$ports"
rm -f "$ports"/*
socat pty,raw,echo=0,link="$ports/com5" pty,raw,echo=0,link="$ports/far" >/dev/null 2>&1 &
socat_pid=$!
socat pty,raw,echo=0,link="$ports/com6" pty,raw,echo=0,link="$ports/com7" >/dev/null 2>&1 &
socat_pid="$socat_pid $!"
for _ in $(seq 50); do [[ -e $ports/far && -e $ports/com7 ]] && break; sleep 0.1; done
for n in 5 6 7; do
    ln -sfn "$(readlink -f "$ports/com$n")" "$WINEPREFIX/dosdevices/com$n"
done
export ORAVELT_TEST_PORT_PAIR=COM6,COM7
wine reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v 'Serial4' /t REG_SZ /d COM5 /f >/dev/null 2>&1

run_wine() {  # seconds, program, arguments...
    local limit=$1
    shift
    timeout --kill-after=10 "$limit" wine "$@"
}

# --- the test programs ------------------------------------------------------
part=$SECONDS
for exe in "$build"/tests/test_*.exe $(find "$build/tests" -mindepth 2 -name '*.exe' | sort); do
    name=$(basename "$exe" .exe)
    log=$build/test-logs/$name.log
    mkdir -p "$build/test-logs"
    # Qt Test writes its results to a file: under Wine its console output is lost.
    case $name in
        test_*) args=(--gtest_brief=1) ;;
        *) args=(-platform offscreen -o "$name-results.txt,txt") ;;
    esac
    if (cd "$(dirname "$exe")" && run_wine 300 "$exe" "${args[@]}"; status=$?;
        cat "$name-results.txt" 2>/dev/null; exit $status) >"$log" 2>&1; then
        say "passed: $name"
    else
        fail "$name (log: $log)"
        grep -E '^\[  FAILED  \]|^FAIL!' "$log" | head -n 20 >&2
    fi
done
say "test programs: $((SECONDS - part)) s"

# --- the command-line tool ----------------------------------------------------
part=$SECONDS
cli=$stage/oravelt-cli.exe
work=$build/cli-work
rm -rf "$work" && mkdir -p "$work/linux" "$work/windows"
for source in examples/*.abc; do
    name=$(basename "$source" .abc)
    mkdir -p "$work/linux/$name" "$work/windows/$name"
    "$linux_cli" check "$source" -o "$work/linux/$name" --pressure 300 --humidity 17 >/dev/null 2>&1
    if ! run_wine 120 "$cli" check "$source" -o "$work/windows/$name" --pressure 300 --humidity 17 >/dev/null 2>&1; then
        fail "oravelt-cli.exe check $source"
        continue
    fi
    for f in cmpres8.dat cmpres.bak; do
        cmp -s "$work/linux/$name/$f" "$work/windows/$name/$f" || fail "check $source: $f differs from Linux's"
    done
    "$linux_cli" dump "$source" >"$work/linux/$name.json"
    run_wine 120 "$cli" dump "$source" >"$work/windows/$name.json" 2>/dev/null
    cmp -s "$work/linux/$name.json" "$work/windows/$name.json" || fail "dump $source differs from Linux's"
    "$linux_cli" markup "$source" -o "$work/linux/$name.txt" >/dev/null 2>&1
    (cd "$work/windows" && run_wine 120 "$cli" markup "$root/$source" -o "$name.txt") >/dev/null 2>&1
    (cd "$work/linux" && "$linux_cli" markup "$root/$source" -o "$name.txt") >/dev/null 2>&1
    cmp -s "$work/linux/$name.txt" "$work/windows/$name.txt" || fail "markup $source differs from Linux's"
done

# upload through COM5: the far end gets the preamble and the program at
# 4800 bit/s, 8 data bits, no parity, two stop bits.
program=$work/windows/sale/cmpres8.dat
received=$work/far-end.bin
: >"$received"
timeout 120 socat -u "$ports/far",raw,echo=0 "OPEN:$received,creat,trunc" &
reader=$!
sleep 0.5
if run_wine 120 "$cli" upload --port COM5 "$program" >"$work/upload.log" 2>&1; then
    sleep 1
    expected=$work/expected.bin
    { head -c 1921 /dev/zero | tr '\0' 'A'; cat "$program"; } >"$expected"
    cmp -s "$expected" "$received" || fail "upload through COM5: the far end got $(stat -c %s "$received") bytes, not the preamble and the program"
    settings=$(stty -a -F "$(readlink -f "$ports/com5")" 2>/dev/null)
    for want in "speed 4800 baud" "cs8" "cstopb" "-parenb"; do
        grep -q -- "$want" <<<"$settings" || fail "COM5's line settings lack \"$want\": $settings"
    done
else
    fail "oravelt-cli.exe upload --port COM5: $(tail -n 3 "$work/upload.log")"
fi
kill "$reader" 2>/dev/null
wait "$reader" 2>/dev/null
run_wine 60 "$cli" ports >"$work/ports.txt" 2>&1
grep -q '^COM5 ' "$work/ports.txt" || fail "oravelt-cli.exe ports does not list COM5: $(cat "$work/ports.txt")"
say "command-line tool: $((SECONDS - part)) s"

# --- the editor -----------------------------------------------------------
part=$SECONDS
shots=$build/screenshots
mkdir -p "$shots"
rm -f "$stage/cmpres8.dat" "$stage/cmpres.bak"
cp examples/sale.abc "$stage/"
printf '[sensor]\r\n1=300\r\n2=17\r\n' >"$stage/sensor.ini"
(cd "$stage" && timeout 120 wine oravelt.exe sale.abc >"$work/editor.log" 2>&1 &)
released=$(sed -n 's/^set(ORAVELT_RELEASE_DATE "\(.*\)")$/\1/p' CMakeLists.txt)
caption="sale.abc - \"Oravelt\" XP/W7 v$version $released"
window=
for _ in $(seq 60); do
    window=$(xdotool search --name "^$(sed 's/[].[*^$\\]/\\&/g' <<<"$caption")\$" 2>/dev/null | head -n1)
    [[ -n $window ]] && break
    sleep 1
done
if [[ -z $window ]]; then
    fail "the editor's main window \"$caption\" did not appear"
else
    sleep 2
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    import -window root "$shots/editor-wine.png" 2>/dev/null
    xdotool key --window "$window" F9
    for _ in $(seq 30); do [[ -s $stage/cmpres8.dat ]] && break; sleep 1; done
    sleep 1
    if [[ -s $stage/cmpres8.dat ]]; then
        cmp -s "$stage/cmpres8.dat" "$work/linux/sale/cmpres8.dat" || fail "F9 in the editor wrote another cmpres8.dat than the Linux check"
        import -window root "$shots/editor-wine-check.png" 2>/dev/null
    else
        fail "F9 in the editor wrote no cmpres8.dat"
    fi
    # F11 starts the simulator from the editor's folder on what F9 wrote.
    xdotool windowactivate --sync "$window" 2>/dev/null
    xdotool key --window "$window" F11
    simulator=
    for _ in $(seq 30); do
        simulator=$(xdotool search --name '"Oravelt 8"' 2>/dev/null | head -n1)
        [[ -n $simulator ]] && break
        sleep 1
    done
    if [[ -n $simulator ]]; then
        sleep 3
        import -window root "$shots/editor-wine-preview.png" 2>/dev/null
    else
        fail "F11 in the editor showed no simulator window"
    fi
fi
wineserver -k 2>/dev/null
rm -f "$stage/sale.abc" "$stage/cmpres8.dat" "$stage/cmpres.bak" "$stage/sensor.ini"
say "editor: $((SECONDS - part)) s"

# --- the installer, silently, and its uninstaller ----------------------------
part=$SECONDS
installed=$WINEPREFIX/drive_c/Program\ Files/Oravelt
menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Oravelt
rm -rf "$installed"
run_wine 120 "$root/dist/oravelt-$version-setup.exe" /S
for f in oravelt.exe ledsim8.exe oravelt-cli.exe platforms/qwindows.dll translations/qtbase_ru.qm \
         fonts/Cyr_a8x8.psf.gz fonts/5x8.pcf.gz uninstall.exe; do
    [[ -f $installed/$f ]] || fail "the installer did not install $f"
done
for f in Oravelt.lnk ledsim8.lnk; do
    [[ -f $menu/$f ]] || fail "the installer made no Start menu entry $f"
done
wine reg query 'HKLM\Software\Classes\Oravelt.Message\shell\open\command' 2>/dev/null | tr -d '\r' |
    grep -qF '"C:\Program Files\Oravelt\oravelt.exe" "%1"' || fail "*.abc files do not open in the installed editor"
run_wine 60 "$installed/oravelt-cli.exe" --version | tr -d '\r' | grep -qx "oravelt-cli $version" ||
    fail "the installed oravelt-cli.exe does not run"
echo mine >"$installed/mine.txt"
run_wine 60 "$installed/uninstall.exe" /S
# The uninstaller runs on from a copy of itself: wait for it to finish.
for _ in $(seq 60); do [[ -e $installed/oravelt.exe || -e $installed/uninstall.exe ]] || break; sleep 1; done
sleep 1
left=$(cd "$installed" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' ')
[[ $left == "./mine.txt " ]] || fail "the uninstaller left \"$left\" (only the user's mine.txt should stay)"
[[ -e $menu ]] && fail "the uninstaller left the Start menu folder"
wine reg query 'HKLM\Software\Classes\Oravelt.Message' >/dev/null 2>&1 && fail "the uninstaller left the file type"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Oravelt' >/dev/null 2>&1 &&
    fail "the uninstaller left its entry in the installed programs"
rm -rf "$installed"
say "installer: $((SECONDS - part)) s"

say "all in $((SECONDS - started)) s"
if ((${#failures[@]})); then
    say "${#failures[@]} failure(s):"
    printf '  %s\n' "${failures[@]}" >&2
    exit 1
fi
say "all Windows tests passed"
