#!/usr/bin/env bash
# Makes the program's icon from a frame of the show (scene 8's red cube): windows/qz001.ico (256, 48,
# 32 and 16 pixels, for qz001.exe's resources) and web/icon.png (192 pixels, the page's icon). Both are
# committed; run again only to change the picture.
#
#     tools/make-icons.sh build/tools/qz001-tool
set -euo pipefail
tool=$(realpath "${1:?usage: tools/make-icons.sh QZ001_TOOL}")
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$tool" render --frame 5220 --out "$scratch/frame.png" >/dev/null
convert "$scratch/frame.png" -crop 600x600+360+18 +repage "$scratch/square.png"
for size in 256 48 32 16; do convert "$scratch/square.png" -filter Lanczos -resize ${size}x$size "$scratch/$size.png"; done
convert "$scratch/256.png" "$scratch/48.png" "$scratch/32.png" "$scratch/16.png" windows/qz001.ico
convert "$scratch/square.png" -filter Lanczos -resize 192x192 -strip web/icon.png
echo "make-icons.sh: windows/qz001.ico and web/icon.png"
