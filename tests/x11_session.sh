# x11_session.sh - sourced by the tests that drive the show's windows on a virtual X server (Xvfb,
# 1920x1080) with xdotool and ImageMagick; POSIX sh. start_x11_test makes the test's scratch folder and
# stops what it started at exit: the shown program's process id in $show_pid, Xvfb ($xvfb_pid), and
# whatever the test's own stop_also function stops.
#
#     . "$(dirname "$0")/../x11_session.sh"
#     start_x11_test Xvfb xdotool import           # $tmp; skipped (77) where a program is missing
#     start_xvfb "$tmp"                            # sets DISPLAY
#     "$qz001" & show_pid=$!
#     window=$(find_window "^qz001$" 60) || fail "no show window"
#     wait_drawn "$(rectangle_of "$window")" 30 || fail "the show window shows no picture"
#     pause_edit "$window" "$tmp/out"              # qz001 --edit: Space, and the title says paused
#     wait_show 20                                 # its exit status in $status
#
# The edit mode's tests run qz001 --edit with its output in $tmp/out, and then find_edit_window,
# wait_lines (for what it said), look and look_until (at its frame), point (the mouse); copy_tree and
# build_scene_module give them a scratch source tree with its own scene module.

fail() { echo "FAIL: $*" >&2; exit 1; }

# The start of a test: $tmp, a scratch folder removed at exit, where the show and Xvfb are stopped
# (stop_at_exit); the show's sound goes to SDL's dummy driver; the test is skipped (status 77) when one
# of the programs named is not installed.
start_x11_test() {
    tmp=$(mktemp -d)
    stop_at_exit "$tmp"
    export SDL_AUDIODRIVER=dummy
    need_programs "$@"
}

# At exit: stops $show_pid, then what the test's own stop_also stops (where it defines one), then Xvfb,
# and removes folder $1 where one is named.
stop_at_exit() {
    show_pid=
    xvfb_pid=
    x11_scratch=${1:-}
    trap stop_x11_test EXIT
}

stop_x11_test() {
    [ -n "$show_pid" ] && kill "$show_pid" 2>/dev/null || true
    if command -v stop_also >/dev/null; then stop_also; fi
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    [ -z "$x11_scratch" ] || rm -rf "$x11_scratch"
}

# Exits with status 77 (skipped) when one of the programs named is not installed.
need_programs() {
    for program in "$@"; do
        command -v "$program" >/dev/null || { echo "skipped: $program is not installed" && exit 77; }
    done
}

# Starts Xvfb with its scratch files in folder $1 and points DISPLAY at it.
start_xvfb() {
    x11_dir=$1
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$x11_dir/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$x11_dir/display" ] && break; sleep 0.1; done
    [ -s "$x11_dir/display" ] || fail "Xvfb did not start"
    DISPLAY=":$(cat "$x11_dir/display")"
    export DISPLAY
}

# xdotool, tried again when it could not connect to the display: Xvfb on a loaded machine can refuse a
# connection for a moment ("Failed creating new xdo instance"), and a lost click or key would fail the
# test far from its cause. Any other failure (a search that finds nothing) is returned at once.
xdotool() {
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        xdo_status=0
        command xdotool "$@" 2>"$x11_dir/xdotool.err" || xdo_status=$?
        grep -q "Failed creating new xdo instance" "$x11_dir/xdotool.err" || break
        sleep 0.3
    done
    cat "$x11_dir/xdotool.err" >&2
    return $xdo_status
}

# Waits up to $2 seconds for a visible window whose name matches $1; prints its id.
find_window() {
    for _ in $(seq $(($2 * 10))); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# The rectangle of window $1 as WxH+X+Y.
rectangle_of() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "${WIDTH}x${HEIGHT}+${X}+${Y}"
}

# Waits up to $2 seconds until the screen rectangle $1 (WxH+X+Y) shows more than one flat colour, the
# sign that a frame was drawn there; the last look is saved in $3 (default: drawn.png in Xvfb's folder).
wait_drawn() {
    shot=${3:-$x11_dir/drawn.png}
    for _ in $(seq $(($2 * 5))); do
        import -window root -crop "$1" +repage "$shot" 2>/dev/null || true
        spread=$(convert "$shot" -format '%[fx:int(1000*standard_deviation)]' info: 2>/dev/null || echo 0)
        [ "$spread" -gt 5 ] && return 0
        sleep 0.2
    done
    return 1
}

