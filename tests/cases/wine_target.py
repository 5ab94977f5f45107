"""The Windows build under Wine as a target of run_cases.py (--target windows).

ravlin.exe runs in the build tree's prefix against the test driver, which hosts
the same simulator as the Linux build; dsmsim.exe reaches that driver's world
through its private requests. One persistent server lives for the whole run.
"""

import os
import sys
import time

from wine_prefix import WineError, WinePrefix, install_build
from wine_versions import VersionFiles, scenario_versions

LOG_NAME = "ravlindsm.log"
CACHE_NAME = "ravlindsm_config.json"


class WineTarget:
    name = "windows"

    def __init__(self, build_dir, source_dir):
        self.prefix = WinePrefix(build_dir)
        self.ravlin_exe = os.path.join(self.prefix.build_dir, "tools", "ravlin", "ravlin.exe")
        self.dsmsim_exe = os.path.join(self.prefix.build_dir, "sim", "dsmsim", "dsmsim.exe")
        for path in (self.ravlin_exe, self.dsmsim_exe):
            if not os.path.exists(path):
                raise WineError(f"{path} is missing: build the win64 preset first")
        self.versions = VersionFiles(self.prefix, source_dir)
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
        status, out, err = self.dsmsim(args)
        if status != 0:
            # Seen once, right after a new prefix's first server start, with no
            # output at all: say so, and give the harness one more try.
            text = (out + err).decode(errors="replace").strip()
            print(f"note: dsmsim.exe load exited {status} ({text!r}); trying once more", file=sys.stderr)
            time.sleep(0.5)
            status, out, err = self.dsmsim(args)
        if status != 0:
            text = (out + err).decode(errors="replace").strip()
            raise RuntimeError(f"dsmsim load {path}: exit status {status}: {text}")
        self.versions.apply(*scenario_versions(path))

    def run_ravlin(self, args, cwd):
        """Runs ravlin.exe in `cwd`; returns (exit status low byte, stdout, stderr)."""
        status, out, err = self.prefix.run([self.ravlin_exe] + list(args), cwd=cwd, timeout=60)
        return status & 0xFF, out, err

    def journal_text(self):
        _, out, _ = self.dsmsim(["journal"])
        return out

    def write_cache(self, text):
        with open(self.prefix.system32(CACHE_NAME), "w", encoding="utf-8") as f:
            f.write(text)

    def activity_log(self):
        try:
            with open(self.prefix.system32(LOG_NAME), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return b""

    def reset_files(self):
        """Removes the activity log with its generations, and the volume-name cache
        (the Linux target starts every case with an empty root as well)."""
        for name in [LOG_NAME] + [f"{LOG_NAME}.{n}" for n in range(1, 5)] + [CACHE_NAME]:
            try:
                os.remove(self.prefix.system32(name))
            except FileNotFoundError:
                pass

    def close(self):
        """Stops the server and puts the build's own driver and mpio.sys back, so
        the next server start loads the real driver."""
        try:
            self.prefix.stop()
        finally:
            install_build(self.prefix)
