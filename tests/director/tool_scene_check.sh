#!/bin/sh
# tool_scene_check.sh TOOL - checks `qz001-tool scene`: scene 1's JSON at frame 10, the last scene of
# data/scene_list.h taken and the errors for a scene or frame out of range.
set -u
tool="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
scenes=$(grep -c '^    X(' "$(dirname "$0")/../../data/scene_list.h") || fail "data/scene_list.h lists no scene"

json=$("$tool" scene 1 --frame 10 --json) || fail "scene 1 --frame 10 --json exited with $?"
python3 - "$json" <<'PY' || fail "scene 1 JSON"
import json, sys
d = json.loads(sys.argv[1])
assert d["scene"] == 1 and d["localFrame"] == 10
assert d["camera"]["eye"] == [0, 10, 0] and d["camera"]["up"] == [0, 1, 0]
assert abs(d["camera"]["fovy"] - 1.5707964) < 1e-6 and d["camera"]["near"] == 0.0500000007
assert len(d["opaque"]) == 64 and d["blended"] == [] and d["sprites"] == []
for r in d["opaque"]:
    assert (r["mesh"], r["vertexShader"], r["pixelShader"], r["texture"]) == (20, 10, 10, 0)
    assert -11.2 < r["position"][0] < 9.7 and r["position"][1:] == [0, 0]
    assert len(r["options"]) == 5 and all(len(o) == 4 for o in r["options"])
assert d["opaque"][40]["scale"] == d["opaque"][63]["scale"] == d["opaque"][31]["scale"]
assert d["opaque"][10]["prevPosition"] != d["opaque"][10]["position"]
s = d["settings"]
assert s["clearColor"] == [0.117647059, 0.254901975, 0.352941185, 1] and s["transitionType"] == 0
PY

text=$("$tool" scene 1 --frame 239) || fail "scene 1 --frame 239 exited with $?"
echo "$text" | grep -q "^opaque 64$" || fail "text output has no 'opaque 64' line"

"$tool" scene $((scenes - 1)) --frame 0 >/dev/null || fail "the last scene, $((scenes - 1)), is refused"
for args in "$scenes --frame 0" "-1 --frame 0" "1 --frame 240" "1 --frame -1"; do
    # shellcheck disable=SC2086
    err=$("$tool" scene $args 2>&1 >/dev/null) && fail "scene $args succeeded"
    [ "$(echo "$err" | wc -l)" -eq 1 ] || fail "scene $args: not a one-line error: $err"
    echo "$err" | grep -q "^qz001-tool: " || fail "scene $args: $err"
done
echo "qz001-tool scene: all checks passed"
