#!/usr/bin/python3
"""Full-screen playback, our program against the mpv command line, in one run on the dummy
X server (same clips, same video and audio outputs, full screen):

- processor seconds per second of playback (one 10-second clip);
- time lost per transition in a playlist of ten 1-second clips;
- time from the Play click to the first picture, mode switch included.

Run:  tools/with-xorg python3 bench/playback_bench.py   (ZUKINEO=build/zukineo)"""

import os
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tests", "x11"))
os.environ.setdefault("ZUKINEO", os.path.join(here, "..", "build", "zukineo"))
import zkx11  # noqa: E402

zkx11.run_with_bus()
work = tempfile.mkdtemp(prefix="zk-bench-")
program = zkx11.isolated_program(work)
desktop = zkx11.screen_size()
TICK = os.sysconf("SC_CLK_TCK")


def make(name, seconds, colour, sound=True):
    path = os.path.join(work, name)
    audio_in = ["-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=%s" % seconds] if sound else []
    audio_out = ["-c:a", "pcm_s16le"] if sound else []
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y",
                    "-f", "lavfi", "-i", "testsrc=size=640x480:rate=25:duration=%s" % seconds] + audio_in +
                   ["-vf", "drawbox=x=200:y=140:w=240:h=200:color=%s:t=fill" % colour,
                    "-c:v", "msmpeg4v2", "-q:v", "4"] + audio_out + [path], check=True)
    return path


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK  # utime + stime


def centre_is_picture():
    w, h = zkx11.screen_size()
    out = subprocess.run("xwd -root -silent | convert xwd:- -crop 1x1+%d+%d -depth 8 txt:-" % (w // 2, h // 2),
                         shell=True, capture_output=True, text=True).stdout
    r, g, b = [int(v) for v in out.splitlines()[-1].split("(")[1].split(")")[0].split(",")[:3]]
    return r + g + b > 150


ten = make("ten.avi", 10, "white")
ones = [make("one-%d.avi" % i, 1, "white") for i in range(10)]
# Without a sound device the silent audio output reports the end of a clip with sound a little
# early, which flatters the wall-clock figure; clips without sound show the transitions alone.
mute = [make("mute-%d.avi" % i, 1, "white", sound=False) for i in range(10)]


def ours(items):
    """(cpu seconds, wall seconds of playback, seconds from click to first picture)."""
    ini = os.path.join(work, "zukineo.INI")
    if os.path.exists(ini):
        os.remove(ini)  # the run before saved its list; this run plays only `items`
    proc = zkx11.start(items, program=program)
    wid = zkx11.window_id()
    app = zkx11.accessible_app(proc.pid)
    zkx11.select_line(app, "ScreenSize", "800x600(32)")
    x, y, w, h = zkx11.extents(zkx11.find_accessible(app, "Play"))
    time.sleep(0.5)
    cpu0 = cpu_seconds(proc.pid)
    zkx11.sh("xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1")
    clicked = time.monotonic()
    zkx11.wait_for(lambda: zkx11.screen_size() == (800, 600), 10, step=0.005)
    zkx11.wait_for(centre_is_picture, 10, step=0.005)
    first = time.monotonic() - clicked
    zkx11.wait_for(lambda: zkx11.screen_size() == desktop, 120, step=0.02)
    wall = time.monotonic() - clicked
    cpu = cpu_seconds(proc.pid) - cpu0
    zkx11.close_via_wm(wid)
    proc.wait(timeout=20)
    return cpu, wall, first


def mpv(items):
    start = time.monotonic()
    proc = subprocess.Popen(["mpv", "--no-config", "--fs", "--vo=x11", "--hwdec=no", "--really-quiet",
                             "--no-input-default-bindings", "--osc=no"] + items)
    first = zkx11.wait_for(lambda: centre_is_picture() and time.monotonic() - start, 10, step=0.005)
    rusage_before = os.wait4(proc.pid, 0)[2]
    wall = time.monotonic() - start
    return rusage_before.ru_utime + rusage_before.ru_stime, wall, first


rows = []
cpu, wall, first = ours([ten])
rows.append(("zuKINEO, 10 s clip", cpu / 10.0, None, first))
cpu_m, wall_m, first_m = mpv([ten])
rows.append(("mpv, 10 s clip", cpu_m / 10.0, None, first_m))
cpu, wall, first = ours(ones)
rows.append(("zuKINEO, ten 1 s clips", cpu / 10.0, (wall - first - 10.0) / 9.0, first))
cpu_m, wall_m, first_m = mpv(ones)
rows.append(("mpv, ten 1 s clips", cpu_m / 10.0, (wall_m - first_m - 10.0) / 9.0, first_m))
cpu, wall, first = ours(mute)
rows.append(("zuKINEO, ten 1 s clips without sound", cpu / 10.0, (wall - first - 10.0) / 9.0, first))
cpu_m, wall_m, first_m = mpv(mute)
rows.append(("mpv, ten 1 s clips without sound", cpu_m / 10.0, (wall_m - first_m - 10.0) / 9.0, first_m))

print("| run | CPU s per s of playback | lost per transition (s) | click/start to first picture (s) |")
print("|---|---|---|---|")
for name, cps, lost, first in rows:
    print("| %s | %.3f | %s | %.3f |" % (name, cps, "" if lost is None else "%.3f" % lost, first))
