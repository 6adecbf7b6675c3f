#!/bin/sh
# end_to_end.sh QZ001 QZ001_TOOL - qz001 --edit as its makers use it, under a virtual X server (Xvfb)
# with xdotool and ImageMagick: the window shows the frame and the panels; Space pauses (two looks a
# second apart are the same picture) and plays again (they differ); Home, Page Down and Right put the
# play head on the first frame of scene 4 plus one beat, and F1 leaves that frame alone on screen,
# the picture qz001-tool renders for it; seeks while playing land, a pause on the wall clock does not
# count, frame 0 after scene 6 is the tool's; L holds the play head in scene 2 over three of its lengths;
# Escape ends with status 0; a shader saved in a scratch copy of the source shows at once, an error in
# one is reported with file and line while the last good shaders draw; the same for a scene file,
# rebuilt in a scratch copy (a save with an older time too), taken again by a restart, and a file put
# back with its old time is built again at start; with --gl es the panels are drawn too. The window's title tells the play head ("... frame F scene S").
# Run from the repository root (the music lies there).
set -eu
qz001=$1
tool=$2
. "$(dirname "$0")/../x11_session.sh"
start_x11_test Xvfb xdotool import compare
start_xvfb "$tmp"

# The frame at the play head, from the window's title.
frame_shown() { xdotool getwindowname "$window" | sed -n 's/.* frame \([0-9]*\) .*/\1/p'; }
# Presses a key and waits until the title has caught up with it (it changes ten times a second).
press() {
    xdotool key --window "$window" "$@"
    sleep 0.6
}
# Waits up to 15 s until the frame in the title, as $f, makes the shell test $1 true: a busy machine
# draws late, and the title follows the frame drawn.
until_frame() {
    for _ in $(seq 60); do
        f=$(frame_shown)
        [ -n "$f" ] && eval "$1" && return 0
        sleep 0.25
    done
    return 1
}

"$qz001" --edit --at 20 --stats >"$tmp/out" 2>&1 &
show_pid=$!
find_edit_window
[ "$WIDTH" -gt 1280 ] && [ "$HEIGHT" -gt 720 ] || fail "the edit window is ${WIDTH}x$HEIGHT: no room for panels"
wait_drawn "1280x720+$wx+$wy" 60 || fail "the edit window shows no frame"
wait_drawn "$((WIDTH - 1280))x$HEIGHT+$((wx + 1280))+$wy" 30 "$tmp/side.png" || fail "no panel beside the frame"
echo "ok: the edit window (${WIDTH}x$HEIGHT) shows the frame and the panels"

pause_edit "$window" "$tmp/out"
sleep 0.5 # the title changes ten times a second at most: the frame it names is the paused one now
look "$tmp/paused1.png"
first=$(frame_shown)
paused_at=$(now_ms)
sleep 1
look "$tmp/paused2.png"
[ "$(differ "$tmp/paused1.png" "$tmp/paused2.png")" = 0 ] || fail "paused, the picture still changes"
[ "$(frame_shown)" = "$first" ] || fail "paused, the play head moved from frame $first to $(frame_shown)"
sleep 3 # the dummy driver's clock runs on the wall clock: four seconds paused must not count
played_at=$(now_ms)
press space
sleep 1.5
look "$tmp/playing.png"
played=$(frame_shown)
read_at=$(now_ms)
[ "$(differ "$tmp/paused2.png" "$tmp/playing.png")" != 0 ] || fail "after Space again the picture stands still"
[ "$played" -gt "$first" ] || fail "after Space again the play head stays at frame $first"
# The title read came at most read_at - played_at ms of play after the key: 60 frames a second of it,
# and a frame for the rounding. Had the pause counted, its seconds would come on top.
allowed=$(((read_at - played_at) * 60 / 1000 + 1))
[ "$played" -le $((first + allowed)) ] ||
    fail "paused $(((played_at - paused_at) / 1000)) s at frame $first, playing $((read_at - played_at)) ms went on to frame $played (at most $((first + allowed))): the pause counted"
echo "ok: Space pauses on frame $first (the picture holds) and plays again from there"

