#!/usr/bin/env bash
# Installs the Debian 12 packages Kelvaro needs to build, run and test,
# skipping those already present. Usage: install-deps.sh [run|test|bench]
set -euo pipefail

run_packages=(
    cmake g++ ninja-build pkgconf
    qt6-base-dev qt6-qpa-plugins libpulse-dev
    libespeak-ng-dev espeak-ng-data libglib2.0-dev libfontconfig-dev
    flite1-dev libmecab-dev mecab-naist-jdic libsoxr-dev
    fonts-noto-cjk qt6-translations-l10n librsvg2-bin
    qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite
    qt6-tools-dev qt6-l10n-tools
)
test_packages=(
    xvfb xauth xdotool x11-utils scrot clang-format
    clang libclang-rt-14-dev
    pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber
    desktop-file-utils appstream dpkg-dev file sqlite3 libxcb1-dev
    dbus-daemon dbus-x11 at-spi2-core python3-pyatspi orca speech-dispatcher
    lintian stress-ng ccache
)
# The speech recogniser and the voice's own program that bench/word_error_bench.sh scores with.
bench_packages=(flite pocketsphinx pocketsphinx-en-us)

wanted=("${run_packages[@]}")
case "${1:-run}" in
test) wanted+=("${test_packages[@]}") ;;
bench) wanted+=("${test_packages[@]}" "${bench_packages[@]}") ;;
esac

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$package")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
