#!/usr/bin/env bash
# Builds the Debian package with CPack and checks its file list, its control fields and that the programs it
# unpacks convert the example document.
# Arguments: the build folder, the cpack program, the example document maker.
set -euo pipefail
build=$(realpath "$1")
cpack=$2
example_maker=$3
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$here/InstalledTreeCheck.sh"

(cd "$build" && "$cpack" -G DEB -B "$work/package") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack -G DEB failed"; }
debs=("$work"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' >"$work/files.txt"
libdir=$(grep -E '^/usr/lib/(.*/)?leafbind/libhha\.so$' "$work/files.txt" | sed 's|^/usr/||; s|/libhha\.so$||' || true)
[ -n "$libdir" ] || fail "the package holds no libhha.so in a private folder"
for path in /usr/bin/leafbind /usr/bin/leafbind-cli /usr/bin/leafbind-hhc /usr/$libdir/libhha.so \
    /usr/share/leafbind/leafbind.chm /usr/share/applications/leafbind.desktop \
    /usr/share/icons/hicolor/48x48/apps/leafbind.png /usr/share/icons/hicolor/scalable/apps/leafbind.svg \
    /usr/share/man/man1/leafbind.1.gz /usr/share/man/man1/leafbind-cli.1.gz /usr/share/man/man1/leafbind-hhc.1.gz \
    /usr/share/doc/leafbind/copyright /usr/share/doc/leafbind/changelog.gz; do
    grep -qx "$path" "$work/files.txt" || fail "the package does not hold $path"
done
outside=$(grep -v -e '^/usr$' -e '^/usr/' -e '^/$' "$work/files.txt" || true)
[ -z "$outside" ] || fail "the package holds files outside /usr: $outside"
# Test programs and document makers are build tools, not part of what a user gets.
leaked=$(grep -E '_tests$|gui_screenshots|-docx$|/bench' "$work/files.txt" || true)
[ -z "$leaked" ] || fail "the package holds build tools: $leaked"

dpkg-deb -I "$deb" >"$work/info.txt"
field() { sed -n "s/^ $1: //p" "$work/info.txt"; }
[ "$(field Package)" = leafbind ] || fail "Package is '$(field Package)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
depends=$(field Depends)
for package in 'libwxgtk3\.2-1' 'libwxbase3\.2-1' 'libzip4' 'libcairo2' 'libpugixml1v5' 'libstdc\+\+6' 'libc6'; do
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
[ "$(field Version)" = "$(sed -n 's/^project(Leafbind VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")" ] ||
    fail "Version is '$(field Version)', not the project's"
recommends=$(field Recommends)
for package in libreoffice-writer libreoffice-draw libwmf-bin xchm; do
    grep -Eq "(^|, |\| )$package( |,|$)" <<<"$recommends" || fail "Recommends lacks $package: $recommends"
done

# As Debian's own checker sees it: no error and no warning.
if command -v lintian >/dev/null; then
    lintian --no-tag-display-limit "$deb" >"$work/lintian.txt" 2>&1 || true
    problems=$(grep -E '^[EW]: ' "$work/lintian.txt" || true)
    [ -z "$problems" ] || fail "lintian reports:
$problems"
else
    echo "lintian is not installed: the package's own checks only"
fi

# What the package unpacks works where it lands.
dpkg-deb -x "$deb" "$work/root"
tree="$work/root/usr"
for program in leafbind leafbind-cli leafbind-hhc; do
    expect_runpath "$tree/bin/$program" "\$ORIGIN/../$libdir"
done
check_desktop_entry "$tree/share/applications/leafbind.desktop"
mkdir -p "$work/docs"
"$example_maker" "$work/docs/Example.docx" >/dev/null
(cd "$work/docs" && env -i PATH=/usr/bin:/bin HOME="$work" "$tree/bin/leafbind-cli" Example.docx --quiet) ||
    fail "the packaged leafbind-cli exits with status $?"
check_chm "$work/docs/Example.chm" '\.hhc$' '\.html?$'
echo "package $(basename "$deb"): all checks passed"
