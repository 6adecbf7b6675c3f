#!/usr/bin/env bash
# The edit mode's live reload, from a save to the first frame drawn with the change (the edit mode
# measures it against the file's write time): SAVES (default 5) saves of a shader (the composite
# tinted, then not) and as many of a scene file (scene 4's clear colour), in a scratch copy of the
# repository with its own build, the edit mode paused on a frame of scene 4 under a virtual X server.
# Prints each save's latency, the median of each kind, and what the time went on (the compile and
# link of the shaders, the build of the scene module).
#
#     bench/reload_latency.sh [SAVES]   # after a build (./run.sh or ./test.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
saves=${1:-5}
qz001=$PWD/build/app/qz001
[ -x "$qz001" ] || { echo "build qz001 first (./run.sh or ./test.sh)" >&2; exit 1; }
export SDL_AUDIODRIVER=dummy
out=$(mktemp -d)
xvfb_pid=
show_pid=
trap 'kill $show_pid $xvfb_pid 2>/dev/null; rm -rf "$out"' EXIT
. tests/x11_session.sh
start_xvfb "$out"
scratch=$out/repo
mkdir -p "$scratch"
tar --exclude='./build*' --exclude=./.git --exclude=node_modules -cf - . | tar -xf - -C "$scratch"
cmake -S "$scratch" -B "$scratch/build" -DQZ_BUILD_TESTS=OFF -DQZ_BUILD_BENCH=OFF >/dev/null
cmake --build "$scratch/build" --target qz_scene_module >/dev/null
QZ_SOURCE_DIR=$scratch QZ_BUILD_DIR=$scratch/build "$qz001" --edit --at 30 >"$out/log" 2>&1 &
show_pid=$!
window=$(find_window "^qz001 --edit" 60) || { echo "no edit window: $(cat "$out/log")" >&2; exit 1; }
sleep 3
xdotool key --window "$window" space

# save KIND FILE SED: edits FILE with SED and waits for the KIND's next "on screen" line.
save() {
  local before
  before=$(grep -c "$1 .*on screen" "$out/log" || true)
  sleep 1.2 # a new write time, past the last look
  sed -i "$3" "$2"
  for _ in $(seq 200); do
    [ "$(grep -c "$1 .*on screen" "$out/log" || true)" -gt "$before" ] && break
    sleep 0.1
  done
  grep "$1 .*on screen" "$out/log" | tail -1 | grep -o '[0-9]* ms' | tr -d ' ms' >>"$out/$1"
}
post=$scratch/render/shaders/post.glsl
scene=$scratch/data/scene_04_drop.cpp
for i in $(seq "$saves"); do
  if [ $((i % 2)) = 1 ]; then
    save shaders "$post" '/^vec4 A_3_postprocessPS/,/^}/ s/^    return c;/    return mix(c, vec4(1.0, 0.0, 0.0, 1.0), 0.5);/'
    save data "$scene" 's/^    s\[kClearColour\] = constant(.*/    s[kClearColour] = constant(0, 0.8f, 0.2f, 1);/'
  else
    save shaders "$post" 's/^    return mix(c, vec4(1.0, 0.0, 0.0, 1.0), 0.5);/    return c;/'
    save data "$scene" 's/^    s\[kClearColour\] = constant(0, 0.8f, 0.2f, 1);/    s[kClearColour] = constant(0.1f, 0.03f, 0.16f, 1);/'
  fi
done
xdotool key --window "$window" Escape
wait $show_pid || true
show_pid=
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "shader saves, ms from save to screen: $(tr '\n' ' ' <"$out/shaders")(median $(median "$out/shaders"))"
echo "  compile and link: $(grep -o 'compiled and linked in [0-9]* ms' "$out/log" | grep -o '[0-9]*' | tr '\n' ' ')ms"
echo "scene file saves, ms from save to screen: $(tr '\n' ' ' <"$out/data")(median $(median "$out/data"))"
echo "  build of the scene module: $(grep -o 'rebuilt in [0-9]* ms' "$out/log" | grep -o '[0-9]*' | tr '\n' ' ')ms"
echo "(the files are looked at twice a second: up to 500 ms of each figure is that wait)"
