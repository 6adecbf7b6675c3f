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
. "$(dirname "$0")/../x11_session.sh"
. "$(dirname "$0")/sync_session.sh"
start_x11_test Xvfb xdotool python3
start_xvfb "$tmp"

"$tool" tracks --rocket "$tmp/show.rocket" >/dev/null || fail "the tool does not write the document"
start_sync_edit "$tmp/show.rocket"
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
