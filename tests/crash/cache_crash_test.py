#!/usr/bin/env python3
"""Kills disk_probe while it rewrites a large volume-name cache over and over, many
times, and checks after every kill that the cache is whole: it parses, holds every
entry, and names the churned device with either the old or the new name.

    cache_crash_test.py BUILD_DIR [KILLS]
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


def main():
    build_dir = sys.argv[1]
    kills = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    probe = os.path.join(build_dir, "tests", "probe", "disk_probe")
    root = tempfile.mkdtemp(prefix="ravlin-crash-")
    cache = os.path.join(root, "Windows", "System32", "ravlindsm_config.json")
    os.makedirs(os.path.dirname(cache))
    env = dict(os.environ, RAVLIN_SIM_ROOT=root)
    entries = [{"wwid": f"QVR70B{i:07d}", "vdisk_name": f"volume-{i:05d}"} for i in range(ENTRIES)]
    entries.append({"wwid": WWID, "vdisk_name": "A"})
    with open(cache, "w") as f:
        json.dump({"disk": entries}, f)

    rng = random.Random(9)
    checked = lost = 0
    try:
        for _ in range(kills):
            p = subprocess.Popen([probe, "churn", WWID, "1000000"], env=env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0.005, 0.08))
            p.send_signal(signal.SIGKILL)
            p.wait()
            checked += 1
            try:
                with open(cache, "rb") as f:
                    disk = json.loads(f.read())["disk"]
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
        shutil.rmtree(root, ignore_errors=True)
    print(f"cache crash test: {kills} kills, {checked} files checked, {lost} files lost")
    return 0 if lost == 0 and checked == kills else 1


if __name__ == "__main__":
    sys.exit(main())
