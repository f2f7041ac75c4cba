#!/usr/bin/env python3
"""The checks and the report of scripts/soak.

  soak.py file OUT LOGLINE COUNTER_TOOL   checks one finished video (a line of the program's
                                          record log), keeps the result in OUT/videos.jsonl and
                                          deletes the video
  soak.py report OUT MINUTES              the figures' table and plot, the videos' and photos'
                                          totals; exits 1 on any fault
"""
import json
import os
import subprocess
import sys

CROP_W, CROP_H = 112, 32  # the counter plate (testcam/frame_counter_reader.h)

# A figure keeps growing when the slope of its second half is above this, per minute (memory in
# KB). Unplugging every few minutes makes a saw-tooth; the fit over many samples smooths it.
SLOPE_LIMITS = {"private_kb": 256, "rss_anon_kb": 256, "handles": 0.5, "gdi": 0.5, "user": 0.5,
                "fds": 0.5, "threads": 0.2}
MIN_JUDGED_SAMPLES = 5  # in the second half: runs of 10 minutes or more


def unix_path(windows_path):
    p = windows_path.strip()
    if len(p) > 2 and p[1] == ":" and p[0] in "Zz":
        p = p[2:]
    return p.replace("\\", "/")


def check_file(out, line, tool):
    fields = line.rstrip("\n").split("\t")
    if len(fields) < 5:
        print(f"soak: a record-log line without its fields: {line!r}")
        return 1
    path, number, written, dropped, failed = unix_path(fields[0]), int(fields[1]), int(fields[2]), int(fields[3]), int(fields[4])
    result = {"file": os.path.basename(path), "number": number, "written": written, "dropped": dropped,
              "write_failed": failed, "faults": []}
    faults = result["faults"]
    if failed:
        faults.append("a write failed")
    if written == 0:
        result.update(frames=0, first=None, last=None, gaps=0, repeats=0, unreadable=0)
        if os.path.exists(path):
            faults.append("a file without a frame was kept")
    elif not os.path.exists(path):
        faults.append("the file is missing")
    else:
        result["bytes"] = os.path.getsize(path)
        decode = subprocess.run(
            ["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0:v:0", "-fps_mode", "passthrough",
             "-vf", f"crop={CROP_W}:{CROP_H}:0:0", "-f", "rawvideo", "-pix_fmt", "bgr24", "-"],
            capture_output=True)
        if decode.returncode != 0 or decode.stderr.strip():
            faults.append("ffmpeg: " + decode.stderr.decode(errors="replace").strip()[:300])
        read = subprocess.run([tool, str(CROP_W), str(CROP_H)], input=decode.stdout, capture_output=True, check=True)
        counters = [int(v) for v in read.stdout.split()]
        readable = [c for c in counters if c >= 0]
        gaps = repeats = backwards = 0
        for a, b in zip(readable, readable[1:]):
            if b == a:
                repeats += 1
            elif b < a:
                backwards += 1
            else:
                gaps += b - a - 1
        result.update(frames=len(counters), unreadable=len(counters) - len(readable),
                      first=readable[0] if readable else None, last=readable[-1] if readable else None,
                      gaps=gaps, repeats=repeats)
        if result["unreadable"]:
            faults.append(f"{result['unreadable']} frames whose counter cannot be read")
        if backwards:
            faults.append(f"the counter goes back {backwards} times")
        if len(counters) - repeats != written:
            faults.append(f"{len(counters) - repeats} frames decoded, the recorder wrote {written}")
        if result["faults"]:
            keep = os.path.join(out, "kept")
            os.makedirs(keep, exist_ok=True)
            if len(os.listdir(keep)) < 3:
                os.replace(path, os.path.join(keep, os.path.basename(path)))
        if os.path.exists(path):
            os.remove(path)
    with open(os.path.join(out, "videos.jsonl"), "a") as f:
        f.write(json.dumps(result) + "\n")
    state = "ok" if not faults else "FAULT: " + "; ".join(faults)
    print(f"soak: video {result['file']} (part {number + 1}): {written} frames, {dropped} not kept, "
          f"{result.get('gaps', 0)} missing by the counter: {state}", flush=True)
    return 0 if not faults else 1


