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
    file: name @size 1073741825     a sparse file of that many zero bytes
    file: folder/name = text        a file in a folder, the folder made first
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
    log: unopenable                 the activity log's path is taken by a folder, so
                                    the log cannot be opened for appending
    interpreter: missing            the command interpreter that runs the HBA tool does
                                    not exist (COMSPEC names a missing program), so the
                                    tool's run fails to start
    interpreter: named              COMSPEC names the system's own interpreter (/bin/sh,
                                    cmd.exe), which runs the tool as without it
    together: 2                     that many runs of the command at the same moment in
                                    the same working folder; each one's stdout, stderr and
                                    status must be the expected ones whole, and no
                                    temporary file may be left in the working folder or
                                    the temporary folder (no journal or log section: the
                                    runs interleave); `together: 1` is one run with that
                                    check of the files left behind
    readonly: name                  that file (made with file:) is marked read-only
    mask: ravlin_collect_duration_seconds    (metric names) the value of each sample of
                                    these metrics, in stdout and in file sections, must
                                    be a plain non-negative decimal and reads "*"
    status: -1                      exit status; compared as the low byte
    documents: none                 "-json" stands among the words but is no output word there
                                    (an invalid line answers with the usage text): stdout is
                                    not read as documents
    twin: text                      after the run, the same words without "-json" run from the
                                    same start and must send the driver the same requests and
                                    write the same activity log
    only: linux -- reason           a case that cannot mean the same on both builds
    needs: win32                    ravlin runs the HBA tool (fenmar.exe, a 32-bit program
                                    on Windows): the Windows run is skipped on a machine
                                    that cannot run 32-bit programs. The Linux run checks
                                    that exactly such cases carry it. fenmar's own cases
                                    (program: fenmar) need it without saying so.
    == stdout                       exact bytes up to the next "== " line; a line
    ...                             "@usage" stands for the usage text
    == journal                      `dsmsim journal` lines, compared exactly
    == hba                          `dsmsim journal --hba` lines: the calls the test HBA
                                    library received, with their arguments and results
    == log                          activity-log records, timestamps masked as MM/DD hh:mm:ss
    == stderr
    == cache                        the cache file's exact bytes at the end (no line-end
                                    translation on Windows); "@missing" when there is none
    == file:NAME                    the exact bytes of file NAME in the working folder after
                                    the run (no line-end translation); "@missing" when none

Every run of ravlin whose words hold "-json" must print nothing but JSON documents,
one per line, each valid against docs/schema/<kind>.schema.json (python3-jsonschema).

