#!/bin/sh
# layering_check.sh ROOT - no folder includes a folder above it, declares a table a folder above it
# defines, or compiles another folder's sources; and no file includes itself round a cycle.
#
# Floors, lowest first: base; mesh and director (side by side, neither includes the other); data;
# render and audio; show; edit (qz001 --edit); app, tools, web (the browser build) and windows (the Windows
# build). tests/ and bench/ sit on top of everything. Of the top floor only app/ starts the edit mode.
set -eu
cd "$1"
floor() {
    case $1 in
    base) echo 0 ;; mesh | director) echo 1 ;; data) echo 2 ;; render | audio) echo 3 ;;
    show) echo 4 ;; edit) echo 5 ;; app | tools | web | windows) echo 6 ;; *) echo "" ;;
    esac
}
bad=0
for dir in base mesh director data render audio show edit app tools web windows; do
    mine=$(floor $dir)
    for inc in $(grep -rhoE '#include "[a-z_-]+/' $dir --include='*.cpp' --include='*.h' | sed 's/#include "//; s#/##' | sort -u); do
        [ "$inc" = "$dir" ] && continue
        theirs=$(floor "$inc")
        [ -z "$theirs" ] && continue # tools' own sub-folders
        if [ "$theirs" -ge "$mine" ]; then
            echo "$dir/ includes $inc/ ($(grep -rlE "#include \"$inc/" $dir | head -1)), which is not below it"
            bad=1
        fi
    done
done

# A table belongs to the folder that defines it: no header declares a table (extern) that a higher
# folder's source defines, and no folder's CMake files compile a source of another folder.
folders="base mesh director data render audio show edit app tools web windows"
for dir in $folders; do
    mine=$(floor $dir)
    for name in $(grep -rhE '^extern [^"]' $dir --include='*.h' |
        sed -nE 's/^extern [^;]*[^A-Za-z0-9_]([A-Za-z_][A-Za-z0-9_]*)(\[[^]]*\])*;.*/\1/p' | sort -u); do
        for def in $(grep -rlE "^[A-Za-z][^;]*[^A-Za-z0-9_]$name( ?\[[^]]*\])* ?=" $folders --include="*.cpp" |
            sed 's#/.*##' | sort -u); do
            theirs=$(floor "$def")
            if [ -n "$theirs" ] && [ "$theirs" -gt "$mine" ]; then
                echo "$dir/ declares $name, which $def/ defines: the declaration belongs in $def/"
                bad=1
            fi
        done
    done
    for src in $(grep -hoE '(PROJECT_SOURCE_DIR\}|\.\.)/[a-z_-]+/[A-Za-z0-9_./-]*\.(cpp|c)\b' \
        $dir/CMakeLists.txt $dir/*.cmake 2>/dev/null | sed -E 's#^(PROJECT_SOURCE_DIR\}|\.\.)/##' | sort -u); do
        owner=${src%%/*}
        [ "$owner" = "$dir" ] && continue
        [ -z "$(floor "$owner")" ] && continue
        echo "$dir/ compiles $src: a source builds only into its own folder's library"
        bad=1
    done
done
# Inside edit/, rooms by concern, lowest first: transport and music; session (the files as read, the
# undo list, every write-back) and capture; reload and sync; panels; and edit/'s own files, where
# edit_mode.cpp owns the edit mode's state. A room includes only rooms below it; a file of edit/ outside
# the rooms is the top.
room() {
    case $1 in
    transport | music) echo 0 ;; session | capture) echo 1 ;; reload | sync) echo 2 ;; panels) echo 3 ;;
    *) echo "" ;;
    esac
}
for dir in edit/*/; do
    name=$(basename "$dir")
    mine=$(room "$name")
    if [ -z "$mine" ]; then
        echo "edit/$name/ is not a room the layering knows: add it to room() in tests/layering_check.sh"
        bad=1
        continue
    fi
    for inc in $(grep -rhoE '#include "edit/[a-z_]+/' "$dir" | sed 's#.*"edit/##; s#/##' | sort -u); do
        [ "$inc" = "$name" ] && continue
        theirs=$(room "$inc")
        if [ -z "$theirs" ] || [ "$theirs" -ge "$mine" ]; then
            echo "edit/$name/ includes edit/$inc/ ($(grep -rlE "#include \"edit/$inc/" "$dir" | head -1)), which is not below it"
            bad=1
        fi
    done
done
if grep -rqE '#include "edit/[a-z_]+\.h"' edit/*/ 2>/dev/null; then
    echo "a room includes edit/'s own files ($(grep -rlE '#include "edit/[a-z_]+\.h"' edit/*/ | head -1)), which sit above every room"
    bad=1
fi

for dir in tools web windows; do
    if grep -rqE '#include "edit/' $dir --include='*.cpp' --include='*.h'; then
        echo "$dir/ includes edit/: only app/ starts the edit mode"
        bad=1
    fi
done
# No file includes a file that includes it back, however far round: a source counts as its header
# (gl_dialect.cpp including device.h while device.h includes gl_dialect.h is a cycle).
cycle=$(for dir in $folders; do
    for file in $(find $dir -name '*.h' -o -name '*.cpp' 2>/dev/null); do
        sed -n 's|^#include "\([a-z_-]*/[A-Za-z0-9_/.-]*\.h\)".*|\1|p' "$file" |
            while read -r inc; do echo "${file%.cpp}.h" | sed 's/\.h\.h$/.h/' | tr -d '\n'; echo " $inc"; done
    done
done | awk '
    $1 != $2 { edges[$1] = edges[$1] " " $2 }
    function visit(node, path,    n, i, next_) {
        if (state[node] == 1) { print path " " node; found = 1; return }
        if (state[node] == 2 || found) return
        state[node] = 1
        n = split(edges[node], next_, " ")
        for (i = 1; i <= n && !found; i++) visit(next_[i], path " " node)
        state[node] = 2
    }
    END { for (node in edges) if (!found) visit(node, "") }')
if [ -n "$cycle" ]; then
    echo "files include each other round a cycle (a source counts as its header):$cycle"
    bad=1
fi
[ $bad -eq 0 ] && echo "ok: every folder includes only folders below it and builds only its own tables"
exit $bad
