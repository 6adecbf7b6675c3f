#!/usr/bin/env bash
# Builds the show for a web browser into build-web/site/, a plain folder any static web server can
# serve: index.html, and style.css, page.js, icon.png, qz001.js, qz001.wasm and music/ZB_PALEWIRE.xm
# under content-hashed names (docs/web.md says what a host should send).
#
#     web/build.sh          # then: python3 -m http.server -d build-web/site 8000
#
# Installs emscripten when missing (through tools/install-deps.sh --web) and builds the libraries
# once (web/deps.sh, cached in ~/.cache/qz001/web).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --web
export NODE_PATH=/usr/share/nodejs # emscripten's optimizer needs the machine's node modules
prefixes=$(web/deps.sh | paste -sd ';')
emcmake cmake -S . -B build-web/cmake -DCMAKE_BUILD_TYPE=Release "-DQZ_PREFIXES=$prefixes" >/dev/null
cmake --build build-web/cmake -j"$(nproc)" --target qz001
site=build-web/site
rm -rf "$site.partial" && mkdir -p "$site.partial/music"
# Every file but index.html gets a content-hashed name (qz001.3f2a9c01d4e7.wasm): a browser never mixes
# an old file with a new one, and a host may keep them cached for ever. index.html names them, with
# the sizes the page counts its progress against while it loads them (the show's, the music's).
index=$(cat web/index.html)
place() { # FILE FOLDER (in the site): copies FILE there under its hashed name, which index.html then names
    local file=$1 folder=$2 name hash
    name=$(basename "$file")
    hash=$(sha256sum "$file" | cut -c1-12)
    cp "$file" "$site.partial/$folder${name%.*}.$hash.${name##*.}"
    index=${index//\"$folder$name\"/\"$folder${name%.*}.$hash.${name##*.}\"}
}
for file in web/style.css web/page.js web/icon.png build-web/cmake/web/qz001.js build-web/cmake/web/qz001.wasm; do
    place "$file" ""
done
place music/ZB_PALEWIRE.xm music/
show=$(($(stat -c %s build-web/cmake/web/qz001.js build-web/cmake/web/qz001.wasm | paste -sd+)))
index=${index//data-bytes=\"0\"/data-bytes=\"$show\"}
index=${index//data-music-bytes=\"0\"/data-music-bytes=\"$(stat -c %s music/ZB_PALEWIRE.xm)\"}
printf '%s\n' "$index" >"$site.partial/index.html"
grep -qE '"(style\.css|page\.js|icon\.png|qz001\.js|qz001\.wasm|music/ZB_PALEWIRE\.xm)"' "$site.partial/index.html" &&
    { echo "web/build.sh: index.html still names a file without its hash" >&2; exit 1; }
rm -rf "$site" && mv "$site.partial" "$site"
echo "web/build.sh: the site is in $site ($(du -sh "$site" | cut -f1))"
