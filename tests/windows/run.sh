#!/usr/bin/env bash
# The Windows build as a Windows user meets it, under Wine on a virtual X server (Xvfb), where
# Wine turns the show's OpenGL into the host's Mesa:
#   - unpacked from build-windows/qz001-windows.zip, qz001.exe --no-launcher --windowed opens the
#     window "qz001", draws frames (a screenshot with more than one colour), Escape ends it, status 0;
#   - qz001.exe alone opens the launcher "qz01 launch"; "Ulk" ends it with status 0 and no show;
#   - with the music off at a frame of scene 7 (the temple and its caption), the window shows the
#     same picture as the Linux build's `qz001-tool render --frame F`;
#   - --at in the show's last second, started from another folder (a shortcut's "Start in"): the music
#     is found beside qz001.exe, its clock runs under Wine, the show ends by itself;
#   - qz001.exe alone in a folder named "My Démos", started from a folder without the music: its message
#     box, the file and both places named on stderr in UTF-8, status 1;
#   - a folder in the music file's place is named as a folder;
#   - --version prints the CMake project's version; a bad option with no console (started through
#     "start") gets a message box and status 2.
# The Wine prefix lives in build-windows/wine (made on the first run, about 10 s).
#
#     tests/windows/run.sh build/tools/qz001-tool      # after windows/build.sh
#
# The screenshots are kept in build-windows/test/ (show.png: a few seconds into the show).
set -euo pipefail
tool=$(realpath "${1:?usage: tests/windows/run.sh QZ001_TOOL}")
root=$(cd "$(dirname "$0")/../.." && pwd)
zip=$root/build-windows/qz001-windows.zip
work=$root/build-windows/test
[ -f "$zip" ] || { echo "FAIL: $zip is missing: run windows/build.sh first" >&2; exit 1; }
export WINEPREFIX=$root/build-windows/wine WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no prompts to install .NET or a web engine
. "$root/tests/x11_session.sh"
stop_also() { wineserver -k 2>/dev/null || true; } # Wine's own processes, after the show
stop_at_exit

rm -rf "$work" && mkdir -p "$work/empty"
(cd "$work" && cmake -E tar xf "$zip")
show=$work/qz001/qz001.exe
[ -f "$show" ] && [ -f "$work/qz001/music/ZB_PALEWIRE.xm" ] && [ -f "$work/qz001/README.txt" ] ||
    fail "the zip does not hold qz001/qz001.exe, qz001/music/ZB_PALEWIRE.xm and qz001/README.txt"

start_xvfb "$work"
# Dismisses message box $1 with Return (made the active window first) and waits for the show to end.
dismiss() {
    sleep 0.5
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    xdotool key Return
    wait_show 30
}
wineboot --init >/dev/null 2>&1 || fail "wineboot cannot make the Wine prefix $WINEPREFIX"

# The show in a window: it draws, Escape ends it with status 0.
(cd "$work/qz001" && exec wine qz001.exe --no-launcher --windowed --stats) >"$work/out" 2>&1 &
show_pid=$!
window=$(find_window "^qz001$" 90) || fail "no show window: $(cat "$work/out")"
wait_drawn "$(rectangle_of "$window")" 60 "$work/show.png" || fail "the show window shows no picture"
sleep 5 # a few seconds of the show, then a screenshot of where it got
wait_drawn "$(rectangle_of "$window")" 10 "$work/show.png" || fail "the show window went blank"
xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool key Escape
wait_show 30
[ "$status" -eq 0 ] || fail "Escape: exit status $status: $(cat "$work/out")"
grep -q "ended by Escape" "$work/out" || fail "--stats did not report the end: $(cat "$work/out")"
echo "ok: the show window draws, Escape ends it with status 0 ($(grep -o '[0-9.]* fps' "$work/out"))"

# A still frame: the music off, the show stands at the frame asked for; the Linux build draws the same.
(cd "$work/qz001" && exec wine qz001.exe --no-launcher --windowed --no-music --at 84.34 --stats) >"$work/out" 2>&1 &
show_pid=$!
window=$(find_window "^qz001$" 90) || fail "no show window for the still frame: $(cat "$work/out")"
wait_drawn "$(rectangle_of "$window")" 60 "$work/still.png" || fail "the still frame shows no picture"
sleep 2
import -window root -crop "$(rectangle_of "$window")" +repage "$work/still.png"
xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool key Escape
wait_show 30
frame=$(sed -n 's/.*first frame \([0-9]*\),.*/\1/p' "$work/out")
[ -n "$frame" ] || fail "--stats gave no first frame: $(cat "$work/out")"
"$tool" render --frame "$frame" --out "$work/still-linux.png" >/dev/null
differ=$(compare -metric AE -fuzz 1% "$work/still.png" "$work/still-linux.png" null: 2>&1 || true)
awk -v d="$differ" 'BEGIN { exit !(d ~ /^[0-9.e+]+$/ && d + 0 <= 922) }' || # at most 0.1 %
    fail "frame $frame under Wine differs from qz001-tool render in $differ pixels (of 921600)"
