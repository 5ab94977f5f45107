"""Counts the console writes of ravlin.exe under Wine, exactly: the program runs in
Wine's console inside a detached tmux session, with Wine's relay trace limited to
the calls that reach the console (RelayInclude under HKCU\\Software\\Wine\\Debug),
and the calls of the program's own main thread are counted. The C runtime hands
text to the console with WriteConsoleW (or WriteFile); a colour change is one
SetConsoleTextAttribute, and painting colours on written cells reads and writes
them back (ReadConsoleOutputAttribute, WriteConsoleOutputAttribute) around the
screen's size and cursor (GetConsoleScreenBufferInfo).

    console_writes.py [--build-dir build/win64] [--ravlin PATH] [--devices N]

prints the counts of `query device` on a SAN of N devices with 8 paths, without
and with -k. run_wine_checks.py runs check_console_writes() with the limits: at
most 3 writes per device, with or without -k, and with -k the colours painted in
one call for as many devices as the screen holds (two of 17 rows on the 50-row
pane), at most 2 console calls per device in all.
"""

import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

from .paths import SOURCE, build_dir
from .tmux_pane import run_in_pane, shows_end, wine_console_line
from .wine_prefix import TOOLS_ROOT, WINE64, WinePrefix, install_build

DEBUG_KEY = "HKCU\\Software\\Wine\\Debug"
TRACED = ("WriteFile", "WriteConsoleA", "WriteConsoleW", "SetConsoleTextAttribute",
          "GetConsoleScreenBufferInfo", "ReadConsoleOutputAttribute", "WriteConsoleOutputAttribute")
# Console calls of a coloured device: its write, and its share of its batch's calls:
# the screen's size and cursor before the batch (after it only when the last batch did
# not end where predicted), the cells written with their colours (read back first only
# where rows were there before the writes: not once the screen scrolls), at most one
# change. A batch holds the devices whose rows fit on the screen together.
CALLS_PER_COLOURED_DEVICE = 2
DEVICE_ROWS = 17  # of a device with 8 paths on the 160-column pane, with its blank row
PANE_ROWS = 50
CALL = re.compile(rb"^([0-9a-f]{4}):Call [A-Za-z0-9_]+\.(\w+)\(", re.M)
FIRST_THREAD = re.compile(rb"^([0-9a-f]{4}):", re.M)
WRITES_PER_DEVICE = 3


def trace_counts(log):
    """{function: calls} of the first thread in a relay log: the program's main
    thread (the console host Wine starts for it logs to the same file later)."""
    first = FIRST_THREAD.search(log)
    counts = {name: 0 for name in TRACED}
    if first is None:
        return counts
    for m in CALL.finditer(log):
        if m.group(1) == first.group(1) and m.group(2).decode() in counts:
            counts[m.group(2).decode()] += 1
    return counts


def console_writes(counts):
    return counts["WriteFile"] + counts["WriteConsoleA"] + counts["WriteConsoleW"]


class RelayTrace:
    """The relay filter in the prefix's registry for as long as the object lives
    (close() takes it out again); a trace only runs with WINEDEBUG=+relay."""

    def __init__(self, prefix):
        self.prefix = prefix
        status, _, err = prefix.run(["reg", "add", DEBUG_KEY, "/v", "RelayInclude", "/t", "REG_SZ",
                                     "/d", ";".join(TRACED), "/f"])
        if status != 0:
            raise RuntimeError(f"reg add {DEBUG_KEY} RelayInclude failed: {err!r}")

    def close(self):
        self.prefix.run(["reg", "delete", DEBUG_KEY, "/v", "RelayInclude", "/f"])

    def count(self, program, args, timeout=300):
        """Runs `program args` with stdout on Wine's console in tmux; returns the
        {function: calls} of its main thread and its exit status."""
        scratch = tempfile.mkdtemp(prefix="ravlin-writes-")
        log = os.path.join(scratch, "relay.log")
        try:
            # stderr (the trace) goes to a file; stdout stays on the console.
            line = wine_console_line(dict(self.prefix.env, WINEDEBUG="+relay"), [WINE64, program] + list(args))
            status, _ = run_in_pane(f"{line} 2>{shlex.quote(log)}", timeout=timeout, what=program)
            with open(log, "rb") as f:
                return trace_counts(f.read()), status
        finally:
            shutil.rmtree(scratch, ignore_errors=True)


def load_san(prefix, dsmsim, devices, folder):
    path = os.path.join(folder, f"san{devices}.json")
    with open(path, "wb") as f:
        subprocess.run([sys.executable, os.path.join(SOURCE, "scripts", "make-san"), str(devices), "8"],
                       stdout=f, check=True)
    status, _, err = prefix.run([dsmsim, "load", WinePrefix.windows_path(path)])
    if status != 0:
        raise RuntimeError(f"dsmsim.exe load {path} failed: {err!r}")


