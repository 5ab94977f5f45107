"""Stdout and stderr on one file keep the order ravlin wrote them in. `clear device 1
count error` prints its result and then writes the activity log; the log is past its
size limit, and its oldest generation cannot be removed (a folder with a file in it),
so the rotation complains on stderr. The result must come before the complaint,
though stdout is buffered. Runs the Linux build against the simulator, or the
Windows build under Wine.

    stream_order_check.py [--target linux|windows] [--build-dir DIR]
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

from .paths import CASES, SOURCE, build_dir
from .run_cases import LinuxTarget, crlf

SCENARIO = os.path.join(CASES, "settings", "settings.json")
LOG_LIMIT = 15728640  # the size past which the next record rotates the log
ARGS = ["clear", "device", "1", "count", "error"]


def run_both_streams(command, env, cwd):
    """Runs `command` with stdout and stderr on one file; returns the file's bytes."""
    with tempfile.TemporaryFile() as f:
        subprocess.run(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=f, stderr=subprocess.STDOUT,
                       timeout=120)
        f.seek(0)
        return f.read()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--target", choices=["linux", "windows"], default="linux")
    parser.add_argument("--build-dir")
    args = parser.parse_args()

    if args.target == "linux":
        target = LinuxTarget(build_dir(args.build_dir, "linux"))
        log = os.path.join(target.root, "Windows", "System32", "ravlindsm.log")
        shown = log + ".4"
    else:
        from .wine_prefix import WINE64
        from .wine_target import WineTarget

        target = WineTarget(build_dir(args.build_dir, "win64"), SOURCE)
        log = target.prefix.system32("ravlindsm.log")
        shown = "C:\\Windows\\System32\\ravlindsm.log.4"
    stuck = log + ".4"
    cwd = tempfile.mkdtemp(prefix="ravlin-order-")
    try:
        target.reset_files()
        target.load_scenario(SCENARIO)
        os.makedirs(os.path.dirname(log), exist_ok=True)
        with open(log, "wb") as f:
            f.write(b"x" * LOG_LIMIT)
        os.makedirs(stuck)
        with open(os.path.join(stuck, "keep"), "wb") as f:
            f.write(b"k")
        if args.target == "linux":
            out = run_both_streams([target.ravlin] + ARGS, target.env, cwd)
        else:
            out = run_both_streams([WINE64, target.ravlin_exe] + ARGS, target.prefix.env, cwd)
        expected = b"\nSuccessfully reset error counter.\nremove file(" + shown.encode() + b") failed!\n"
        if args.target == "windows":
            expected = crlf(expected)
        rotated = os.path.exists(log + ".1")
    finally:
        shutil.rmtree(stuck, ignore_errors=True)
        for name in (log, log + ".1"):
            if os.path.exists(name):
                os.remove(name)
        shutil.rmtree(cwd, ignore_errors=True)
        target.close()
    ok = out == expected and rotated
    if not ok:
        print(f"FAIL expected {expected!r}{' and a rotated log' if not rotated else ''}\n     got      {out!r}")
    print(f"stream order [{args.target}]: {'passed' if ok else 'failed'}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