echo "ok: frame $frame under Wine is the Linux render's picture ($differ pixels differ)"

# Near the end, with the music, started from another folder (as a shortcut whose "Start in" is
# elsewhere): the music is found beside qz001.exe, its clock runs, and the show ends by itself.
(cd "$work/empty" && exec wine "$show" --no-launcher --windowed --stats --at 129.5) >"$work/out" 2>&1 &
show_pid=$!
wait_show 90
[ "$status" -eq 0 ] || fail "--at 129.5 from another folder: exit status $status: $(cat "$work/out")"
grep -qE "ended by (last frame|end of the music)" "$work/out" || fail "--at 129.5: $(cat "$work/out")"
echo "ok: started from another folder the music is found beside qz001.exe; its clock runs and the show ends by itself ($(grep -o 'ended by [a-z ]*' "$work/out"))"

version=$(sed -n 's/^project(qz001 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
said=$(wine "$show" --version 2>&1 | tr -d '\r')
[ "$said" = "qz001 $version" ] || fail "--version: $said, expected qz001 $version"
echo "ok: --version says qz001 $version"

# A bad option with nothing to show stderr (started through "start", as a shortcut starts it): a
# message box says what is wrong; dismissing it gives status 2.
(cd "$work/qz001" && exec setsid wine start /wait /unix "$show" --scene x) </dev/null >"$work/out" 2>&1 &
show_pid=$!
box=$(find_message_box 30) || fail "a bad option without a console shows no message box: $(cat "$work/out")"
dismiss "$box"
[ "$status" -eq 2 ] || fail "a bad option without a console: exit status $status, expected 2: $(cat "$work/out")"
echo "ok: a bad option without a console gets a message box, status 2"

# The launcher, then "Ulk": status 0 and no show window.
(cd "$work/qz001" && exec wine qz001.exe) >"$work/out" 2>&1 &
show_pid=$!
launcher=$(find_window "^qz01 launch$" 60) || fail "no launcher window: $(cat "$work/out")"
wait_drawn "$(rectangle_of "$launcher")" 30 "$work/launcher.png" || fail "the launcher draws nothing"
eval "$(xdotool getwindowgeometry --shell "$launcher")"
sleep 0.5
xdotool mousemove $((X + 55)) $((Y + 105)) click 1 # "Ulk" (15..95, 90..120)
for _ in $(seq 100); do
    kill -0 "$show_pid" 2>/dev/null || break
    xdotool search --onlyvisible --name "^qz001$" >/dev/null 2>&1 && fail "Ulk opened the show window"
    sleep 0.1
done
wait_show 20
[ "$status" -eq 0 ] || fail "Ulk: exit status $status: $(cat "$work/out")"
echo "ok: the launcher appears; Ulk ends with status 0 and no show window"

# Without the music, qz001.exe alone in a folder with a name beyond ASCII: a message box, the file and
# both places it was looked for named on stderr in UTF-8; dismissing the box gives status 1.
mkdir -p "$work/My Démos"
cp "$show" "$work/My Démos/"
(cd "$work/empty" && exec wine "$work/My Démos/qz001.exe" --no-launcher --windowed) >"$work/out" 2>&1 &
show_pid=$!
for _ in $(seq 300); do
    grep -q "ZB_PALEWIRE.xm" "$work/out" && break
    kill -0 "$show_pid" 2>/dev/null || break
    sleep 0.1
done
grep -q "cannot open the music file music/ZB_PALEWIRE.xm (looked for in the working directory Z:.*empty and beside the program in Z:.*My Démos)" "$work/out" ||
    fail "missing music: $(cat "$work/out")"
# The message box has an empty caption, as on Linux.
box=$(find_message_box 30) || fail "no message box for the missing music: $(cat "$work/out")"
dismiss "$box"
[ "$status" -eq 1 ] || fail "missing music: exit status $status, expected 1: $(cat "$work/out")"
echo "ok: without its music the show says so in a message box and on stderr (the folder \"My Démos\" in UTF-8), status 1"

# A folder in the music file's place: named as a folder (Windows' open would say "Permission denied").
mkdir -p "$work/folder/music/ZB_PALEWIRE.xm"
(cd "$work/folder" && exec wine "$show" --no-launcher --windowed) >"$work/out" 2>&1 &
show_pid=$!
box=$(find_message_box 30) || fail "no message box for a folder in the music file's place: $(cat "$work/out")"
dismiss "$box"
[ "$status" -eq 1 ] && grep -q "it is a folder, not a module file" "$work/out" ||
    fail "a folder in the music file's place: status $status: $(cat "$work/out")"
echo "ok: a folder in the music file's place is named as one, status 1"