A section header may end in "(no final newline)" to drop the last line end,
"(\\0 is NUL)" to read the two characters \0 in its body as one NUL byte, and
"(\\xHH is a byte)" to read each \\x and two hex digits in its body as that one byte
(for bytes 0x80 to 0xFF that a program writes as they are, which UTF-8 cannot hold).
"(exact line ends)" keeps a stdout section's LF line ends on Windows too (documents
whose format fixes them). Every metrics document a case prints or leaves in a file is
linted with `promtool check metrics` when promtool is installed (or must be:
RAVLIN_REQUIRE_PROMETHEUS).
A line of a section that ends in "{CR}" ends in a carriage return before its line end.
Sections left out are not compared. Windows expectations are the same with
line ends as CR LF on stdout, stderr and the log (the runtime writes text mode,
so a "{CR}" line ends in CR CR LF there).
"""

import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import threading

from .once_more import once_more
from .paths import CASES, SOURCE, build_dir
from .text_diff import text_diff
from .win32_support import skip_reason

USAGE = open(os.path.join(CASES, "usage.txt"), encoding="utf-8").read()
RAW_BYTE = re.compile(rb"\\x([0-9A-Fa-f]{2})")
TIMESTAMP = re.compile(rb"^\d\d/\d\d \d\d:\d\d:\d\d ", re.M)
SCHEMAS = os.path.join(SOURCE, "docs", "schema")


class Case:
    def __init__(self, path):
        self.path = path
        self.name = os.path.relpath(path, CASES)
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
        self.needs_win32 = False
        self.interpreter = None
        self.log_unopenable = False
        self.together = None
        self.twin = False
        self.readonly = []
        self.masks = []
        self.exact = set()
        self.documents = True
        self.sections = {}
        self._parse(open(path, encoding="utf-8").read())

    def _parse(self, text):
        current = None
        for line in text.splitlines(keepends=True):
            if line.startswith("== "):
                header = line[3:].strip()
                strip_end = "(no final newline)" in header
                nul = "(\\0 is NUL)" in header
                raw = "(\\xHH is a byte)" in header
                name = header.split()[0]
                if "(exact line ends)" in header:
                    self.exact.add(name)
                current = [name, (strip_end, nul, raw), []]
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
            elif key == "file" and "@size" in value and "=" not in value:
                name, _, size = value.partition("@size")
                self.files.append((name.strip(), int(size)))
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
            elif key == "needs" and value == "win32":
                self.needs_win32 = True
            elif key == "interpreter":
                if value not in ("missing", "named"):
                    raise ValueError(f"{self.path}: interpreter: {value!r} (only 'missing' or 'named')")
                self.interpreter = value
            elif key == "log":
                if value != "unopenable":
                    raise ValueError(f"{self.path}: log: {value!r} (only 'unopenable')")
                self.log_unopenable = True
            elif key == "together":
                self.together = int(value)
            elif key == "twin":
                self.twin = value == "text"
            elif key == "readonly":
                self.readonly.append(value)
            elif key == "mask":
                self.masks += value.split()
            elif key == "documents":
                if value != "none":
                    raise ValueError(f"{self.path}: documents: {value!r} (only 'none')")
                self.documents = False
            else:
                raise ValueError(f"{self.path}: unknown key {key!r}")
        for name, section in list(self.sections.items()):
            _, (strip_end, nul, raw), lines = section
            lines = [l[: -len("{CR}\n")] + "\r\n" if l.endswith("{CR}\n") else l for l in lines]
            body = "".join(USAGE if l == "@usage\n" else l for l in lines)
            if strip_end and body.endswith("\n"):
                body = body[:-1]
            if nul:
                body = body.replace("\\0", "\0")
            data = body.encode("utf-8")
            if raw:
                data = RAW_BYTE.sub(lambda m: bytes([int(m.group(1), 16)]), data)
            self.sections[name] = data
        if (self.together or 1) > 1 and ("journal" in self.sections or "log" in self.sections):
            raise ValueError(f"{self.path}: runs made together have no single journal or log to compare")


class LinuxTarget:
    """The native build against the simulator in a scratch RAVLIN_SIM_ROOT."""

    name = "linux"

    def __init__(self, build_dir):
        self.build_dir = build_dir = os.path.abspath(build_dir)
        self.ravlin = os.path.join(build_dir, "tools", "ravlin", "ravlin")
        self.fenmar_dir = os.path.abspath(os.path.join(build_dir, "tools", "fenmar"))
        self.hba_dir = os.path.abspath(os.path.join(build_dir, "sim", "hba"))
        self.dsmsim_exe = os.path.join(build_dir, "sim", "dsmsim", "dsmsim")
        self.root = tempfile.mkdtemp(prefix="ravlin-cases-")
        self.temp = os.path.join(self.root, "tmp")  # TMPDIR of every run, under the root
        self.env = dict(os.environ, RAVLIN_SIM_ROOT=self.root, TMPDIR=self.temp)
        self.env.pop("COMSPEC", None)
        self.interpreter = None
        # fenmar as ravlin finds it: a stand-in that leaves a mark and runs the real one,
        # so each case's `needs: win32` is checked against what the run really did.
        self.tool_dir = tempfile.mkdtemp(prefix="ravlin-tool-")
        self.tool = os.path.join(self.tool_dir, "fenmar")
        with open(self.tool, "w") as f:
            f.write(f'#!/bin/sh\n: > "$RAVLIN_SIM_ROOT/hba-tool-ran"\nexec {shlex.quote(os.path.join(self.fenmar_dir, "fenmar"))} "$@"\n')
        os.chmod(self.tool, 0o755)

    def hba_tool_ran(self):
        return os.path.exists(os.path.join(self.root, "hba-tool-ran"))

    def hba_env(self, hba, fenmar):
        """The environment of a run: fenmar on the search path (unless `fenmar` is
        "none") and the test HBA library, or the build without a function, or none;
        COMSPEC naming a missing interpreter when the case asks for one."""
        env = dict(self.env)
        if self.interpreter == "missing":
            env["COMSPEC"] = os.path.join(self.root, "no-such-folder", "sh")
        elif self.interpreter == "named":
            env["COMSPEC"] = "/bin/sh"
        if hba is None:
            library = os.path.join(self.hba_dir, "libsimhba.so")
        elif hba == "none":
            library = os.path.join(self.root, "no-such-library.so")
        else:
            library = os.path.join(self.hba_dir, hba.replace(" ", "-"), "libsimhba.so")
        env["FENMAR_HBA_LIBRARY"] = library
        if fenmar != "none":
            env["PATH"] = self.tool_dir + os.pathsep + env.get("PATH", "")
        return env

    def run_fenmar(self, args, cwd, hba=None):
        p = subprocess.run([os.path.join(self.fenmar_dir, "fenmar")] + args, env=self.hba_env(hba, None), cwd=cwd,
                           capture_output=True, timeout=60)
        return p.returncode & 0xFF, p.stdout, p.stderr

    def reset_files(self):
        shutil.rmtree(self.root, ignore_errors=True)
        os.makedirs(self.temp)

    def temporary_files(self):
        """The files left in the runs' temporary folder."""
        return sorted(os.listdir(self.temp))

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
            shutil.copy2(self.tool, os.path.join(folder, "fenmar"))
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

    def journal_text(self, *options):
        status, out, err = self.dsmsim(["journal", *options])
        if status != 0:
            raise RuntimeError(f"dsmsim journal: exit status {status}: {(out + err).decode(errors='replace').strip()}")
        return out

    def write_cache(self, data):
        os.makedirs(os.path.dirname(self.cache_path()), exist_ok=True)
        with open(self.cache_path(), "wb") as f:
            f.write(data)

    def log_path(self):
        return os.path.join(self.root, "Windows", "System32", "ravlindsm.log")

    def block_log(self):
        """Puts a folder where the activity log goes."""
        os.makedirs(self.log_path())

    def activity_log(self):
        try:
            return open(self.log_path(), "rb").read()
        except (FileNotFoundError, IsADirectoryError):
            return b""

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)
        shutil.rmtree(self.tool_dir, ignore_errors=True)


