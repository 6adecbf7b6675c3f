#!/bin/sh
# value_edit_end_to_end.sh QZ001 - values changed in the inspector of qz001 --edit, in a scratch copy
# of the repository with its own build, under a virtual X server (Xvfb, xdotool, ImageMagick): scene 4's
# clear colour dragged redder shows on the paused frame while the mouse is still down, and on release
# the scene file's diff is that one literal; the reload's rebuild equals the edit; a value typed
# (Ctrl+click) shows and is written, typed text that is not a number is refused; after the maker's
# editor added a line at the top, Ctrl+Z held undoes one step into the right line, and the next leaves
# the file byte for byte as it was (plus that line) and the frame as it was; an edit after the file was
# changed on disk goes on top of it; Escape ends with status 0.
# The panels' places are those of the 1760x1050 edit window on a 1920x1080 screen, Dear ImGui's
# default font. Run from the repository root (the music lies there).
set -eu
qz001=$1
. "$(dirname "$0")/../x11_session.sh"
start_x11_test Xvfb xdotool import compare cmake

copy_tree
build_scene_module
scene=$scratch/data/scene_04_drop.cpp
cp "$scene" "$tmp/original.cpp"
grep -q '^    s\[kClearColour\] = constant(0.1f, 0.03f, 0.16f, 1);$' "$scene" || fail "scene 4's clear colour line is not as expected"

start_xvfb "$tmp"
# Mean red and green of a picture, in thousandths.
colour() { convert "$1" -format '%[fx:int(1000*mean.r)] %[fx:int(1000*mean.g)]' info:; }

QZ_SOURCE_DIR=$scratch QZ_BUILD_DIR=$scratch/build "$qz001" --edit --scene 4 >"$tmp/out" 2>&1 &
show_pid=$!
find_edit_window 1760x1050
pause_edit "$window" "$tmp/out"
sleep 1
look "$tmp/before.png"

# Slot 1, ClearColour, selected in the inspector's table (below "add slot..." and the message box);
# its p0 dragged 100 pixels to the right (0.001 a pixel once the drag has started: 0.1 becomes up to 0.2).
point 1318 170
xdotool click 1
sleep 0.5
point 1414 77
xdotool mousedown 1
for _ in $(seq 10); do xdotool mousemove_relative 10 0; sleep 0.05; done
for _ in $(seq 30); do # the frame drawn with the drag comes when the machine gets to it (15 s)
    look "$tmp/dragging.png"
    set -- $(colour "$tmp/before.png") $(colour "$tmp/dragging.png")
    [ "$3" -gt $(($1 + 40)) ] && break
    sleep 0.5
done
cmp -s "$scene" "$tmp/original.cpp" || fail "the file was written before the drag ended"
xdotool mouseup 1
wait_lines "kClearColour p0 0.1f -> " 1 10 || fail "the drag was not written back: $(cat "$tmp/out")"
set -- $(colour "$tmp/before.png") $(colour "$tmp/dragging.png")
[ "$3" -gt $(($1 + 40)) ] || fail "the dragged clear colour did not show while dragging (red $1 -> $3)"
diff "$tmp/original.cpp" "$scene" >"$tmp/diff" && fail "the drag left the file as it was"
[ "$(grep -c '^[<>]' "$tmp/diff")" -eq 2 ] &&
    grep -q '^>     s\[kClearColour\] = constant(0\.[1-9][0-9]*f, 0.03f, 0.16f, 1);$' "$tmp/diff" ||
    fail "the file's diff is not the one literal: $(cat "$tmp/diff")"
wait_lines "equals the edited values" 1 60 || fail "the rebuilt data was not checked against the edit: $(cat "$tmp/out")"
echo "ok: a dragged value shows while dragging, its diff is one literal, the rebuild equals it"

# p1 typed: Ctrl+click (its text all selected), 0.5, Enter. Each key and click is as short as xdotool
# makes it, far shorter than a frame here: the panels must still see every one.
type_into() {
    point "$1" "$2"
    xdotool keydown ctrl click 1 keyup ctrl
    xdotool type "$3"
    xdotool key Return
}
type_into 1414 100 0.5
wait_lines "kClearColour p1 0.03f -> 0.5f" 1 10 || fail "the typed value was not written back: $(cat "$tmp/out")"
for _ in $(seq 30); do
    look "$tmp/typed.png"
    set -- $(colour "$tmp/dragging.png") $(colour "$tmp/typed.png")
    [ "$4" -gt $(($2 + 100)) ] && break
    sleep 0.5
