#!/bin/sh
# end_to_end.sh QZ001 - the show as a user meets it.
#
# Without a display: a missing or broken music file, a link to /dev/zero, a named pipe or a folder in its
# place, is reported (file and working directory named) and the exit status is 1; the music is found
# beside the program when the working directory lacks it; --version gives the CMake project's version;
# with the music off, the missing display (named when DISPLAY names one) is reported, status 1. Under a virtual X server (Xvfb) with xdotool: the launcher appears centred,
# "Zarn" (windowed) opens the show window "qz001" centred and drawing, Escape ends it with status 0;
# "Ulk" ends with status 0 and no show window. A failure at start-up shows its message box, and a signal
# while it is up ends the player and the edit mode with 128 + the signal; --at and
# --scene draw the frame asked for first; SIGTERM ends the show with status 143; losing the display says
# so, status 1. Run from the repository root (the music lies there).
set -eu
qz001=$1
. "$(dirname "$0")/../x11_session.sh"
start_x11_test # the programs for the virtual display are checked when it comes

# --- the music file -------------------------------------------------------------------------------
mkdir -p "$tmp/empty" "$tmp/broken/music"
status=0
(cd "$tmp/empty" && env -u DISPLAY -u WAYLAND_DISPLAY "$qz001" --no-launcher --windowed 2>"$tmp/err") || status=$?
[ "$status" -eq 1 ] || fail "missing music: exit status $status, expected 1"
grep -q "music/ZB_PALEWIRE.xm" "$tmp/err" || fail "missing music: message does not name the file: $(cat "$tmp/err")"
grep -q "working directory $tmp/empty" "$tmp/err" || fail "missing music: message does not say where: $(cat "$tmp/err")"
head -c 4000 /dev/urandom >"$tmp/broken/music/ZB_PALEWIRE.xm"
status=0
(cd "$tmp/broken" && env -u DISPLAY -u WAYLAND_DISPLAY "$qz001" --no-launcher 2>"$tmp/err") || status=$?
[ "$status" -eq 1 ] || fail "broken music: exit status $status, expected 1"
grep -q "cannot load the music file" "$tmp/err" || fail "broken music: $(cat "$tmp/err")"
# A music file that is a link to /dev/zero, a named pipe or a folder: refused at once, not read forever
# or waited on.
mkdir -p "$tmp/zero/music" "$tmp/fifo/music" "$tmp/folder/music/ZB_PALEWIRE.xm"
ln -s /dev/zero "$tmp/zero/music/ZB_PALEWIRE.xm"
mkfifo "$tmp/fifo/music/ZB_PALEWIRE.xm"
for kind in zero fifo folder; do
    status=0
    (cd "$tmp/$kind" && timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY "$qz001" --no-launcher 2>"$tmp/err") || status=$?
    [ "$status" -eq 1 ] || fail "music file $kind: exit status $status, expected 1: $(cat "$tmp/err")"
    grep -q "cannot read the music file music/ZB_PALEWIRE.xm.*not a module file" "$tmp/err" ||
        fail "music file $kind: $(cat "$tmp/err")"
