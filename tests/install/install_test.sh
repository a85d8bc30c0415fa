#!/usr/bin/env bash
# Installs the build into a staging folder, moves the installed tree elsewhere, then runs the installed programs
# with the source and build folders out of reach: the command-line program converts the example document and
# chmlib opens the result; the desktop program starts with a file named on its command line.
# Arguments: the build folder, the source folder, the example document maker.
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
example_maker=$3
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$here/InstalledTreeCheck.sh"

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log"; fail "cmake --install failed"; }
# Moved after installing: nothing may depend on where it was installed.
mkdir -p "$work/moved"
mv "$work/stage/usr" "$work/moved/tree"
tree="$work/moved/tree"

libdir=$(private_libdir "$tree")
expect_files "$tree" bin/leafbind bin/leafbind-cli bin/leafbind-hhc "$libdir/libhha.so" \
    share/leafbind/leafbind.chm share/applications/leafbind.desktop share/icons/hicolor/48x48/apps/leafbind.png \
    share/man/man1/leafbind-cli.1.gz share/man/man1/leafbind-hhc.1.gz
for program in leafbind leafbind-cli leafbind-hhc; do
    expect_runpath "$tree/bin/$program" "\$ORIGIN/../$libdir"
done
check_desktop_entry "$tree/share/applications/leafbind.desktop"
check_man_pages "$tree"
check_chm "$tree/share/leafbind/leafbind.chm" '\.hhc$' '\.html?$'

mkdir -p "$work/docs" "$work/home"
"$example_maker" "$work/docs/Example.docx" >/dev/null

# In a mount namespace of its own, empty folders cover the build and the source; where namespaces are not
# allowed the run goes on with them in place, relying on the moved tree and the RUNPATH checks above.
out_of_reach() {
    if unshare --user --map-root-user --mount true 2>/dev/null; then
        unshare --user --map-root-user --mount bash -c '
            mount -t tmpfs none "$1" && mount -t tmpfs none "$2" || exit 97
            shift 2
            exec "$@"' hide "$build" "$source" "$@"
    else
        echo "note: no mount namespace here; the build folder stays visible" >&2
        "$@"
    fi
}
clean_env=(env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
    XDG_CACHE_HOME="$work/home/.cache")

cd "$work/docs"
status=0
out_of_reach "${clean_env[@]}" "$tree/bin/leafbind-cli" Example.docx -o Example.chm --title "Leafbind Example" \
    --quiet || status=$?
[ "$status" -eq 0 ] || fail "the installed leafbind-cli exits with status $status"
check_chm Example.chm '\.hhc$' '\.hhk$' '\.html?$' '^.*\.png$'

# The desktop program takes the document as its source and stays open (it used to exit 255 at once). Killed
# after a few seconds, still running: status 124.
status=0
out_of_reach "${clean_env[@]}" xvfb-run -a timeout 5 "$tree/bin/leafbind" Example.docx >"$work/gui.log" 2>&1 ||
    status=$?
[ "$status" -eq 124 ] || { cat "$work/gui.log"; fail "the installed leafbind ended with status $status"; }
echo "installed tree: all checks passed"
