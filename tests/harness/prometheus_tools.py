"""Shared by the monitoring checks: where the Prometheus tools are, and the rule
that a missing tool is a skip (one clear line) unless RAVLIN_REQUIRE_PROMETHEUS is set."""

import os
import shutil
import subprocess
import sys

from .paths import SOURCE

MONITORING = os.path.join(SOURCE, "tests", "monitoring")  # the scenarios of these checks
RULES = os.path.join(SOURCE, "docs", "monitoring", "ravlin-alerts.yml")
SKIP = 77  # ctest's SKIP_RETURN_CODE for these tests


def find_tools(*names):
    """The paths of the named programs, or exits: 77 (skip) when one is missing and
    RAVLIN_REQUIRE_PROMETHEUS is not set, 1 when it is."""
    found = {name: shutil.which(name) for name in names}
    missing = [n for n, p in found.items() if p is None]
    if missing:
        required = os.environ.get("RAVLIN_REQUIRE_PROMETHEUS")
        print(f"{'FAIL' if required else 'SKIP'}: {', '.join(missing)} not installed "
              f"(Debian packages prometheus, prometheus-node-exporter; scripts/setup installs them)")
        sys.exit(1 if required else SKIP)
    return found


def collect(build_dir, root, scenario, extra=()):
    """Loads `scenario` (None: no driver) into the world at `root` and runs
    `ravlin query metrics`; returns (exit status, stdout bytes, stderr bytes)."""
    env = dict(os.environ, RAVLIN_SIM_ROOT=root)
    dsmsim = os.path.join(build_dir, "sim", "dsmsim", "dsmsim")
    ravlin = os.path.join(build_dir, "tools", "ravlin", "ravlin")
    os.makedirs(root, exist_ok=True)
    if scenario is None:
        subprocess.run([dsmsim, "clear"], env=env, check=True, capture_output=True)
    else:
        subprocess.run([dsmsim, "load", scenario], env=env, check=True, capture_output=True)
    p = subprocess.run([ravlin, "query", "metrics", *extra], env=env, capture_output=True, timeout=60)
    return p.returncode, p.stdout, p.stderr
