# sync_session.sh - sourced by the sync editor tests after tests/x11_session.sh (POSIX sh): qz001 --edit
# --sync ($qz001) connected to the scripted sync editor (sync_editor.py), which is stopped at exit.
#
#     start_sync_edit "$tmp/show.rocket"           # the document is optional: its keys are answered
#     say key DropIntro:x 0 0 2                    # a line to the editor, as sync_editor.py reads them
#     wait_for "grep -q '^row 203$' '$tmp/log'" 10 # the editor's log of what the client sent

editor_pid=
stop_also() {
    exec 4>&- 2>/dev/null || true
    [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null || true
}

# Waits up to $2 seconds until command $1 succeeds.
wait_for() {
    for _ in $(seq $(($2 * 10))); do sh -c "$1" && return 0; sleep 0.1; done
    return 1
}

# A line to the scripted editor.
say() { echo "$*" >&4; }

# A scratch source tree in $tmp/src, where the editor's save goes (no build folder: nothing is
# rebuilt); the scripted editor on a free port ($port), answering with the keys of document $1 where one
# is named; qz001 --edit --sync connected to it at 20 s without antialiasing, its window found
# (find_edit_window); and the client's asking for every track, waited for.
start_sync_edit() {
    mkdir -p "$tmp/src/data" "$tmp/src/render" "$tmp/nobuild"
    cp data/tracks.cpp "$tmp/src/data/"
    cp -r render/shaders "$tmp/src/render/"

    mkfifo "$tmp/commands"
    python3 "$(dirname "$0")/sync_editor.py" "$tmp/port" "$tmp/log" "$@" <"$tmp/commands" &
    editor_pid=$!
    exec 4>"$tmp/commands"
    wait_for "[ -s '$tmp/port' ]" 10 || fail "the scripted editor does not listen"
    port=$(cat "$tmp/port")

    QZ_SOURCE_DIR=$tmp/src QZ_BUILD_DIR=$tmp/nobuild "$qz001" --edit --sync "127.0.0.1:$port" --no-aa --at 20 \
        >"$tmp/out" 2>&1 &
    show_pid=$!
    find_edit_window
    wait_for "grep -q 'track 53 ClosingPanel:z' '$tmp/log'" 30 ||
        fail "the client did not ask for every track: $(cat "$tmp/log")"
}
