#!/bin/sh
# layering_check.sh ROOT - no folder includes a folder above it.
#
# Floors, lowest first: base; mesh and director (side by side, neither includes the other); data;
# render and audio; show; app, tools and web (the browser build). tests/ and bench/ sit on top of everything.
set -eu
cd "$1"
floor() {
    case $1 in
    base) echo 0 ;; mesh | director) echo 1 ;; data) echo 2 ;; render | audio) echo 3 ;;
    show) echo 4 ;; app | tools | web) echo 5 ;; *) echo "" ;;
    esac
}
bad=0
for dir in base mesh director data render audio show app tools web; do
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
[ $bad -eq 0 ] && echo "ok: every folder includes only folders below it"
exit $bad
