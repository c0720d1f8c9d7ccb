#!/usr/bin/python3
"""(Debian's python3: pyatspi comes from its packages.)

The real zukineo under openbox: the main window's controls read back through the
accessibility bus at creation and after a resize to 600x400 with xdotool, a user's attempt to
shrink the window below its creation size, and the About window opened from the icon (modal,
centred, then where it was left). Screenshots of both windows go to
$ZK_BUILD_DIR/screenshots (docs/ keeps copies for the README)."""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zkx11  # noqa: E402

zkx11.run_with_bus()
import pyatspi  # noqa: E402

t = zkx11.Failures()
work = tempfile.mkdtemp(prefix="zk-layout-")
program = zkx11.isolated_program(work)
shots = os.path.join(zkx11.BUILD_DIR or work, "screenshots")
os.makedirs(shots, exist_ok=True)
ABOUT_TITLE = "About zuKINEO"
BANNER = 'DirectDraw FullScreen MOVIE Player "zuKINEO" ver.2.4.2'

# Controls by accessible name; a check box shares its name with its label picture.
CREATION = {
    "About": (16, 16, 32, 32),
    BANNER: (42, 8, 326, 39),
    "ScreenSize": (8, 80, 113, 97),
    "PlayList": (128, 80, 217, 97),
    "LoopPlayMode/box": (8, 184, 17, 17),
    "LoopPlayMode": (24, 184, 119, 20),
    "Add File": (192, 184, 74, 18),
    "Load": (276, 184, 40, 18),
    "Save": (324, 184, 41, 18),
    "StretchMode/box": (8, 208, 17, 17),
    "StretchMode": (24, 208, 112, 18),
    "Delete": (256, 208, 56, 18),
    "Clear": (320, 208, 45, 18),
    "Play": (170, 232, 35, 19),
    "Up": (352, 80, 16, 13),
    "Down": (352, 164, 16, 13),
}
AT_600x400 = dict(CREATION, **{
    BANNER: (266, 8, 326, 39),
    "ScreenSize": (8, 80, 113, 240),
    "PlayList": (128, 80, 441, 240),
    "LoopPlayMode/box": (8, 327, 17, 17),
    "LoopPlayMode": (24, 327, 119, 20),
    "Add File": (416, 327, 74, 18),
    "Load": (500, 327, 40, 18),
    "Save": (548, 327, 41, 18),
    "StretchMode/box": (8, 351, 17, 17),
    "StretchMode": (24, 351, 112, 18),
    "Delete": (480, 351, 56, 18),
    "Clear": (544, 351, 45, 18),
    "Play": (282, 375, 35, 19),
    "Up": (576, 80, 16, 13),
    "Down": (576, 307, 16, 13),
})


def controls(app):
    """Accessible name (with "/box" for check boxes) -> accessible, lists not descended."""
    found = {}

    def walk(node, depth=0):
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is None:
                continue
            role = child.getRoleName()
            key = child.name + ("/box" if role == "check box" else "")
            if child.name and key not in found:
                found[key] = child
            if role not in ("list", "table", "tree", "tree table") and depth < 8:
                walk(child, depth + 1)
    walk(app)
    return found


def client_box(wid):
    """(x, y, width, height) of the client area on the screen, as the X server has it
    (xdotool's position counts the frame's inset twice for a reparented window)."""
    values = {}
    for line in zkx11.sh("xwininfo", "-id", str(wid)).splitlines():
        if ":" in line:
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
    return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
            int(values["Width"]), int(values["Height"]))


def places(app, wid):
    x0, y0, _, _ = client_box(wid)
    acc = controls(app)
    result = {}
    for name in CREATION:
        if name in acc:
            x, y, w, h = zkx11.extents(acc[name])
            result[name] = (x - x0, y - y0, w, h)
    return result


def matches(name, got, expected):
    """A check box's accessible extents are its indicator, which lies inside the control."""
    if got is None:
        return False
    if not name.endswith("/box"):
        return got == expected
    x, y, w, h = got
    ex, ey, ew, eh = expected
    return ex <= x and ey <= y and x + w <= ex + ew and y + h <= ey + eh


def compare_places(app, wid, expected, what):
    """Waits until the places match (the layout follows the resize), then reports each."""
    def all_match():
        got = places(app, wid)
        return all(matches(name, got.get(name), place) for name, place in expected.items())
    try:
        zkx11.wait_for(all_match, timeout=10, what=what)
    except AssertionError:
        pass
    got = places(app, wid)
    for name, place in expected.items():
        t.check(matches(name, got.get(name), place), "%s: %s at %r (expected %r%s)"
                % (what, name, got.get(name), place, ", inside" if name.endswith("/box") else ""))


def client_size(wid):
    return client_box(wid)[2:]


def frame_box(wid):
    """(x, y, w, h) of the window with openbox's frame."""
    x, y, w, h = client_box(wid)
    out = zkx11.sh("xprop", "-id", str(wid), "_NET_FRAME_EXTENTS", check=False)
    if "=" not in out:
        return x, y, w, h
    left, right, top, bottom = [int(v) for v in out.split("=")[1].split(",")]
    return x - left, y - top, w + left + right, h + top + bottom


def shot(name, boxes):
    """A screenshot of the smallest box holding all `boxes`."""
    x0 = min(b[0] for b in boxes)
    y0 = min(b[1] for b in boxes)
    x1 = max(b[0] + b[2] for b in boxes)
    y1 = max(b[1] + b[3] for b in boxes)
    path = os.path.join(shots, name)
    # ImageMagick's import, not xwd: xwd -root shows the About window's client area black.
    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (x1 - x0, y1 - y0, x0, y0),
                    "+repage", path], check=True)
    return path


