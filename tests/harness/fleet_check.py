"""The whole chain on this machine, loopback only and bounded to 60 s: three
simulated hosts, each with ravlin writing its .prom file with -o into a folder of
its own, each folder served by a node exporter's textfile collector on its own
127.0.0.1 port, and one Prometheus server scraping the three with the shipped
rules (1 s scrape and evaluation). Through the server's HTTP API: the devices by
verdict across the fleet are the sum of the three hosts' own `query health`
lines, and the SPOF alert fires for exactly the host whose SAN has one; after a
path of that host is set back online, the next collection clears the alert.
Every server the check starts is stopped on every way out.

    python3 -m tests.harness.fleet_check [--build-dir build/linux]
"""

import argparse
import json
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

from .paths import build_dir
from .prometheus_tools import MONITORING, RULES, find_tools

LIMIT = 60.0  # seconds for the whole check
HOSTS = [("host-a", "healthy.json"), ("host-b", "spof.json"), ("host-c", "down.json")]
SPOF_HOST = "host-b"
PERFDATA = re.compile(rb"\| devices=(\d+) down=(\d+) spof=(\d+) degraded=(\d+) no_optimized=(\d+) ")


class Fleet:
    def __init__(self, build, work, tools):
        self.build = build
        self.work = work
        self.tools = tools
        self.started = time.monotonic()
        self.processes = []
        self.hosts = {}

    def left(self):
        return LIMIT - (time.monotonic() - self.started)

    def env(self, host):
        return dict(os.environ, RAVLIN_SIM_ROOT=os.path.join(self.work, host, "root"))

    def run(self, host, *words, check=True):
        p = subprocess.run([os.path.join(self.build, "tools", "ravlin", "ravlin"), *words], env=self.env(host),
                           capture_output=True, timeout=max(1.0, self.left()))
        return p

    def start(self, name, argv):
        log = open(os.path.join(self.work, name + ".log"), "wb")
        # A process group of its own, so that stopping it reaches nothing else.
        p = subprocess.Popen(argv, stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                             start_new_session=True)
        log.close()
        self.processes.append((name, p))
        return p

    def stop_all(self):
        for _, p in self.processes:
            if p.poll() is None:
                p.terminate()
        for _, p in self.processes:
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()

    def log_tail(self, name):
        try:
            with open(os.path.join(self.work, name + ".log"), "rb") as f:
                return f.read()[-800:].decode(errors="replace")
        except OSError:
            return ""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def api(port, path, **params):
    url = f"http://127.0.0.1:{port}/api/v1/{path}"
    if params:
        url += "?" + urllib.parse.urlencode(params)
    with urllib.request.urlopen(url, timeout=2) as r:
        return json.load(r)["data"]


def wait_for(fleet, what, probe):
    """Calls probe() until it returns a true value or the check's time is up."""
    last = None
    while fleet.left() > 0:
        try:
            last = probe()
            if last:
                return last
        except (OSError, ValueError, KeyError):
            pass
        time.sleep(0.25)
    raise TimeoutError(f"{what} within {LIMIT:.0f} s")


