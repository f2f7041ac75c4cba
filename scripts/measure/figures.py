#!/usr/bin/env python3
"""Figures from the frame traces of the virtual microscope and of Vardelo.

  figures.py latency CAMERA_TRACE VARDELO_TRACE WARMUP_SECONDS
      camera-to-screen latency of the frames handed over after the warm-up: median, 95th and
      99th percentile, frames offered and shown, and where the time goes.
  figures.py cost VARDELO_TRACE WARMUP_SECONDS
      Vardelo's CPU time per shown frame between the first tick after the warm-up and the last.

Camera lines: "camera qpf F", "handed FRAME START BEFORE AFTER", "dropped N".
Vardelo lines: "vardelo qpf F", "shown SEQUENCE SAMPLETIME ARRIVED PUBLISHED SHOWN",
"tick AT CPU RECEIVED SHOWN SKIPPED CAMERADROPPED WIDTH HEIGHT UICPU PATHTICKS PAINTTICKS",
"lost N".
Both stamp the same performance counter; a frame is known on both sides by its start time.
"""
import math
import sys


def read(path):
    lines = {}
    with open(path) as f:
        for line in f:
            parts = line.split()
            if parts:
                lines.setdefault(parts[0], []).append(parts[1:])
    return lines


def percentile(values, p):
    """The nearest-rank percentile of sorted values."""
    if not values:
        return float("nan")
    k = max(0, min(len(values) - 1, math.ceil(p / 100.0 * len(values)) - 1))
    return values[k]


def qpf(lines, kind):
    freqs = {int(p[1]) for p in lines.get(kind, []) if len(p) == 2 and p[0] == "qpf"}
    if len(freqs) != 1:
        sys.exit("trace without one counter frequency: %r" % freqs)
    return freqs.pop()


def latency(camera_path, vardelo_path, warmup):
    cam, var = read(camera_path), read(vardelo_path)
    freq = qpf(cam, "camera")
    if qpf(var, "vardelo") != freq:
        sys.exit("the two traces count time differently")
    handed = [(int(p[1]), int(p[2])) for p in cam.get("handed", [])]  # (start time, before)
    if not handed:
        sys.exit("the camera handed over no frame")
    begin = handed[0][1] + int(warmup * freq)
    offered = {start: before for start, before in handed if before >= begin}
    shown, waits = [], {"hand-over": [], "convert": [], "to screen": []}
    for p in var.get("shown", []):
        start, arrived, published, at = int(p[1]), int(p[2]), int(p[3]), int(p[4])
        before = offered.get(start)
        if before is None:
            continue
        ms = lambda a, b: (b - a) * 1000.0 / freq
        shown.append(ms(before, at))
        waits["hand-over"].append(ms(before, arrived))
        waits["convert"].append(ms(arrived, published))
        waits["to screen"].append(ms(published, at))
    shown.sort()
    dropped = [int(p[0]) for p in cam.get("dropped", [])]
    print("  frames offered %d, shown %d (%.1f %%)%s" % (
        len(offered), len(shown), 100.0 * len(shown) / max(1, len(offered)),
        ", dropped on purpose %d" % sum(dropped) if sum(dropped) else ""))
    print("  latency ms: median %.1f, 95th %.1f, 99th %.1f, max %.1f" % (
        percentile(shown, 50), percentile(shown, 95), percentile(shown, 99), shown[-1] if shown else float("nan")))
    print("  median ms of its parts: " + ", ".join(
        "%s %.1f" % (k, percentile(sorted(v), 50)) for k, v in waits.items()))
    if var.get("lost"):
        print("  (the Vardelo trace lost %s records)" % sum(int(p[0]) for p in var["lost"]))
    return percentile(shown, 50), percentile(shown, 99)


def cost(vardelo_path, warmup):
    var = read(vardelo_path)
    freq = qpf(var, "vardelo")
    ticks = [[int(x) for x in p] for p in var.get("tick", [])]
    if len(ticks) < 3:
        sys.exit("Vardelo traced too few ticks")
    begin = ticks[0][0] + int(warmup * freq)
    window = [t for t in ticks if t[0] >= begin]
    if len(window) < 2:
        sys.exit("the run was shorter than its warm-up")
    first, last = window[0], window[-1]
    seconds = (last[0] - first[0]) / freq
    cpu_ms = (last[1] - first[1]) / 10000.0
    received, shown = last[2] - first[2], last[3] - first[3]
    print("cost_seconds=%.2f" % seconds)
    print("cost_cpu_ms=%.1f" % cpu_ms)
    print("cost_received=%d" % received)
    print("cost_shown=%d" % shown)
    print("cost_display=%dx%d" % (last[6], last[7]))
    print("cost_ui_cpu_ms=%.1f" % ((last[8] - first[8]) / 10000.0))
    print("cost_path_ms=%.2f" % ((last[9] - first[9]) * 1000.0 / freq / max(1, received)))
    print("cost_paint_ms=%.2f" % ((last[10] - first[10]) * 1000.0 / freq / max(1, shown)))


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "latency":
        latency(sys.argv[2], sys.argv[3], float(sys.argv[4]))
    elif len(sys.argv) == 4 and sys.argv[1] == "cost":
        cost(sys.argv[2], float(sys.argv[3]))
    else:
        sys.exit(__doc__)
