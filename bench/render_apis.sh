#!/usr/bin/env bash
# Frame cost on both OpenGL APIs, in one run: the renderer benchmark once on OpenGL 3.3 core and once
# on OpenGL ES 3.0, in turns, `rounds` times (default 2), optionally with another build's benchmark
# (an earlier renderer) taking its turn too; prints the median of each figure per API.
#
#     bench/render_apis.sh [ROUNDS] [OTHER_BENCH_BINARY]
#
# Figures: start-up total and shader step, every scene's middle frame, and scene 1's frame pass by
# pass (BM_Scene1Passes/0), all at 1280x720 with FXAA, in milliseconds.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-2}
other=${2:-}
bench=build/bench/qz_bench_render
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
filter='BM_Startup|BM_SceneFrame|BM_Scene1Passes/0'
for round in $(seq "$rounds"); do
  for api in core es; do
    echo "round $round: $api" >&2
    QZ_GL=$api "$bench" --benchmark_filter="$filter" --benchmark_format=json >"$out/$api-$round.json"
  done
  if [ -n "$other" ]; then
    echo "round $round: other" >&2
    "$other" --benchmark_filter="$filter" --benchmark_format=json >"$out/other-$round.json"
  fi
done
python3 - "$out" <<'PY'
import json, os, statistics, sys
folder = sys.argv[1]
runs = {}
for name in sorted(os.listdir(folder)):
    label = name.split('-')[0]
    for b in json.load(open(os.path.join(folder, name)))['benchmarks']:
        figures = runs.setdefault(label, {})
        key = b['name'].replace('/iterations:1', '').replace('/iterations:5', '').replace('/iterations:8', '')
        key = key.replace('/manual_time', '')
        if key.startswith('BM_Startup'):
            figures.setdefault('start-up total', []).append(1e3 * b['total_s'])
            figures.setdefault('start-up shaders', []).append(1e3 * b['shaders_s'])
        elif key.startswith('BM_SceneFrame'):
            figures.setdefault('scene %s middle frame' % key.split('/')[1], []).append(b['real_time'])
        else:
            for k, v in b.items():
                if k.startswith('ms_'):
                    figures.setdefault('scene 1 pass ' + k[3:], []).append(v)
            figures.setdefault('scene 1 whole frame', []).append(b['frame_ms'])
labels = [l for l in ('other', 'core', 'es') if l in runs]
print('| figure (ms, median) | ' + ' | '.join(labels) + ' |')
print('|---' * (len(labels) + 1) + '|')
for key in runs['core']:
    cells = ['%.1f' % statistics.median(runs[l][key]) if key in runs[l] else '' for l in labels]
    print('| %s | %s |' % (key, ' | '.join(cells)))
PY