# Seeks while playing land, and play goes on from where they landed: Home, then End, a second before
# the end, where the play head stops by itself on the last frame (however late the title is read).
press Home
until_frame '[ "$f" -lt 120 ]' || fail "Home while playing: frame $f, expected the show's first frames"
home=$f
press End
until_frame '[ "$f" -ge 7772 ]' || fail "End while playing: frame $f, expected 7772 or later"
for _ in $(seq 60); do xdotool getwindowname "$window" | grep -q ' paused$' && break; sleep 0.25; done
last=$(last_scene .) # the last scene of data/scene_list.h, "NUMBER NAME": the last frame is its
xdotool getwindowname "$window" | grep -q "frame 7831 scene ${last%% *} paused\$" ||
    fail "played from End, the play head did not stop on the last frame: $(xdotool getwindowname "$window")"
echo "ok: Home and End while playing land (frame $home after Home); play stops on the last frame"

# Scene 4 starts at frame 1380 (music 22991 ms); a beat on (480 ms) is 23471 ms, frame 1408.
press Home
press Next Next Next Next
until_frame '[ "$f" = 1380 ]' || fail "Page Down four times from frame 0: frame $f, expected 1380"
press Right
until_frame '[ "$f" = 1408 ]' || fail "Right from frame 1380: frame $f, expected 1408 (a beat on)"
press F1
look "$tmp/frame.png"
wait_drawn "$((WIDTH - 1280))x$HEIGHT+$((wx + 1280))+$wy" 1 "$tmp/hidden.png" &&
    fail "F1 left something beside the frame"
"$tool" render --frame 1408 --out "$tmp/tool.png" >/dev/null
d=$(differ "$tmp/frame.png" "$tmp/tool.png")
awk -v d="$d" 'BEGIN { exit !(d ~ /^[0-9.e+]+$/ && d + 0 <= 922) }' || # at most 0.1 %
    fail "frame 1408 in the edit mode differs from qz001-tool render in $d pixels (of 921600)"
press F1
echo "ok: Page Down and Right land on frames 1380 and 1408; F1 shows frame 1408 alone, as qz001-tool renders it ($d pixels differ)"

# Scene 6 sets a light of its own; back at frame 0 the light is the start's again.
press Next Next
press Home
until_frame '[ "$f" = 0 ]' || fail "Home from scene 6: frame $f"
press F1
look "$tmp/frame0.png"
"$tool" render --frame 0 --out "$tmp/tool0.png" >/dev/null
d=$(differ "$tmp/frame0.png" "$tmp/tool0.png")
awk -v d="$d" 'BEGIN { exit !(d ~ /^[0-9.e+]+$/ && d + 0 <= 922) }' ||
    fail "frame 0 after scene 6 differs from qz001-tool render in $d pixels (a later scene's light leaked back?)"
press F1
echo "ok: frame 0 after scene 6 is qz001-tool's frame 0 ($d pixels differ)"

# Scene 2 is frames 1140..1199 (one second): looped, the play head stays there for three seconds.
press Home Next Next
press l
press space
lowest=99999 highest=0 wrapped=0 before=0
for _ in $(seq 30); do
    f=$(frame_shown)
    [ -n "$f" ] || continue
    [ "$f" -lt "$lowest" ] && lowest=$f
    [ "$f" -gt "$highest" ] && highest=$f
    [ "$f" -lt "$before" ] && wrapped=$((wrapped + 1))
    before=$f
    sleep 0.1
done
[ "$lowest" -ge 1140 ] && [ "$highest" -le 1199 ] || fail "looping scene 2, the play head went to $lowest..$highest"
[ "$wrapped" -ge 2 ] || fail "looping scene 2 for 3 s, the play head wrapped $wrapped times"
echo "ok: L holds the play head in scene 2 (frames $lowest..$highest, wrapped $wrapped times in 3 s)"

press Escape
wait_show 20
[ "$status" -eq 0 ] || fail "Escape: exit status $status: $(cat "$tmp/out")"
echo "ok: Escape ends the edit mode with status 0"
# --stats as for the player: the start-up step by step at the first frame, the frame rate at the end.
grep -q "^qz001: first frame 1200 on screen [0-9.]* s after [a-z ]* (to main [0-9.]*, music file [0-9.]*, window [0-9.]*, .*shaders [0-9.]*, .*panels and watches [0-9.]*, first frame [0-9.]*)$" "$tmp/out" ||
    fail "--stats: no start-up steps: $(cat "$tmp/out")"
grep -q "^qz001: edit mode ended by Escape; [0-9]* frames in" "$tmp/out" || fail "--stats: no end line: $(cat "$tmp/out")"
echo "ok: --stats tells the start-up step by step and the frame rate at the end"

