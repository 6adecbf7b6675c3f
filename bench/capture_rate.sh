#!/bin/sh
# capture_rate.sh [FROM TO [WxH]] - frames per second of `qz001-tool capture` into an MP4 (rendering,
# offline music, spectrum, the pipe and ffmpeg's encoding together), run from the repository root.
#
#     bench/capture_rate.sh                 # the whole show at 1280x720 (target: 4 frames/s or more)
#     bench/capture_rate.sh 1380 1679       # 300 frames of scene 4
set -eu
cd "$(dirname "$0")/.."
from=${1:-0}
to=${2:-7831}
size=${3:-1280x720}
out=$(mktemp -d)/capture.mp4
start=$(date +%s.%N)
build/tools/qz001-tool capture --out "$out" --from "$from" --to "$to" --size "$size" 2>/dev/null
end=$(date +%s.%N)
frames=$((to - from + 1))
awk -v f="$frames" -v s="$start" -v e="$end" -v size="$size" \
    'BEGIN { t = e - s; printf "%d frames at %s in %.1f s: %.2f frames/s\n", f, size, t, f / t }'
rm -rf "$(dirname "$out")"
