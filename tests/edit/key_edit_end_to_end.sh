#!/bin/sh
# key_edit_end_to_end.sh QZ001 - keys changed in the tracks panel of qz001 --edit, on a scratch copy of
# data/, under a virtual X server (Xvfb, xdotool, ImageMagick): scene 4 paused on a beat, track 10's
# key 1 dragged shows in the frame while the mouse is still down and is written on release as that one
# line of data/tracks.cpp, in time only; Ctrl+Z gives the file back byte for byte and the frame as it
# was; a vertical drag changes the value alone; a key
# inserted at the play head adds one line, a key deleted with a right click removes one, each undone;
# Escape ends with status 0 and no unsaved edit. The places are those of the 1760x1050 edit window on a
# 1920x1080 screen, Dear ImGui's default font. Run from the repository root.
set -eu
qz001=$1
. "$(dirname "$0")/../x11_session.sh"
start_x11_test Xvfb xdotool import compare

mkdir -p "$tmp/src"
cp -r data "$tmp/src/"
tracks=$tmp/src/data/tracks.cpp
cp "$tracks" "$tmp/original.cpp"
grep -q '^            {115, 190, 50, 0},$' "$tracks" || fail "track 10's key 1 is not as expected"

start_xvfb "$tmp"
# The mouse to a point of the window, nudged a pixel down.
point_down() { point "$1" "$2" 0 1; }
changed_lines() { diff "$tmp/original.cpp" "$tracks" | grep -c '^[<>]' || true; }
# Each key moves the play head: the next is pressed once the title names the new place (20 s each).
move_head() {
    for key in "$@"; do
        was=$(xdotool getwindowname "$window")
        xdotool key --window "$window" "$key"
        for _ in $(seq 80); do [ "$(xdotool getwindowname "$window")" != "$was" ] && break; sleep 0.25; done
        [ "$(xdotool getwindowname "$window")" != "$was" ] || fail "$key did not move the play head: $was"
    done
}
# Ctrl+Z with the mouse off the panels: the $1th undo of track 10's key edits is told, and the file is
# as it was (else failure $2).
undo_key_edit() {
    point_down 400 300
    xdotool key --window "$window" ctrl+z
    wait_lines "undone the key edit of track 10" "$1" 10 || fail "undo did not run: $(cat "$tmp/out")"
    cmp "$tracks" "$tmp/original.cpp" || fail "$2"
}

# No build folder: the reload is off, the edits are written all the same.
QZ_SOURCE_DIR=$tmp/src QZ_BUILD_DIR=$tmp/nobuild "$qz001" --edit --scene 4 >"$tmp/out" 2>&1 &
show_pid=$!
find_edit_window 1760x1050
# Paused at scene 4's fifth beat, whatever the show had played: the start, four scenes on, five beats.
pause_edit "$window" "$tmp/out"
move_head Home Next Next Next Next Right Right Right Right Right
point_down 1450 36 # the Tracks tab
xdotool click 1
sleep 1
look "$tmp/before.png"

# Track 10's key 1 (x: 190 at frame 115), dragged right with the mouse drifting down: the drag moves it
# in time only (its value stays 190), and it stops at key 2's frame.
point_down 1381 293
xdotool mousedown 1
sleep 0.3
for _ in $(seq 6); do xdotool mousemove_relative 4 3; sleep 0.2; done
look_until "$tmp/dragging.png" "$tmp/before.png" -gt 200 || true # checked once the drag has ended
cmp -s "$tracks" "$tmp/original.cpp" || fail "the file was written before the drag ended"
xdotool mouseup 1
wait_lines "track 10: key 1 moved to frame" 1 10 || fail "the drag was not written back: $(cat "$tmp/out")"
[ "$(differ "$tmp/before.png" "$tmp/dragging.png")" -gt 200 ] || fail "the dragged key did not show in the frame"
[ "$(changed_lines)" -eq 2 ] || fail "the drag changed more than the key's line: $(diff "$tmp/original.cpp" "$tracks")"
diff "$tmp/original.cpp" "$tracks" | grep -q '^>             {1[2-7][0-9], 190, 50, 0},$' ||
    fail "the key's line is not the moved key: $(diff "$tmp/original.cpp" "$tracks")"
echo "ok: a dragged key shows while it moves and is written as its one line"

undo_key_edit 1 "undo did not restore the file"
look_until "$tmp/undone.png" "$tmp/before.png" -lt 200 || fail "undo did not restore the frame"
echo "ok: undo restores the file byte for byte and the frame"

# The same key dragged up with the mouse drifting sideways: its value changes, its frame stays 115.
point_down 1381 293
xdotool mousedown 1
sleep 0.3
for _ in $(seq 6); do xdotool mousemove_relative 1 -4; sleep 0.2; done
sleep 0.3
xdotool mouseup 1
wait_lines "track 10: key 1 moved to frame 115 " 1 10 || fail "the vertical drag did not keep the frame: $(cat "$tmp/out")"
[ "$(changed_lines)" -eq 2 ] && diff "$tmp/original.cpp" "$tracks" | grep -q '^>             {115, [0-9]*, 50, 0},$' ||
    fail "the vertical drag is not the key's value alone: $(diff "$tmp/original.cpp" "$tracks")"
undo_key_edit 2 "undoing the vertical drag did not restore the file"
echo "ok: a drag changes the one axis the mouse moved along"

# A key at the play head (the button of track 10), then undone.
point_down 1525 271
xdotool click 1
wait_lines "track 10: key [0-9]* inserted" 1 10 || fail "no key was inserted: $(cat "$tmp/out")"
[ "$(changed_lines)" -eq 1 ] && diff "$tmp/original.cpp" "$tracks" | grep -q '^>             {[0-9]*, -*[0-9]*, -*[0-9]*, 0},$' ||
    fail "the insert is not one new key line in whole hundredths: $(diff "$tmp/original.cpp" "$tracks")"
undo_key_edit 3 "undoing the insert did not restore the file"
echo "ok: a key inserted at the play head is one new line"

# Key 1 deleted with a right click, then undone.
point_down 1381 293
xdotool click 3
wait_lines "track 10: key 1 at frame 115 deleted" 1 10 || fail "no key was deleted: $(cat "$tmp/out")"
[ "$(changed_lines)" -eq 1 ] && diff "$tmp/original.cpp" "$tracks" | grep -q '^<             {115, 190, 50, 0},$' ||
    fail "the delete is not the key's line: $(diff "$tmp/original.cpp" "$tracks")"
undo_key_edit 4 "undoing the delete did not restore the file"
echo "ok: a key deleted is its one line, and undone"

xdotool key --window "$window" Escape
wait_show 20
[ "$status" -eq 0 ] || fail "Escape: exit status $status: $(cat "$tmp/out")"
grep -q "no file holds" "$tmp/out" && fail "unsaved edits at the end: $(cat "$tmp/out")"
echo "ok: Escape ends with status 0"
