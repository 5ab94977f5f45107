"""Kills disk_probe while it rewrites a large volume-name cache over and over, many
times, and checks after every kill that the cache is whole: it parses, holds every
entry, and names the churned device with either the old or the new name.

    cache_crash_test.py BUILD_DIR [KILLS]            the Linux build
    cache_crash_test.py --wine BUILD_DIR [KILLS]     the Windows build in its Wine prefix

KILLS is how many kills must land while the writer is rewriting, which the writer's
own reports prove (a completed rewrite before the kill, or a temporary file left
behind), not a guess at timing: the delay before a kill grows until kills land, within
a bounded time. It fails when a file is lost, or when too few kills landed in time.
With --writer churn-in-place --expect-loss it runs the broken writer that rewrites
the file in place, and passes only if that loses a file.
"""

import argparse
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
        from .wine_prefix import WINE64, WinePrefix

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


def cache_is_whole(text, entries):
    """The file parses, holds every entry, and names the churned device A or B."""
    try:
        disk = json.loads(text)["disk"]
        names = {e["wwid"]: e["vdisk_name"] for e in disk}
    except (ValueError, KeyError, TypeError):
        return False
    return len(disk) == ENTRIES + 1 and names.get(WWID) in ("A", "B") and \
        all(names.get(e["wwid"]) == e["vdisk_name"] for e in entries[:-1])


def temporary_files(folder):
    return [name for name in os.listdir(folder) if name.endswith(".tmp")]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--wine", action="store_true", help="the Windows build in its Wine prefix")
    parser.add_argument("--writer", choices=["churn", "churn-in-place"], default="churn",
                        help="churn-in-place is the broken writer that the test must catch")
    parser.add_argument("--expect-loss", action="store_true",
                        help="pass only when some file is lost (the control run of the broken writer)")
    parser.add_argument("--seconds", type=float, default=None, help="time allowed to gather the kills")
    parser.add_argument("build_dir")
    parser.add_argument("kills", type=int, nargs="?", default=200,
                        help="kills that must land in a rewrite")
    args = parser.parse_args()
    wine = args.wine
    build = WineBuild(args.build_dir) if wine else LinuxBuild(os.path.abspath(args.build_dir))
    cache = build.cache
    folder = os.path.dirname(cache)
    budget = args.seconds if args.seconds is not None else (600.0 if wine else 240.0)
    # The first guess at how long the writer needs to be writing; a kill that comes
    # before its first completed rewrite and leaves no temporary file makes it longer.
    delay = 0.15 if wine else 0.005
    entries = [{"wwid": f"QVR70B{i:07d}", "vdisk_name": f"volume-{i:05d}"} for i in range(ENTRIES)]
    entries.append({"wwid": WWID, "vdisk_name": "A"})
    with open(cache, "w") as f:
        json.dump({"disk": entries}, f)

    rng = random.Random(9)
    kills = hits = after_rewrite = temp_left = lost = changed = 0
    last = None
    started = time.monotonic()
    try:
        while hits < args.kills and time.monotonic() - started < budget:
            with tempfile.TemporaryFile() as out:  # never a pipe: Wine's services would hold it open
                p = build.start([args.writer, WWID, "1000000"], out)
                time.sleep(rng.uniform(delay, 2 * delay))
                p.send_signal(signal.SIGKILL)
                p.wait()
                out.seek(0)
                completed = out.read().count(b"saved")
            kills += 1
            left = temporary_files(folder)
            # Evidence that the kill found the writer inside its rewrite loop: a rewrite
            # had already completed (the next was under way), or a temporary file is left.
            if completed or left:
                hits += 1
                after_rewrite += completed > 0
                temp_left += bool(left)
            else:
                delay *= 1.5
            try:
                with open(cache, "rb") as f:
                    text = f.read()
            except OSError:
                text = b""
            changed += text != last
            last = text
            lost += not cache_is_whole(text, entries)
            # A killed writer may leave its temporary file; the cache never depends on it.
            for name in left:
                os.remove(os.path.join(folder, name))
    finally:
        build.close()
    elapsed = time.monotonic() - started
    print(f"cache crash test [{'windows' if wine else 'linux'}, {args.writer}]: {kills} kills in {elapsed:.0f} s, "
          f"{hits} landed in a rewrite ({after_rewrite} after a completed rewrite, {temp_left} left a temporary file), "
          f"{changed} found the file rewritten since the check before, {lost} files lost; "
          f"delay settled at {delay * 1000:.0f}-{delay * 2000:.0f} ms")
    if args.expect_loss:
        if lost:
            return 0
        print("the broken writer lost no file: the test would not see a loss")
        return 1
    if lost:
        return 1
    if hits < args.kills:
        # Kills that never met a rewrite prove nothing, so too few of them is a failure too.
        print(f"only {hits} of the {args.kills} kills landed in a rewrite within {budget:.0f} s")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
