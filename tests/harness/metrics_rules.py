"""The shipped alert rules against documents ravlin itself prints: four hosts
(healthy, a LUN without redundancy, a LUN down, a healthy host whose collection
stopped) and a fifth whose health cannot be judged. Each document must lint clean
(`promtool check metrics`); the rule file must check clean; and `promtool test
rules` must see each alert fire exactly where it must and nowhere else.

    python3 -m tests.harness.metrics_rules [--build-dir build/linux]
"""

import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

from .paths import build_dir
from .prometheus_tools import MONITORING, RULES, collect, find_tools

SAMPLE = re.compile(r'^([a-zA-Z_:][a-zA-Z0-9_:]*)(\{.*\})? (\S+)$')
MINUTES = 10      # series length, one sample a minute
EVAL = "8m"       # the stale host stopped after 2 minutes: 6 minutes old by then


def series(document, instance, stops_at=None):
    """input_series of promtool test from one document: each sample held constant,
    the collection timestamp moving with the clock (or stopping at `stops_at` minutes)."""
    out = []
    for line in document.decode().splitlines():
        if line.startswith("#"):
            continue
        m = SAMPLE.match(line)
        if not m:
            raise ValueError(f"not a sample line: {line!r}")
        name, labels, value = m.groups()
        inner = labels[1:-1] + "," if labels else ""
        selector = f'{name}{{{inner}instance="{instance}"}}'
        if name == "ravlin_last_collect_timestamp_seconds":
            if stops_at is None:
                values = f"0+60x{MINUTES}"
            else:
                values = f"0+60x{stops_at} {60 * stops_at}x{MINUTES - stops_at}"
        else:
            values = f"{value}x{MINUTES}"
        out.append({"series": selector, "values": values})
    return out


def alert(name, labels, description, summary, severity):
    return {"exp_labels": dict(labels, severity=severity), "exp_annotations": {"summary": summary, "description": description}}


def lun(instance, serial, name, device):
    return {"instance": instance, "serial": serial, "name": name, "device": device}


def expected_alerts():
    down = lun("host-down", "DOWN0", "Disk1 Part1", "0")
    spof = lun("host-spof", "SPOF1", "Disk2 Part2", "1")
    return {
        "RavlinLunDown": [alert("RavlinLunDown", dict(down, verdict="DOWN"),
            "Host host-down: LUN DOWN0 (Disk1 Part1, device 0) has no active path: I/O to it fails.",
            "LUN DOWN0 down on host-down", "critical")],
        "RavlinLunSinglePointOfFailure": [alert("x", dict(spof, verdict="SPOF"),
            "Host host-spof: LUN SPOF1 (Disk2 Part2, device 1) is a single point of failure: one path, one adapter or one storage port carries all its I/O.",
            "LUN SPOF1 without redundancy on host-spof", "warning")],
        "RavlinLunDegraded": [],
        "RavlinPathFailed": [alert("x", dict(down, kind="failed"),
            "Host host-down: LUN DOWN0 (Disk1 Part1, device 0) has 2 failed path(s).",
            "Failed path of LUN DOWN0 on host-down", "warning")],
        "RavlinHealthUnknown": [alert("x", {"instance": "host-unknown"},
            "Host host-unknown: ravlin could not judge the multipath health (no driver, or a device record could not be read); run ravlin query health there for the reason.",
            "Multipath health unknown on host-unknown", "critical")],
        "RavlinMetricsStale": [alert("x", {"instance": "host-stale"},
            "Host host-stale: the last ravlin collection is 6m 0s old; the scheduled task that runs ravlin query metrics has stopped or fails.",
            "No multipath collection on host-stale for 5 minutes", "warning")],
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir")
    args = parser.parse_args()
    build = build_dir(args.build_dir, "linux")
    tools = find_tools("promtool")
    promtool = tools["promtool"]
    problems = []

    p = subprocess.run([promtool, "check", "rules", RULES], capture_output=True, text=True)
    if p.returncode != 0:
        problems.append(f"promtool check rules: {p.stdout}{p.stderr}")

    hosts = [("host-ok", "healthy.json", 0, None), ("host-spof", "spof.json", 1, None),
             ("host-down", "down.json", 2, None), ("host-stale", "healthy.json", 0, 2),
             ("host-unknown", None, 3, None)]
    with tempfile.TemporaryDirectory(prefix="ravlin-rules-") as work:
        input_series = []
        for instance, scenario, status, stops_at in hosts:
            path = os.path.join(MONITORING, scenario) if scenario else None
            code, out, err = collect(build, os.path.join(work, instance), path)
            if code != status:
                problems.append(f"{instance}: exit status {code}, expected {status}; stderr {err!r}")
            lint = subprocess.run([promtool, "check", "metrics"], input=out, capture_output=True)
            if lint.returncode != 0 or lint.stdout or lint.stderr:
                problems.append(f"{instance}: promtool check metrics: {(lint.stdout + lint.stderr).decode()}")
            input_series += series(out, instance, stops_at)

        tests = {
            "rule_files": [RULES],
            "evaluation_interval": "1m",
            "tests": [{
                "interval": "1m",
                "input_series": input_series,
                "alert_rule_test": [{"eval_time": EVAL, "alertname": name, "exp_alerts": alerts}
                                    for name, alerts in expected_alerts().items()],
            }],
        }
        test_file = os.path.join(work, "ravlin-alerts-test.yml")
        with open(test_file, "w") as f:
            json.dump(tests, f, indent=1)  # JSON is YAML
        p = subprocess.run([promtool, "test", "rules", test_file], capture_output=True, text=True)
        if p.returncode != 0:
            problems.append(f"promtool test rules:\n{p.stdout}{p.stderr}")

    for problem in problems:
        print("FAIL " + problem)
    print(f"rule tests: {'failed' if problems else 'passed'} ({len(hosts)} hosts, {len(expected_alerts())} alerts)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
