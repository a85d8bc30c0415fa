#!/usr/bin/env bash
# Renders the web help's pictures into docs/screenshots/ with headless Chromium: the example's web help (the home
# page with the contents, a search in Chinese, a topic opened from the search with its words marked) and a topic on
# a phone-sized screen; with firefox-esr, the search once more as Firefox shows it. Needs a build
# (scripts/build.sh) and chromium (scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/bin/leafbind-example-docx "$work/Example.docx"
build/bin/leafbind-cli "$work/Example.docx" --no-chm --web "$work/web" --title "Leafbind Example" --front-page --quiet
mkdir -p docs/screenshots
shot() { # name, width, height, page and query
    mkdir "$work/profile"
    chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
        --disable-component-update --disable-sync --user-data-dir="$work/profile" --hide-scrollbars \
        --virtual-time-budget=5000 --window-size="$2,$3" --screenshot="$PWD/docs/screenshots/$1.png" \
        "file://$work/web/$4" 2>/dev/null
    rm -rf "$work/profile"
}
shot web-contents 1100 700 "index.html"
shot web-search 1100 700 "search.html?q=%E5%B8%AE%E5%8A%A9"
shot web-topic 1100 700 "5.html?q=chinese"
shot web-phone 390 760 "2.html"
if command -v firefox-esr >/dev/null; then
    mkdir "$work/profile"
    firefox-esr --headless --no-remote --profile "$work/profile" --window-size=1100,700 \
        --screenshot "$PWD/docs/screenshots/web-firefox-search.png" "file://$work/web/search.html?q=%E5%B8%AE%E5%8A%A9" \
        >/dev/null 2>&1
    rm -rf "$work/profile"
fi
ls -l docs/screenshots/web-*.png
