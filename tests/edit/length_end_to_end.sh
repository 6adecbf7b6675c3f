#!/bin/sh
# length_end_to_end.sh QZ001 - a scene's length dragged on the timeline of qz001 --edit, in a scratch
# copy of the source tree, under a virtual X server (Xvfb, xdotool): scene 3's end dragged onto the next
# bar line but one is written into its file and the last scene's, the later scenes are marked; "keep
# later scenes in place" puts the last scene's file back and takes the difference from scene 4;
# Ctrl+Z twice leaves every scene file byte for byte as it was; a click on a scene's end changes
# nothing; "capture loop" without a loop says so. The timeline's place is that of the 1760x1050 edit
# window, Dear ImGui's default font. Run from the repository root (the music lies there).
set -eu
qz001=$1
. "$(dirname "$0")/../x11_session.sh"
start_x11_test Xvfb xdotool import

copy_tree
cp -r "$scratch/data" "$tmp/original"
grep -q '^constinit const SceneEntry scene3 = {scene3Nodes.data(), 180};$' "$scratch/data/scene_03_build.cpp" ||
    fail "scene 3's length is not 180 frames as this test expects"
# The last scene gives the 118 frames scene 3 takes (bar 13 is frame 1498): its number from
# data/scene_list.h, its length from its file.
set -- $(last_scene "$scratch")
[ $# -eq 2 ] || fail "data/scene_list.h names no last scene"
last=$1
last_file=$(printf 'scene_%02d_%s.cpp' "$1" "$2")
last_length=$(sed -n "s/^constinit const SceneEntry scene$last = {scene${last}Nodes.data(), \([0-9]*\)};\$/\1/p" \
    "$scratch/data/$last_file" || true)
[ "${last_length:-0}" -gt 118 ] || fail "the last scene, $last ($last_file), is not over 118 frames long as this test expects"
last_shorter=$((last_length - 118))

start_xvfb "$tmp"
# No build folder: the scene data is not reloaded, the files are only written.
QZ_SOURCE_DIR=$scratch QZ_BUILD_DIR=$tmp/no-build "$qz001" --edit --scene 3 >"$tmp/out" 2>&1 &
show_pid=$!
find_edit_window 1760x1050
pause_edit "$window" "$tmp/out"

# Scene 3 ends at frame 1380: x = 8 + 1380 / 7831 x 1264 on the timeline, whose scenes lie at y 826..860.
point 231 840
xdotool click 1
sleep 1
diff -r "$tmp/original" "$scratch/data" >/dev/null || fail "a click on a scene's end changed a file"

point 231 840
xdotool mousedown 1
sleep 0.8
for _ in 1 2 3 4 5; do xdotool mousemove_relative 5 0; sleep 0.5; done
xdotool mouseup 1
wait_lines "scene 3 180 -> 298 frames, scene $last $last_length -> $last_shorter frames" 1 20 ||
    fail "the drag did not make scene 3 end on bar 13: $(cat "$tmp/out")"
grep -q '^constinit const SceneEntry scene3 = {scene3Nodes.data(), 298};$' "$scratch/data/scene_03_build.cpp" &&
    grep -q "^constinit const SceneEntry scene$last = {scene${last}Nodes.data(), $last_shorter};\$" "$scratch/data/$last_file" ||
    fail "the lengths are not written back"
[ "$(diff -r "$tmp/original" "$scratch/data" | grep -c '^[<>]')" -eq 4 ] || fail "more than the two literals changed"
echo "ok: a scene's end dragged onto a bar is written back"

# "keep later scenes in place", under the timeline, to the right of the line that says how far they moved.
point 470 861
xdotool click 1
wait_lines "scene 4 922 -> 804 frames, scene $last $last_shorter -> $last_length frames" 1 20 ||
    fail "keep later scenes in place did not run: $(cat "$tmp/out")"
cmp "$scratch/data/$last_file" "$tmp/original/$last_file" || fail "the last scene's file is not back"
grep -q '^constinit const SceneEntry scene4 = {scene4Nodes.data(), 804};$' "$scratch/data/scene_04_drop.cpp" ||
    fail "scene 4 did not take the difference"
echo "ok: keep later scenes in place"

point 45 879
xdotool click 1
wait_lines "no loop is set" 1 20 || fail "capture loop without a loop said nothing: $(cat "$tmp/out")"
echo "ok: capture loop without a loop says so"
point 600 300
xdotool key --window "$window" ctrl+z
wait_lines "undone scene 4 length" 1 20 || fail "the first undo did not run: $(cat "$tmp/out")"
xdotool key --window "$window" ctrl+z
wait_lines "undone scene 3 length" 1 20 || fail "the second undo did not run: $(cat "$tmp/out")"
diff -r "$tmp/original" "$scratch/data" || fail "undoing both left the files changed"
echo "ok: undo restores every file byte for byte"

xdotool key --window "$window" Escape
wait_show 30
[ "$status" -eq 0 ] || fail "the edit mode ended with status $status: $(cat "$tmp/out")"
