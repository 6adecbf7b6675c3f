#!/bin/sh
# sync_end_to_end.sh QZ001 QZ001_TOOL - qz001 --edit --sync driven by a scripted sync editor
# (sync_editor.py) under a virtual X server: the client greets and asks for every track, tells its rows
# while playing, pauses and seeks on the editor's word (row r is frame 7.2 r rounded up), shows the
# player's own frame there, and with a smooth key on the drop's transition factor the frame changes as
# the formula says (the white punch adds 1 - factor to every channel); the transport's own seek is told
# to the editor; the editor's save writes the track into a scratch copy of data/tracks.cpp; an unknown
# command closes the connection and the edit mode plays on with the editor's last keys.
# Run from the repository root (the music lies there).
set -eu
qz001=$1
tool=$2
. "$(dirname "$0")/../x11_session.sh"
. "$(dirname "$0")/sync_session.sh"
start_x11_test Xvfb xdotool import compare convert python3
start_xvfb "$tmp"

title() { xdotool getwindowname "$window"; }
frame_shown() { title | sed -n 's/.* frame \([0-9]*\) .*/\1/p'; }

start_sync_edit
[ "$(grep -c '^track ' "$tmp/log")" = 54 ] || fail "the client asked for $(grep -c '^track ' "$tmp/log") tracks, not 54"
# The client says it is connected once the track names are sent: the editor may log them first.
wait_for "grep -q 'connected to the sync editor at 127.0.0.1' '$tmp/out'" 10 || fail "no word of the connection: $(cat "$tmp/out")"
echo "ok: greeted, and every track asked for (54: three a show track)"

# Playing: each new row is told, in order.
wait_for "[ \$(grep -c '^row ' '$tmp/log') -ge 4 ]" 30 || fail "the client tells no rows while playing"
rows=$(grep '^row ' "$tmp/log" | head -4 | cut -d' ' -f2 | tr '\n' ' ')
set -- $rows
[ "$1" -lt "$2" ] && [ "$2" -lt "$3" ] && [ "$3" -lt "$4" ] || fail "the rows told while playing are $rows"
echo "ok: while playing the client tells rows $rows"

say pause 1
wait_for "xdotool getwindowname $window | grep -q ' paused'" 10 || fail "PAUSE 1 did not pause: $(title)"
say row 200 # frame 1440: scene 4 (from frame 1380), local frame 60
wait_for "xdotool getwindowname $window | grep -q 'frame 1440 scene 4 paused'" 10 || fail "SET_ROW 200: $(title)"
"$tool" render --frame 1440 --no-aa --out "$tmp/player.png" >/dev/null 2>&1 || fail "the tool does not render"
wait_for "import -window root -crop 1280x720+$wx+$wy +repage '$tmp/shot.png' && [ \"\$(compare -metric AE -fuzz 2% '$tmp/shot.png' '$tmp/player.png' null: 2>&1)\" -lt 100 ]" 20 ||
    fail "at row 200 the frame is not the player's frame 1440 ($(differ "$tmp/shot.png" "$tmp/player.png" 2%) pixels differ)"
echo "ok: PAUSE and SET_ROW 200 put the play head on frame 1440 (7.2 r), the player's frame"

# DropIntro:x, scene 4's transition factor: smooth from 0 at row 0 to 100 at row 20. At local frame 60
# (row 8.33) t = 5/12, the factor t^2 (3 - 2t) = 0.37616, so every channel gains 1 - 0.37616.
say key DropIntro:x 0 0 2
say key DropIntro:x 20 100 1
convert "$tmp/player.png" -evaluate add 62.384% "$tmp/expected.png"
wait_for "import -window root -crop 1280x720+$wx+$wy +repage '$tmp/keyed.png' && [ \"\$(compare -metric AE -fuzz 2% '$tmp/keyed.png' '$tmp/expected.png' null: 2>&1)\" -lt 100 ]" 20 ||
    fail "with the smooth key the frame is not the formula's ($(differ "$tmp/keyed.png" "$tmp/expected.png" 2%) pixels differ)"
echo "ok: a smooth key on DropIntro:x changes the frame as t^2 (3 - 2t) says"
cp "$tmp/keyed.png" "$tmp/keyed-frame.png"

# The transport's own move is told: Right is a beat on (480 ms), frame 1468, which lies in row 203.
xdotool key --window "$window" Right
wait_for "xdotool getwindowname $window | grep -q 'frame 1468 '" 10 || fail "Right from frame 1440: $(title)"
wait_for "grep -q '^row 203$' '$tmp/log'" 10 || fail "the transport's seek to row 203 was not told: $(tail -3 "$tmp/log")"
echo "ok: the transport's own seek (Right, to frame 1468) is told as row 203, the row frame 1468 lies in"

# The editor's save: DropIntro (track 1) in the scratch data/tracks.cpp, every other entry as it was.
say save
wait_for "grep -q \"sync editor's save: 1 tracks written\" '$tmp/out'" 10 || fail "no save: $(tail -3 "$tmp/out")"
grep -q '^    linear({{0, 0, 40, 120},$' "$tmp/src/data/tracks.cpp" || fail "DropIntro's first key is not (0, 0, 40, 120)"
[ "$(diff data/tracks.cpp "$tmp/src/data/tracks.cpp" | grep -c '^<')" -le 8 ] || fail "the save changed more than DropIntro's entry"
grep -q "^            {144, 100, " "$tmp/src/data/tracks.cpp" || fail "the smooth segment does not end at frame 144 with 100"
echo "ok: SAVE_TRACKS writes DropIntro into the scratch data/tracks.cpp"
if [ -n "${QZ_SYNC_SHOT:-}" ]; then # the docs' picture: the Tracks tab, after the save has been drawn
    xdotool mousemove --window "$window" 1426 36 click 1
    sleep 2
    import -window "$window" "$QZ_SYNC_SHOT"
fi

# Hostile input: the connection closes with the reason, the edit mode plays on and keeps the keys.
say raw 09
wait_for "grep -q 'closed the connection to the sync editor at 127.0.0.1:$port: unknown command byte 9' '$tmp/out'" 10 ||
    fail "an unknown command was not refused: $(tail -3 "$tmp/out")"
wait_for "grep -q '^closed$' '$tmp/log'" 10 || fail "the editor's connection stayed open after the unknown command"
kill -0 "$show_pid" || fail "the edit mode ended on an unknown command"
xdotool key --window "$window" Left
wait_for "xdotool getwindowname $window | grep -q 'frame 1440 '" 10 || fail "after the close the transport does not move: $(title)"
wait_for "import -window root -crop 1280x720+$wx+$wy +repage '$tmp/after.png' && [ \"\$(compare -metric AE -fuzz 2% '$tmp/after.png' '$tmp/expected.png' null: 2>&1)\" -lt 100 ]" 20 ||
    fail "after the close the editor's key is no longer in force ($(differ "$tmp/after.png" "$tmp/expected.png" 2%) pixels differ)"
echo "ok: an unknown command closes the connection with its reason; the edit mode plays on with the last keys"

xdotool key --window "$window" Escape
wait_show 20
[ "$status" = 0 ] || fail "Escape ended the edit mode with status $status"
echo "ok: Escape ends it with status 0"
