#!/usr/bin/env bash
# Builds the product for 64-bit Windows into build-windows/ and packs
#   dist/oravelt-<version>-windows-x64.zip   (unpack anywhere and run)
#   dist/oravelt-<version>-setup.exe         (the installer; /S installs silently)
# The Windows libraries come from tools/windows/build-sdk.sh (built once,
# then reused from the cache).
#
#   tools/windows/build.sh [--no-package]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
package=1
[[ ${1:-} == --no-package ]] && package=0
say() { echo "[windows] $*" >&2; }

for p in nsis zip; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        sudo=(); [[ $(id -u) -ne 0 ]] && sudo=(sudo)
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$p"
    fi
done

sdk=$(tools/windows/build-sdk.sh | tail -n1)
build=$root/build-windows
# A build folder set up against other libraries starts again.
if [[ -f $build/.sdk && $(cat "$build/.sdk") != "$sdk" ]]; then
    say "the libraries changed: configuring $build again"
    rm -rf "$build"
fi
mkdir -p "$build"
if [[ ! -f $build/build.ninja ]]; then
    cmake -S "$root" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/windows-x86_64-mingw.cmake" \
        -DCMAKE_PREFIX_PATH="$sdk" -DCMAKE_BUILD_TYPE=Release \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DORAVELT_BUILD_BENCH=OFF >/dev/null
    echo "$sdk" >"$build/.sdk"
fi
say "building"
cmake --build "$build"

[[ $package == 1 ]] || exit 0

# The version the build gave the programs.
version=$(grep -o -m1 'QStringLiteral("[0-9.]*")' "$build/generated/OraveltVersion.h" | grep -o '[0-9.]*')
stage=$build/stage/oravelt-$version
rm -rf "$build/stage" && mkdir -p "$stage"

# The programs and what they load: Qt, our libraries, the compiler's runtime.
cp "$build"/oravelt.exe "$build"/ledsim8.exe "$build"/oravelt-cli.exe "$stage/"
for dll in Qt6Core Qt6Gui Qt6Widgets Qt6Network; do
    cp "$sdk/bin/$dll.dll" "$stage/"
done
cp "$sdk"/bin/libjpeg-62.dll "$sdk"/bin/libfreetype*.dll "$stage/"
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
cp "$runtime/libstdc++-6.dll" "$runtime/libgcc_s_seh-1.dll" /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$stage/"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/imageformats" "$stage/translations" "$stage/fonts"
cp "$sdk/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$sdk"/plugins/styles/*.dll "$stage/styles/"
for format in qgif qico qjpeg; do
    cp "$sdk/plugins/imageformats/$format.dll" "$stage/imageformats/"
done
cp /usr/share/qt6/translations/qtbase_ru.qm "$stage/translations/"
# Plugins and translations beside the programs, wherever they are unpacked.
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' >"$stage/qt.conf"

# The simulator's two fonts, with their licences.
cp /usr/share/consolefonts/Cyr_a8x8.psf.gz /usr/share/fonts/X11/misc/5x8.pcf.gz "$stage/fonts/"
cp /usr/share/doc/console-data/copyright "$stage/fonts/Cyr_a8x8-copyright.txt"
cp /usr/share/doc/xfonts-base/copyright "$stage/fonts/5x8-copyright.txt"
cp README.md "$stage/README.txt"
cp examples/*.abc "$stage/" 2>/dev/null || true

mkdir -p dist
zip_file=$root/dist/oravelt-$version-windows-x64.zip
rm -f "$zip_file"
(cd "$build/stage" && zip -qr "$zip_file" "oravelt-$version")
say "packed $zip_file"

# The installer installs these files and its uninstaller removes exactly
# them (and the folders they made, when nothing else is left in them).
files=$build/stage/files.nsh
{
    echo '!macro OraveltInstallFiles'
    (cd "$stage" && find . -mindepth 1 -type d | sort) | while read -r d; do
        d=${d#./}
        echo "  CreateDirectory \"\$INSTDIR\\${d//\//\\}\""
    done
    (cd "$stage" && find . -type f | sort) | while read -r f; do
        f=${f#./}
        dir=$(dirname "$f")
        if [[ $dir == . ]]; then echo '  SetOutPath "$INSTDIR"'; else echo "  SetOutPath \"\$INSTDIR\\${dir//\//\\}\""; fi
        echo "  File \"$stage/$f\""
    done
    echo '!macroend'
    echo '!macro OraveltRemoveFiles'
    (cd "$stage" && find . -type f | sort) | while read -r f; do
        f=${f#./}
        echo "  Delete \"\$INSTDIR\\${f//\//\\}\""
    done
    (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r d; do
        d=${d#./}
        echo "  RMDir \"\$INSTDIR\\${d//\//\\}\""
    done
    echo '!macroend'
} >"$files"
setup=$root/dist/oravelt-$version-setup.exe
makensis -V2 -DVERSION="$version" -DFILES="$files" -DOUTFILE="$setup" tools/windows/installer.nsi
say "packed $setup"