def crlf(data):
    """What the Windows runtime's text mode makes of `data`: every line feed gets
    a carriage return before it, so a line that ends in "{CR}" ends in CR CR LF."""
    return data.replace(b"\n", b"\r\n")


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


def run_together(case, target, cwd):
    """Starts case.together runs at once; returns their (status, stdout, stderr)."""
    import concurrent.futures

    barrier = threading.Barrier(case.together)

    def one(_):
        barrier.wait()
        return target.run_ravlin(case.args, cwd, case.hba, case.fenmar, case.program)

    with concurrent.futures.ThreadPoolExecutor(case.together) as pool:
        return list(pool.map(one, range(case.together)))


def json_problems(out):
    """Stdout of a -json run: one JSON document per line, each valid against its kind's schema."""
    import json

    import jsonschema

    problems = []
    lines = out.replace(b"\r\n", b"\n").split(b"\n")
    if lines[-1] != b"":
        problems.append("json: stdout does not end with a line end")
    for number, line in enumerate(lines[:-1], 1):
        try:
            document = json.loads(line.decode("utf-8"))
        except ValueError as e:
            problems.append(f"json: line {number} is not a JSON document: {e}")
            continue
        kind = document.get("kind") if isinstance(document, dict) else None
        path = os.path.join(SCHEMAS, f"{kind}.schema.json")
        if not isinstance(kind, str) or not os.path.exists(path):
            problems.append(f"json: line {number} has no known kind: {kind!r}")
            continue
        with open(path, encoding="utf-8") as f:
            validator = jsonschema.Draft202012Validator(json.load(f))
        for error in validator.iter_errors(document):
            problems.append(f"json: line {number} ({kind}): {error.json_path}: {error.message}")
    return problems


def prepare(case, target):
    """The world, the faults and the cache file a run of the case starts from; problems, if any.
    A dsmsim run that fails without a word (seen under Wine on a loaded machine) has the
    whole start made once more, from the scenario on, so no fault is added twice."""

    def silent_failure(problems):
        return f"{case.name}: {problems[0]}(no output)" if problems and problems[0].endswith(": ") else None

    return once_more(lambda: prepare_once(case, target), silent_failure, "making the start")


