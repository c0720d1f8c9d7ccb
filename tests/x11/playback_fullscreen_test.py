#!/usr/bin/python3
"""Full-screen playback in the real program: real XRandR switches, real libmpv, openbox.

Clips are solid colours, so a screenshot's centre tells which one is on the screen."""

import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zkx11  # noqa: E402

zkx11.run_with_bus()
t = zkx11.Failures()
work = tempfile.mkdtemp(prefix="zk-playback-")
program = zkx11.isolated_program(work)
desktop = zkx11.screen_size()


def make_clip(name, colour, seconds, size="320x240"):
    path = os.path.join(work, name)
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "color=c=%s:s=%s:r=25:d=%s" % (colour, size, seconds), "-c:v", "mjpeg",
                    "-q:v", "3", path], check=True)
    return path


red = make_clip("red.avi", "red", 1.5)
green = make_clip("green.avi", "green", 1.5)
blue = make_clip("blue.avi", "blue", 1.5)
long_clip = make_clip("long.avi", "white", 30)
red_long = make_clip("red-long.avi", "red", 30)


def centre_colour():
    """'red', 'green', 'blue', 'white', 'black' or 'other' at the screen's centre."""
    w, h = zkx11.screen_size()
    return colour_at(w // 2, h // 2)


def colour_at(x, y):
    out = subprocess.run("xwd -root -silent | convert xwd:- -crop 1x1+%d+%d -depth 8 txt:-" % (x, y),
                         shell=True, capture_output=True, text=True).stdout
    r, g, b = [int(v) for v in out.splitlines()[-1].split("(")[1].split(")")[0].split(",")[:3]]
    for name, (cr, cg, cb) in {"red": (255, 0, 0), "green": (0, 128, 0), "blue": (0, 0, 255),
                               "white": (255, 255, 255), "black": (0, 0, 0)}.items():
        if abs(r - cr) < 60 and abs(g - cg) < 60 and abs(b - cb) < 60:
            return name
    return "other"


def frame_extents(wid):
    out = zkx11.sh("xprop", "-id", str(wid), "_NET_FRAME_EXTENTS", check=False)
    return out.split("=")[1].strip() if "=" in out else ""


class Program:
    def __init__(self, items):
        self.proc = zkx11.start([*items], program=program)
        self.wid = zkx11.window_id()
        self.app = zkx11.accessible_app(self.proc.pid)
        time.sleep(0.5)

    def click(self, name):
        zkx11.click_accessible(zkx11.find_accessible(self.app, name))

    def play(self, mode="800x600(32)"):
        """Selects the mode and clicks Play; remembers the windowed bounds and border."""
        zkx11.select_line(self.app, "ScreenSize", mode)
        self.bounds = zkx11.geometry(self.wid)
        self.extents = frame_extents(self.wid)
        self.click("Play")

    def wait_mode(self, size, timeout=10):
        return zkx11.wait_for(lambda: zkx11.screen_size() == size, timeout, step=0.05,
                              what="screen %dx%d" % size)

    def playing(self):
        return zkx11.screen_size() == (800, 600)

    def windowed_again(self):
        try:
            self.wait_mode(desktop)
            zkx11.wait_for(lambda: zkx11.geometry(self.wid) == self.bounds, 5, what="old bounds")
            zkx11.wait_for(lambda: frame_extents(self.wid) == self.extents, 5, what="border")
            return True
        except AssertionError as error:
            print("   ", error, zkx11.geometry(self.wid), frame_extents(self.wid))
            return False

    def quit(self):
        if self.proc.poll() is None:
            zkx11.close_and_wait(self.proc, self.wid)


# 1. Three clips in order at 800x600, then the end of the list gives everything back.
p = Program([red, green, blue])
p.play()
p.wait_mode((800, 600))
time.sleep(0.3)
x, y, w, h = zkx11.geometry(p.wid)
t.equal((x, y, w, h), (0, 0, 800, 600), "the window covers 800x600")
seen = []
deadline = time.monotonic() + 15
while time.monotonic() < deadline and p.playing():
    colour = centre_colour()
    if colour in ("red", "green", "blue") and (not seen or seen[-1] != colour):
        seen.append(colour)
    time.sleep(0.1)
t.equal(seen, ["red", "green", "blue"], "the clips play in order")
t.check(p.windowed_again(), "after the last clip: desktop mode, old bounds and border")
playlist = zkx11.find_accessible(p.app, "PlayList")
p.quit()

# 2. Ends of playback: a click on the video, Escape; an arrow key does not end it.
p = Program([long_clip])
for name, keys in [("click over the video", None), ("Escape", ["Escape"])]:
    p.play()
    p.wait_mode((800, 600))
    zkx11.wait_for(lambda: centre_colour() == "white", 10, what="video on screen")
    if keys is None:
        zkx11.sh("xdotool", "mousemove", "400", "300", "click", "1")
    else:
        zkx11.sh("xdotool", "key", "Left")
        time.sleep(0.7)
        t.check(p.playing(), "an arrow key does not end playback")
        zkx11.sh("xdotool", "key", *keys)
    t.check(p.windowed_again(), name + " ends playback and restores the window")

# A mode smaller than the window's minimum size: the window still covers all of it.
p.play("320x240(32)")
p.wait_mode((320, 240))
time.sleep(0.3)
t.equal(zkx11.geometry(p.wid), (0, 0, 320, 240), "the window covers 320x240, below its minimum size")
zkx11.sh("xdotool", "key", "x")
p.wait_mode(desktop)
t.check(p.windowed_again(), "after 320x240 the window has its old bounds and border")

# 3. Stretch: a 4:3 clip fills a 16:9 mode edge to edge; without stretch it stands in the middle
# at its own size (320x240).
p.quit()
p = Program([red_long])
for stretch, edge in [(False, "black"), (True, "red")]:
    if stretch:
        p.click("StretchMode")
    p.play("1024x576(32)")
    p.wait_mode((1024, 576))
    zkx11.wait_for(lambda: centre_colour() == "red", 10, what="video on screen")
    t.equal(colour_at(4, 288), edge, "stretch %s: the left edge" % ("on" if stretch else "off"))
    t.equal(colour_at(1019, 10), edge, "stretch %s: the top right corner" % ("on" if stretch else "off"))
    zkx11.sh("xdotool", "key", "Escape")
    p.wait_mode(desktop)

# 4. Loop: one short clip keeps playing past its end.
p.quit()
p = Program([red])
p.click("LoopPlayMode")
p.play()
p.wait_mode((800, 600))
time.sleep(4.0)
t.check(p.playing(), "looping keeps playing past the end of the list")
zkx11.sh("xdotool", "key", "space")
t.check(p.windowed_again(), "Space ends the loop")
p.quit()

# 5. kill -9 during playback: the watchdog puts the desktop mode back within a second.
p = Program([long_clip])
p.play()
p.wait_mode((800, 600))
p.proc.send_signal(signal.SIGKILL)
p.proc.wait()
killed = time.monotonic()
back = False
while time.monotonic() - killed < 3:
    if zkx11.screen_size() == desktop:
        back = True
        break
    time.sleep(0.02)
elapsed = time.monotonic() - killed
t.check(back and elapsed <= 1.0, "after kill -9 the desktop mode is back within 1 s (%.2f s)" % elapsed)

t.finish()
