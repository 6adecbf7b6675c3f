#!/usr/bin/env bash
# Installs what is missing, builds qz001 and plays the show: the launcher first, then the show in its
# window with its music. Options after ./run.sh go to qz001 (./run.sh --help lists them).
#
# On a machine without a display it renders the whole show with its music into show.mp4 instead
# (640x360; for 1280x720 run: build/tools/qz001-tool capture --out show.mp4).
set -euo pipefail
cd "$(dirname "$0")"
# ./run.sh --web: the show in a web browser, served at http://127.0.0.1:8000/ until Ctrl-C.
if [ "${1:-}" = --web ]; then
  web/build.sh
  echo "run.sh: the show is at http://127.0.0.1:8000/ (Ctrl-C stops the server)"
  exec python3 -m http.server 8000 --bind 127.0.0.1 --directory build-web/site
fi
tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: there is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the show cannot"
    echo "run.sh: open its window; rendering it with its music into show.mp4 (640x360) instead."
    cmake --build build -j"$(nproc)" --target qz001-tool
    build/tools/qz001-tool capture --out show.mp4 --size 640x360
    echo "run.sh: wrote show.mp4; play it with any video player (for example: ffplay show.mp4)."
    exit 0
fi
cmake --build build -j"$(nproc)" --target qz001
exec build/app/qz001 "$@"
