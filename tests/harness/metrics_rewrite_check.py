"""`query metrics -o FILE` replaces FILE in one step: while ravlin rewrites it 200
times, a reader that reads it over and over must only ever see whole documents
(the first line of a document through its last), never a truncated or empty
file, and no temporary file may be left in the folder. The verdict depends on
what was read, never on timing.

    python3 -m tests.harness.metrics_rewrite_check [--build-dir build/linux] [REWRITES]
"""

import argparse
import os
import subprocess
import sys
import tempfile
import threading

from .paths import build_dir
from .prometheus_tools import MONITORING

FIRST = b"# HELP ravlin_up "
LAST_METRIC = b"\nravlin_adapter_errors_total{"


def whole(data):
    if not data.startswith(FIRST) or not data.endswith(b"\n"):
        return False
    last_line = data[data.rstrip(b"\n").rfind(b"\n"):]
    return last_line.startswith(LAST_METRIC)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir")
    parser.add_argument("rewrites", nargs="?", type=int, default=200)
    args = parser.parse_args()
    build = build_dir(args.build_dir, "linux")
    ravlin = os.path.join(build, "tools", "ravlin", "ravlin")
    dsmsim = os.path.join(build, "sim", "dsmsim", "dsmsim")

    with tempfile.TemporaryDirectory(prefix="ravlin-rewrite-") as work:
        env = dict(os.environ, RAVLIN_SIM_ROOT=os.path.join(work, "root"))
        os.makedirs(env["RAVLIN_SIM_ROOT"])
        subprocess.run([dsmsim, "load", os.path.join(MONITORING, "spof.json")], env=env, check=True,
                       capture_output=True)
        folder = os.path.join(work, "textfile")
        os.makedirs(folder)
        target = os.path.join(folder, "ravlin.prom")
        with open(target, "wb") as f:  # an old document to begin with, as a collector would find it
            f.write(subprocess.run([ravlin, "query", "metrics"], env=env, capture_output=True).stdout)

        done = threading.Event()
        reads, broken = [0], []

        def reader():
            while not done.is_set():
                with open(target, "rb") as f:
                    data = f.read()
                reads[0] += 1
                if not whole(data) and len(broken) < 3:
                    broken.append(data[-120:])

        thread = threading.Thread(target=reader)
        thread.start()
        failures = []
        try:
            for _ in range(args.rewrites):
                p = subprocess.run([ravlin, "query", "metrics", "-o", target], env=env, capture_output=True,
                                   timeout=60)
                if p.returncode != 1 or p.stdout or p.stderr:
                    failures.append(f"exit {p.returncode}, output {p.stdout + p.stderr!r}")
                    break
        finally:
            done.set()
            thread.join()
        left = sorted(set(os.listdir(folder)) - {"ravlin.prom"})

    problems = failures + [f"a reader saw a partial document ending in {b!r}" for b in broken]
    if left:
        problems.append(f"files left beside the document: {left}")
    for p in problems:
        print("FAIL " + p)
    print(f"metrics rewrite check: {args.rewrites} rewrites, {reads[0]} reads, "
          f"{'failed' if problems else 'every read a whole document'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
