#!/usr/bin/env python3
"""Program-level cases: scenario + command line -> exact stdout, exit status,
activity-log lines and the requests the driver received.

Each *.case file under this folder is one run of ravlin. Format:

    # comment
    scenario: sample-san            scenario in sim/scenarios (without .json), a file
                                    beside the case (name.json), or none
    fault: IOCTL_DSM_GET_COUNTS --error 31    (any number: arguments of `dsmsim fault add`)
    file: vdqessmap.out             a file created in the working folder (empty, or
    file: name = text               holding the text)
    cache: {"disk": [...]}          the volume-name cache file holds this text
    run: query wwpn x               the words after the program name (shell quoting)
    status: -1                      exit status; compared as the low byte
    only: linux -- reason           a case that cannot mean the same on both builds
    == stdout                       exact bytes up to the next "== " line; a line
    ...                             "@usage" stands for the usage text
    == journal                      `dsmsim journal` lines, compared exactly
    == log                          activity-log records, timestamps masked as MM/DD hh:mm:ss
    == stderr

A section header may end in "(no final newline)" to drop the last line end.
Sections left out are not compared. Windows expectations are the same with
line ends as CR LF on stdout, stderr and the log (the runtime writes text mode).
"""

import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
USAGE = open(os.path.join(HERE, "usage.txt"), encoding="utf-8").read()
TIMESTAMP = re.compile(rb"^\d\d/\d\d \d\d:\d\d:\d\d ", re.M)


class Case:
    def __init__(self, path):
        self.path = path
        self.name = os.path.relpath(path, HERE)
        self.scenario = None
        self.faults = []
        self.files = []
        self.cache = None
        self.args = []
        self.status = 0
        self.only = None
        self.sections = {}
        self._parse(open(path, encoding="utf-8").read())

    def _parse(self, text):
        current = None
        for line in text.splitlines(keepends=True):
            if line.startswith("== "):
                header = line[3:].strip()
                strip_end = header.endswith("(no final newline)")
                name = header.split()[0]
                current = [name, strip_end, []]
                self.sections[name] = current
                continue
            if current is not None:
                current[2].append(line)
                continue
            stripped = line.strip()
            if not stripped or stripped.startswith("#"):
                continue
            key, _, value = stripped.partition(":")
            value = value.strip()
            if key == "scenario":
                self.scenario = None if value == "none" else value
            elif key == "fault":
                self.faults.append(shlex.split(value))
            elif key == "file":
                name, _, content = value.partition("=")
                self.files.append((name.strip(), content.strip()))
            elif key == "cache":
                self.cache = value
            elif key == "run":
                self.args = shlex.split(value)
            elif key == "status":
                self.status = int(value)
            elif key == "only":
                self.only = value.split("--")[0].strip()
            else:
                raise ValueError(f"{self.path}: unknown key {key!r}")
        for name, section in list(self.sections.items()):
            _, strip_end, lines = section
            body = "".join(USAGE if l == "@usage\n" else l for l in lines)
            if strip_end and body.endswith("\n"):
                body = body[:-1]
            self.sections[name] = body.encode("utf-8")


class LinuxTarget:
    """The native build against the simulator in a scratch RAVLIN_SIM_ROOT."""

    name = "linux"

    def __init__(self, build_dir):
        self.ravlin = os.path.join(build_dir, "tools", "ravlin", "ravlin")
        self.dsmsim_exe = os.path.join(build_dir, "sim", "dsmsim", "dsmsim")
        self.root = tempfile.mkdtemp(prefix="ravlin-cases-")
        self.env = dict(os.environ, RAVLIN_SIM_ROOT=self.root)

    def reset_files(self):
        shutil.rmtree(self.root, ignore_errors=True)
        os.makedirs(self.root)

    def dsmsim(self, args):
        p = subprocess.run([self.dsmsim_exe] + args, env=self.env, capture_output=True)
        return p.returncode, p.stdout, p.stderr

    def load_scenario(self, path):
        status, _, err = self.dsmsim(["load", path])
        if status != 0:
            raise RuntimeError(f"dsmsim load {path}: {err.decode(errors='replace')}")

    def run_ravlin(self, args, cwd):
        p = subprocess.run([self.ravlin] + args, env=self.env, cwd=cwd, capture_output=True, timeout=60)
        return p.returncode & 0xFF, p.stdout, p.stderr

    def journal_text(self):
        _, out, _ = self.dsmsim(["journal"])
        return out

    def write_cache(self, text):
        folder = os.path.join(self.root, "Windows", "System32")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "ravlindsm_config.json"), "w", encoding="utf-8") as f:
            f.write(text)

    def activity_log(self):
        path = os.path.join(self.root, "Windows", "System32", "ravlindsm.log")
        try:
            return open(path, "rb").read()
        except FileNotFoundError:
            return b""

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)


