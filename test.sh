#!/usr/bin/env bash
# Installs what is missing, builds qz001 and runs every test: the desktop build's (ctest), the
# browser build's in headless Chromium, then the Windows build's under Wine.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh --web --browser --windows --wine
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
web/build.sh
tests/web/run.sh
windows/build.sh
tests/windows/run.sh build/tools/qz001-tool
