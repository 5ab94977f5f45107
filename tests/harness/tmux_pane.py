"""A program run in a terminal: a detached tmux session on a tmux server of its own.

The command line runs in the pane; when it ends, its exit status is written to a
file (whole, by rename) and the pane stays open, so that the screen can be read.
The screen is read once the status is there and, when `ready` is given, once
ready(screen) holds: the program's own output is all drawn before what the caller
waits for, however slowly tmux keeps up, so no pause is guessed. The tmux server
is killed on every way out.
"""

import itertools
import os
import re
import shlex
import shutil
import subprocess
import tempfile
import time

SESSIONS = itertools.count()  # a tmux server of its own for every run
ESCAPES = re.compile(r"\x1b\[[0-9;]*m")


def run_in_pane(command, ready=None, colours=False, rows=None, width=160, timeout=120, what="the program"):
    """Runs the shell line `command` in a 50-row pane `width` columns wide; returns
    (exit status of the line, the screen). With `colours` the screen keeps its colour
    escapes; `rows` (first, last) limits it to those rows."""
    scratch = tempfile.mkdtemp(prefix="ravlin-pane-")
    done = os.path.join(scratch, "status")
    line = f"{command}; echo $? >'{done}.part'; mv '{done}.part' '{done}'; sleep 60"
    server = f"ravlin-pane-{os.getpid()}-{next(SESSIONS)}"
    capture = ["tmux", "-L", server, "capture-pane", "-p"] + (["-e"] if colours else [])
    if rows is not None:
        capture += ["-S", str(rows[0]), "-E", str(rows[1])]
    subprocess.run(["tmux", "-L", server, "new-session", "-d", "-x", str(width), "-y", "50", line], check=True)
    try:
        deadline = time.monotonic() + timeout
        while True:
            if os.path.exists(done):
                screen = subprocess.run(capture, capture_output=True, check=True).stdout.decode(errors="replace")
                if ready is None or ready(screen):
                    with open(done) as f:
                        return int(f.read().strip() or "-1"), screen
            if time.monotonic() > deadline:
                raise RuntimeError(f"{what} did not finish in the terminal")
            time.sleep(0.1)
    finally:
        subprocess.run(["tmux", "-L", server, "kill-server"], capture_output=True)
        shutil.rmtree(scratch, ignore_errors=True)


def shows_end(screen):
    """Whether a row of the screen (colours aside) starts with the word END."""
    return re.search(r"^END\b", ESCAPES.sub("", screen), re.M) is not None


def wine_console_line(env, words, winepath=None):
    """A shell line that runs `words` (the loader first) under Wine with the prefix's
    settings from `env`, no display, and the search path `winepath` or none."""
    names = ("WINEPREFIX", "WINEDEBUG", "WINEARCH", "WINEDLLOVERRIDES")
    settings = [f"{n}={env[n]}" for n in names if n in env] + ([f"WINEPATH={winepath}"] if winepath else [])
    return "env -u DISPLAY -u WINEPATH " + " ".join(shlex.quote(w) for w in settings + list(words))
