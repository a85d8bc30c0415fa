#!/usr/bin/env bash
# Renders the documentation's pictures of the dialogs into docs/screenshots/ on a virtual display with a window
# manager, so the captions show: once under a Chinese locale (NAME.png), once under an English one (NAME-en.png), so
# the desktop's own boxes speak each language too. Needs a build (scripts/build.sh) and scripts/setup.sh's locale.
set -euo pipefail
cd "$(dirname "$0")/../.."
mkdir -p docs/screenshots
LEAFBIND_LANGUAGE= LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 LANGUAGE=zh_CN xvfb-run -a -s "-screen 0 1024x768x24" bash -c \
    'openbox >/dev/null 2>&1 & sleep 1; build/bin/gui_screenshots docs/screenshots'
LEAFBIND_LANGUAGE= LC_ALL=C.UTF-8 LANG=C.UTF-8 LANGUAGE=en xvfb-run -a -s "-screen 0 1024x768x24" bash -c \
    'openbox >/dev/null 2>&1 & sleep 1; build/bin/gui_screenshots docs/screenshots'
