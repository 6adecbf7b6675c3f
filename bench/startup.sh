#!/usr/bin/env bash
# Start-up from exec to the first frame: the show in its 1280x720 window (on a virtual X server) and
# qz001-tool's headless render, each set against our floor program (bench/startup_floor.cpp: SDL, a
# window and OpenGL 3.3 core context, one clear and swap, or headless a read back), in turns within
# each round, ROUNDS times (default 7). Prints every run, then the best and median of each and their
# ratio to the floor, the show's start-up step by step (its --stats line, medians), and the peak
# resident memory of a few seconds of the show.
#
#     bench/startup.sh [ROUNDS] [OLD_DIR]   # after building qz001, qz001-tool, qz_startup_floor, qz_first_swap
#
# OLD_DIR, when given, holds an older qz001 and qz001-tool, timed in the same turns ("old show",
# "old tool"). The show's first frame is the return of its first SDL_GL_SwapWindow (a preloaded
# library, bench/first_swap.c, reports it); the tool's is its exit, the PNG file written; the clock
# starts before the program is started. The show runs with its music on SDL's dummy audio driver.
# Beside the wall times, the CPU seconds each windowed program had used at its first frame (all its
# threads, and its main thread alone), which a busy machine does not stretch.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-7}
old=${2:-}
for program in build/app/qz001 build/tools/qz001-tool build/bench/qz_startup_floor build/bench/libqz_first_swap.so; do
  [ -e "$program" ] || { echo "bench/startup.sh: build $program first" >&2; exit 1; }
done
if [ -n "$old" ]; then
  for program in "$old/qz001" "$old/qz001-tool"; do
    [ -x "$program" ] || { echo "bench/startup.sh: $program is not a program" >&2; exit 1; }
  done
fi
export SDL_AUDIODRIVER=dummy
out=$(mktemp -d)
xvfb_pid=
trap 'kill $xvfb_pid 2>/dev/null; rm -rf "$out"' EXIT
. tests/x11_session.sh
start_xvfb "$out"
python3 - "$rounds" "$out" "$old" <<'PY'
import os, re, signal, statistics, subprocess, sys, time

rounds, out, old = int(sys.argv[1]), sys.argv[2], sys.argv[3]
shim = os.path.abspath("build/bench/libqz_first_swap.so")
show_args = ["--no-launcher", "--windowed", "--no-vsync", "--stats"]
tool_args = ["render", "--frame", "0", "--out", os.path.join(out, "frame.png")]
subjects = [("floor", ["build/bench/qz_startup_floor", "window"], "swap"),
            ("show", ["build/app/qz001"] + show_args, "swap")]
if old: subjects.append(("old show", [os.path.join(old, "qz001")] + show_args, "swap"))
subjects += [("headless floor", ["build/bench/qz_startup_floor", "headless"], "exit"),
             ("tool", ["build/tools/qz001-tool"] + tool_args, "exit")]
if old: subjects.append(("old tool", [os.path.join(old, "qz001-tool")] + tool_args, "exit"))

def run(argv, until, seconds_after=0.0):
    """Seconds from the start to the first frame, the --stats breakdown, the peak RSS in MiB, and the
    CPU seconds (process, main thread) at the first frame."""
    env = dict(os.environ)
    if until == "swap": env["LD_PRELOAD"] = shim
    start = time.monotonic()
    child = subprocess.Popen(argv, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, env=env, text=True)
    first, steps, lines, cpu = None, None, [], None
    if until == "swap":
        for line in child.stderr:
            lines.append(line)
            m = re.match(r"first swap (\d+\.\d+) cpu ([0-9.]+) thread ([0-9.]+)", line)
            if m and first is None:
                first = float(m.group(1)) - start
                cpu = (float(m.group(2)), float(m.group(3)))
                if seconds_after: time.sleep(seconds_after)
                child.send_signal(signal.SIGTERM)
            m = re.search(r"first frame \d+ on screen [0-9.]+ s after \w+ \((.*)\)", line)
            if m: steps = [(part.rsplit(" ", 1)[0], float(part.rsplit(" ", 1)[1])) for part in m.group(1).split(", ")]
    rest = child.stderr.read()
    _, status, usage = os.wait4(child.pid, 0)
    if until == "exit": first = time.monotonic() - start
    if first is None or (until == "exit" and status != 0):
        sys.exit("bench/startup.sh: %s gave no frame:\n%s%s" % (" ".join(argv), "".join(lines), rest))
    return first, steps, usage.ru_maxrss / 1024.0, cpu

times = {name: [] for name, _, _ in subjects}
cpus = {name: [] for name, _, _ in subjects}
steps = {}
for r in range(rounds):
    for name, argv, until in subjects:
        seconds, breakdown, _, cpu = run(argv, until)
        times[name].append(seconds)
        if cpu: cpus[name].append(cpu)
        for step, value in breakdown or []: steps.setdefault(name, {}).setdefault(step, []).append(value)
        print("round %d %-14s %.3f s" % (r + 1, name, seconds), flush=True)

print()
floors = {"swap": statistics.median(times["floor"]), "exit": statistics.median(times["headless floor"])}
bests = {"swap": min(times["floor"]), "exit": min(times["headless floor"])}
for name, _, until in subjects:
    t = times[name]
    print("%-14s best %.3f s  median %.3f s  (%.2f / %.2f times the floor's)" %
          (name, min(t), statistics.median(t), min(t) / bests[until], statistics.median(t) / floors[until]))
print("\nCPU seconds at the first frame, medians (all threads / main thread):")
for name, _, until in subjects:
    if cpus[name]:
        print("  %-14s %.3f / %.3f" % (name, statistics.median(c[0] for c in cpus[name]),
                                      statistics.median(c[1] for c in cpus[name])))
for name, breakdown in steps.items():
    print("\n%s: start-up step by step, medians over %d runs (its --stats line, seconds):" % (name, rounds))
    for step, values in breakdown.items(): print("  %-18s %.3f" % (step, statistics.median(values)))
print("\npeak resident memory, the show playing 8 s after its first frame (2 runs each):")
for name, argv, until in subjects:
    if until == "swap" and name != "floor":
        peaks = [run(argv, until, 8.0)[2] for _ in range(2)]
        print("  %-14s %s MiB" % (name, " / ".join("%.0f" % p for p in peaks)))
PY