def click(x, y):
    zkx11.sh("xdotool", "mousemove", str(x), str(y), "click", "1")


def about_open():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + ABOUT_TITLE + "$"],
                         capture_output=True, text=True).stdout.split()
    return int(out[0]) if out else None


def checked(accessible):
    return accessible.getState().contains(pyatspi.STATE_CHECKED)


items = [b"/movies/opening.avi", "/movies/夏休み.avi".encode(), b"/movies/ending.mpg"]
proc = zkx11.start(items, program=program)
wid = zkx11.window_id()
app = zkx11.accessible_app(proc.pid)
zkx11.wait_for(lambda: len(controls(app)) >= len(CREATION), what="the main window's controls")
time.sleep(0.5)

# --- creation ---------------------------------------------------------------------------
t.equal(client_size(wid), (376, 257), "client area at creation")
compare_places(app, wid, CREATION, "creation")
shot("main-window.png", [frame_box(wid)])

# --- the About window -------------------------------------------------------------------
x0, y0, _, _ = client_box(wid)
box = controls(app)["LoopPlayMode/box"]
click(x0 + 45, y0 + 30)  # the banner's strip over the icon's right-most columns
time.sleep(1.0)
t.check(about_open() is None, "a click on the icon's right-most 6 columns opens nothing")

click(x0 + 20, y0 + 20)
about = zkx11.wait_for(about_open, what="the About window")
t.equal(client_size(about), (356, 59), "About window's client area")
# Centred before its frame is known: off by no more than the frame's size.
fx, fy, fw, fh = frame_box(about)
sw, sh = zkx11.screen_size()
t.check(abs(fx + fw // 2 - sw // 2) <= 24 and abs(fy + fh // 2 - sh // 2) <= 24,
        "About window centred on its first showing (frame %d,%d %dx%d on %dx%d)" % (fx, fy, fw, fh, sw, sh))
time.sleep(0.5)
shot("about-window.png", [frame_box(about)])
shot("both-windows.png", [frame_box(wid), frame_box(about)])

# Modal: a click on LoopPlayMode in the main window changes nothing.
before = checked(box)
click(x0 + 60, y0 + 190)
time.sleep(0.5)
t.equal(checked(box), before, "the main window takes no click while the About window is open")

# The window manager offers to minimise it; it comes straight back, or the blocked main
# window would be left with nothing to close.
zkx11.sh("xdotool", "windowminimize", str(about))
time.sleep(1.0)
t.check(zkx11.wait_for(about_open, what="the About window back") is not None,
        "a minimised About window comes back")

# Moved, closed through its caption's command and opened again: where it was left.
# The user drags it by its caption.
first = client_box(about)[:2]
zkx11.sh("xdotool", "mousemove", str(fx + fw // 2), str(fy + 8), "mousedown", "1", "sleep", "0.2",
         "mousemove", str(fx + fw // 2 - 100), str(fy - 100), "sleep", "0.2",
         "mousemove", str(fx + fw // 2 - 300), str(fy - 200), "sleep", "0.3", "mouseup", "1")
zkx11.wait_for(lambda: client_box(about)[:2] != first, what="the About window moved")
moved = client_box(about)[:2]
zkx11.close_via_wm(about)
zkx11.wait_for(lambda: about_open() is None, what="the About window closed")
click(x0 + 60, y0 + 190)
zkx11.wait_for(lambda: checked(box) != before, what="LoopPlayMode toggled after the close")
t.check(True, "the main window takes clicks again once the About window is closed")
click(x0 + 20, y0 + 20)
again = zkx11.wait_for(about_open, what="the About window again")
time.sleep(0.3)
t.equal(client_box(again)[:2], moved, "the About window opens where it was left")
zkx11.close_via_wm(again)
zkx11.wait_for(lambda: about_open() is None, what="the About window closed again")

# --- resizing ---------------------------------------------------------------------------
zkx11.sh("xdotool", "windowsize", str(wid), "600", "400")
zkx11.wait_for(lambda: client_size(wid) == (600, 400), what="client area 600x400")
compare_places(app, wid, AT_600x400, "600x400")
shot("main-window-600x400.png", [frame_box(wid)])

# A user drags the bottom-right corner (Alt + right button, openbox's resize) far inward.
x, y, w, h = client_box(wid)
zkx11.sh("xdotool", "mousemove", str(x + w - 10), str(y + h - 10), "keydown", "alt", "mousedown", "3",
         "sleep", "0.2", "mousemove", str(x + w - 60), str(y + h - 60),
         "sleep", "0.2", "mousemove", str(x + 50), str(y + 40),
         "sleep", "0.3", "mouseup", "3", "keyup", "alt")
time.sleep(1.0)
t.equal(client_size(wid), (376, 257), "dragged far inward, the window stops at its creation size")
# A client asking for less gets no less either.
zkx11.sh("xdotool", "windowsize", str(wid), "200", "100")
time.sleep(1.0)
t.equal(client_size(wid), (376, 257), "asked for 200x100, the window keeps its creation size")
compare_places(app, wid, CREATION, "back at the creation size")

code = zkx11.close_and_wait(proc, wid)
t.equal(code, 0, "exit code after closing")
t.finish()
