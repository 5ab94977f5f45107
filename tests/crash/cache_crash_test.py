#!/usr/bin/env python3
"""Kills disk_probe while it rewrites a large volume-name cache over and over, many
times, and checks after every kill that the cache is whole: it parses, holds every
entry, and names the churned device with either the old or the new name.

    cache_crash_test.py BUILD_DIR [KILLS]            the Linux build
    cache_crash_test.py --wine BUILD_DIR [KILLS]     the Windows build in its Wine prefix
"""

import json
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ENTRIES = 3000
WWID = "QVR70A0004400"


class LinuxBuild:
    def __init__(self, build_dir):
        self.probe = os.path.join(build_dir, "tests", "probe", "disk_probe")
        self.root = tempfile.mkdtemp(prefix="ravlin-crash-")
        self.cache = os.path.join(self.root, "Windows", "System32", "ravlindsm_config.json")
        os.makedirs(os.path.dirname(self.cache))
        self.env = dict(os.environ, RAVLIN_SIM_ROOT=self.root)

    def start(self, args, out):
        return subprocess.Popen([self.probe] + args, env=self.env, stdout=out, stderr=out)

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)


class WineBuild:
    """disk_probe.exe in the build tree's prefix, with one persistent server; the
    process killed is the Windows program itself (the loader becomes it)."""

    def __init__(self, build_dir):
        sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cases"))
        from wine_prefix import WINE64, WinePrefix

        self.loader = WINE64
        self.prefix = WinePrefix(build_dir)
        self.prefix.prepare()
        self.prefix.start()
        self.probe = os.path.join(self.prefix.build_dir, "tests", "probe", "disk_probe.exe")
        self.cache = self.prefix.system32("ravlindsm_config.json")
        self.env = self.prefix.env

    def start(self, args, out):
        return subprocess.Popen([self.loader, self.probe] + args, env=self.env, stdin=subprocess.DEVNULL,
                                stdout=out, stderr=out)

    def close(self):
        try:
            os.remove(self.cache)
        except FileNotFoundError:
            pass
        self.prefix.stop()


def main():
    args = sys.argv[1:]
    wine = bool(args) and args[0] == "--wine"
    if wine:
        args = args[1:]
    build_dir = args[0]
    kills = int(args[1]) if len(args) > 1 else 200
    build = WineBuild(build_dir) if wine else LinuxBuild(build_dir)
    cache = build.cache
    # Wine's start-up takes longer than a native one: give the writer time to be writing.
    low, high = (0.15, 0.6) if wine else (0.005, 0.08)
    entries = [{"wwid": f"QVR70B{i:07d}", "vdisk_name": f"volume-{i:05d}"} for i in range(ENTRIES)]
    entries.append({"wwid": WWID, "vdisk_name": "A"})
    with open(cache, "w") as f:
        json.dump({"disk": entries}, f)

    rng = random.Random(9)
    checked = lost = changed = 0
    last = None
    out = tempfile.TemporaryFile()  # never a pipe: Wine's services would hold it open
    try:
        for _ in range(kills):
            p = build.start(["churn", WWID, "1000000"], out)
            time.sleep(rng.uniform(low, high))
            p.send_signal(signal.SIGKILL)
            p.wait()
            checked += 1
            try:
                with open(cache, "rb") as f:
                    text = f.read()
                changed += text != last
                last = text
                disk = json.loads(text)["disk"]
                names = {e["wwid"]: e["vdisk_name"] for e in disk}
                whole = len(disk) == ENTRIES + 1 and names.get(WWID) in ("A", "B") and \
                    all(names.get(e["wwid"]) == e["vdisk_name"] for e in entries[:-1])
            except (OSError, ValueError, KeyError, TypeError):
                whole = False
            if not whole:
                lost += 1
            # A killed writer may leave its temporary file; the cache never depends on it.
            for name in os.listdir(os.path.dirname(cache)):
                if name.endswith(".tmp"):
                    os.remove(os.path.join(os.path.dirname(cache), name))
    finally:
        out.close()
        build.close()
    print(f"cache crash test [{'windows' if wine else 'linux'}]: {kills} kills, {checked} files checked, "
          f"{changed} found rewritten since the check before, {lost} files lost")
    # A run in which the writer never got to write would prove nothing.
    return 0 if lost == 0 and checked == kills and changed > kills // 4 else 1


if __name__ == "__main__":
    sys.exit(main())
