#!/usr/bin/env bash
# Builds the Windows libraries the product links (Qt 6 Core/Gui/Widgets/
# Network/Test, libjpeg-turbo, FreeType, zlib, giflib, GoogleTest) from
# Debian's source packages with Debian's mingw-w64, into a cache folder
# outside the checkout. Prints that folder on its last line.
#
#   tools/windows/build-sdk.sh [--print-dir]
#
# The folder's name carries a hash of this script and of the toolchain file,
# so a change to either builds a new one; a finished folder is reused as it
# is, and an interrupted build goes on where it stopped (each library leaves
# a stamp when it is installed).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
toolchain=$root/cmake/windows-x86_64-mingw.cmake
hash=$(cat "$0" "$toolchain" | sha256sum | cut -c1-16)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/oravelt
sdk=$cache/windows-sdk-$hash
if [[ ${1:-} == --print-dir ]]; then
    echo "$sdk"
    exit 0
fi
if [[ -f $sdk/.complete ]]; then
    echo "$sdk"
    exit 0
fi

jobs=$(nproc)
say() { echo "[build-sdk] $*" >&2; }

# --- packages ---------------------------------------------------------------
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
          dpkg-dev cmake ninja-build qt6-base-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    say "installing ${missing[*]}"
    sudo=(); [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# --- source packages, through a sources list of our own -----------------------
src=$cache/windows-sources
mkdir -p "$src/lists/partial" "$src/archives/partial" "$sdk"
uri=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n1)
uri=${uri:-http://deb.debian.org/debian}
cat > "$src/sources.list" <<EOF
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri bookworm main
EOF
apt_opts=(-o "Dir::Etc::sourcelist=$src/sources.list" -o Dir::Etc::sourceparts=-
          -o "Dir::State::Lists=$src/lists" -o "Dir::Cache::Archives=$src/archives")

sources=(qt6-base libjpeg-turbo freetype zlib giflib googletest)
fetch() {
    local name=$1
    local dir
    dir=$(find "$src" -maxdepth 1 -type d -name "$name-[0-9]*" | head -n1)
    if [[ -z $dir ]]; then
        if [[ ! -f $src/.updated ]]; then
            say "reading the source package lists"
            apt-get update -qq "${apt_opts[@]}"
            touch "$src/.updated"
        fi
        say "fetching the source package $name"
        (cd "$src" && apt-get source -qq "${apt_opts[@]}" "$name" >/dev/null)
        dir=$(find "$src" -maxdepth 1 -type d -name "$name-[0-9]*" | head -n1)
    fi
    echo "$dir"
}

cmake_common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_INSTALL_PREFIX="$sdk" -DCMAKE_PREFIX_PATH="$sdk")

# One library: configure, build and install with CMake, then leave a stamp.
cmake_library() {
    local name=$1 dir=$2
    shift 2
    [[ -f $sdk/.stamp-$name ]] && return 0
    say "building $name"
    local started=$SECONDS
    cmake -S "$dir" -B "$src/build-$name" "${cmake_common[@]}" "$@" >"$src/build-$name.log" 2>&1 ||
        { tail -n 40 "$src/build-$name.log" >&2; exit 1; }
    cmake --build "$src/build-$name" -j "$jobs" >>"$src/build-$name.log" 2>&1 ||
        { tail -n 40 "$src/build-$name.log" >&2; exit 1; }
    cmake --install "$src/build-$name" >>"$src/build-$name.log" 2>&1
    touch "$sdk/.stamp-$name"
    say "$name built in $((SECONDS - started)) s"
}

# A C library without a usable build for mingw in Debian's source (zlib's
# lacks its win32 folder, giflib has only a Unix makefile): its C files
# compiled into a static library, its headers installed.
c_library() {
    local name=$1 dir=$2 lib=$3 headers=$4
    shift 4
    [[ -f $sdk/.stamp-$name ]] && return 0
    say "building $name"
    local out=$src/build-$name
    rm -rf "$out" && mkdir -p "$out" "$sdk/lib" "$sdk/include"
    local c
    for c in "$@"; do
        x86_64-w64-mingw32-gcc-posix -O2 -c "$dir/$c.c" -I"$dir" -o "$out/$c.o"
    done
    x86_64-w64-mingw32-ar rcs "$sdk/lib/$lib" "$out"/*.o
    (cd "$dir" && cp $headers "$sdk/include/")
    touch "$sdk/.stamp-$name"
}

c_library zlib "$(fetch zlib)" libz.a "zlib.h zconf.h" \
    adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
    inftrees trees uncompr zutil
c_library giflib "$(fetch giflib)" libgif.a gif_lib.h \
    dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize
cmake_library libjpeg-turbo "$(fetch libjpeg-turbo)" -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
    -DENABLE_STATIC=OFF -DCMAKE_INSTALL_DEFAULT_LIBDIR=lib
cmake_library freetype "$(fetch freetype)" -DBUILD_SHARED_LIBS=ON -DFT_REQUIRE_ZLIB=ON \
    -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
cmake_library googletest "$(fetch googletest)" -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON

# Qt: its own bundled zlib, libpng, libjpeg, FreeType, HarfBuzz and PCRE2, and
# Debian's moc, rcc and uic of the same version as the host tools. Tablet
# events are off: Debian's source lacks the Windows tablet header.
cmake_library qt6-base "$(fetch qt6-base)" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_openssl=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_png=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_doubleconversion=OFF

touch "$sdk/.complete"
echo "$sdk"
