#!/usr/bin/python3
"""The real zukineo on the dummy X server under openbox: its window, its mode list as the
accessibility bus shows it, a close through the window manager, and a start without X."""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zkx11  # noqa: E402

zkx11.run_with_bus()
t = zkx11.Failures()
work = tempfile.mkdtemp(prefix="zk-startup-")
program = zkx11.isolated_program(work)

# Without any X display: exit code 1, no output, the stored playlist untouched.
ini = os.path.join(work, "zukineo.INI")
with open(ini, "wb") as f:
    f.write(b"/movies/kept.avi\r\n")
for name, env in [("DISPLAY unset", {k: v for k, v in os.environ.items() if k != "DISPLAY"}),
                  ("DISPLAY unreachable", dict(os.environ, DISPLAY=":239"))]:
    run = subprocess.run([program, "/movies/x.avi"], env=env, capture_output=True, timeout=30)
    t.equal(run.returncode, 1, name + ": exit code")
    t.equal(run.stdout + run.stderr, b"", name + ": prints nothing")
with open(ini, "rb") as f:
    t.equal(f.read(), b"/movies/kept.avi\r\n", "auto-save file kept")
os.remove(ini)

# A normal start: the window with its caption and the server's sizes, last reported on top.
proc = zkx11.start(program=program)
wid = zkx11.window_id()
t.check(wid is not None, "main window appears with its caption")
app = zkx11.accessible_app(proc.pid)
modes = zkx11.find_accessible(app, "ScreenSize")
expected = [size + "(32)" for size in reversed(zkx11.xrandr_sizes())]
t.equal(zkx11.wait_for(lambda: zkx11.list_items(modes), what="mode lines"), expected, "ScreenSize lines")
playlist = zkx11.find_accessible(app, "PlayList")
t.equal(zkx11.list_items(playlist), [], "empty playlist without arguments or auto-save file")

code = zkx11.close_and_wait(proc, wid)
t.equal(code, 0, "close through the window manager ends with exit code 0")
t.check(os.path.exists(ini), "the close wrote the auto-save playlist file")
t.finish()