def crlf(data):
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def scenario_path(case):
    """A name ending in .json is a file beside the case; any other names a shipped scenario."""
    if case.scenario.endswith(".json"):
        return os.path.join(os.path.dirname(case.path), case.scenario)
    return os.path.join(SOURCE, "sim", "scenarios", case.scenario + ".json")


def run_case(case, target):
    target.reset_files()
    if case.scenario:
        target.load_scenario(scenario_path(case))
    else:
        target.dsmsim(["clear"])
    for fault in case.faults:
        status, _, err = target.dsmsim(["fault", "add"] + fault)
        if status != 0:
            return [f"fault {fault}: {err.decode(errors='replace').strip()}"]
    if case.cache is not None:
        target.write_cache(case.cache)
    cwd = tempfile.mkdtemp(prefix="ravlin-cwd-")
    try:
        for name, content in case.files:
            with open(os.path.join(cwd, name), "w", encoding="utf-8") as f:
                f.write(content)
        status, out, err = target.run_ravlin(case.args, cwd)
    finally:
        shutil.rmtree(cwd, ignore_errors=True)

    windows = target.name == "windows"
    problems = []
    if status != case.status & 0xFF:
        problems.append(f"exit status {status}, expected {case.status & 0xFF}")
    checks = {"stdout": out, "stderr": err}
    for name in ("stdout", "stderr"):
        if name in case.sections:
            expected = crlf(case.sections[name]) if windows else case.sections[name]
            if checks[name] != expected:
                problems.append(f"{name} differs:\n--- expected\n{expected!r}\n--- actual\n{checks[name]!r}")
    if "journal" in case.sections:
        actual = target.journal_text().replace(b"\r\n", b"\n")
        if actual != case.sections["journal"]:
            problems.append(f"journal differs:\n--- expected\n{case.sections['journal'].decode()}--- actual\n{actual.decode()}")
    if "log" in case.sections:
        actual = TIMESTAMP.sub(b"MM/DD hh:mm:ss ", target.activity_log())
        expected = crlf(case.sections["log"]) if windows else case.sections["log"]
        if actual != expected:
            problems.append(f"log differs:\n--- expected\n{expected!r}\n--- actual\n{actual!r}")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--target", choices=["linux", "windows"], default="linux")
    parser.add_argument("--build-dir", help="build tree of the target (default build/linux or build/win64)")
    parser.add_argument("--filter", default="", help="run only cases whose name contains this text")
    args = parser.parse_args()

    if args.target == "linux":
        target = LinuxTarget(args.build_dir or os.path.join(SOURCE, "build", "linux"))
    else:
        sys.path.insert(0, HERE)
        from wine_target import WineTarget

        target = WineTarget(args.build_dir or os.path.join(SOURCE, "build", "win64"), SOURCE)

    cases = []
    for folder, _, files in os.walk(HERE):
        cases += [Case(os.path.join(folder, f)) for f in files if f.endswith(".case")]
    cases.sort(key=lambda c: c.name)

    passed = failed = skipped = 0
    try:
        for case in cases:
            if args.filter not in case.name:
                continue
            if case.only and case.only != target.name:
                skipped += 1
                continue
            problems = run_case(case, target)
            if problems:
                failed += 1
                print(f"FAIL {case.name} [{target.name}]")
                for p in problems:
                    print("    " + p.replace("\n", "\n    "))
            else:
                passed += 1
    finally:
        target.close()
    print(f"cases [{target.name}]: {passed} passed, {failed} failed, {skipped} skipped")
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
