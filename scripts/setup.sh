#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine.
set -euo pipefail
packages=(
    cmake g++ make pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libpugixml-dev libzip-dev zlib1g-dev libpng-dev libjpeg-dev libstb-dev libwxgtk3.2-dev
    libcairo2-dev # charts drawn from their cached values
    xvfb xauth libchm-bin libchm-dev python3-chm libmspack-dev p7zip-full fonts-wqy-microhei imagemagick openbox
    chromium # the web help opened headless by the tests and for its screenshots
    firefox-esr # the web help opened headless in the second browser it is made for (about 40 s to install)
    libwmf-bin # WMF pictures to PNG in saved pages (found at run time; without it they are marked gaps)
    wx3.2-i18n locales # the toolkit's translations, and a Chinese locale for the GUI tests and screenshots
    dpkg-dev desktop-file-utils lintian # the package test: dependencies from the binaries, the desktop entry, Debian's checks
    clang libclang-rt-14-dev clang-format # the fuzz targets and the formatting check
    chromium # layout checks of saved pages in a headless browser
)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
if ! locale -a | grep -qx 'zh_CN.utf8'; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
