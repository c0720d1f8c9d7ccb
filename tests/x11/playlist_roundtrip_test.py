#!/usr/bin/python3
"""(Debian's python3: pyatspi and GTK come from its packages.)

The playlist in the real program: start with arguments after the stored items, drop two
files with a real drag from another program, close through the window manager, find every
item in build/zukineo.INI with CR LF, and see them again in the list at the next start.

Uses the build's own zukineo, whose auto-save playlist file is build/zukineo.INI; a file
already there is put back afterwards."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zkx11  # noqa: E402

zkx11.run_with_bus()
t = zkx11.Failures()
here = os.path.dirname(os.path.abspath(__file__))
ini = os.path.join(zkx11.BUILD_DIR, "zukineo.INI")
t.equal(os.path.abspath(zkx11.ZUKINEO) + ".INI", os.path.abspath(ini), "the INI is beside the program")

work = tempfile.mkdtemp(prefix="zk-playlist-").encode()
stored = [b"/stored/first.avi", b"", b"/stored/\xe5\x86\x8d\xe7\x94\x9f.mpg"]
arguments = [work + b"/arg one.avi", work + b"/\xff\xfe not utf-8.mpeg", b"relative/" + b"n" * 300 + b".avi"]
after_empty = b"never.avi"  # an empty argument ends the list
dropped = [work + b"/drop one.avi", work + b"/drop-\xfe folder"]
for path in (arguments[0], dropped[0]):
    open(path, "wb").close()
os.mkdir(dropped[1])


def uri(path):
    safe = set(b"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/-_.~")
    return "file://" + "".join(chr(b) if b in safe else "%%%02X" % b for b in path)


def shown(item):
    """The list's readable form of an item: UTF-8, other bytes as \\xNN."""
    return item.decode("utf-8", "backslashreplace")


def playlist_items(proc, expected_count):
    app = zkx11.accessible_app(proc.pid)
    playlist = zkx11.find_accessible(app, "PlayList")
    try:
        return zkx11.wait_for(lambda: (lambda items: items if len(items) == expected_count else None)(
            zkx11.list_items(playlist)), what="%d playlist items" % expected_count)
    except AssertionError:
        return zkx11.list_items(playlist)


def drag(source_wid, target_wid):
    """Presses on the source, moves in steps onto the target window and lets go."""
    sx, sy, sw, sh = zkx11.geometry(source_wid)
    tx, ty, tw, th = zkx11.geometry(target_wid)
    start = (sx + sw // 2, sy + sh // 2)
    end = (tx + tw // 2, ty + th // 2)
    zkx11.sh("xdotool", "mousemove", str(start[0]), str(start[1]))
    time.sleep(0.3)
    zkx11.sh("xdotool", "mousedown", "1")
    for i in range(1, 21):
        x = start[0] + (end[0] - start[0]) * i // 20
        y = start[1] + (end[1] - start[1]) * i // 20
        zkx11.sh("xdotool", "mousemove", str(x), str(y))
        time.sleep(0.05)
    for dx in (1, -1, 1):  # a few moves over the target, so that it answers the position
        zkx11.sh("xdotool", "mousemove", str(end[0] + dx), str(end[1]))
        time.sleep(0.15)
    zkx11.sh("xdotool", "mouseup", "1")


def close(proc, wid):
    zkx11.close_via_wm(wid)
    try:
        return proc.wait(timeout=20)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        return None


saved = None
if os.path.exists(ini):
    with open(ini, "rb") as f:
        saved = f.read()
source = None
try:
    with open(ini, "wb") as f:
        f.write(b"".join(item + b"\r\n" for item in stored))

    # First run: the stored items, then the arguments.
    proc = zkx11.start(arguments + [b"", after_empty])
    wid = zkx11.window_id()
    t.equal(playlist_items(proc, len(stored) + len(arguments)), [shown(i) for i in stored + arguments],
            "stored items, then the arguments up to the empty one")

    # A real drag from another program.
    source = subprocess.Popen([sys.executable, os.path.join(here, "playlist_dragsource.py")] +
                              [uri(p) for p in dropped], stdout=subprocess.PIPE, text=True)
    t.equal(source.stdout.readline().strip(), "ready", "drag source is up")
    source_wid = zkx11.window_id("zk drag source")
    drag(source_wid, wid)
    expected = stored + arguments + dropped
    t.equal(playlist_items(proc, len(expected)), [shown(i) for i in expected], "dropped files appended in order")
    source.terminate()
    source.wait(timeout=10)
    source = None

    code = close(proc, wid)
    t.equal(code, 0, "close through the window manager ends the program")
    with open(ini, "rb") as f:
        written = f.read()
    t.equal(written, b"".join(item + b"\r\n" for item in expected), "every item in zukineo.INI with CR LF")

    # Second run: all of them again, nothing else.
    proc = zkx11.start()
    wid = zkx11.window_id()
    t.equal(playlist_items(proc, len(expected)), [shown(i) for i in expected], "the next start shows them again")
    t.equal(close(proc, wid), 0, "second close")
    with open(ini, "rb") as f:
        t.equal(f.read(), written, "a close without changes writes the same bytes")
finally:
    if source is not None:
        source.kill()
    if saved is None:
        if os.path.exists(ini):
            os.remove(ini)
    else:
        with open(ini, "wb") as f:
            f.write(saved)
    shutil.rmtree(work, ignore_errors=True)
t.finish()
