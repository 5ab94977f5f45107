"""The Windows build under Wine as a target of run_cases.py (--target windows).

ravlin.exe runs in the build tree's prefix against the test driver, which hosts
the same simulator as the Linux build; dsmsim.exe reaches that driver's world
through its private requests, and the test device tree beside ravlin.exe (and
disk_probe.exe) reaches it too. One persistent server lives for the whole run.
"""

import glob
import os
import shutil
import subprocess
import tempfile
import time

from .once_more import once_more
from .paths import win32_twin
from .wine_prefix import TREE_DLLS, TREE_PROGRAMS, WINE64, WineError, WinePrefix, install_build
from .wine_versions import VersionFiles, scenario_versions

LOG_NAME = "ravlindsm.log"
CACHE_NAME = "ravlindsm_config.json"
# Under Wine the registry's COMSPEC wins over the Unix environment's, so a run that
# must meet a missing interpreter is started by cmd.exe with COMSPEC set first.
MISSING_INTERPRETER = "C:\\no-such-folder\\cmd.exe"
NAMED_INTERPRETER = "C:\\windows\\system32\\cmd.exe"
# GetTempFileNameA's prefix for the HBA tool's output.
TEMP_PATTERN = "wwp*.tmp"


def failed_run(what, result):
    """The reason to give for a (status, stdout, stderr) that failed; None when it did not."""
    status, out, err = result
    if status == 0:
        return None
    return f"{what} exited {status} ({(out + err).decode(errors='replace').strip()!r})"


