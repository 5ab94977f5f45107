"""A Wine prefix for a Windows build tree, with the test driver installed.

One prefix per build tree (<build>/wine-prefix): made once with `wineboot -i`,
the test driver registered as the kernel service `ravlindsm` (Start=2, so it
loads whenever the server starts), and the driver and mpio.sys files copied
into C:\\windows\\system32\\drivers on every preparation. A test run keeps one
persistent server (`wineserver -p`) and stops it at its end.

Every wine command writes to files, never to a pipe: the services that the
server starts inherit the first command's output and would hold a pipe open.
"""

import os
import shutil
import subprocess
import tempfile
import time

from .paths import win32_twin

WINE64 = "/usr/lib/wine/wine64"  # the 64-bit loader: 64-bit sc, reg and net
SERVICE = "ravlindsm"
SERVICE_KEY = "HKLM\\System\\CurrentControlSet\\Services\\" + SERVICE
DRIVER_PATH = "C:\\windows\\system32\\drivers\\ravlindsm.sys"
# Bumped whenever the one-time preparation changes, so old prefixes are made anew.
PREPARATION = "ravlin prefix 2"
# How long the server, the driver or the simulator may take to come up before a
# run gives up: generous, since only a broken prefix ever reaches it.
SERVER_PATIENCE = 120


class WineError(RuntimeError):
    pass


# The tools a run may find: fenmar.exe in a folder of its own on the search path
# (WINEPATH), and the test hbaapi.dll in syswow64, where the system folder comes
# before the working folder in the library search, as on a real machine.
TOOLS_ROOT = "C:\\ravlin-tools"
TOOL_FOLDERS = ("fenmar", "hba")

# The programs that walk the device tree run from folders of the prefix, with
# the test device tree (sim/windows/devtree: setupapi.dll, cfgmgr32.dll) beside
# them. The override makes Wine take a DLL from the program's folder before its
# own; "native,builtin" so that the same programs run from anywhere else (the
# build tree, scripts/bench) still load, with Wine's own tree.
TREE_DLLS = ("setupapi.dll", "cfgmgr32.dll")
TREE_PROGRAMS = {"ravlin.exe": ("tools", "ravlin"), "disk_probe.exe": ("tests", "probe")}
TREE_OVERRIDE = "native,builtin"
APP_DEFAULTS = "HKCU\\Software\\Wine\\AppDefaults"