# Waits up to $1 seconds for a message box, a visible window with an empty caption that does not cover
# the whole screen, while $show_pid runs; prints its id.
find_message_box() {
    box=
    for _ in $(seq $(($1 * 10))); do
        for id in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
            [ "$(xdotool getwindowgeometry "$id" | sed -n 's/ *Geometry: //p')" != 1920x1080 ] && box=$id
        done
        [ -n "$box" ] && { echo "$box"; return 0; }
        kill -0 "$show_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Pauses qz001 --edit in window $1 with Space and waits up to 15 s for its title to say " paused"; $2 is
# the program's output, shown on failure. Space toggles: a play head that stopped by itself before
# it (the slow-frame guard) would play on, so that fails here, naming what the program said.
pause_edit() {
    name=$(xdotool getwindowname "$1")
    case $name in *" paused") fail "the edit mode paused by itself before Space ($name): $(cat "$2")" ;; esac
    xdotool key --window "$1" space
    for _ in $(seq 60); do
        case $(xdotool getwindowname "$1") in *" paused") return 0 ;; esac
        sleep 0.25
    done
    fail "Space did not pause: $(xdotool getwindowname "$1"): $(cat "$2")"
}

# Milliseconds on the wall clock, for checks of time that measure the time they allow for.
now_ms() { date +%s%3N; }

# Waits up to $1 seconds for $show_pid to exit; its exit status in $status.
wait_show() {
    for _ in $(seq $(($1 * 10))); do kill -0 "$show_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$show_pid" 2>/dev/null && fail "the show is still running after $1 s"
    status=0
    wait "$show_pid" || status=$?
    show_pid=
}

# --- the edit mode --------------------------------------------------------------------------------

# Waits for qz001 --edit's window ($show_pid's output in $tmp/out, shown on failure): its id in $window,
# its top left in $wx, $wy and its size in $WIDTH, $HEIGHT. With $1 (WxH), the window the test's mouse
# places were measured in: checks the size and waits for the first frame.
find_edit_window() {
    window=$(find_window "^qz001 --edit" 60) || fail "no edit window: $(cat "$tmp/out")"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    wx=$X wy=$Y
    [ -n "${1:-}" ] || return 0
    [ "${WIDTH}x$HEIGHT" = "$1" ] || fail "the edit window is ${WIDTH}x$HEIGHT, not $1"
    wait_drawn "1280x720+$wx+$wy" 60 || fail "the edit window shows no frame"
}

# Waits up to $3 seconds until the program's output ($tmp/out) holds at least $2 lines matching $1.
wait_lines() {
    for _ in $(seq $(($3 * 4))); do [ "$(grep -c "$1" "$tmp/out")" -ge "$2" ] && return 0; sleep 0.25; done
    return 1
}

# The frame, 1280x720 at the edit window's top left ($wx, $wy), saved in picture $1.
look() { import -window root -crop "1280x720+$wx+$wy" +repage "$1"; }

# Looks at the frame (into picture $1) every half second for up to 15 s, until it differs from picture
# $2 in $3 (-lt or -gt) $4 pixels: the frame drawn after a change comes when the machine gets to it.
look_until() {
    for _ in $(seq 30); do
        look "$1"
        test "$(differ "$2" "$1")" "$3" "$4" && return 0
        sleep 0.5
    done
    return 1
}

# How many pixels pictures $1 and $2 differ in, colours within $3 (default 1%) counting as the same.
differ() { compare -metric AE -fuzz "${3:-1%}" "$1" "$2" null: 2>&1 || true; }

# The mouse to point ($1, $2) of $window, then on by ($3, $4) (default a pixel to the right), so that
# the window hears it there.
point() {
    xdotool mousemove --window "$window" "$1" "$2"
    sleep 0.2
    xdotool mousemove_relative "${3:-1}" "${4:-0}"
    sleep 0.3
}

# The last line of the scene list (data/scene_list.h in source tree $1) as "NUMBER NAME": the show's
# last scene, its file data/scene_NUMBER_NAME.cpp (the number in two digits).
last_scene() { sed -n 's/^    X(\([0-9]*\), \([a-z0-9_]*\)) \\$/\1 \2/p' "$1/data/scene_list.h" | tail -1; }

# A scratch copy of the source tree (the working directory) in $scratch, $tmp/repo: no builds, no .git.
copy_tree() {
    scratch=$tmp/repo
    mkdir -p "$scratch"
    tar --exclude='./build*' --exclude=./.git --exclude=node_modules -cf - . | tar -xf - -C "$scratch"
}

# The scratch copy's own build, $scratch/build, with its scene module (tests and benchmarks off); the
# log in $tmp/cmake.log.
build_scene_module() {
    cmake -S "$scratch" -B "$scratch/build" -DQZ_BUILD_TESTS=OFF -DQZ_BUILD_BENCH=OFF >"$tmp/cmake.log" 2>&1 &&
        cmake --build "$scratch/build" --target qz_scene_module >>"$tmp/cmake.log" 2>&1 ||
        fail "the scratch copy does not build its scene module: $(tail -5 "$tmp/cmake.log")"
}
