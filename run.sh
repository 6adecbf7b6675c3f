#!/usr/bin/env bash
# Installs what is missing, builds qz001 and plays the show: the launcher first, then the show in its
# window with its music. Options after ./run.sh go to qz001 (./run.sh --help lists them).
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh --run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target qz001
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: there is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the show" >&2
    echo "run.sh: cannot open its window. Run it on a desktop, or under a virtual one: xvfb-run ./run.sh" >&2
    exit 1
fi
exec build/app/qz001 "$@"