class WineTarget:
    name = "windows"

    def __init__(self, build_dir, source_dir):
        self.prefix = WinePrefix(build_dir)
        self.ravlin_exe = os.path.join(self.prefix.build_dir, "tools", "ravlin", "ravlin.exe")
        self.dsmsim_exe = os.path.join(self.prefix.build_dir, "sim", "dsmsim", "dsmsim.exe")
        for path in (self.ravlin_exe, self.dsmsim_exe):
            if not os.path.exists(path):
                raise WineError(f"{path} is missing: build the win64 preset first")
        win32_dir = win32_twin(self.prefix.build_dir)
        self.fenmar_exe = os.path.join(win32_dir, "tools", "fenmar", "fenmar.exe")
        self.hbaapi_dir = os.path.join(win32_dir, "sim", "windows", "hbaapi")
        self.versions = VersionFiles(self.prefix, source_dir)
        self.interpreter = None
        start = time.monotonic()
        self.prepare_seconds = self.prefix.prepare()
        install_build(self.prefix)
        self.prefix.start()
        self.start_seconds = time.monotonic() - start

    def dsmsim(self, args):
        """Runs dsmsim.exe; returns (exit status, stdout, stderr). A load or clear
        also puts the version files of the new world in place."""
        status, out, err = self.prefix.run([self.dsmsim_exe] + list(args))
        if status == 0 and args and args[0] == "clear":
            self.versions.apply(None, None)  # a cleared world has neither file
        return status, out, err

    def load_scenario(self, path):
        args = ["load", WinePrefix.windows_path(path)]
        # Seen once, right after a new prefix's first server start, with no output at all.
        status, out, err = once_more(lambda: self.dsmsim(args), lambda r: failed_run("dsmsim.exe load", r),
                                     "loading it", pause=0.5)
        if status != 0:
            text = (out + err).decode(errors="replace").strip()
            raise RuntimeError(f"dsmsim load {path}: exit status {status}: {text}")
        self.versions.apply(*scenario_versions(path))

    @staticmethod
    def _tools(hba, fenmar):
        """The tool folders on a run's search path: `hba` "none" leaves out the
        test hbaapi.dll, `fenmar` "none" or "beside" fenmar.exe."""
        tools = []
        if fenmar not in ("none", "beside"):
            tools.append("fenmar")
        if hba != "none":
            tools.append("hba")
        return tuple(tools)

    def _run(self, argv, cwd, tools, loader=WINE64, journal=()):
        """One run of a program under test. Seen a few times on a loaded machine: Wine
        ended a program with status 1 before it did anything at all (no output, no
        request to the driver or the HBA library). Every program under test says
        something when it fails, so such a run is taken for one that never started:
        the harness says so and runs it once more."""

        def never_started(result):
            status, out, err = result
            if status == 1 and out == b"" and err == b"" and self.journal_text(*journal) == b"":
                return f"{os.path.basename(argv[0])} ended with 1 before doing anything"
            return None

        status, out, err = once_more(
            lambda: self.prefix.run(argv, cwd=cwd, timeout=60, loader=loader, tools=tools), never_started, "running it")
        return status & 0xFF, out, err

    def run_ravlin(self, args, cwd, hba=None, fenmar=None, program="ravlin"):
        """Runs ravlin.exe (or a test program of tests/probe) in `cwd`; returns (exit
        status low byte, stdout, stderr). `hba` "none": no hbaapi.dll on the search
        path; `fenmar` "none": no fenmar.exe there."""
        # The programs that walk the device tree run from their copy beside the test one.
        exe = self.prefix.tree_program("ravlin.exe")
        if program != "ravlin":
            exe = os.path.join(self.prefix.build_dir, "tests", "probe", program + ".exe")
            if program + ".exe" in TREE_PROGRAMS:
                exe = self.prefix.tree_program(program + ".exe")
        if hba not in (None, "none"):
            raise WineError(f"hba: {hba} is for fenmar's own cases")
        tools = self._tools(hba, fenmar)
        if fenmar != "beside" and self.interpreter in ("missing", "named"):
            interpreter = MISSING_INTERPRETER if self.interpreter == "missing" else NAMED_INTERPRETER
            line = f"set COMSPEC={interpreter}&& " + subprocess.list2cmdline(
                [WinePrefix.windows_path(exe)] + list(args))
            return self._run(["cmd", "/c", line], cwd, tools)
        if fenmar != "beside":
            return self._run([exe] + list(args), cwd, tools)
        # ravlin.exe and fenmar.exe in one folder, as the release zip has them;
        # the decoy Fenmar.exe in the working folder finds a library that lacks
        # its first function, so it would say so if it ran.
        folder = tempfile.mkdtemp(prefix="ravlin folder ")
        try:
            shutil.copyfile(self.ravlin_exe, os.path.join(folder, "ravlin.exe"))
            for dll in TREE_DLLS:
                shutil.copyfile(os.path.join(os.path.dirname(exe), dll), os.path.join(folder, dll))
            shutil.copyfile(self.fenmar_exe, os.path.join(folder, "fenmar.exe"))
            shutil.copyfile(self.fenmar_exe, os.path.join(cwd, "Fenmar.exe"))
            shutil.copyfile(os.path.join(self.hbaapi_dir, "without-HBA_GetVersion", "hbaapi.dll"),
                            os.path.join(cwd, "hbaapi.dll"))
            return self._run([os.path.join(folder, "ravlin.exe")] + list(args), cwd, tools)
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    def run_fenmar(self, args, cwd, hba=None):
        """Runs the 32-bit fenmar.exe in `cwd`. `hba` "none": no hbaapi.dll on the
        search path; "without NAME" runs a copy of fenmar.exe in `cwd` beside the
        library built without that function (a program's own folder is searched first)."""
        if not os.path.exists(self.fenmar_exe):
            raise WineError(f"{self.fenmar_exe} is missing: build the win32 preset first")
        program = self.fenmar_exe
        if hba not in (None, "none"):
            variant = os.path.join(self.hbaapi_dir, hba.replace(" ", "-"), "hbaapi.dll")
            shutil.copyfile(self.fenmar_exe, os.path.join(cwd, "fenmar.exe"))
            shutil.copyfile(variant, os.path.join(cwd, "hbaapi.dll"))
            program = os.path.join(cwd, "fenmar.exe")
        return self._run([program] + list(args), cwd, self._tools(hba, None), loader="wine", journal=("--hba",))

    def cache_path(self):
        return self.prefix.system32(CACHE_NAME)

    def journal_text(self, *options):
        """The driver's journal, or with "--hba" the HBA library's calls."""
        # Seen once under a heavily loaded machine: dsmsim.exe ended without output.
        # Reading the journal changes nothing, so it may be read again.
        status, out, err = once_more(lambda: self.dsmsim(["journal", *options]),
                                     lambda r: failed_run("dsmsim.exe journal", r), "reading it")
        if status != 0:
            raise RuntimeError(f"dsmsim journal: exit status {status}: {(out + err).decode(errors='replace').strip()}")
        return out

    def write_cache(self, data):
        with open(self.prefix.system32(CACHE_NAME), "wb") as f:
            f.write(data)

    def block_log(self):
        """Puts a folder where the activity log goes."""
        os.makedirs(self.prefix.system32(LOG_NAME))

    def activity_log(self):
        try:
            with open(self.prefix.system32(LOG_NAME), "rb") as f:
                return f.read()
        except (FileNotFoundError, IsADirectoryError):
            return b""

    def temporary_files(self):
        """The HBA tool output files left in the prefix's temporary folders."""
        return sorted(os.path.basename(p) for p in glob.glob(self.prefix.drive_c("users", "*", "Temp", TEMP_PATTERN))
                      + glob.glob(self.prefix.drive_c("users", "*", "AppData", "Local", "Temp", TEMP_PATTERN)))

    def reset_files(self):
        """Removes the activity log with its generations, and the volume-name cache
        (the Linux target starts every case with an empty root as well)."""
        shutil.rmtree(self.prefix.system32(LOG_NAME), ignore_errors=True)  # a case's unopenable log
        for name in [LOG_NAME] + [f"{LOG_NAME}.{n}" for n in range(1, 5)] + [CACHE_NAME]:
            try:
                os.remove(self.prefix.system32(name))
            except FileNotFoundError:
                pass
        for path in glob.glob(self.prefix.drive_c("users", "*", "Temp", TEMP_PATTERN)):
            os.remove(path)

    def close(self):
        """Stops the server and puts the build's own driver and mpio.sys back, so
        the next server start loads the real driver."""
        try:
            self.prefix.stop()
        finally:
            install_build(self.prefix)
