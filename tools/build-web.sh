#!/usr/bin/env bash
# Builds the show for a web browser into build-web/site/, a plain folder any static web server can
# serve: index.html, style.css, page.js, qz001.js, qz001.wasm and music/ZB_PALEWIRE.xm.
#
#     tools/build-web.sh          # then: python3 -m http.server -d build-web/site 8000
#
# Installs emscripten when missing (through tools/install-deps.sh --web) and builds the libraries
# once (tools/web-deps.sh, cached in ~/.cache/qz001/web).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --web
export NODE_PATH=/usr/share/nodejs # emscripten's optimizer needs the machine's node modules
prefixes=$(tools/web-deps.sh | paste -sd ';')
emcmake cmake -S . -B build-web/cmake -DCMAKE_BUILD_TYPE=Release "-DQZ_PREFIXES=$prefixes" >/dev/null
cmake --build build-web/cmake -j"$(nproc)" --target qz001
site=build-web/site
rm -rf "$site.partial" && mkdir -p "$site.partial/music"
cp web/index.html web/style.css web/page.js build-web/cmake/web/qz001.js build-web/cmake/web/qz001.wasm \
  "$site.partial/"
cp music/ZB_PALEWIRE.xm "$site.partial/music/"
rm -rf "$site" && mv "$site.partial" "$site"
echo "build-web.sh: the site is in $site ($(du -sh "$site" | cut -f1))"
