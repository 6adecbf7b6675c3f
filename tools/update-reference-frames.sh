#!/usr/bin/env bash
# Renders the committed reference frames again after a change to the show, and says which changed:
# - tests/render/frames/frame_NNNNN.png, the frames the API test compares against (each at its own
#   size: frame NNNNN of the show);
# - docs/frames/frame_NNNNN.png, likewise;
# - docs/frames/scene_NN.png, the middle of each scene (its length halved, down to a multiple of ten
#   frames), what the scene table in docs/scenes.md links.
# A frame counts as changed when more than 0.1 % of its pixels differ by more than 1 %; an unchanged
# one is left as it was.
#
#     tools/update-reference-frames.sh [QZ001_TOOL]   # default build/tools/qz001-tool
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${1:-build/tools/qz001-tool}
[ -x "$tool" ] || { echo "update-reference-frames.sh: build qz001-tool first (./test.sh or cmake --build build)" >&2; exit 1; }
command -v compare >/dev/null || { echo "update-reference-frames.sh: ImageMagick's compare is missing (tools/install-deps.sh)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
changed=0 kept=0

# render FRAME FILE: renders FRAME at FILE's size (1280x720 for a new file) and replaces FILE when it differs.
render() {
  local frame=$1 file=$2 size=1280x720
  [ -f "$file" ] && size=$(identify -format '%wx%h' "$file")
  "$tool" render --frame "$frame" --size "$size" --out "$work/new.png" >/dev/null
  if [ -f "$file" ]; then
    local apart pixels
    apart=$(compare -metric AE -fuzz 1% "$work/new.png" "$file" null: 2>&1 || true)
    pixels=$((${size%x*} * ${size#*x}))
    if awk -v d="$apart" -v p="$pixels" 'BEGIN { exit !(d ~ /^[0-9.e+]+$/ && d * 1000 <= p) }'; then
      kept=$((kept + 1))
      return
    fi
    echo "changed: $file (frame $frame, $apart of $pixels pixels differ)"
  else
    echo "new: $file (frame $frame)"
  fi
  cp "$work/new.png" "$file"
  changed=$((changed + 1))
}

for file in tests/render/frames/frame_*.png docs/frames/frame_*.png; do
  name=$(basename "$file" .png)
  render $((10#${name#frame_})) "$file"
done
while read -r scene first frames _; do
  render $((first + frames / 20 * 10)) "$(printf 'docs/frames/scene_%02d.png' "$scene")"
done < <("$tool" scenes)
echo "update-reference-frames.sh: $changed frames changed or new, $kept unchanged"
