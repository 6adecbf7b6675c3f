#!/usr/bin/env bash
# Installs the Debian packages qz001 needs to build, play and test, when any is missing: the
# libraries, a virtual X server (with the X fonts its message boxes need) and xdotool for the
# end-to-end test, ffmpeg, which turns the show
# into a video on a machine without a display, and xmllint (libxml2-utils), which checks the sync
# editor document the tool writes. Runs apt-get as root, or through sudo. Called by run.sh
# and test.sh.
#
#     tools/install-deps.sh [--web] [--browser] [--windows] [--wine]
#
# --web adds what the browser build needs (emscripten, and dpkg-dev to unpack Debian's source
# packages); --browser adds Chromium, which the browser test drives; --windows adds what the Windows
# build needs (MinGW-w64, meson and ninja for libepoxy, dpkg-dev); --wine adds Wine, which runs the
# Windows build's test.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libglm-dev
  libsdl2-dev libepoxy-dev libgl1-mesa-dri libegl-mesa0 libegl-dev libgl-dev libgles2
  libopenmpt-dev libkissfft-dev libimgui-dev
  libfreetype-dev libglu1-mesa-dev fonts-liberation2 libpng-dev libdeflate-dev
  xvfb xauth xfonts-base xdotool imagemagick ffmpeg libxml2-utils
)

for option in "$@"; do
  case $option in
  --web) packages+=(emscripten dpkg-dev) ;;
  --browser) packages+=(chromium) ;; # node and npm come with the machine
  --windows) packages+=(g++-mingw-w64-x86-64-posix meson ninja-build dpkg-dev) ;;
  --wine) packages+=(wine wine64) ;;
  *) echo "install-deps.sh: unknown option $option" >&2 && exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then as_root=(); elif command -v sudo >/dev/null; then as_root=(sudo); else
  echo "error: missing packages (${missing[*]}) and neither root nor sudo to install them" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