def prepare_once(case, target):
    target.reset_files()
    target.interpreter = case.interpreter
    if case.scenario:
        target.load_scenario(scenario_path(case))
    else:
        target.dsmsim(["clear"])
    for fault in case.faults:
        status, _, err = target.dsmsim(["fault", "add"] + fault)
        if status != 0:
            return [f"fault {fault} (exit {status}): {err.decode(errors='replace').strip()}"]
    if case.cache is not None:
        target.write_cache(cache_bytes(case))
    if case.log_unopenable:
        target.block_log()
    return []


def masked(case, data):
    """Each sample value of the case's masked metrics as "*" (when it is a plain decimal)."""
    for name in case.masks:
        data = re.sub(rb"(?m)^(" + re.escape(name.encode()) + rb"(?:\{[^}\n]*\})? )\d+(?:\.\d+)?(\r?)$",
                      rb"\1*\2", data)
    return data


def metrics_lint(document):
    """What `promtool check metrics` says of a metrics document; [] when it is clean
    or promtool is missing (and not required)."""
    promtool = shutil.which("promtool")
    if promtool is None:
        return ["promtool is missing (RAVLIN_REQUIRE_PROMETHEUS)"] if os.environ.get("RAVLIN_REQUIRE_PROMETHEUS") else []
    p = subprocess.run([promtool, "check", "metrics"], input=document, capture_output=True, timeout=60)
    said = (p.stdout + p.stderr).decode(errors="replace").strip()
    return [f"promtool check metrics: {said or 'exit status %d' % p.returncode}"] if p.returncode or said else []


def execute(case, target, args):
    cwd = tempfile.mkdtemp(prefix="ravlin-cwd-")
    left = []
    case.files_after = {}
    try:
        for name, content in case.files:
            os.makedirs(os.path.dirname(os.path.join(cwd, name)), exist_ok=True)  # "folder/name" makes the folder
            with open(os.path.join(cwd, name), "w", encoding="utf-8", newline="") as f:
                if isinstance(content, int):
                    f.truncate(content)
                else:
                    f.write(content)
        for name in case.readonly:
            os.chmod(os.path.join(cwd, name), 0o444)
        if case.program == "fenmar":
            runs = [target.run_fenmar(args, cwd, case.hba)]
        elif case.together is not None:
            runs = run_together(case, target, cwd) if case.together > 1 else [
                target.run_ravlin(args, cwd, case.hba, case.fenmar, case.program)]
            made = {name.split("/")[0] for name, _ in case.files} | {
                n[len("file:"):].split("/")[0] for n in case.sections if n.startswith("file:")}
            left = sorted(set(os.listdir(cwd)) - made) + target.temporary_files()
        else:
            runs = [target.run_ravlin(args, cwd, case.hba, case.fenmar, case.program)]
        for section in case.sections:
            if section.startswith("file:"):
                try:
                    with open(os.path.join(cwd, section[len("file:"):]), "rb") as f:
                        case.files_after[section] = f.read()
                except FileNotFoundError:
                    case.files_after[section] = b"@missing\n"
    finally:
        for name in case.readonly:
            try:
                os.chmod(os.path.join(cwd, name), 0o644)
            except OSError:
                pass
        shutil.rmtree(cwd, ignore_errors=True)
    return runs, left


def twin_problems(case, target):
    """The same words without -json, from the same start: the driver must have received
    the same requests and the activity log must hold the same lines."""
    journal = target.journal_text()
    log = TIMESTAMP.sub(b"MM/DD hh:mm:ss ", target.activity_log())
    problems = prepare(case, target)
    if problems:
        return problems
    execute(case, target, [a for a in case.args if a != "-json"])
    problems = []
    if target.journal_text() != journal:
        problems.append("twin: the text form sent other requests (expected: those of -json):\n"
                        + text_diff(journal, target.journal_text()))
    if TIMESTAMP.sub(b"MM/DD hh:mm:ss ", target.activity_log()) != log:
        problems.append("twin: the text form wrote another activity log")
    return problems