done
# Started from another folder (a shortcut's "Start in"), the program finds the music beside itself: it
# gets past the music to the missing display.
mkdir -p "$tmp/beside"
cp "$qz001" "$tmp/beside/qz001"
ln -s "$PWD/music" "$tmp/beside/music"
status=0
(cd "$tmp/empty" && env -u DISPLAY -u WAYLAND_DISPLAY "$tmp/beside/qz001" --no-launcher 2>"$tmp/err") || status=$?
grep -q "no display" "$tmp/err" || fail "the music beside the program: status $status: $(cat "$tmp/err")"
echo "ok: missing and broken music files are reported with status 1; the music beside the program is found"
version=$(sed -n 's/^project(qz001 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$("$qz001" --version)" = "qz001 $version" ] || fail "--version: $("$qz001" --version 2>&1), expected qz001 $version"
echo "ok: --version says qz001 $version"
status=0
timeout 30 env -u DISPLAY -u WAYLAND_DISPLAY "$qz001" --no-launcher --no-music 2>"$tmp/err" || status=$?
[ "$status" -eq 1 ] || fail "no display: exit status $status, expected 1 (the show must not play unseen)"
grep -q "no display" "$tmp/err" || fail "no display: $(cat "$tmp/err")"
# A display that is named but not there: the message names it.
status=0
timeout 30 env -u WAYLAND_DISPLAY DISPLAY=:97 "$qz001" --no-launcher --no-music 2>"$tmp/err" || status=$?
[ "$status" -eq 1 ] || fail "DISPLAY=:97: exit status $status, expected 1"
grep -q "DISPLAY=:97 cannot be opened" "$tmp/err" || fail "DISPLAY=:97: $(cat "$tmp/err")"
echo "ok: without a display the show says so with status 1"

# --- under a virtual display ----------------------------------------------------------------------
need_programs Xvfb xdotool import
start_xvfb "$tmp"

# Position of window $1 as "X,Y".
position_of() { xdotool getwindowgeometry "$1" | sed -n 's/ *Position: \([-0-9]*,[-0-9]*\).*/\1/p'; }
# Launcher, then "Zarn" in a window: the show draws, Escape ends it.
"$qz001" >"$tmp/out" 2>&1 &
show_pid=$!
launcher=$(find_window "^qz01 launch$" 30) || fail "no launcher window"
[ "$(position_of "$launcher")" = "865,480" ] || fail "launcher at $(position_of "$launcher"), expected 865,480"
wait_drawn 190x120+865+480 30 || fail "the launcher draws nothing"
sleep 0.3
xdotool mousemove 895 531 click 1 # "FullScreen" off (20..110, 40..62 on the launcher)
sleep 0.5
xdotool mousemove 1005 585 click 1 # "Zarn" (100..180, 90..120)
show=$(find_window "^qz001$" 60) || fail "no show window after Zarn: $(cat "$tmp/out")"
[ "$(position_of "$show")" = "320,180" ] || fail "show window at $(position_of "$show"), expected 320,180"
# The first scene: a cube and highlight marks on a dark ground, not one flat clear colour.
wait_drawn 1280x720+320+180 30 || fail "the show window shows no picture"
xdotool key Escape
wait_show 20
[ "$status" -eq 0 ] || fail "Escape: exit status $status: $(cat "$tmp/out")"
echo "ok: Zarn opens the centred show window, it draws, Escape ends it with status 0"

# Launcher, then "Ulk": status 0 and no show window.
"$qz001" >"$tmp/out" 2>&1 &
show_pid=$!
find_window "^qz01 launch$" 30 >/dev/null || fail "no launcher window"
wait_drawn 190x120+865+480 30 || fail "the launcher draws nothing"
sleep 0.3
xdotool mousemove 920 585 click 1 # "Ulk" (15..95, 90..120)
for _ in $(seq 50); do
    kill -0 "$show_pid" 2>/dev/null || break
    xdotool search --name "^qz001$" >/dev/null 2>&1 && fail "Ulk opened the show window"
    sleep 0.1
done
wait_show 30
[ "$status" -eq 0 ] || fail "Ulk: exit status $status"
echo "ok: Ulk ends with status 0 and no show window"

# A failure at start-up with a display: the message box (empty caption) appears; its OK ends the show
# with status 1.
(cd "$tmp/empty" && exec "$qz001" --no-launcher --windowed) 2>"$tmp/err" &
show_pid=$!
box=$(find_message_box 60) || fail "no message box for the missing music: $(cat "$tmp/err")"
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 20)) click 1 # OK, centred at the bottom
wait_show 30
[ "$status" -eq 1 ] || fail "message box: exit status $status, expected 1"
echo "ok: a failure at start-up shows a message box; OK ends with status 1"