class WinePrefix:
    def __init__(self, build_dir, path=None, log_dir=None):
        """`path` and `log_dir` place a copy of the prefix elsewhere (the release check installs into one)."""
        self.build_dir = os.path.abspath(build_dir)
        self.path = path or os.path.join(self.build_dir, "wine-prefix")
        self.log_dir = log_dir or os.path.join(self.build_dir, "wine-logs")
        env = dict(os.environ)
        env.pop("DISPLAY", None)  # no windows, no dialogs
        env.pop("WINEPATH", None)  # each run says what it finds (TOOL_FOLDERS)
        env.update(
            WINEPREFIX=self.path,
            WINEDEBUG="-all",
            WINEARCH="win64",
            # An English system whatever the caller's locale: its ANSI code page (1252) is
            # what the version fixtures' texts are written for (wine_versions), and the
            # system's own messages read the same on every machine.
            LC_ALL="C.UTF-8",
            # No Mono or Gecko installer during wineboot: nothing here needs them.
            WINEDLLOVERRIDES="mscoree,mshtml=",
        )
        self.env = env
        self.running = False

    # ---- paths -------------------------------------------------------------

    def drive_c(self, *parts):
        return os.path.join(self.path, "drive_c", *parts)

    def system32(self, *parts):
        return self.drive_c("windows", "system32", *parts)

    @staticmethod
    def windows_path(path):
        """A Unix path as Windows programs in the prefix name it (drive Z: is /)."""
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    # ---- running -----------------------------------------------------------

    def run(self, args, cwd=None, timeout=120, loader=WINE64, log=None, tools=TOOL_FOLDERS):
        """Runs `loader args` in the prefix; returns (exit status, stdout, stderr).
        With `log`, both streams are appended to that file and returned empty.
        `tools` are what of TOOL_FOLDERS the run finds: without "fenmar" its folder
        is not on the search path, without "hba" the library is disabled. (Renaming
        the files away and back between runs raced with Wine's next lookup.)"""
        os.makedirs(self.log_dir, exist_ok=True)
        env = dict(self.env)
        if "fenmar" in tools:
            env["WINEPATH"] = TOOLS_ROOT + "\\fenmar"
        if "hba" not in tools:
            env["WINEDLLOVERRIDES"] = env["WINEDLLOVERRIDES"].replace("=", ",hbaapi=")
        if log is not None:
            with open(os.path.join(self.log_dir, log), "ab") as f:
                p = subprocess.run([loader] + args, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                   stdout=f, stderr=f, timeout=timeout)
            return p.returncode, b"", b""
        with tempfile.TemporaryFile(dir=self.log_dir) as out, tempfile.TemporaryFile(dir=self.log_dir) as err:
            p = subprocess.run([loader] + args, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                               stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            return p.returncode, out.read(), err.read()

    def _server(self, option):
        os.makedirs(self.log_dir, exist_ok=True)
        with open(os.path.join(self.log_dir, "wineserver.log"), "ab") as f:
            return subprocess.run(["wineserver", option], env=self.env, stdin=subprocess.DEVNULL,
                                  stdout=f, stderr=f, timeout=120).returncode

    # ---- preparation -------------------------------------------------------

    def prepared(self):
        try:
            with open(os.path.join(self.path, ".ravlin-prepared")) as f:
                return f.read().strip() == PREPARATION
        except FileNotFoundError:
            return False

    def prepare(self):
        """Makes the prefix if it is missing or half made; returns the seconds spent."""
        if self.prepared():
            return 0.0
        start = time.monotonic()
        self.stop()
        shutil.rmtree(self.path, ignore_errors=True)
        status, _, _ = self.run(["wineboot", "-i"], log="prepare.log", timeout=300)
        if status != 0:
            raise WineError(f"wineboot -i failed with {status}; see {self.log_dir}/prepare.log")
        self._server("-w")
        # The driver file must exist before the service does, or the server's
        # first start would log a failed load; any build's driver will do here.
        os.makedirs(self.system32("drivers"), exist_ok=True)
        status, _, _ = self.run(["sc", "create", SERVICE, "type=", "kernel", "start=", "demand",
                                 "binpath=", DRIVER_PATH], log="prepare.log")
        if status != 0:
            raise WineError(f"sc create {SERVICE} failed with {status}")
        # `sc config` does not exist in Wine 8: set the start type directly.
        status, _, _ = self.run(["reg", "add", SERVICE_KEY, "/v", "Start", "/t", "REG_DWORD", "/d", "2", "/f"],
                                log="prepare.log")
        if status != 0:
            raise WineError(f"reg add {SERVICE_KEY} Start failed with {status}")
        for program in TREE_PROGRAMS:
            for dll in TREE_DLLS:
                key = f"{APP_DEFAULTS}\\{program}\\DllOverrides"
                status, _, _ = self.run(["reg", "add", key, "/v", dll[:-4], "/t", "REG_SZ", "/d", TREE_OVERRIDE, "/f"],
                                        log="prepare.log")
                if status != 0:
                    raise WineError(f"reg add {key} {dll[:-4]} failed with {status}")
        self._server("-k")
        self._server("-w")
        with open(os.path.join(self.path, ".ravlin-prepared"), "w") as f:
            f.write(PREPARATION + "\n")
        return time.monotonic() - start

    def install(self, source, *target):
        """Copies `source` to C:\\<target...>, replacing the file by rename so that
        an image the server has mapped is never written in place."""
        destination = self.drive_c(*target)
        os.makedirs(os.path.dirname(destination), exist_ok=True)
        temporary = destination + ".new"
        shutil.copyfile(source, temporary)
        os.replace(temporary, destination)

    @staticmethod
    def tree_folder(program):
        """The folder of C: where `program` (ravlin.exe, disk_probe.exe) runs with
        the test device tree beside it, as path parts."""
        return ("ravlin-tools", "tree", program[:-4])

    def tree_program(self, program):
        """The Unix path of `program`'s copy beside the test device tree."""
        return self.drive_c(*self.tree_folder(program), program)

    def install_tree_program(self, source):
        """Copies `source` (a program of TREE_PROGRAMS) and the test device tree
        into the program's folder of the prefix."""
        program = os.path.basename(source)
        devtree = os.path.join(self.build_dir, "sim", "windows", "devtree")
        for dll in TREE_DLLS:
            self.install(os.path.join(devtree, dll), *self.tree_folder(program), dll)
        self.install(source, *self.tree_folder(program), program)

    def remove(self, *target):
        try:
            os.remove(self.drive_c(*target))
        except FileNotFoundError:
            pass

    # ---- the server --------------------------------------------------------

    def start(self):
        """Starts a persistent server and waits until the test driver runs."""
        self.stop()  # a server left from an earlier run would keep an old driver
        if self._server("-p") != 0:
            raise WineError("wineserver -p failed")
        self.running = True
        # The first program starts services.exe, which inherits its output: give
        # it the services log. Start=2 loads the driver; `net start` covers a
        # server that has not got round to it yet ("already started" is fine).
        self.run(["net", "start", SERVICE], log="services.log")
        # Waits on progress, not on a guess: a loaded machine only makes it slower.
        deadline = time.monotonic() + SERVER_PATIENCE
        while b"RUNNING" not in self.run(["sc", "query", SERVICE])[1]:
            if time.monotonic() > deadline:
                raise WineError(f"the {SERVICE} driver did not start in {SERVER_PATIENCE} s; see {self.log_dir}")
            time.sleep(0.1)
        self._wait_for_simulator()

    def _wait_for_simulator(self):
        """A service reported running has not always got its devices up yet: wait
        until dsmsim.exe reaches the simulator's control device."""
        dsmsim = os.path.join(self.build_dir, "sim", "dsmsim", "dsmsim.exe")
        if not os.path.exists(dsmsim):
            return
        deadline = time.monotonic() + SERVER_PATIENCE
        while True:
            status, out, err = self.run([dsmsim, "journal"])
            if status == 0:
                return
            if time.monotonic() > deadline:
                break
            time.sleep(0.1)
        detail = out + err
        raise WineError(f"dsmsim.exe cannot reach the test driver: {detail.decode(errors='replace').strip()}")

    def stop(self):
        """Stops the server (and with it the driver); harmless when none runs."""
        self._server("-k")
        self._server("-w")
        self.running = False

    def stop_driver(self):
        return self.run(["net", "stop", SERVICE], log="services.log")[0]

    def start_driver(self):
        return self.run(["net", "start", SERVICE], log="services.log")[0]


def main(argv=None):
    """scripts/wine-prefix: prepare | start | stop | run PROGRAM ARGS... for one build tree."""
    import argparse

    from .paths import build_dir

    parser = argparse.ArgumentParser(prog="wine-prefix", description=main.__doc__)
    parser.add_argument("--build-dir")
    parser.add_argument("action", choices=["prepare", "start", "stop", "run"])
    parser.add_argument("args", nargs="*")
    options = parser.parse_args(argv)
    prefix = WinePrefix(build_dir(options.build_dir, "win64"))
    if options.action == "prepare":
        spent = prefix.prepare()
        install_build(prefix)
        print(f"prefix ready: {prefix.path} ({spent:.1f} s to make)")
    elif options.action == "start":
        prefix.prepare()
        install_build(prefix)
        prefix.start()
        print(f"server running for {prefix.path}; stop it with: scripts/wine-prefix stop")
    elif options.action == "stop":
        prefix.stop()
    else:
        status, out, err = prefix.run(options.args, cwd=os.getcwd(), loader="wine")
        os.write(1, out)
        os.write(2, err)
        return status & 0xFF
    return 0


def install_build(prefix, win32_dir=None):
    """Copies the test driver, the mpio.sys fixture, ravlin.exe and disk_probe.exe
    with the test device tree, and, when the 32-bit build exists, fenmar.exe and
    the test hbaapi.dll into the prefix."""
    build = prefix.build_dir
    driver = os.path.join(build, "sim", "windows", "driver", "ravlindsm.sys")
    mpio = os.path.join(build, "sim", "windows", "fixtures", "mpio.sys")
    for path in (driver, mpio):
        if not os.path.exists(path):
            raise WineError(f"{path} is missing: build the win64 preset first")
    prefix.install(driver, "windows", "system32", "drivers", "ravlindsm.sys")
    prefix.install(mpio, "windows", "system32", "drivers", "mpio.sys")
    for program, folder in TREE_PROGRAMS.items():
        built = os.path.join(build, *folder, program)
        if os.path.exists(built):
            prefix.install_tree_program(built)
    win32_dir = win32_dir or win32_twin(build)
    fenmar = os.path.join(win32_dir, "tools", "fenmar", "fenmar.exe")
    hbaapi = os.path.join(win32_dir, "sim", "windows", "hbaapi", "hbaapi.dll")
    # Where WinePrefix.run finds them (TOOL_FOLDERS); a prefix made before
    # fenmar.exe moved loses its old copy.
    prefix.remove("windows", "fenmar.exe")
    if os.path.exists(fenmar):
        prefix.install(fenmar, "ravlin-tools", "fenmar", "fenmar.exe")
    if os.path.exists(hbaapi):
        prefix.install(hbaapi, "windows", "syswow64", "hbaapi.dll")


if __name__ == "__main__":
    import sys

    sys.exit(main())