def measure(prefix, ravlin, dsmsim, devices):
    """(counts without -k, counts with -k) of `query device` on `devices` devices."""
    folder = tempfile.mkdtemp(prefix="ravlin-writes-san-")
    trace = RelayTrace(prefix)
    try:
        load_san(prefix, dsmsim, devices, folder)
        plain, plain_status = trace.count(ravlin, ["query", "device"])
        coloured, coloured_status = trace.count(ravlin, ["query", "device", "-k"])
        if plain_status != 0 or coloured_status != 0:
            raise RuntimeError(f"query device exited {plain_status}, with -k {coloured_status}")
        return plain, coloured
    finally:
        trace.close()
        for name in os.listdir(folder):
            os.remove(os.path.join(folder, name))
        os.rmdir(folder)


def console_calls(counts):
    return sum(counts.values())


def describe(devices, plain, coloured):
    return (f"{devices} devices: {console_writes(plain)} console writes without -k; "
            f"{console_writes(coloured)} with -k, {coloured['SetConsoleTextAttribute']} colour changes, "
            f"{console_calls(coloured)} console calls in all")


def check_console_writes(prefix, checks, dsmsim, devices=16):
    """The limits, on a SAN of `devices` devices with 8 paths each."""
    ravlin = os.path.join(prefix.build_dir, "tools", "ravlin", "ravlin.exe")
    plain, coloured = measure(prefix, ravlin, dsmsim, devices)
    print("console writes: " + describe(devices, plain, coloured))
    writes = console_writes(plain)
    checks.expect(0 < writes <= WRITES_PER_DEVICE * devices,
                  f"query device on the console: {writes} writes for {devices} devices "
                  f"(at most {WRITES_PER_DEVICE} each)")
    writes = console_writes(coloured)
    calls = console_calls(coloured)
    painted = coloured["WriteConsoleOutputAttribute"]
    # Colours are painted on the cells the writes filled, a screenful of devices at a time.
    batches = -(-devices // (PANE_ROWS // DEVICE_ROWS))
    checks.expect(0 < writes <= WRITES_PER_DEVICE * devices and 0 < painted <= batches + 1
                  and calls <= CALLS_PER_COLOURED_DEVICE * devices + 4,
                  f"query device -k on the console: {writes} writes, {painted} paints and {calls} console "
                  f"calls for {devices} devices (at most {WRITES_PER_DEVICE} writes each, "
                  f"{batches + 1} paints, {CALLS_PER_COLOURED_DEVICE} calls each)")


def pane_text(prefix, program, args, tools=True, timeout=120):
    """What `program args` shows in Wine's console in tmux (the HBA tool on the search
    path when `tools`), as the pane's lines, trailing blanks dropped."""
    line = wine_console_line(prefix.env, [WINE64, program] + list(args), TOOLS_ROOT + "\\fenmar" if tools else None)
    # The pane has everything once END shows in it: wait for that, not for a while.
    _, screen = run_in_pane(f"{line} 2>/dev/null; echo END", ready=shows_end, timeout=timeout, what=program)
    return [row.rstrip() for row in screen.splitlines()]


def check_console_nul_bytes(prefix, checks, dsmsim):
    """`query wwpn` on the console: the HBA tool writes a NUL after each port name;
    everything after it must still be shown (Wine's runtime drops the rest of a
    console write from its first NUL)."""
    ravlin = os.path.join(prefix.build_dir, "tools", "ravlin", "ravlin.exe")
    scenario = os.path.join(SOURCE, "sim", "scenarios", "sample-san.json")
    status, _, err = prefix.run([dsmsim, "load", WinePrefix.windows_path(scenario)])
    checks.expect(status == 0, "dsmsim.exe load sample-san.json", err)
    lines = pane_text(prefix, ravlin, ["query", "wwpn"])
    shown = [line.split() for line in lines if line.strip()]
    expected = [["Adapter", "Name", "PortWWN"], ["Scsi", "Port4:", "21000A0B0C001A00"],
                ["Scsi", "Port5:", "21010A0B0C001A00"], ["END"]]
    checks.expect(shown == expected, "query wwpn on the console shows every port after the NUL",
                  "\n".join(lines).encode())


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir")
    parser.add_argument("--ravlin", help="another ravlin.exe to count (default: the build's)")
    parser.add_argument("--devices", type=int, default=16)
    options = parser.parse_args()
    prefix = WinePrefix(build_dir(options.build_dir, "win64"))
    ravlin = options.ravlin or os.path.join(prefix.build_dir, "tools", "ravlin", "ravlin.exe")
    dsmsim = os.path.join(prefix.build_dir, "sim", "dsmsim", "dsmsim.exe")
    prefix.prepare()
    install_build(prefix)
    prefix.start()
    try:
        plain, coloured = measure(prefix, os.path.abspath(ravlin), dsmsim, options.devices)
    finally:
        prefix.stop()
    print(describe(options.devices, plain, coloured))
    print(f"  without -k: {plain}")
    print(f"  with -k:    {coloured}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