def read_samples(out):
    rows = []
    path = os.path.join(out, "samples")
    if not os.path.exists(path):
        return rows
    for line in open(path):
        row = {}
        for pair in line.split():
            if "=" in pair:
                k, v = pair.split("=", 1)
                try:
                    row[k] = float(v)
                except ValueError:
                    pass
        rows.append(row)
    return rows


def slope_per_minute(points):
    n = len(points)
    mx = sum(x for x, _ in points) / n
    my = sum(y for _, y in points) / n
    sxx = sum((x - mx) ** 2 for x, _ in points)
    return 0.0 if sxx == 0 else sum((x - mx) * (y - my) for x, y in points) / sxx * 60


def plot(out, rows, names):
    """A panel per figure, drawn with ImageMagick: the minute on x, the figure on y."""
    panel_w, panel_h, margin = 360, 150, 40
    cols = 2
    nrows = (len(names) + cols - 1) // cols
    width, height = cols * (panel_w + margin) + margin, nrows * (panel_h + margin + 10) + margin
    draw = []
    for i, name in enumerate(names):
        pts = [(r["t"], r[name]) for r in rows if name in r and r[name] >= 0]
        x0 = margin + (i % cols) * (panel_w + margin)
        y0 = margin + (i // cols) * (panel_h + margin + 10)
        draw.append(f"-fill none -stroke gray -draw \"rectangle {x0},{y0} {x0 + panel_w},{y0 + panel_h}\"")
        lo = min((y for _, y in pts), default=0)
        hi = max((y for _, y in pts), default=0)
        label = f"{name}: {lo:g} .. {hi:g} over {max((t for t, _ in pts), default=0) / 60:.0f} min"
        span_t = max((t for t, _ in pts), default=1) or 1
        if hi == lo:  # a flat line in the middle
            lo, hi = lo - 1, hi + 1
        coords = " ".join(f"{x0 + t / span_t * panel_w:.1f},{y0 + panel_h - (y - lo) / (hi - lo) * panel_h:.1f}"
                          for t, y in pts)
        if len(pts) > 1:
            draw.append(f"-fill none -stroke blue -strokewidth 2 -draw \"polyline {coords}\"")
        draw.append(f"-stroke none -fill black -pointsize 13 -draw \"text {x0},{y0 - 6} '{label}'\"")
    png = os.path.join(out, "figures.png")
    cmd = f"convert -size {width}x{height} xc:white " + " ".join(draw) + f" {png}"
    if subprocess.run(cmd, shell=True).returncode == 0:
        print(f"soak: plot {png}")


def report(out, minutes):
    faults = []
    rows = read_samples(out)
    names = [n for n in ("private_kb", "working_kb", "handles", "gdi", "user", "rss_anon_kb", "fds", "threads")
             if any(r.get(n, -1) >= 0 for r in rows)]
    missing = [n for n in ("handles", "gdi", "user") if n not in names]
    print("soak: figures once a minute" + (f" ({', '.join(missing)} not given by this system)" if missing else ""))
    print("  min  " + "".join(f"{n:>13}" for n in names))
    for r in rows:
        print(f"  {r.get('t', 0) / 60:4.0f} " + "".join(f"{r.get(n, -1):13.0f}" for n in names))
    second = [r for r in rows if r.get("t", 0) >= rows[-1].get("t", 0) / 2] if rows else []
    for n in names:
        if n not in SLOPE_LIMITS:
            continue
        pts = [(r["t"], r[n]) for r in second if n in r and r[n] >= 0]
        if len(pts) < MIN_JUDGED_SAMPLES:
            print(f"  {n}: too few samples in the second half to judge its growth")
            continue
        s = slope_per_minute(pts)
        verdict = "ok" if s <= SLOPE_LIMITS[n] else "KEEPS GROWING"
        print(f"  {n}: {s:+.2f} a minute over the second half (limit {SLOPE_LIMITS[n]}): {verdict}")
        if s > SLOPE_LIMITS[n]:
            faults.append(f"{n} keeps growing ({s:+.2f} a minute)")
    if rows:
        plot(out, rows, names)

    videos = [json.loads(l) for l in open(os.path.join(out, "videos.jsonl"))] if os.path.exists(
        os.path.join(out, "videos.jsonl")) else []
    # The files of one recording follow one another: part numbers from 0; the counters run on
    # from one file into the next.
    recordings, current = [], None
    for v in videos:
        if v["number"] == 0 or current is None:
            current = []
            recordings.append(current)
        current.append(v)
    total_frames = total_dropped = total_missing = 0
    for i, parts in enumerate(recordings):
        missing = sum(v.get("gaps", 0) for v in parts)
        for a, b in zip(parts, parts[1:]):
            if a.get("last") is not None and b.get("first") is not None:
                missing += max(0, b["first"] - a["last"] - 1)
                if b["first"] <= a["last"]:
                    faults.append(f"recording {i + 1}: {b['file']} starts before {a['file']} ends")
        dropped = sum(v["dropped"] for v in parts)
        written = sum(v["written"] for v in parts)
        total_frames += written
        total_dropped += dropped
        total_missing += missing
        print(f"soak: recording {i + 1}: {len(parts)} files, {written} frames, {dropped} counted as not kept, "
              f"{missing} missing by the counter")
        if missing > dropped:
            faults.append(f"recording {i + 1}: {missing - dropped} frames lost without being counted")
    for v in videos:
        faults.extend(f"{v['file']}: {f}" for f in v["faults"])
    print(f"soak: videos: {len(videos)} files in {len(recordings)} recordings, {total_frames} frames, "
          f"{total_dropped} counted as not kept, {total_missing} missing by the counter")

    files = os.path.join(out, "files")
    video_stems = {os.path.splitext(v["file"])[0] for v in videos}
    photos = covers = timelapse = 0
    bad, leftovers = [], []
    for root, _, names_ in os.walk(files):
        for name in names_:
            path = os.path.join(root, name)
            ext = name.lower().rsplit(".", 1)[-1]
            if ext in ("jpg", "jpeg", "png", "bmp", "tif", "tiff"):
                if root != files:
                    timelapse += 1  # a time-lapse run's folder
                elif os.path.splitext(name)[0] in video_stems:
                    covers += 1  # a video's cover picture
                else:
                    photos += 1
                if subprocess.run(["identify", "-regard-warnings", path], capture_output=True).returncode != 0:
                    bad.append(name)
            elif ext in ("avi",):
                leftovers.append(name + " (a video the log does not name)")
            elif ext in ("txt", "csv", "log"):
                pass
            else:
                leftovers.append(name)
    commands = open(os.path.join(out, "photo_commands")).read().strip() if os.path.exists(
        os.path.join(out, "photo_commands")) else "?"
    print(f"soak: {photos} photos for {commands} photo commands (none while the camera was out), {timelapse} "
          f"time-lapse pictures, {covers} video covers; {len(bad)} unreadable; {len(leftovers)} other files left")
    faults += [f"unreadable picture {b}" for b in bad] + [f"left behind: {l}" for l in leftovers]
    problems = os.path.join(out, "problems")
    if os.path.exists(problems):
        faults += [l.strip() for l in open(problems) if l.strip()]
    for f in faults:
        print(f"soak: FAULT: {f}")
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "file":
        sys.exit(check_file(sys.argv[2], sys.argv[3], sys.argv[4]))
    if len(sys.argv) == 4 and sys.argv[1] == "report":
        sys.exit(report(sys.argv[2], int(sys.argv[3])))
    print(__doc__)
    sys.exit(2)