# Live reload, in a scratch copy of the shaders: a saved tint shows on the paused frame without a
# restart; a saved error is reported with its file and line while the last good shaders keep drawing;
# the fix is taken again.
mkdir -p "$tmp/src/render"
cp -r render/shaders "$tmp/src/render/"
post=$tmp/src/render/shaders/post.glsl
red() { convert "$1" -format '%[fx:int(1000*mean.r)] %[fx:int(1000*mean.g)]' info:; }
blue() { convert "$1" -format '%[fx:int(1000*mean.b)]' info:; }
QZ_SOURCE_DIR=$tmp/src "$qz001" --edit --at 30 >"$tmp/out" 2>&1 &
show_pid=$!
window=$(find_window "^qz001 --edit" 60) || fail "reload: no edit window: $(cat "$tmp/out")"
wait_drawn "1280x720+$wx+$wy" 60 || fail "reload: the edit window shows no frame"
pause_edit "$window" "$tmp/out"
look "$tmp/plain.png"
sed -i '/^vec4 A_3_postprocessPS/,/^}/ s/^    return c;/    return mix(c, vec4(1.0, 0.0, 0.0, 1.0), 0.5);/' "$post"
wait_lines "on screen" 1 10 || true
sleep 0.5
look "$tmp/tinted.png"
set -- $(red "$tmp/plain.png") $(red "$tmp/tinted.png")
[ "$3" -gt $(($1 + 200)) ] && [ "$4" -lt "$2" ] ||
    fail "a saved red tint did not show (red/green before $1/$2, after $3/$4): $(cat "$tmp/out")"
sed -i '5i this is not glsl;' "$post"
wait_lines "do not compile" 1 10 || true
grep -q "post.glsl:5" "$tmp/out" || fail "a saved error does not name post.glsl line 5: $(cat "$tmp/out")"
sleep 1
look "$tmp/kept.png"
[ "$(differ "$tmp/tinted.png" "$tmp/kept.png")" = 0 ] || fail "after a saved error the last good shaders do not draw"
sed -i '5d' "$post"
wait_lines "on screen" 2 10 || fail "the fixed shaders were not taken: $(cat "$tmp/out")"
press Escape
wait_show 20
echo "ok: live reload: a saved tint shows ($(grep -m1 -o 'on screen [0-9]* ms' "$tmp/out") after the save), an error names post.glsl:5 and the frame keeps drawing, the fix is taken"