def run_case(case, target):
    problems = prepare(case, target)
    if problems:
        return problems
    runs, left = execute(case, target, case.args)

    windows = target.name == "windows"
    problems = []
    if not windows and case.program == "ravlin" and target.hba_tool_ran() != case.needs_win32:
        problems.append("runs the HBA tool but lacks `needs: win32`" if not case.needs_win32
                        else "carries `needs: win32` but never runs the HBA tool")
    if left:
        problems.append(f"files left behind: {left}")
    for index, (status, out, err) in enumerate(runs):
        which = f"run {index + 1}: " if len(runs) > 1 else ""
        if status != case.status & 0xFF:
            problems.append(f"{which}exit status {status}, expected {case.status & 0xFF}"
                            + ("" if "stderr" in case.sections or not err else f"; stderr: {err!r}"))
        checks = {"stdout": masked(case, out), "stderr": err}
        for name in ("stdout", "stderr"):
            if name in case.sections:
                expected = crlf(case.sections[name]) if windows and name not in case.exact else case.sections[name]
                if checks[name] != expected:
                    problems.append(f"{which}{name} differs:\n" + text_diff(expected, checks[name]))
        if case.program == "ravlin" and "-json" in case.args and case.documents:
            problems += [which + p for p in json_problems(out)]
        if case.program == "ravlin" and case.args[:2] == ["query", "metrics"] and out.startswith(b"# HELP"):
            problems += [which + p for p in metrics_lint(out)]
    if "journal" in case.sections:
        actual = target.journal_text().replace(b"\r\n", b"\n")
        if actual != case.sections["journal"]:
            problems.append("journal differs:\n" + text_diff(case.sections["journal"], actual))
    if "hba" in case.sections:
        actual = target.journal_text("--hba").replace(b"\r\n", b"\n")
        if actual != case.sections["hba"]:
            problems.append("HBA library calls differ:\n" + text_diff(case.sections["hba"], actual))
    if "log" in case.sections:
        actual = TIMESTAMP.sub(b"MM/DD hh:mm:ss ", target.activity_log())
        expected = crlf(case.sections["log"]) if windows else case.sections["log"]
        if actual != expected:
            problems.append("log differs:\n" + text_diff(expected, actual))
    if "cache" in case.sections:
        try:
            actual = open(target.cache_path(), "rb").read()
        except FileNotFoundError:
            actual = b"@missing\n"
        if actual != case.sections["cache"]:
            problems.append("cache differs:\n" + text_diff(case.sections["cache"], actual))
    for section, actual in case.files_after.items():
        if actual != b"@missing\n" and case.args[:2] == ["query", "metrics"] and actual.startswith(b"# HELP"):
            problems += [f"{section}: {p}" for p in metrics_lint(actual)]
        actual = masked(case, actual)
        if actual != case.sections[section]:
            problems.append(f"{section} differs:\n" + text_diff(case.sections[section], actual))
    if case.twin:
        problems += twin_problems(case, target)
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--target", choices=["linux", "windows"], default="linux")
    parser.add_argument("--build-dir", help="build tree of the target (default build/linux or build/win64)")
    parser.add_argument("--filter", default="", help="run only cases whose name contains this text")
    args = parser.parse_args()

    if args.target == "linux":
        target = LinuxTarget(build_dir(args.build_dir, "linux"))
    else:
        from .wine_target import WineTarget

        target = WineTarget(build_dir(args.build_dir, "win64"), SOURCE)

    cases = []
    for folder, _, files in os.walk(CASES):
        cases += [Case(os.path.join(folder, f)) for f in files if f.endswith(".case")]
    cases.sort(key=lambda c: c.name)

    # A machine that cannot run 32-bit programs skips the Windows runs that need one.
    no_win32 = skip_reason() if args.target == "windows" else None
    passed = failed = skipped = skipped_win32 = 0
    try:
        for case in cases:
            if args.filter not in case.name:
                continue
            if case.only and case.only != target.name:
                skipped += 1
                continue
            if no_win32 and (case.needs_win32 or case.program == "fenmar"):
                skipped += 1
                skipped_win32 += 1
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
    if skipped_win32:
        print(f"cases [{target.name}]: {skipped_win32} of the skipped cases need a 32-bit program ({no_win32})")
    print(f"cases [{target.name}]: {passed} passed, {failed} failed, {skipped} skipped")
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
