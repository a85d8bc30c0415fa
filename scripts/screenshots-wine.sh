#!/usr/bin/env bash
# Screenshots of the example and the user manual in Wine's help viewer (hh.exe, under Xvfb, Chinese locale so the
# system code page is 936): the contents tree, the index and a Chinese full-text search with its hits, saved as
# docs/screenshots/wine-{example,manual}-{contents,index,search}.png. Wine has no page renderer in Debian (Gecko is
# not packaged), so the page pane stays blank; the navigation pane is what these show.
# Installs wine, xdotool and what it needs when they are missing; nothing else on the machine is changed.
# Usage: scripts/screenshots-wine.sh [BUILD_DIR]   (a build with leafbind-cli, leafbind-example-docx, leafbind.chm)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=docs/screenshots

needed=()
for tool in wine:wine xdotool:xdotool Xvfb:xvfb import:imagemagick; do
    command -v "${tool%%:*}" >/dev/null || needed+=("${tool#*:}")
done
[ -e /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || needed+=(fonts-wqy-microhei)
if [ ${#needed[@]} -gt 0 ]; then
    sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${needed[@]}" wine64
fi

work=$(mktemp -d)
xvfb=
cleanup() {
    WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$build/bin/leafbind-example-docx" "$work/Example.docx"
"$build/bin/leafbind-cli" "$work/Example.docx" -o "$work/example.chm" --title "Leafbind Example" >/dev/null 2>&1
cp "$build/bin/leafbind.chm" "$work/manual.chm"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.2; done
export DISPLAY=:$(cat "$work/display") WINEPREFIX="$work/prefix" WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
wineboot -i >/dev/null 2>&1

# Positions in the viewer's window, which opens at the screen's top left (no window manager).
contentsTab="33 86"
indexTab="91 86"
searchTab="150 86"
searchBox="122 112"
firstBranch="20 113"

shoot() { import -window root -crop 880x700+0+0 +repage "$out/wine-$1.png"; }
click() {
    xdotool mousemove $1 $2 click 1
    sleep 2
}

for entry in "example:帮助" "manual:转换"; do
    name=${entry%%:*}
    query=${entry#*:}
    wine hh.exe "Z:${work//\//\\}\\$name.chm" >/dev/null 2>&1 &
    for _ in $(seq 60); do xdotool search --class hh.exe >/dev/null 2>&1 && break; sleep 0.5; done
    sleep 12 # the first start of the viewer also sets Wine up
    click $contentsTab
    click $firstBranch
    shoot "$name-contents"
    click $indexTab
    shoot "$name-index"
    click $searchTab
    click $searchBox
    # The first character typed through a remapped key can be lost: the box is cleared and typed into again.
    xdotool type --delay 300 "$query"
    xdotool key ctrl+a BackSpace
    xdotool type --delay 300 "$query"
    xdotool key Return
    sleep 4
    shoot "$name-search"
    wineserver -k
    sleep 2
done
echo "Screenshots in $out/wine-*.png"
