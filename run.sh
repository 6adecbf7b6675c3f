#!/usr/bin/env bash
# Installs what is missing, builds qz001 and plays the show.
# (For now the show is not built yet: this prints the table of generated meshes.)
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh --run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQZ_BUILD_TESTS=OFF -DQZ_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target qz001-tool
build/tools/qz001-tool meshes
