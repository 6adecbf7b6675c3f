#!/bin/sh
# structure_end_to_end.sh QZ001 - scene 7's slots changed in structure from the panels of qz001 --edit,
# in a scratch copy of the repository with its own build, under a virtual X server (Xvfb, xdotool,
# ImageMagick): in the graph, kTurn's wire end dragged from kMoonTime's box onto kTime's changes that
# one name in the file; in the inspector, kShaft's helper call written out ("write out") is one line
# of the file and leaves the frame as it was; a draw added from the inspector's form (its operation and
# inputs found by typing) is its enum entry and its line and a new object in the frame, and deleted
# gives both back; the reload's rebuild of each equals the running tables; Ctrl+Z four times gives the
# file back byte for byte and the frame as it was; Escape ends with status 0.
# The panels' places are those of the 1760x1050 edit window on a 1920x1080 screen, Dear ImGui's
# default font. Run from the repository root (the music lies there).
set -eu
qz001=$1
. "$(dirname "$0")/../x11_session.sh"
start_x11_test Xvfb xdotool import compare cmake clang-format

copy_tree
build_scene_module
scene=$scratch/data/scene_07_rise.cpp
cp "$scene" "$tmp/original.cpp"
start_xvfb "$tmp"
QZ_SOURCE_DIR=$scratch QZ_BUILD_DIR=$scratch/build "$qz001" --edit --scene 7 --no-music >"$tmp/out" 2>&1 &
show_pid=$!
find_edit_window 1760x1050
pause_edit "$window" "$tmp/out"
sleep 1
look "$tmp/before.png"

# The lines of the scene file that changed since file $1: "<" lines gone, ">" lines come.
changed() { diff "$1" "$scene" | grep '^[<>]' || true; }
# The scene file as clang-format writes it with the project's style: what a change wrote is in the
# files' own style (clang-format is installed with the other tools).
formatted() { clang-format --style=file:.clang-format "$scene" | cmp -s - "$scene" || fail "$1 is not as clang-format writes it"; }
rebuilt() { wait_lines "equals the edited values" "$1" 60 || fail "the rebuild was not checked: $(tail -5 "$tmp/out")"; }

# The graph: kTurn's one wire ends at the left edge of its box (the second column, sixth row as laid
# out at start); dragged onto kTime's box in the first column and let go there.
point 1501 36
xdotool click 1
sleep 1
point 1450 339 0 0
xdotool mousedown 1
for _ in $(seq 10); do xdotool mousemove_relative -- -9 -12; sleep 0.05; done
sleep 0.3
xdotool mouseup 1
wait_lines "kTurn in0 now reads kTime" 1 10 || fail "the wire dropped on kTime did not rewire kTurn: $(tail -5 "$tmp/out")"
changed "$tmp/original.cpp" >"$tmp/diff"
[ "$(wc -l <"$tmp/diff")" -eq 2 ] && grep -q '^>     s\[kTurn\] = swizzle(kTime, kX, kZero, kZero, kZero);$' "$tmp/diff" ||
    fail "the rewire's diff is not one name: $(cat "$tmp/diff")"
formatted "the rewired line"
rebuilt 1
echo "ok: a wire's end dragged onto another box in the graph rewires the slot, one name in the file"

# The inspector: kShaft (slot 16) selected in the table, then "write out": cubes(stone(...), 1) becomes
# the drawMesh it amounts to, and the frame stays as it was.
point 1322 36
xdotool click 1
sleep 1
cp "$scene" "$tmp/rewired.cpp"
point 1320 425
xdotool click 1
sleep 1
look "$tmp/rewired.png"
point 1420 504
xdotool click 1
point 400 300 # off the button: its tooltip would lie over the frame
wait_lines "wrote out kShaft's call" 1 10 || fail "write out did nothing: $(tail -5 "$tmp/out")"
changed "$tmp/rewired.cpp" >"$tmp/diff"
[ "$(wc -l <"$tmp/diff")" -eq 3 ] &&
    grep -q '^>     s\[kShaft\] = drawMesh({kShaftPos, kShaftSize, kTurn, kStoneAmbient, kStoneDiffuse, kSpecular}, kMeshCube,$' "$tmp/diff" ||
    fail "the write-out's diff is not kShaft's statement: $(cat "$tmp/diff")"
