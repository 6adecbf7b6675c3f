#!/usr/bin/env bash
# The show's frame rate on Linux and under Wine on one virtual X server, in turns: the Linux qz001
# and the Windows build's qz001.exe (unpacked by tests/windows/run.sh) each play SECONDS (default 20)
# of the show in a 1280x720 window without vsync, from --at START (default 30: scenes 2 and 3),
# ROUNDS times (default 2); prints each run's --stats line and the median per build.
#
#     bench/windows_fps.sh [ROUNDS] [SECONDS] [START]   # after ./test.sh (or build + windows/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-2}
seconds=${2:-20}
start=${3:-30}
linux=$PWD/build/app/qz001
windows=$PWD/build-windows/test/qz001/qz001.exe
[ -x "$linux" ] && [ -f "$windows" ] || { echo "build the show and run tests/windows/run.sh first" >&2; exit 1; }
export WINEPREFIX=$PWD/build-windows/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
out=$(mktemp -d)
xvfb_pid=
trap 'kill $xvfb_pid 2>/dev/null; wineserver -k 2>/dev/null; rm -rf "$out"' EXIT
. tests/x11_session.sh
start_xvfb "$out"

# play NAME COMMAND...: runs the show from the repository's music folder for $seconds once its window
# shows, then Escape; appends its frame rate to $out/NAME.
play() {
  local name=$1
  shift
  (cd "$(dirname "$windows")" && exec "$@" --no-launcher --windowed --no-vsync --stats --at "$start") \
    >"$out/last" 2>&1 &
  local pid=$!
  find_window '^qz001$' 60 >/dev/null || true
  sleep "$seconds"
  xdotool key Escape
  wait $pid || true
  echo "$name: $(grep 'ended by' "$out/last")"
  grep -o '([0-9.]* fps)' "$out/last" | tr -d '(fps )' >>"$out/$name"
}
for round in $(seq "$rounds"); do
  play linux "$linux"
  play wine wine "$windows"
done
for name in linux wine; do
  echo "$name: median $(sort -n "$out/$name" | awk '{v[NR] = $1} END {print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}') fps"
done
