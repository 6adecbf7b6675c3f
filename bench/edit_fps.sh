#!/usr/bin/env bash
# The edit mode's frame rate against the player's, on one virtual X server, in turns: the player in
# its 1280x720 window, the edit mode with its panels shown, the edit mode with F1 (the frame alone), and
# the edit mode connected to a sync editor (tests/edit/sync_editor.py) that sends SET_ROW as fast as it
# can the whole time (a flood: each frame takes a bounded part of it), each playing SECONDS (default
# 15) from --at START (default 30) without vsync, ROUNDS times (default 2); prints each run's --stats
# line and the median of each.
#
#     bench/edit_fps.sh [ROUNDS] [SECONDS] [START]   # after a build (./run.sh or ./test.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-2}
seconds=${2:-15}
start=${3:-30}
qz001=$PWD/build/app/qz001
[ -x "$qz001" ] || { echo "build qz001 first (./run.sh or ./test.sh)" >&2; exit 1; }
export SDL_AUDIODRIVER=dummy
out=$(mktemp -d)
xvfb_pid=
trap 'kill $xvfb_pid 2>/dev/null; rm -rf "$out"' EXIT
. tests/x11_session.sh
start_xvfb "$out"

# play NAME WINDOW_NAME KEYS OPTIONS...: plays for $seconds once the window shows (after KEYS), then
# Escape; appends its frame rate to $out/NAME.
play() {
  local name=$1 title=$2 keys=$3
  shift 3
  "$qz001" "$@" --no-vsync --stats --at "$start" >"$out/last" 2>&1 &
  local pid=$!
  local window
  window=$(find_window "$title" 60) || { echo "$name: no window" >&2; kill $pid; return 1; }
  [ -n "$keys" ] && xdotool key --window "$window" $keys
  sleep "$seconds"
  xdotool key --window "$window" Escape
  wait $pid || true
  echo "$name: $(grep 'ended by' "$out/last")"
  grep -o '([0-9.]* fps)' "$out/last" | tr -d '(fps )' >>"$out/$name"
}
# A sync editor flooding SET_ROW commands for as long as the edit mode is connected.
flood() {
  rm -f "$out/port"
  python3 -c 'import sys
r = 0
while True:
    r = (r + 1) % 1000
    sys.stdout.write("row %d\n" % r)' 2>/dev/null | python3 tests/edit/sync_editor.py "$out/port" "$out/sync.log" &
  for _ in $(seq 50); do [ -s "$out/port" ] && break; sleep 0.1; done
  play edit-sync-flood '^qz001 --edit' '' --edit --sync "127.0.0.1:$(cat "$out/port")"
  pkill -f "sync_editor.py $out/port" || true
}
for round in $(seq "$rounds"); do
  play player '^qz001$' '' --windowed
  play edit-panels '^qz001 --edit' '' --edit
  play edit-frame-alone '^qz001 --edit' F1 --edit
  flood
done
for name in player edit-panels edit-frame-alone edit-sync-flood; do
  echo "median $name: $(sort -n "$out/$name" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }') fps"
done
