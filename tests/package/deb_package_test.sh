#!/usr/bin/env bash
# The Debian package of this build: made with cpack from the build folder as
# it stands (nothing is compiled again), unpacked with dpkg-deb into a
# temporary root, and looked at: its files, its control fields, the programs
# running from the unpacked tree, the manual pages, the desktop entry and the
# AppStream data.
#
# Usage: deb_package_test.sh BUILD_DIR SOURCE_DIR VERSION
# Exit status 77 (skipped) where the Debian packaging tools are missing.
set -euo pipefail

build=$1
source=$2
version=$3

for tool in dpkg-deb dpkg-shlibdeps cpack; do
    if ! command -v "$tool" > /dev/null; then
        echo "SKIPPED: $tool is not installed (dpkg-dev and cmake make the package)"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# ----- the package
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" > cpack.log 2>&1) || {
    cat "$work/cpack.log"
    echo "FAIL: cpack"
    exit 1
}
deb="$work/out/oravelt_${version}_amd64.deb"
[[ -f $deb ]] || { ls "$work/out"; echo "FAIL: no $deb"; exit 1; }

root="$work/root"
dpkg-deb -x "$deb" "$root"

# ----- its files, exactly
expected="./usr/bin/ledsim8
./usr/bin/oravelt
./usr/bin/oravelt-cli
./usr/lib/systemd/system/oravelt-set-clock.service
./usr/lib/systemd/system/oravelt-set-clock.timer
./usr/share/applications/oravelt.desktop
./usr/share/doc/oravelt/README.md
./usr/share/doc/oravelt/changelog.gz
./usr/share/doc/oravelt/copyright
./usr/share/doc/oravelt/examples/prices-1.bmp
./usr/share/doc/oravelt/examples/prices.txt
./usr/share/icons/hicolor/scalable/apps/oravelt.svg
./usr/share/icons/hicolor/scalable/mimetypes/application-x-oravelt-source.svg
./usr/share/man/man1/ledsim8.1.gz
./usr/share/man/man1/oravelt-cli.1.gz
./usr/share/man/man1/oravelt.1.gz
./usr/share/metainfo/$(cd "$root/usr/share/metainfo" 2>/dev/null && ls)
./usr/share/mime/packages/oravelt.xml
$(cd "$source" && ls examples/*.abc | sed 's|^|./usr/share/doc/oravelt/|')"
expected=$(LC_ALL=C sort <<< "$expected")
actual=$(cd "$root" && find . -type f | LC_ALL=C sort)
if [[ $actual != "$expected" ]]; then
    fail "the package's files differ from the expected list:"
    diff <(echo "$expected") <(echo "$actual") || true
fi
[[ $(ls "$root/usr/share/metainfo" | wc -l) -eq 1 && $(ls "$root/usr/share/metainfo") == *.metainfo.xml ]] ||
    fail "one AppStream file in /usr/share/metainfo"

# ----- control fields
depends=$(dpkg-deb -f "$deb" Depends)
for needed in console-data qt6-translations-l10n libqt6core6 libqt6widgets6 libc6; do
    [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *xfonts-base* ]] || fail "Recommends lacks xfonts-base"
[[ $(dpkg-deb -f "$deb" Package) == oravelt ]] || fail "package name"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "version"
[[ $(dpkg-deb -f "$deb" Architecture) == amd64 ]] || fail "architecture"

# ----- the programs run from the unpacked tree; nothing points into the build
out=$("$root/usr/bin/oravelt-cli" --version) || fail "oravelt-cli --version failed"
[[ $out == "oravelt-cli $version" ]] || fail "oravelt-cli --version says: $out"
grep -q '^ExecStart=/usr/bin/oravelt-cli set-clock' "$root/usr/lib/systemd/system/oravelt-set-clock.service" ||
    fail "the clock service does not run /usr/bin/oravelt-cli"
for program in oravelt ledsim8 oravelt-cli; do
    if command -v file > /dev/null && file "$root/usr/bin/$program" | grep -q 'not stripped'; then
        fail "$program is not stripped"
    fi
    if grep -q -a "$build" "$root/usr/bin/$program"; then
        fail "$program names the build folder $build"
    fi
done

# ----- the manual pages are well formed
for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 > /dev/null || true)
    [[ -z $warnings ]] || fail "$(basename "$page"): $warnings"
    text=$(zcat "$page")
    for section in NAME SYNOPSIS DESCRIPTION 'EXIT STATUS' FILES EXAMPLES; do
        grep -q "^\.SH $section\$" <<< "$text" || fail "$(basename "$page") has no section $section"
    done
done
# Every command of oravelt-cli is in its manual page.
cli_page=$(zcat "$root/usr/share/man/man1/oravelt-cli.1.gz")
for command in $("$root/usr/bin/oravelt-cli" --help | sed -n '/^Commands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }'); do
    pattern=${command//-/\\\\-}
    grep -q -E '^\.B[IR]? "?'"$pattern"'[ "]' <<< "$cli_page" ||
        fail "oravelt-cli(1) does not describe \"$command\""
done

# ----- desktop entry and AppStream data
if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate "$root/usr/share/applications/oravelt.desktop" || fail "desktop-file-validate"
else
    echo "SKIPPED: desktop-file-validate (desktop-file-utils) is not installed"
fi
if command -v appstreamcli > /dev/null; then
    appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
else
    echo "SKIPPED: appstreamcli (appstream) is not installed"
fi

if ((failures > 0)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "package $deb: $(echo "$actual" | wc -l) files, all checks passed"