done
[ "$4" -gt $(($2 + 100)) ] || fail "the typed green did not show (green $2 -> $4)"
grep -q '^    s\[kClearColour\] = constant(0\.[1-9][0-9]*f, 0.5f, 0.16f, 1);$' "$scene" || fail "the typed value is not in the file"
echo "ok: a typed value shows and is written"

# Text that is not a number in full is refused with what was typed, and writes nothing.
wait_lines "equals the edited values" 2 60 || fail "the typed value's rebuild was not checked: $(cat "$tmp/out")"
cp "$scene" "$tmp/typed.cpp"
type_into 1414 123 '3,5'
wait_lines '"3,5" is not a number the show can hold; nothing changed' 1 10 || fail "3,5 was not refused: $(cat "$tmp/out")"
cmp -s "$scene" "$tmp/typed.cpp" || fail "refused text changed the file"
echo "ok: typed text that is not a number is refused"

# The maker's editor adds a line at the top of the file; once the reload has it, Ctrl+Z held down (the
# key repeats) undoes one step, into the typed literal's own line; the next press the drag's.
{ echo "// a line the maker's editor added"; cat "$scene"; } >"$tmp/added.cpp"
reloads=$(grep -c "scene data rebuilt in .* and swapped in" "$tmp/out")
cat "$tmp/added.cpp" >"$scene"
wait_lines "scene data rebuilt in .* and swapped in" $((reloads + 1)) 60 ||
    fail "the maker's save was not reloaded: $(cat "$tmp/out")"
point 400 300
xdotool keydown ctrl
xdotool keydown z
sleep 2
xdotool keyup z
xdotool keyup ctrl
wait_lines "undone scene 4 kClearColour p1" 1 10 || fail "undo did not run: $(cat "$tmp/out")"
sleep 1
[ "$(grep -c 'qz001: undone' "$tmp/out")" -eq 1 ] || fail "Ctrl+Z held undid $(grep -c 'qz001: undone' "$tmp/out") steps"
diff "$tmp/added.cpp" "$scene" >"$tmp/diff" && fail "the undo left the file as it was"
[ "$(grep -c '^[<>]' "$tmp/diff")" -eq 2 ] &&
    grep -q '^>     s\[kClearColour\] = constant(0\.[1-9][0-9]*f, 0.03f, 0.16f, 1);$' "$tmp/diff" ||
    fail "the undo did not go back into the typed literal's line: $(cat "$tmp/diff")"
xdotool key --window "$window" ctrl+z
wait_lines "undone scene 4 kClearColour p0" 1 10 || fail "undo did not run: $(cat "$tmp/out")"
{ echo "// a line the maker's editor added"; cat "$tmp/original.cpp"; } >"$tmp/expected.cpp"
cmp "$scene" "$tmp/expected.cpp" || fail "undoing every edit did not restore the file"
look_until "$tmp/undone.png" "$tmp/before.png" -lt 200 || fail "undoing every edit did not restore the frame"
echo "ok: undo follows the maker's added line, one step a press, the file byte for byte and the frame"

# Ctrl+Y after the maker's editor saved the file: the edit goes on top of the saved text.
echo "// a note saved by the maker's editor" >>"$scene"
xdotool key --window "$window" ctrl+y
wait_lines "redone scene 4 kClearColour p0" 1 10 || fail "redo did not run: $(cat "$tmp/out")"
grep -q '^    s\[kClearColour\] = constant(0\.[1-9][0-9]*f, 0.03f, 0.16f, 1);$' "$scene" &&
    grep -q "^// a note saved by the maker's editor$" "$scene" ||
    fail "the redo did not go on top of the file saved on disk"
echo "ok: an edit after a save on disk goes on top of it"

xdotool key --window "$window" Escape
wait_show 20
[ "$status" -eq 0 ] || fail "Escape: exit status $status: $(cat "$tmp/out")"
