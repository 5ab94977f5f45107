#!/usr/bin/env python3
"""Program-level cases: scenario + command line -> exact stdout, exit status,
activity-log lines and the requests the driver received.

Each *.case file under this folder is one run of ravlin. Format:

    # comment
    scenario: sample-san            scenario in sim/scenarios (without .json), a file
                                    beside the case (name.json), or none
    fault: IOCTL_DSM_GET_COUNTS --error 31    (any number: arguments of `dsmsim fault add`)
    file: vdqessmap.out             a file created in the working folder (empty, or
    file: name = text               holding the text, or a copy of a file beside
    file: name < source.txt         the case)
    run: query wwpn x               the words after the program name (shell quoting)
    program: fenmar                 run the HBA tool instead of ravlin
    hba: without HBA_OpenAdapter    the HBA library fenmar loads: the test library
    hba: none                       without that function, or no library at all
    fenmar: none                    ravlin finds no HBA tool
    fenmar: beside                  ravlin runs from a folder (a blank and a quote in its
                                    name) with the tool beside it; a decoy tool waits in
                                    the working folder and none is on the search path
    program: disk_probe             or a test program of tests/probe
    cache: name.json                the volume-name cache file starts as a copy of
                                    this file beside the case, or
    cache: {"disk": [...]}          holds this text (default: no file)
    status: -1                      exit status; compared as the low byte
    only: linux -- reason           a case that cannot mean the same on both builds
    == stdout                       exact bytes up to the next "== " line; a line
    ...                             "@usage" stands for the usage text
    == journal                      `dsmsim journal` lines, compared exactly
    == log                          activity-log records, timestamps masked as MM/DD hh:mm:ss
    == stderr
    == cache                        the cache file's exact bytes at the end (no line-end
                                    translation on Windows); "@missing" when there is none

A section header may end in "(no final newline)" to drop the last line end, and
"(\\0 is NUL)" to read the two characters \0 in its body as one NUL byte.
A line of a section that ends in "{CR}" ends in a carriage return before its line end.
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
        self.args = []
        self.status = 0
        self.only = None
        self.program = "ravlin"
        self.hba = None
        self.fenmar = None
        self.cache = None
        self.sections = {}
        self._parse(open(path, encoding="utf-8").read())

    def _parse(self, text):
        current = None
        for line in text.splitlines(keepends=True):
            if line.startswith("== "):
                header = line[3:].strip()
                strip_end = "(no final newline)" in header
                nul = "(\\0 is NUL)" in header
                name = header.split()[0]
                current = [name, (strip_end, nul), []]
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
            elif key == "file" and "<" in value and "=" not in value:
                name, _, source = value.partition("<")
                with open(os.path.join(os.path.dirname(self.path), source.strip()), encoding="utf-8", newline="") as f:
                    self.files.append((name.strip(), f.read()))
            elif key == "file":
                name, _, content = value.partition("=")
                self.files.append((name.strip(), content.strip()))
            elif key == "cache":
                self.cache = value
            elif key == "run":
                self.args = shlex.split(value)
            elif key == "status":
                self.status = int(value)
            elif key == "program":
                self.program = value
            elif key == "only":
                self.only = value.split("--")[0].strip()
            elif key == "hba":
                self.hba = value
            elif key == "fenmar":
                self.fenmar = value
            else:
                raise ValueError(f"{self.path}: unknown key {key!r}")
        for name, section in list(self.sections.items()):
            _, (strip_end, nul), lines = section
            lines = [l[: -len("{CR}\n")] + "\r\n" if l.endswith("{CR}\n") else l for l in lines]
            body = "".join(USAGE if l == "@usage\n" else l for l in lines)
            if strip_end and body.endswith("\n"):
                body = body[:-1]
            if nul:
                body = body.replace("\\0", "\0")
            self.sections[name] = body.encode("utf-8")


class LinuxTarget:
    """The native build against the simulator in a scratch RAVLIN_SIM_ROOT."""

    name = "linux"

    def __init__(self, build_dir):
        self.build_dir = build_dir
        self.ravlin = os.path.join(build_dir, "tools", "ravlin", "ravlin")
        self.fenmar_dir = os.path.abspath(os.path.join(build_dir, "tools", "fenmar"))
        self.hba_dir = os.path.abspath(os.path.join(build_dir, "sim", "hba"))
        self.dsmsim_exe = os.path.join(build_dir, "sim", "dsmsim", "dsmsim")
        self.root = tempfile.mkdtemp(prefix="ravlin-cases-")
        self.env = dict(os.environ, RAVLIN_SIM_ROOT=self.root)

    def hba_env(self, hba, fenmar):
        """The environment of a run: fenmar on the search path (unless `fenmar` is
        "none") and the test HBA library, or the build without a function, or none."""
        env = dict(self.env)
        if hba is None:
            library = os.path.join(self.hba_dir, "libsimhba.so")
        elif hba == "none":
            library = os.path.join(self.root, "no-such-library.so")
        else:
            library = os.path.join(self.hba_dir, hba.replace(" ", "-"), "libsimhba.so")
        env["FENMAR_HBA_LIBRARY"] = library
        if fenmar != "none":
            env["PATH"] = self.fenmar_dir + os.pathsep + env.get("PATH", "")
        return env

    def run_fenmar(self, args, cwd, hba=None):
        p = subprocess.run([os.path.join(self.fenmar_dir, "fenmar")] + args, env=self.hba_env(hba, None), cwd=cwd,
                           capture_output=True, timeout=60)
        return p.returncode & 0xFF, p.stdout, p.stderr

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

    def run_ravlin(self, args, cwd, hba=None, fenmar=None, program="ravlin"):
        if fenmar != "beside":
            exe = self.ravlin if program == "ravlin" else os.path.join(self.build_dir, "tests", "probe", program)
            p = subprocess.run([exe] + args, env=self.hba_env(hba, fenmar), cwd=cwd, capture_output=True,
                               timeout=60)
            return p.returncode & 0xFF, p.stdout, p.stderr
        folder = tempfile.mkdtemp(prefix="ravlin's folder ")
        try:
            shutil.copy2(self.ravlin, os.path.join(folder, "ravlin"))
            shutil.copy2(os.path.join(self.fenmar_dir, "fenmar"), os.path.join(folder, "fenmar"))
            decoy = os.path.join(cwd, "fenmar")
            with open(decoy, "w") as f:
                f.write("#!/bin/sh\necho decoy\n")
            os.chmod(decoy, 0o755)
            p = subprocess.run([os.path.join(folder, "ravlin")] + args, env=self.hba_env(hba, "none"), cwd=cwd,
                               capture_output=True, timeout=60)
            return p.returncode & 0xFF, p.stdout, p.stderr
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    def cache_path(self):
        return os.path.join(self.root, "Windows", "System32", "ravlindsm_config.json")

    def journal_text(self):
        _, out, _ = self.dsmsim(["journal"])
        return out

    def write_cache(self, data):
        os.makedirs(os.path.dirname(self.cache_path()), exist_ok=True)
        with open(self.cache_path(), "wb") as f:
            f.write(data)

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


def cache_bytes(case):
    """The cache file a case starts with: a file beside the case (name.json), or the text given."""
    if case.cache.endswith(".json") and not case.cache.startswith("{"):
        with open(os.path.join(os.path.dirname(case.path), case.cache), "rb") as f:
            return f.read()
    return case.cache.encode("utf-8")


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
        target.write_cache(cache_bytes(case))
    cwd = tempfile.mkdtemp(prefix="ravlin-cwd-")
    try:
        for name, content in case.files:
            with open(os.path.join(cwd, name), "w", encoding="utf-8", newline="") as f:
                f.write(content)
        if case.program == "fenmar":
            status, out, err = target.run_fenmar(case.args, cwd, case.hba)
        else:
            status, out, err = target.run_ravlin(case.args, cwd, case.hba, case.fenmar, case.program)
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
    if "cache" in case.sections:
        try:
            actual = open(target.cache_path(), "rb").read()
        except FileNotFoundError:
            actual = b"@missing\n"
        if actual != case.sections["cache"]:
            problems.append(f"cache differs:\n--- expected\n{case.sections['cache']!r}\n--- actual\n{actual!r}")
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
