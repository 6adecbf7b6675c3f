#!/bin/sh
# add_scene_recipe.sh SOURCE_DIR TOOL - follows docs/recipes.md's "Add a scene" in a scratch copy of the
# source tree: a twelfth scene, data/scene_11_coda.cpp (a copy of the last scene's file under its own
# names), its line in data/scene_list.h, and its 120 frames taken from the last scene's length; nothing
# else is touched. The copy's scene module and tool are built, and then:
# - before its line, the build stops naming the new file;
# - `qz001-tool scenes` lists twelve scenes, the last two at frames 6910 (802 frames) and 7712 (120
#   frames, "coda"), the show still 7832 frames long; scene 12 is refused;
# - the module the edit mode would load hands over the same twelve scenes (read with ctypes);
# - frame 7800 (the coda's 88th) renders, and as the last scene's 88th frame did before (frame 6998 of
#   TOOL, the tree's own tool), the coda being that scene's graph under another name.
# Only these two targets are built (the tests and benchmarks are off, the code optimised little and
# given no debug information: the check looks at what the show holds and draws, not at speed). That is
# enough: every library the show is made of is compiled again there with the new scene count, the
# scene module is the edit mode's whole path from data/ to a loaded table, and the tool plays the
# show through the same start-up and per-frame turn as the player.
set -eu
source_dir=$1
tool=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
command -v compare >/dev/null || { echo "skipped: ImageMagick's compare is not installed" && exit 77; }

scratch=$tmp/repo
mkdir -p "$scratch"
(cd "$source_dir" && tar --exclude='./build*' --exclude=./.git --exclude=node_modules -cf - .) | tar -xf - -C "$scratch"
data=$scratch/data
grep -q '^constinit const SceneEntry scene10 = {scene10Nodes.data(), 922};$' "$data/scene_10_finale.cpp" ||
    fail "scene 10 is not 922 frames long as this test expects"
[ "$(grep -c '^    X(' "$data/scene_list.h")" -eq 11 ] || fail "data/scene_list.h does not list 11 scenes"

# The recipe: the file (its tables named scene11..., its name), its line, its length from the last scene.
sed -e 's/\bscene10\([A-Za-z]*\)\b/scene11\1/g' -e 's/"finale"/"coda"/' \
    -e 's/^\(constinit const SceneEntry scene11 = {scene11Nodes.data(), \)922}/\1120}/' \
    "$data/scene_10_finale.cpp" >"$data/scene_11_coda.cpp"
sed -i 's/^\(constinit const SceneEntry scene10 = {scene10Nodes.data(), \)922}/\1802}/' "$data/scene_10_finale.cpp"
# Before its line the build refuses the file by name, rather than leaving the scene out.
build=$scratch/build
configure() {
    cmake -S "$scratch" -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS=-O1 -DQZ_BUILD_TESTS=OFF \
        -DQZ_BUILD_BENCH=OFF >"$tmp/build.log" 2>&1
}
configure && fail "a scene file without its line in data/scene_list.h configures"
grep -q 'data/scene_11_coda.cpp is not in' "$tmp/build.log" || fail "no file named: $(tail -5 "$tmp/build.log")"
sed -i "/a new scene's line goes above this one/i\\    X(11, coda) \\\\" "$data/scene_list.h"
grep -q '^    X(11, coda) \\$' "$data/scene_list.h" || fail "the new line is not in data/scene_list.h"
diff -rq "$source_dir/data" "$data" >"$tmp/changed" || true
[ "$(wc -l <"$tmp/changed")" -eq 3 ] || fail "the recipe should touch 3 files: $(cat "$tmp/changed")"

configure || fail "configure: $(tail -5 "$tmp/build.log")"
cmake --build "$build" -j"$(nproc)" --target qz_scene_module qz001-tool >>"$tmp/build.log" 2>&1 ||
    fail "build: $(grep -m3 -A3 'error' "$tmp/build.log")"

"$build/tools/qz001-tool" scenes >"$tmp/scenes" || fail "qz001-tool scenes exited with $?"
[ "$(wc -l <"$tmp/scenes")" -eq 12 ] || fail "twelve scenes expected: $(cat "$tmp/scenes")"
grep -qx '10 6910 802 finale' "$tmp/scenes" || fail "scene 10 should be 802 frames: $(tail -2 "$tmp/scenes")"
grep -qx '11 7712 120 coda' "$tmp/scenes" || fail "scene 11 should be the coda: $(tail -1 "$tmp/scenes")"
"$build/tools/qz001-tool" scene 12 --frame 0 >/dev/null 2>&1 && fail "scene 12 should be refused"

python3 - "$build/data/libqz_scene_module.so" <<'PY' || fail "the scene module does not hand over twelve scenes"
import ctypes, sys
class Entry(ctypes.Structure):
    _fields_ = [("nodes", ctypes.c_void_p), ("duration", ctypes.c_int32)]
class Names(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("slots", ctypes.c_void_p), ("places", ctypes.c_void_p)]
class Module(ctypes.Structure):
    _fields_ = [("scenes", ctypes.POINTER(Entry * 12)), ("sceneNames", ctypes.POINTER(Names * 12)),
                ("tracks", ctypes.c_void_p), ("trackNames", ctypes.c_void_p)]
lib = ctypes.CDLL(sys.argv[1])
lib.qzSceneModule.restype = ctypes.POINTER(Module)
m = lib.qzSceneModule().contents
durations = [e.duration for e in m.scenes.contents]
names = [n.name.decode() for n in m.sceneNames.contents]
assert durations[10:] == [802, 120] and sum(durations) == 7832, durations
assert names[0] == "intro" and names[11] == "coda", names
assert all(e.nodes for e in m.scenes.contents)
PY

"$build/tools/qz001-tool" render --frame 7800 --size 320x180 --out "$tmp/coda.png" >/dev/null 2>&1 ||
    fail "the coda's frame 7800 does not render"
"$tool" render --frame 6998 --size 320x180 --out "$tmp/finale.png" >/dev/null 2>&1 ||
    fail "the tree's tool does not render frame 6998"
apart=$(compare -metric AE -fuzz 1% "$tmp/coda.png" "$tmp/finale.png" null: 2>&1 || true)
[ "$apart" = 0 ] || fail "frame 7800 (the coda's 88th) differs from frame 6998 (the finale's 88th) in $apart pixels"
echo "ok: a twelfth scene by its file, its line and a length taken from the last scene"
