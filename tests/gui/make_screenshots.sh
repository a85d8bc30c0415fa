#!/usr/bin/env bash
# Renders the documentation's pictures of the dialogs into docs/screenshots/ on a virtual display with a window
# manager, so the captions show. Needs a build (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
mkdir -p docs/screenshots
xvfb-run -a -s "-screen 0 1024x768x24" bash -c \
    'openbox >/dev/null 2>&1 & sleep 1; build/bin/gui_screenshots docs/screenshots'
