#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the editor need, when
# they are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-translations-l10n libjpeg62-turbo-dev libxcb1-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    xvfb xauth fonts-dejavu-core openbox
    libfreetype-dev zlib1g-dev libgif-dev console-data xfonts-base
    ser2net socat
    dpkg-dev appstream desktop-file-utils groff-base man-db
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
