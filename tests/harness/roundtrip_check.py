"""A listing saved with `query device ... -json` and compared at once with
`query diff` shows no difference, on several SANs (hostile driver texts among
them) and in each saved scope: the listing writer and the diff reader agree.

    roundtrip_check.py --build-dir build/linux
"""

import argparse
import os
import subprocess
import sys
import tempfile

from .paths import SOURCE, build_dir

SCENARIOS = ["sim/scenarios/sample-san.json", "tests/cases/diff/san.json", "tests/cases/health/health.json",
             "tests/cases/json/hostile.json"]
SCOPES = [[], ["-a"], ["-itype", "fc"], ["-csv"]]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir")
    args = parser.parse_args()
    build = build_dir(args.build_dir, "linux")
    ravlin = os.path.join(build, "tools", "ravlin", "ravlin")
    dsmsim = os.path.join(build, "sim", "dsmsim", "dsmsim")
    failures = 0
    checked = 0
    with tempfile.TemporaryDirectory(prefix="ravlin-roundtrip-") as work:
        env = dict(os.environ, RAVLIN_SIM_ROOT=os.path.join(work, "root"))
        made = subprocess.run([os.path.join(SOURCE, "scripts", "make-san"), "64", "4"], capture_output=True, check=True)
        san = os.path.join(work, "made-san.json")
        with open(san, "wb") as f:
            f.write(made.stdout)
        for scenario in [os.path.join(SOURCE, s) for s in SCENARIOS] + [san]:
            subprocess.run([dsmsim, "load", scenario], env=env, check=True, capture_output=True)
            for scope in SCOPES:
                saved = os.path.join(work, "saved.json")
                with open(saved, "wb") as f:
                    subprocess.run([ravlin, "query", "device", *scope, "-json"], env=env, cwd=work, stdout=f)
                p = subprocess.run([ravlin, "query", "diff", saved], env=env, cwd=work, capture_output=True)
                checked += 1
                if p.returncode != 0 or p.stdout != b"0 differences\n":
                    failures += 1
                    name = os.path.relpath(scenario, SOURCE) if scenario != san else "make-san 64 4"
                    print(f"FAIL {name}, saved with {' '.join(scope + ['-json'])}: exit {p.returncode}")
                    print("    " + (p.stdout + p.stderr).decode(errors="replace").strip().replace("\n", "\n    "))
    print(f"diff round trip: {checked - failures} of {checked} saved listings compare clean")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