# Scene data, in a scratch copy of the repository with its own build: scene 4's clear colour saved
# green turns the paused frame's background green at the same play head; a saved syntax error is
# reported with the file and line while the last good data plays; the fix is taken.
copy_tree
build_scene_module
scene=$scratch/data/scene_04_drop.cpp
grep -q '^    s\[kClearColour\] = constant(' "$scene" || fail "scene 4 has no clear colour line to change"
cp -p "$scene" "$tmp/kept.cpp" # the file as it was, with its time: put back at the end
QZ_SOURCE_DIR=$scratch QZ_BUILD_DIR=$scratch/build "$qz001" --edit --at 30 >"$tmp/out" 2>&1 &
show_pid=$!
window=$(find_window "^qz001 --edit" 60) || fail "scene data: no edit window: $(cat "$tmp/out")"
wait_drawn "1280x720+$wx+$wy" 60 || fail "scene data: the edit window shows no frame"
pause_edit "$window" "$tmp/out"
held=$(frame_shown)
look "$tmp/before.png"
sed -i 's/^    s\[kClearColour\] = constant(.*/    s[kClearColour] = constant(0, 0.8f, 0.2f, 1);/' "$scene"
wait_lines "scene data was on screen" 1 30 || true
sleep 0.5
look "$tmp/green.png"
set -- $(red "$tmp/before.png") $(red "$tmp/green.png")
[ "$4" -gt $(($2 + 200)) ] || fail "a saved green clear colour did not show (green before $2, after $4): $(cat "$tmp/out")"
[ "$(frame_shown)" = "$held" ] || fail "the reload moved the play head from frame $held to $(frame_shown)"
sed -i 's/^    s\[kClearColour\] = constant(0, 0.8f, 0.2f, 1);/    s[kClearColour] = constant(0, 0.8f, 0.2f, 1) + ;/' "$scene"
wait_lines "does not build" 1 30 || true
grep -q "scene_04_drop.cpp:[0-9]*:[0-9]*: error" "$tmp/out" || fail "a saved error is not named with its line: $(cat "$tmp/out")"
sleep 1
look "$tmp/still-green.png"
[ "$(differ "$tmp/green.png" "$tmp/still-green.png")" = 0 ] || fail "after a saved error the last good data does not play"
sed -i 's/ + ;$/;/' "$scene"
wait_lines "scene data was on screen" 2 30 || fail "the fixed scene data was not taken: $(cat "$tmp/out")"
# Saved with an older time than the module's (as cp -p, tar x, rsync -a or mv of a kept copy leave a
# file): built and shown all the same, and no latency is made of that time.
look "$tmp/green.png"
sed -i 's/^    s\[kClearColour\] = constant(0, 0.8f, 0.2f, 1);/    s[kClearColour] = constant(0, 0.8f, 0.8f, 1);/' "$scene"
touch -d 2020-01-01 "$scene"
wait_lines "saved scene data is on screen" 1 90 || fail "a save with an old time was not taken: $(cat "$tmp/out")"
sleep 0.5
look "$tmp/teal.png"
set -- $(blue "$tmp/green.png") $(blue "$tmp/teal.png")
[ "$2" -gt $(($1 + 200)) ] || fail "a save with an old time: the old data plays (blue $1, now $2): $(cat "$tmp/out")"
grep "on screen" "$tmp/out" | grep -q "[0-9]\{7,\} ms" && fail "a latency from a file's old time: $(grep 'on screen' "$tmp/out")"
press Escape
wait_show 20
# A restart takes the saved data (the tree differs from what the program was built with).
QZ_SOURCE_DIR=$scratch QZ_BUILD_DIR=$scratch/build "$qz001" --edit --at 30 >"$tmp/out" 2>&1 &
show_pid=$!
window=$(find_window "^qz001 --edit" 60) || fail "restart: no edit window: $(cat "$tmp/out")"
wait_drawn "1280x720+$wx+$wy" 60 || fail "restart: the edit window shows no frame"
pause_edit "$window" "$tmp/out"
wait_lines "changed since this program was built" 1 60 || fail "a restart did not take the saved scene data: $(cat "$tmp/out")"
sleep 0.5
look "$tmp/restarted.png"
set -- $(blue "$tmp/green.png") $(blue "$tmp/restarted.png")
[ "$2" -gt $(($1 + 200)) ] || fail "after a restart the saved teal clear colour is not shown (blue $1, now $2)"
grep -q "on screen" "$tmp/out" && fail "at start a save-to-screen latency was told: $(grep 'on screen' "$tmp/out")"
press Escape
wait_show 20
# The file put back as it was, with its old time (mv of the kept copy): a start builds it again rather
# than taking the module built from what was saved since, and the frame is the program's own again.
mv "$tmp/kept.cpp" "$scene"
QZ_SOURCE_DIR=$scratch QZ_BUILD_DIR=$scratch/build "$qz001" --edit --at 30 >"$tmp/out" 2>&1 &
show_pid=$!
window=$(find_window "^qz001 --edit" 60) || fail "put back: no edit window: $(cat "$tmp/out")"
wait_drawn "1280x720+$wx+$wy" 60 || fail "put back: the edit window shows no frame"
pause_edit "$window" "$tmp/out"
for _ in $(seq 120); do
    look "$tmp/put-back.png"
    set -- $(red "$tmp/before.png") $(red "$tmp/put-back.png")
    [ "$4" -le $(($2 + 100)) ] && break
    sleep 1
done
[ "$4" -le $(($2 + 100)) ] || fail "the file put back with mv: the module of the saves since plays (green $2, now $4): $(cat "$tmp/out")"
grep -q "changed since this program was built" "$tmp/out" && fail "the file put back: the stale module was taken: $(cat "$tmp/out")"
press Escape
wait_show 20
echo "ok: scene data: a saved clear colour shows at frame $held ($(grep -m1 -o 'on screen [0-9]* ms' "$tmp/out") after the save), an error names its line while the last good data plays, the fix is taken"

# On OpenGL ES the panels are drawn too (the show's sampler must not hide their font there).
"$qz001" --edit --gl es --scene 7 >"$tmp/out" 2>&1 &
show_pid=$!
window=$(find_window "^qz001 --edit" 60) || fail "--gl es: no edit window: $(cat "$tmp/out")"
wait_drawn "1280x720+$wx+$wy" 60 || fail "--gl es: the edit window shows no frame"
wait_drawn "$((WIDTH - 1280))x$HEIGHT+$((wx + 1280))+$wy" 30 || fail "--gl es: no panel beside the frame"
press Escape
wait_show 20
[ "$status" -eq 0 ] || fail "--gl es: Escape: exit status $status: $(cat "$tmp/out")"
echo "ok: with --gl es the edit mode draws its frame and its panels"
