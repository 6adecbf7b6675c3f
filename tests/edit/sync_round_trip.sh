#!/bin/sh
# sync_round_trip.sh QZ001 QZ001_TOOL - the maker's round trip with a sync editor under a virtual X
# server: `qz001-tool tracks --rocket` writes the document, the scripted editor (sync_editor.py) opens it
# and, as a sync editor does, answers each track qz001 --edit --sync asks for with the document's keys
# (moved onto rows by the export). A save with nothing typed leaves data/tracks.cpp byte for byte; one
# key typed (-50 at row 0x30 of PanelSlide:x) and saved adds that key's line to that track alone.
# Run from the repository root (the music lies there).
set -eu
qz001=$1
tool=$2
tmp=$(mktemp -d)
xvfb_pid=
show_pid=
editor_pid=
cleanup() {
    exec 4>&- 2>/dev/null || true
    [ -n "$show_pid" ] && kill "$show_pid" 2>/dev/null || true
    [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
. "$(dirname "$0")/../x11_session.sh"
export SDL_AUDIODRIVER=dummy
for program in Xvfb xdotool python3; do
    command -v $program >/dev/null || { echo "skipped: $program is not installed" && exit 77; }
done
start_xvfb "$tmp"

wait_for() { # up to $2 seconds until command $1 succeeds
    for _ in $(seq $(($2 * 10))); do sh -c "$1" && return 0; sleep 0.1; done
    return 1
}
say() { echo "$*" >&4; }

"$tool" tracks --rocket "$tmp/show.rocket" >/dev/null || fail "the tool does not write the document"
mkdir -p "$tmp/src/data" "$tmp/src/render" "$tmp/nobuild"
cp data/tracks.cpp "$tmp/src/data/"
cp -r render/shaders "$tmp/src/render/"

mkfifo "$tmp/commands"
python3 "$(dirname "$0")/sync_editor.py" "$tmp/port" "$tmp/log" "$tmp/show.rocket" <"$tmp/commands" &
editor_pid=$!
exec 4>"$tmp/commands"
wait_for "[ -s '$tmp/port' ]" 10 || fail "the scripted editor does not listen"
port=$(cat "$tmp/port")

QZ_SOURCE_DIR=$tmp/src QZ_BUILD_DIR=$tmp/nobuild "$qz001" --edit --sync "127.0.0.1:$port" --no-aa --at 20 \
    >"$tmp/out" 2>&1 &
show_pid=$!
window=$(find_window "^qz001 --edit" 60) || fail "no edit window: $(cat "$tmp/out")"
wait_for "grep -q 'track 53 ClosingPanel:z' '$tmp/log'" 30 || fail "the client did not ask for every track: $(cat "$tmp/log")"
echo "ok: the editor opened the document and sent its keys for every track asked for"

say save
wait_for "grep -q \"sync editor's save:\" '$tmp/out'" 10 || fail "no save: $(tail -3 "$tmp/out")"
grep -q "sync editor's save: 0 tracks written" "$tmp/out" || fail "the save with nothing typed: $(grep 'save:' "$tmp/out")"
cmp data/tracks.cpp "$tmp/src/data/tracks.cpp" || fail "nothing typed, yet data/tracks.cpp changed: $(diff data/tracks.cpp "$tmp/src/data/tracks.cpp" | head -20)"
echo "ok: a save with nothing typed leaves data/tracks.cpp byte for byte"

say key PanelSlide:x 48 -50 1
say save
wait_for "[ \$(grep -c \"sync editor's save:\" '$tmp/out') -ge 2 ]" 10 || fail "no second save: $(tail -3 "$tmp/out")"
grep -q "sync editor's save: 1 tracks written" "$tmp/out" || fail "the save of one key: $(grep 'save:' "$tmp/out")"
diff data/tracks.cpp "$tmp/src/data/tracks.cpp" >"$tmp/diff" || true
[ "$(grep -c '^<' "$tmp/diff")" = 0 ] && [ "$(grep -c '^>' "$tmp/diff")" = 1 ] ||
    fail "one key typed, but the save changed more than one line: $(cat "$tmp/diff")"
grep -q '^>             {346, -50, [0-9.]*f, 0},$' "$tmp/diff" || fail "the typed key's line: $(cat "$tmp/diff")"
line=$(sed -n 's/^\([0-9]*\)a.*/\1/p' "$tmp/diff")
[ "$(sed -n "${line}p" data/tracks.cpp)" = "            {173, 85, 72, 0}," ] ||
    fail "the typed key's line is not after PanelSlide's key at frame 173: $(sed -n "${line}p" data/tracks.cpp)"
echo "ok: one key typed and saved adds its line to PanelSlide's entry alone: $(grep '^>' "$tmp/diff")"

xdotool key --window "$window" Escape
wait_show 20
[ "$status" = 0 ] || fail "Escape ended the edit mode with status $status"
echo "ok: Escape ends it with status 0"
