#!/usr/bin/env python3
"""measure-sync.py - how well each scene of a captured show answers the kick.

    build/tools/qz001-tool capture --out show.mp4 --size 320x180
    tools/measure-sync.py show.mp4 [--from FIRST_FRAME]

Kicks are onsets of the low band of the capture's sound (left channel, below about 120 Hz): a frame
whose low-band level jumps well above the level of the three frames before it, at least six frames
after the previous kick. The picture's change at frame j is the mean absolute difference of the
luma of frames j - 1 and j, both shrunk to 64x36; a change is visible when it is at least one luma
level and at least twice the scene's median change (so a scene that moves all the time has to move
more than usual to count). For each scene the script prints the share of kicks followed within three
frames (frames k .. k + 3) by a visible change, and the share of all frames followed by one: a scene
that plays with the kick has the first well above the second. Needs ffmpeg; plain python3.
"""
import argparse
import statistics
import subprocess
import sys

DURATIONS = [900, 240, 60, 180, 922, 922, 922, 922, 922, 920, 922]
RATE = 60
AUDIO_RATE = 4800  # 80 samples per frame
SIZE = (64, 36)


def read(cmd):
    return subprocess.run(cmd, check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout


def low_band_levels(path):
    raw = read(["ffmpeg", "-v", "error", "-i", path, "-af",
                "pan=mono|c0=c0,lowpass=f=120,lowpass=f=120", "-ar", str(AUDIO_RATE), "-f", "s16le", "-"])
    samples = memoryview(raw).cast("h")
    per = AUDIO_RATE // RATE
    levels = []
    for i in range(len(samples) // per):
        chunk = samples[i * per:(i + 1) * per]
        levels.append((sum(v * v for v in chunk) / per) ** 0.5 / 32768.0)
    return levels


def picture_changes(path):
    w, h = SIZE
    raw = read(["ffmpeg", "-v", "error", "-i", path, "-map", "0:v", "-vf", f"scale={w}:{h},format=gray",
                "-f", "rawvideo", "-"])
    n = len(raw) // (w * h)
    changes = [0.0]
    prev = raw[0:w * h]
    for i in range(1, n):
        cur = raw[i * w * h:(i + 1) * w * h]
        changes.append(sum(abs(a - b) for a, b in zip(prev, cur)) / (w * h))
        prev = cur
    return changes


def kicks(levels, first, last):
    peak = sorted(levels[first:last])[int(0.95 * (last - first - 1))] if last > first else 0
    found, since = [], 99
    for i in range(max(first, 3), last):
        before = sum(levels[i - 3:i]) / 3
        since += 1
        if since >= 6 and levels[i] > 0.25 * peak and levels[i] > 1.6 * before + 0.002:
            found.append(i)
            since = 0
    return found


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("capture")
    ap.add_argument("--from", dest="first", type=int, default=0, help="show frame of the capture's first frame")
    args = ap.parse_args()
    levels = low_band_levels(args.capture)
    changes = picture_changes(args.capture)
    frames = min(len(levels), len(changes))
    print("scene  frames  kicks  kicks-followed  frames-followed")
    start = 0
    for scene, duration in enumerate(DURATIONS):
        a, b = max(start - args.first, 0), min(start + duration - args.first, frames)
        start += duration
        if b - a < 8:
            continue
        median = statistics.median(changes[a + 1:b])
        visible = [c >= 1.0 and c >= 2 * median for c in changes[:frames]]

        def followed(k):
            return any(visible[j] for j in range(k, min(k + 4, b)))

        ks = kicks(levels, a, b)
        hit = sum(followed(k) for k in ks)
        base = sum(followed(k) for k in range(a + 1, b))
        kick_share = f"{100 * hit / len(ks):5.0f}%" if ks else "    -"
        print(f"{scene:5d}  {b - a:6d}  {len(ks):5d}  {kick_share:>14}  {100 * base / (b - a - 1):14.0f}%")
    return 0


if __name__ == "__main__":
    sys.exit(main())