def check(fleet):
    dsmsim = os.path.join(fleet.build, "sim", "dsmsim", "dsmsim")
    expected = [0, 0, 0, 0, 0]  # devices, down, spof, degraded, no_optimized
    for host, scenario in HOSTS:
        folder = os.path.join(fleet.work, host, "textfile")
        os.makedirs(folder)
        os.makedirs(os.path.join(fleet.work, host, "root"))
        subprocess.run([dsmsim, "load", os.path.join(MONITORING, scenario)], env=fleet.env(host), check=True,
                       capture_output=True)
        health = fleet.run(host, "query", "health").stdout
        m = PERFDATA.search(health)
        if not m:
            raise AssertionError(f"{host}: no performance data in {health!r}")
        expected = [a + int(b) for a, b in zip(expected, m.groups())]
        p = fleet.run(host, "query", "metrics", "-o", os.path.join(folder, "ravlin.prom"))
        if p.stdout or p.stderr:
            raise AssertionError(f"{host}: query metrics -o printed {p.stdout + p.stderr!r}")
        port = free_port()
        fleet.hosts[host] = f"127.0.0.1:{port}"
        fleet.start(f"exporter-{host}", [fleet.tools["prometheus-node-exporter"],
                                        f"--web.listen-address=127.0.0.1:{port}",
                                        "--collector.disable-defaults", "--collector.textfile",
                                        f"--collector.textfile.directory={folder}"])

    server_port = free_port()
    config = os.path.join(fleet.work, "prometheus.yml")
    with open(config, "w") as f:
        json.dump({"global": {"scrape_interval": "1s", "evaluation_interval": "1s"},
                   "rule_files": [RULES],
                   "scrape_configs": [{"job_name": "ravlin",
                                       "static_configs": [{"targets": list(fleet.hosts.values())}]}]}, f)
    fleet.start("prometheus", [fleet.tools["prometheus"], f"--config.file={config}",
                               f"--storage.tsdb.path={os.path.join(fleet.work, 'tsdb')}",
                               f"--web.listen-address=127.0.0.1:{server_port}"])

    names = ["devices", "DOWN", "SPOF", "DEGRADED", "NO-OPTIMIZED"]

    def fleet_totals():
        result = api(server_port, "query", query="sum by (verdict) (ravlin_devices)")["result"]
        up = api(server_port, "query", query="count(ravlin_up == 1)")["result"]
        if not up or up[0]["value"][1] != str(len(HOSTS)):
            return None
        by = {r["metric"]["verdict"]: int(float(r["value"][1])) for r in result}
        return [sum(by.values())] + [by.get(n, 0) for n in names[1:]]

    totals = wait_for(fleet, "the fleet's devices by verdict", fleet_totals)
    if totals != expected:
        raise AssertionError(f"fleet totals {dict(zip(names, totals))}, the hosts' health lines say "
                             f"{dict(zip(names, expected))}")

    def spof_instances():
        alerts = api(server_port, "alerts")["alerts"]
        return sorted(a["labels"]["instance"] for a in alerts
                      if a["labels"]["alertname"] == "RavlinLunSinglePointOfFailure" and a["state"] == "firing")

    firing = wait_for(fleet, "the SPOF alert", spof_instances)
    if firing != [fleet.hosts[SPOF_HOST]]:
        raise AssertionError(f"SPOF alert fires for {firing}, expected only {fleet.hosts[SPOF_HOST]} ({SPOF_HOST})")

    # The path comes back; the next collection clears the alert.
    p = fleet.run(SPOF_HOST, "set", "device", "1", "path", "1", "online")
    if p.returncode != 0:
        raise AssertionError(f"set device 1 path 1 online: exit {p.returncode}: {p.stdout!r}")
    folder = os.path.join(fleet.work, SPOF_HOST, "textfile")
    p = fleet.run(SPOF_HOST, "query", "metrics", "-o", os.path.join(folder, "ravlin.prom"))
    if p.returncode != 0:
        raise AssertionError(f"{SPOF_HOST}: query metrics after the repair: exit {p.returncode}")
    wait_for(fleet, "the SPOF alert to clear", lambda: spof_instances() == [])
    return totals


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir")
    args = parser.parse_args()
    tools = find_tools("prometheus", "prometheus-node-exporter")
    build = build_dir(args.build_dir, "linux")

    # A termination stops the servers too: it ends in the finally below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    with tempfile.TemporaryDirectory(prefix="ravlin-fleet-") as work:
        fleet = Fleet(build, work, tools)
        try:
            totals = check(fleet)
        except (AssertionError, TimeoutError, subprocess.SubprocessError, OSError) as e:
            print(f"FAIL fleet check: {e}")
            for name, _ in fleet.processes:
                tail = fleet.log_tail(name)
                if tail:
                    print(f"--- {name} (last lines)\n{tail}")
            return 1
        finally:
            fleet.stop_all()
    print(f"fleet check: passed in {time.monotonic() - fleet.started:.1f} s ({len(HOSTS)} hosts, "
          f"{totals[0]} devices: {totals[1]} down, {totals[2]} spof; the SPOF alert fired for {SPOF_HOST} alone "
          f"and cleared after its path came back)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