# A signal while that message box is up ends the program with 128 + the signal, in the player and in
# the edit mode (whose loop catches signals, and no loop runs while the box waits for its OK).
for case in "TERM 143 --no-launcher --windowed" "HUP 129 --edit --sync garbage..host --no-music" \
    "TERM 143 --edit --sync garbage..host --no-music"; do
    set -- $case
    signal=$1 expected=$2
    shift 2
    if [ "$1" = --edit ]; then "$qz001" "$@" 2>"$tmp/err" & else (cd "$tmp/empty" && exec "$qz001" "$@") 2>"$tmp/err" & fi
    show_pid=$!
    find_message_box 60 >/dev/null || fail "$*: no message box: $(cat "$tmp/err")"
    kill -"$signal" "$show_pid"
    wait_show 20
    [ "$status" -eq "$expected" ] || fail "SIG$signal at the message box of $*: exit status $status, expected $expected"
    # The box goes with the program (SDL shows it from a child process, which must not outlive it).
    for _ in $(seq 50); do find_message_box 1 >/dev/null || break; sleep 0.1; done
    find_message_box 1 >/dev/null && fail "SIG$signal at the message box of $*: the box stays on screen"
done
echo "ok: SIGTERM and SIGHUP at a start-up message box end the player and the edit mode with 128 + the signal"

# The first frame drawn is the one asked for; --at in the last frame draws it and ends by itself.
"$qz001" --no-launcher --windowed --no-vsync --stats --at 130.48 >"$tmp/out" 2>&1 &
show_pid=$!
wait_show 60
[ "$status" -eq 0 ] || fail "--at 130.48: exit status $status: $(cat "$tmp/out")"
# Two milliseconds of music are left there: the show ends at its last frame or with the music, which
# of the two the loop sees first depends on how soon the audio thread plays them out.
grep -q "ended by \(last frame\|end of the music\); first frame 7831," "$tmp/out" || fail "--at 130.48: $(cat "$tmp/out")"
"$qz001" --no-launcher --windowed --no-vsync --stats --scene 2 >"$tmp/out" 2>&1 &
show_pid=$!
find_window "^qz001$" 60 >/dev/null || fail "no show window for --scene 2: $(cat "$tmp/out")"
wait_drawn 1280x720+320+180 30 || fail "--scene 2 draws nothing"
xdotool key Escape
wait_show 20
grep -q "ended by Escape; first frame 1140," "$tmp/out" || fail "--scene 2: $(cat "$tmp/out")"
echo "ok: --at and --scene draw the frame asked for first"

# SIGTERM ends the show as a signal should: status 128 + 15, and --stats says so.
"$qz001" --no-launcher --windowed --no-music --stats >"$tmp/out" 2>&1 &
show_pid=$!
find_window "^qz001$" 60 >/dev/null || fail "no show window: $(cat "$tmp/out")"
wait_drawn 1280x720+320+180 30 || fail "the show window draws nothing"
kill -TERM "$show_pid"
wait_show 20
[ "$status" -eq 143 ] || fail "SIGTERM: exit status $status, expected 143: $(cat "$tmp/out")"
grep -q "ended by signal SIGTERM" "$tmp/out" || fail "SIGTERM: $(cat "$tmp/out")"
echo "ok: SIGTERM ends the show with status 143"

# Losing the display mid-show: the show says so and exits 1, where Xlib alone prints only its own line.
"$qz001" --no-launcher --windowed --no-music >"$tmp/out" 2>&1 &
show_pid=$!
find_window "^qz001$" 60 >/dev/null || fail "no show window: $(cat "$tmp/out")"
wait_drawn 1280x720+320+180 30 || fail "the show window draws nothing"
kill "$xvfb_pid"
xvfb_pid=
wait_show 20
[ "$status" -eq 1 ] || fail "display lost: exit status $status, expected 1: $(cat "$tmp/out")"
grep -qx "qz001: the display went away" "$tmp/out" || fail "display lost: $(cat "$tmp/out")"
echo "ok: losing the display ends the show with its own message and status 1"
