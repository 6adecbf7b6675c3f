# x11_session.sh - sourced by the tests that drive the show's windows on a virtual X server (Xvfb,
# 1920x1080) with xdotool and ImageMagick; POSIX sh. The caller keeps the shown program's process id
# in $show_pid and stops Xvfb ($xvfb_pid) in its own cleanup.
#
#     . tests/x11_session.sh
#     start_xvfb "$tmp"                              # sets DISPLAY
#     "$qz001" & show_pid=$!
#     window=$(find_window "^qz001$" 60) || fail "no show window"
#     wait_drawn "$(rectangle_of "$window")" 30 || fail "the show window shows no picture"
#     pause_edit "$window" "$tmp/out"                # qz001 --edit: Space, and the title says paused
#     wait_show 20                                   # its exit status in $status

fail() { echo "FAIL: $*" >&2; exit 1; }

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