formatted "the written-out statement"
rebuilt 2

look_until "$tmp/written.png" "$tmp/rewired.png" -lt 200 || fail "writing out changed the frame ($(differ "$tmp/rewired.png" "$tmp/written.png") pixels)"
echo "ok: a helper's call written out is one line of builders, the same frame and tables"

# "add slot...", the name typed, DrawMesh found by typing into the list of operations, its place and
# size by typing into the lists of slots, "add": the enum entry and its line, and a new object drawn.
# Each list opens below its box with its find field on top and the first name found under it.
pick() {
    point "$1" "$2"
    xdotool click 1
    sleep 0.5
    xdotool type --delay 60 "$3"
    sleep 0.5
    point "$1" $(($2 + 45))
    xdotool click 1
    sleep 0.5
}
cp "$scene" "$tmp/written.cpp"
point 1500 504
xdotool click 1
sleep 0.5
point 1380 544
xdotool click 1
xdotool type --delay 60 kOrb
pick 1620 544 drawmesh
pick 1360 567 moonpos
pick 1540 567 crownsize
point 1302 682
xdotool click 1
point 400 300
wait_lines "added kOrb (kOpDrawMesh) to scene 7" 1 10 || fail "the form added no slot: $(tail -5 "$tmp/out")"
changed "$tmp/written.cpp" >"$tmp/diff"
[ "$(wc -l <"$tmp/diff")" -eq 3 ] && grep -q '^>     kOrb,$' "$tmp/diff" && grep -q '^>     s\[kOrb\] =$' "$tmp/diff" &&
    grep -q '^>         drawMesh({kMoonPos, kCrownSize}, kMeshCube, 1, kVsBaseCook, ' "$tmp/diff" ||
    fail "the added slot's diff is not its entry and its line: $(cat "$tmp/diff")"
formatted "the added slot's lines"
cp "$scene" "$tmp/orb.cpp"
rebuilt 3
look_until "$tmp/orb.png" "$tmp/written.png" -gt 200 || fail "the added draw shows nothing new in the frame"
echo "ok: a draw added from the form is its enum entry and its line, a new object in the frame"

# A slot that is read cannot go: kCrownSize (read by kCrown and the new kOrb) selected in the table
# offers its readers where "delete slot" stands for others, and a click there deletes nothing; its
# reader "Orb" picked there selects the new slot, which nothing reads: deleted, the file and the frame
# are as before.
point 1330 956
xdotool click 1
sleep 1
point 1313 386
xdotool click 1
sleep 1
! grep -q "deleted kCrownSize" "$tmp/out" || fail "a slot that is read was deleted: $(tail -3 "$tmp/out")"
cmp -s "$scene" "$tmp/orb.cpp" || fail "a click on a read slot's readers changed the file: $(changed "$tmp/orb.cpp")"
point 1410 386
xdotool click 1
sleep 1
point 1330 505
xdotool click 1
point 400 300
wait_lines "deleted kOrb from scene 7" 1 10 || fail "the added slot was not deleted: $(tail -5 "$tmp/out")"
cmp "$scene" "$tmp/written.cpp" || fail "deleting the added slot did not give the file back: $(changed "$tmp/written.cpp")"
rebuilt 4
look_until "$tmp/deleted.png" "$tmp/written.png" -lt 200 || fail "the deleted slot's object stayed in the frame"
echo "ok: the added slot deleted, the file and the frame as before"

# Four undos (the delete, the add, the write-out, the rewire): the file byte for byte, and the frame.
for step in 1 2 3 4; do
    xdotool key --window "$window" ctrl+z
    wait_lines "qz001: undone: " "$step" 10 || fail "undo $step did not run: $(tail -5 "$tmp/out")"
done
cmp "$scene" "$tmp/original.cpp" || fail "undoing the four changes did not restore the file"
rebuilt 5
look_until "$tmp/undone.png" "$tmp/before.png" -lt 200 || fail "undoing the four changes did not restore the frame"
echo "ok: the four changes undone, the file byte for byte and the frame as it was"

xdotool key --window "$window" Escape
wait_show 20
[ "$status" -eq 0 ] || fail "Escape: exit status $status: $(tail -5 "$tmp/out")"
