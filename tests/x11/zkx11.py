"""Helpers for the x11 tests: start the real zukineo, find its windows, read its controls
through the accessibility bus (AT-SPI), and close it through the window manager.

Tests that read controls run under `dbus-run-session` (see run_with_bus) so that the
program and the test share one session bus; Qt exports its accessibility tree when
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 is set."""

import os
import subprocess
import sys
import time

ZUKINEO = os.environ.get("ZUKINEO", "")
SOURCE_DIR = os.environ.get("ZK_SOURCE_DIR", "")
BUILD_DIR = os.environ.get("ZK_BUILD_DIR", "")
MAIN_TITLE = 'DirectDraw FullScreen MOVIE Player "zuKINEO"'


def run_with_bus():
    """Re-executes the calling script inside a private session bus, once."""
    if os.environ.get("ZK_ON_BUS") != "1":
        env = dict(os.environ, ZK_ON_BUS="1")
        os.execvpe("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv, env)


def sh(*args, check=True, timeout=30):
    return subprocess.run(list(args), check=check, timeout=timeout, capture_output=True, text=True).stdout


def start(args=(), env=None, program=None):
    """Starts zukineo with the arguments (bytes or str); returns the Popen."""
    environment = dict(os.environ)
    environment["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    environment.update(env or {})
    return subprocess.Popen([program or ZUKINEO] + list(args), env=environment,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def wait_for(predicate, timeout=15.0, step=0.1, what="condition"):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    raise AssertionError("timed out waiting for " + what)


def window_id(title=MAIN_TITLE, timeout=15.0):
    """The X window id of the visible top-level window with exactly this title."""
    def find():
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + _regex(title) + "$"],
                             capture_output=True, text=True).stdout.split()
        return int(out[0]) if out else None
    return wait_for(find, timeout, what="window " + title)


def _regex(text):
    return "".join("\\" + c if c in r".^$*+?()[]{}|\\" else c for c in text)


def geometry(wid):
    """(x, y, width, height) of the window's client area on the screen."""
    out = sh("xdotool", "getwindowgeometry", "--shell", str(wid))
    values = dict(line.split("=", 1) for line in out.split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def close_via_wm(wid):
    sh("wmctrl", "-i", "-c", hex(wid))


def close_and_wait(proc, wid, timeout=20):
    """Closes the window through the window manager; the program's exit code, or None when
    it did not end in time (it is killed then)."""
    close_via_wm(wid)
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        return None


def screen_size():
    # --current: no probe of the outputs, which would hold the server up while tests poll.
    for line in sh("xrandr", "--current").splitlines():
        if " current " in line:
            part = line.split(" current ")[1].split(",")[0]
            w, h = part.split(" x ")
            return int(w), int(h)
    raise AssertionError("no screen size in xrandr")


def screenshot(path):
    # import, not xwd: xwd shows the inside of Qt's windows as black.
    subprocess.run(["import", "-window", "root", path], check=True)


# --- accessibility ---------------------------------------------------------------------

def accessible_app(pid, timeout=15.0):
    import pyatspi

    def find():
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        return None
    return wait_for(find, timeout, what="accessible application")


def find_accessible(root, name, timeout=10.0):
    import pyatspi
    return wait_for(lambda: pyatspi.findDescendant(root, lambda a: a is not None and a.name == name),
                    timeout, what="accessible " + name)


def list_items(listbox):
    """The texts of a list's items."""
    items = []
    for i in range(listbox.childCount):
        child = listbox.getChildAtIndex(i)
        if child is not None and child.getRoleName() in ("list item", "table cell"):
            items.append(child.name)
    return items


def extents(accessible):
    """(x, y, width, height) of an accessible on the screen."""
    import pyatspi
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


class Failures:
    """Collects failed checks so one run reports all of them."""

    def __init__(self):
        self.failed = 0
        self.passed = 0

    def check(self, condition, what):
        if condition:
            self.passed += 1
            print("ok   " + what)
        else:
            self.failed += 1
            print("FAIL " + what)

    def equal(self, actual, expected, what):
        self.check(actual == expected, "%s: %r == %r" % (what, actual, expected))

    def finish(self):
        print("%d passed, %d failed" % (self.passed, self.failed))
        sys.exit(1 if self.failed else 0)


def isolated_program(directory):
    """A copy of zukineo (and its watchdog) in `directory`, so that its auto-save playlist
    file is directory/zukineo.INI and the build's own is left alone."""
    import shutil
    os.makedirs(directory, exist_ok=True)
    program = os.path.join(directory, "zukineo")
    shutil.copy2(ZUKINEO, program)
    watchdog = os.path.join(os.path.dirname(ZUKINEO), "zukineo-watchdog")
    if os.path.exists(watchdog):
        shutil.copy2(watchdog, os.path.join(directory, "zukineo-watchdog"))
    return program


def xrandr_sizes():
    """The distinct sizes of the primary (or first connected) output, in xrandr's order."""
    lines = sh("xrandr").splitlines()
    sizes, inside, chosen = [], False, None
    outputs = [l for l in lines if " connected" in l]
    primary = [l for l in outputs if " connected primary" in l]
    chosen = (primary or outputs)[0].split()[0]
    for line in lines:
        if not line.startswith(" "):
            inside = line.split()[0] == chosen if line.split() else False
            continue
        if inside:
            name = line.split()[0]
            size = name.split("_")[0]
            if "x" in size and size not in sizes:
                sizes.append(size)
    return sizes


def click_accessible(accessible):
    x, y, w, h = extents(accessible)
    sh("xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1")


def select_line(app, list_name, text):
    """Selects the line `text` of a list as a user would: a click on its first visible line,
    Home, then the arrow keys, since the wanted line may lie outside the visible ones."""
    listbox = find_accessible(app, list_name)
    lines = wait_for(lambda: list_items(listbox), what=list_name + " lines")
    x, y, w, h = extents(listbox)
    sh("xdotool", "mousemove", str(x + 8), str(y + 8), "click", "1")
    sh("xdotool", "key", "Home")
    for _ in range(lines.index(text)):
        sh("xdotool", "key", "Down")
