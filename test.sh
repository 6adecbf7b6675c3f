#!/usr/bin/env bash
# Installs what is missing, builds qz001 and runs every test: the desktop build's (ctest), then the
# browser build's in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh --web --browser
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
tools/build-web.sh
tests/web/run.sh
