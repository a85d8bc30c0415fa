#!/usr/bin/env bash
# Sets up and builds, makes the example document, converts it into a help file and web help, then says where they
# are and lists the topics as the help file's own contents tree holds them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
out=build/example
mkdir -p "$out"
build/bin/leafbind-example-docx "$out/Example.docx"
# The web folder must be new or empty: this script's own one from an earlier run goes first.
rm -rf "$out/Example-web"
build/bin/leafbind-cli "$out/Example.docx" -o "$out/Example.chm" --title "Leafbind Example" --web "$out/Example-web"
echo
echo "The help file: $(realpath "$out/Example.chm")"
echo "The web help: file://$(realpath "$out/Example-web")/index.html (open it in a browser)"
echo "Its topics:"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
extract_chmLib "$out/Example.chm" "$unpacked" >/dev/null
iconv -f GB18030 -t UTF-8 "$unpacked"/*.hhc | awk '
    /<UL>/ { depth++ }
    /<\/UL>/ { depth-- }
    /name="Name"/ { sub(/.*value="/, ""); sub(/">.*/, ""); printf "%*s%s\n", depth * 2, "", $0 }'
