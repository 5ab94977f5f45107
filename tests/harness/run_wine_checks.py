"""Checks the Windows test fixtures under Wine: the test driver from a client's
side (driver_check.exe), the driver's life cycle (stopped, started again), the
world that dsmsim.exe loads and shows against the Linux dsmsim, and the test
hbaapi.dll loaded the way fenmar loads it (hba_check.exe, 32-bit), answering
from the scenarios in sim/windows/tests/scenarios/ loaded into the driver, and
ravlin's host port table read through cmd.exe and fenmar.exe (host_ports_check.exe),
and the console writes of `query device` with stdout on Wine's console, and the HBA
tool's lines there whole, NUL and all (console_writes.py).

    run_wine_checks.py [--build-dir build/win64] [--win32-dir build/win32] [--linux-dir build/linux]

Ends with "N passed, N failed, N skipped"; exit status 1 on any failure. On a machine
that cannot run 32-bit programs the checks that need one are skipped and counted.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

from . import check_tally
from .console_writes import check_console_nul_bytes, check_console_writes
from .paths import SOURCE, build_dir
from .win32_support import skip_reason
from .wine_prefix import WINE64, WinePrefix, install_build
from .wine_versions import VersionFiles, scenario_versions

# The check programs' own scenarios.
SCENARIOS = os.path.join(SOURCE, "sim", "windows", "tests", "scenarios")


class Checks(check_tally.Checks):
    def program(self, prefix, what, args, loader=WINE64):
        """Runs a check program; it passes when it exits 0. The check programs are
        64-bit unless a caller names the 32-bit loader: `wine` would start even a
        64-bit program through the 32-bit loader, which some machines refuse."""
        start = time.monotonic()
        status, out, err = prefix.run(args, loader=loader)
        self.expect(status == 0, f"{what} (exit {status})", out + err)
        return time.monotonic() - start


def normalise(text):
    return text.replace(b"\r\n", b"\n")


SAMPLE_HOST_PORTS = b"05 50A0B0C0001A0010\n06 50A0B0C0001A0020\n05 50A0B0C0001A0011\n06 50A0B0C0001A0021\n"


def check_host_ports(prefix, checks, win32_dir):
    """ravlin's host port table on the sample SAN: through cmd.exe with both the
    tool's path and the temporary file quoted, from the fenmar.exe beside the
    program rather than a decoy in the current folder, and with no tool at all."""
    program = os.path.join(prefix.build_dir, "sim", "windows", "tests", "host_ports_check.exe")
    fenmar = os.path.join(win32_dir, "tools", "fenmar", "fenmar.exe")
    lacking = os.path.join(win32_dir, "sim", "windows", "hbaapi", "without-HBA_GetVersion", "hbaapi.dll")
    if not os.path.exists(program):
        print(f"note: {program} not built; the host port table was not checked")
        return
    folder = tempfile.mkdtemp(prefix="ravlin folder ")
    cwd = tempfile.mkdtemp(prefix="ravlin-cwd-")
    no_tool = ("hba",)  # the search path without the installed fenmar.exe
    try:
        status, out, err = prefix.run([program], cwd=cwd)
        checks.expect(normalise(out) == SAMPLE_HOST_PORTS + b"status 0\nleft 0\n",
                      "read_host_ports: Fenmar.exe from the search path", out + err)
        shutil.copyfile(program, os.path.join(folder, "host_ports_check.exe"))
        shutil.copyfile(fenmar, os.path.join(folder, "fenmar.exe"))
        shutil.copyfile(fenmar, os.path.join(cwd, "Fenmar.exe"))  # the decoy: it would find
        shutil.copyfile(lacking, os.path.join(cwd, "hbaapi.dll"))  # a library it cannot use
        status, out, err = prefix.run([os.path.join(folder, "host_ports_check.exe")], cwd=cwd, tools=no_tool)
        checks.expect(normalise(out) == SAMPLE_HOST_PORTS + b"status 0\nleft 0\n",
                      "read_host_ports: the fenmar.exe beside the program, not the decoy", out + err)
        os.remove(os.path.join(cwd, "Fenmar.exe"))
        status, out, err = prefix.run([program], cwd=cwd, tools=no_tool)
        checks.expect(normalise(out) == b"status 9009\nleft 0\n",
                      "read_host_ports: no tool, an empty table and no file left", out + err)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(cwd, ignore_errors=True)


# Disk drive instances registered for the rescan check: two hold "MPIO" and the
# pattern 415A of the serial "AZ"; one lacks "MPIO", one the pattern.
RESCAN_INSTANCES = [
    "MPIO\\DISK&VEN_QVR&PROD_7000&REV_0100\\1&7F6AC24&0&415A",
    "MPIO\\DISK&VEN_QVR&PROD_7000&REV_0100\\1&7F6AC24&0&415A0001",
    "SCSI\\DISK&VEN_QVR&PROD_7000&REV_0100\\5&1A2B3C&0&415A",
    "MPIO\\DISK&VEN_QVR&PROD_7000&REV_0100\\1&7F6AC24&0&4344",
]


def rescan_checks(prefix, checks, dsmsim):
    """ravlin.exe's restart pass against the real setup API: it lists the present
    disk drives, reads their instance identifiers and changes only the instances
    that hold "MPIO" and the device's pattern. Wine cannot locate the root node,
    and it refuses the class-install parameters without an error code, so every
    change fails with 0: the check counts the changes tried (two instances, each
    disabled and enabled). The instances are removed again, whatever happens."""
    disk_instances = os.path.join(prefix.build_dir, "sim", "windows", "tests", "disk_instances.exe")
    ravlin = os.path.join(prefix.build_dir, "tools", "ravlin", "ravlin.exe")
    scenario = os.path.join(SCENARIOS, "rescan-instances.json")
    status, _, err = prefix.run([dsmsim, "load", WinePrefix.windows_path(scenario)])
    checks.expect(status == 0, "dsmsim.exe load rescan-instances.json", err)
    try:
        checks.program(prefix, "disk_instances add", [disk_instances, "add"] + RESCAN_INSTANCES)
        status, out, _ = prefix.run([ravlin, "rescanhw"])
        # The runtime writes text mode: the change lines' own "\r\n" comes out as "\r\r\n".
        failed = b" fail to invoke DIF_PROPERTYCHANGE:0\r\r\n"
        expected = (b"CM_Locate_DevNode failed: 13\r\n"
                    b"Device Name:Disk1 Part1\r\n, Path Name:Disk4 Part1\r\n, Serial Number:AZ\r\n" + failed * 4)
        checks.expect(status == 0 and out == expected,
                      f"ravlin.exe rescanhw changes the two matching disk instances (exit {status})", out)
    finally:
        checks.program(prefix, "disk_instances clear", [disk_instances, "clear"])
    status, out, _ = prefix.run([ravlin, "rescanhw"])
    checks.expect(status == 0 and b"DIF_PROPERTYCHANGE" not in out, "no disk instances are left behind", out)


def tree_journal_lines():
    """The calls ravlin.exe's `rescanhw` must make of the test device tree for
    tree-journal.json, in order, with the sizes of the 64-bit records: the root
    located and re-enumerated once, then one pass over the disk drives to disable
    and one to enable, each changing only the MPIO instance that holds 415A."""
    ids = ["MPIO\\DISK&VEN_QVR&PROD_7000&REV_0100\\1&7F6AC24&0&415A",
           "SCSI\\DISK&VEN_QVR&PROD_7000&REV_0100\\5&1A2B3C&0&415A",
           "MPIO\\DISK&VEN_QVR&PROD_7000&REV_0100\\1&7F6AC24&0&4344"]
    disk = "disk {} size 32"
    lines = ["CM_Locate_DevNodeA(node, root, 0x0) -> 0x0 node 1", "CM_Reenumerate_DevNode(1, 0x0) -> 0x0"]

    def change(state, scope, n):
        return [f"SetupDiSetClassInstallParamsA(disks, {disk.format(n)}, header 8 function 0x12 state {state} "
                f"scope {scope} profile 0, 20) -> 1",
                f"SetupDiCallClassInstaller(0x12, disks, {disk.format(n)}) -> 1"]

    for state, flags in ((2, "0x0"), (1, "0x100")):
        lines.append("SetupDiGetClassDevsA(disk drives, null, null, 0x2) -> disks")
        for n, instance in enumerate(ids, 1):
            lines.append(f"SetupDiEnumDeviceInfo(disks, {n - 1}, {disk.format(n)}) -> 1")
            lines.append(f'SetupDiGetDeviceInstanceIdA(disks, {disk.format(n)}, 1024, null) -> 1 "{instance}"')
            if n == 1:
                if state == 1:
                    lines += change(1, 1, n)  # first for every hardware profile
                lines += change(state, 2, n)
                lines.append(f"SetupDiGetDeviceInstallParamsA(disks, {disk.format(n)}, size 320) -> 1 flags {flags}")
        lines.append("SetupDiEnumDeviceInfo(disks, 3, not filled) -> 0 error 259")
        lines.append("SetupDiDestroyDeviceInfoList(disks) -> 1")
    return "".join(line + "\n" for line in lines).encode()


def tree_journal_checks(prefix, checks, dsmsim):
    """ravlin.exe beside the test device tree: every call it makes, with the
    sizes of the records it passes, the flags and the order of a property change,
    as the DLLs journal them; and the changes in the driver's journal."""
    scenario = os.path.join(SCENARIOS, "tree-journal.json")
    status, _, err = prefix.run([dsmsim, "load", WinePrefix.windows_path(scenario)])
    checks.expect(status == 0, "dsmsim.exe load tree-journal.json", err)
    status, out, _ = prefix.run([prefix.tree_program("ravlin.exe"), "rescanhw"])
    expected = (b"Successfully completed node rescan iteration - 1\r\n"
                b"Device Name:Disk1 Part1\r\n, Path Name:Disk4 Part1\r\n, Serial Number:AZ\r\n"
                b"disable disk succeed\r\r\nneed to reboot\r\r\n")
    checks.expect(status == 0 and out == expected, f"ravlin.exe rescanhw beside the test device tree (exit {status})",
                  out)
    status, journal, err = prefix.run([dsmsim, "journal", "--tree"])
    journal = journal.replace(b"\r\n", b"\n")  # dsmsim.exe writes text mode
    checks.expect(status == 0 and journal == tree_journal_lines(), "the test device tree's journal of calls",
                  journal + err)
    status, journal, err = prefix.run([dsmsim, "journal"])
    changes = [line for line in journal.splitlines() if line.startswith(b"property_change")]
    checks.expect(changes == [b"property_change disk=0 state=disable scope=config -> error=0",
                              b"property_change disk=0 state=enable scope=global -> error=0",
                              b"property_change disk=0 state=enable scope=config -> error=0"],
                  "the driver's journal holds the three changes", journal + err)
    status, _, _ = prefix.run([dsmsim, "load", WinePrefix.windows_path(scenario)])
    status, journal, _ = prefix.run([dsmsim, "journal", "--tree"])
    checks.expect(status == 0 and journal == b"", "dsmsim.exe load empties the device tree's journal", journal)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir")
    parser.add_argument("--win32-dir")
    parser.add_argument("--linux-dir")
    options = parser.parse_args()
    options.win32_dir = build_dir(options.win32_dir, "win32")
    options.linux_dir = build_dir(options.linux_dir, "linux")

    prefix = WinePrefix(build_dir(options.build_dir, "win64"))
    checks = Checks()
    driver_check = os.path.join(prefix.build_dir, "sim", "windows", "tests", "driver_check.exe")
    dsmsim = os.path.join(prefix.build_dir, "sim", "dsmsim", "dsmsim.exe")
    hba_check = os.path.join(options.win32_dir, "sim", "windows", "tests", "hba_check.exe")
    version_check = os.path.join(prefix.build_dir, "sim", "windows", "tests", "version_check.exe")

    has_hba_check = os.path.exists(hba_check)
    # hba_check.exe, fenmar.exe and the hbaapi.dll they load are 32-bit programs.
    no_win32 = skip_reason()

    made = prefix.prepare()
    install_build(prefix, options.win32_dir)
    start = time.monotonic()
    prefix.start()
    started = time.monotonic() - start
    timings = [f"prefix made in {made:.1f} s" if made else "prefix reused", f"server and driver up in {started:.2f} s"]
    try:
        checks.program(prefix, "a freshly started driver has an empty world", [driver_check, "fresh"])
        spent = checks.program(prefix, "driver_check", [driver_check])
        timings.append(f"driver_check {spent:.2f} s")

        # The same scenario shown by both builds' dsmsim: the Windows world store
        # must keep everything the Linux world file keeps.
        scenario = os.path.join(SOURCE, "sim", "scenarios", "sample-san.json")
        status, _, err = prefix.run([dsmsim, "load", WinePrefix.windows_path(scenario)])
        checks.expect(status == 0, "dsmsim.exe load", err)
        status, shown, err = prefix.run([dsmsim, "show"])
        checks.expect(status == 0, "dsmsim.exe show", err)
        linux_dsmsim = os.path.join(options.linux_dir, "sim", "dsmsim", "dsmsim")
        if os.path.exists(linux_dsmsim):
            root = os.path.join(prefix.build_dir, "wine-logs", "linux-root")
            env = dict(os.environ, RAVLIN_SIM_ROOT=root)
            subprocess.run([linux_dsmsim, "load", scenario], env=env, check=True, capture_output=True)
            expected = subprocess.run([linux_dsmsim, "show"], env=env, check=True, capture_output=True).stdout
            checks.expect(normalise(shown) == expected, "dsmsim show reads the same world on both builds")
        status, _, _ = prefix.run([dsmsim, "driver", "stop"])
        checks.program(prefix, "dsmsim driver stop: \\\\.\\RAVLIN is gone", [driver_check, "no-dsm"])
        status, _, _ = prefix.run([dsmsim, "driver", "start"])
        status, out, _ = prefix.run([dsmsim, "journal"])
        checks.expect(status == 0 and out == b"", "a loaded world starts with an empty journal", out)

        # The driver's own life: stopped (Unload removes both names), started anew.
        start = time.monotonic()
        checks.expect(prefix.stop_driver() == 0, "net stop ravlindsm")
        stopped = time.monotonic() - start
        checks.program(prefix, "driver stopped: neither device opens", [driver_check, "no-device"])
        if no_win32:
            checks.skip(1, f"hba_check without the test driver: {no_win32}")
        elif has_hba_check:
            checks.program(prefix, "hba_check: without the test driver no adapters", [hba_check, "none"], loader="wine")
        # ravlin itself on a machine whose driver is not running.
        ravlin = os.path.join(prefix.build_dir, "tools", "ravlin", "ravlin.exe")
        status, out, _ = prefix.run([ravlin, "rescanhw", "0"])
        checks.expect(status == 255 and out == b"\r\nNo device file found\r\n\r\n",
                      f"ravlin.exe with the driver stopped: No device file found (exit {status})", out)
        start = time.monotonic()
        checks.expect(prefix.start_driver() == 0, "net start ravlindsm")
        timings.append(f"net stop {stopped:.2f} s, net start {time.monotonic() - start:.2f} s")
        checks.program(prefix, "a restarted driver has an empty world", [driver_check, "fresh"])

        # The build's own files, then the files a scenario's versions ask for.
        checks.program(prefix, "the build's driver and mpio.sys versions",
                       [version_check, "1.4.2.8 build 118-rc", "1.4.2.8", "10.0.17763.1"])
        versions = VersionFiles(prefix, SOURCE)
        checks.expect(scenario_versions(scenario) == (("1.4.2.8", "1.4.2.8 build 118-rc"), "10.0.17763.1"),
                      "the sample scenario's versions")
        cases = [
            ((("2.0.1.3", 'build "7" 100% \\x'), "6.3.9600.16384"), ['build "7" 100% \\x', "2.0.1.3", "6.3.9600.16384"]),
            ((("1.0.0.9", ""), None), ["-", "1.0.0.9", "none"]),
            ((None, "65535.0.1.2"), ["-", "none", "65535.0.1.2"]),
        ]
        for (dsm, mpio), expected in cases:
            versions.apply(dsm, mpio)
            checks.program(prefix, f"version files for {dsm} {mpio}", [version_check] + expected)
        install_build(prefix, options.win32_dir)

        if no_win32:
            # The loads, the library's three modes, the host port table and the journal after them.
            checks.skip(11, f"the test hbaapi.dll and ravlin's host port table: {no_win32}")
        elif has_hba_check:
            # The library's adapters come from the world dsmsim.exe loads.
            start = time.monotonic()
            for scenario_name, mode in (("hba-four-adapters.json", "four-adapters"),
                                        ("hba-load-fails.json", "load-fails")):
                path = os.path.join(SCENARIOS, scenario_name)
                status, _, err = prefix.run([dsmsim, "load", WinePrefix.windows_path(path)])
                checks.expect(status == 0, f"dsmsim.exe load {scenario_name}", err)
                checks.program(prefix, f"hba_check {mode} (32-bit, hbaapi.dll from syswow64)", [hba_check, mode], loader="wine")
            status, _, err = prefix.run([dsmsim, "load", WinePrefix.windows_path(scenario)])
            checks.expect(status == 0, "dsmsim.exe load sample-san.json", err)
            checks.program(prefix, "hba_check sample: the sample SAN's adapter", [hba_check, "sample"], loader="wine")
            check_host_ports(prefix, checks, options.win32_dir)
            # ravlin runs fenmar, and its cases compare journals: the library must not show in one.
            status, out, _ = prefix.run([dsmsim, "journal"])
            checks.expect(status == 0 and out == b"", "the HBA library leaves the DSM journal alone", out)
            status, _, err = prefix.run([dsmsim, "clear"])
            checks.program(prefix, "hba_check: a cleared world has no adapters", [hba_check, "none"], loader="wine")
            timings.append(f"hba checks {time.monotonic() - start:.2f} s")
        else:
            print(f"note: {hba_check} not built; the HBA library was not checked")

        start = time.monotonic()
        rescan_checks(prefix, checks, dsmsim)
        timings.append(f"rescan checks {time.monotonic() - start:.2f} s")
        start = time.monotonic()
        tree_journal_checks(prefix, checks, dsmsim)
        timings.append(f"device tree checks {time.monotonic() - start:.2f} s")

        start = time.monotonic()
        check_console_writes(prefix, checks, dsmsim)
        if no_win32:  # query wwpn runs the 32-bit fenmar.exe
            checks.skip(2, f"query wwpn on the console: {no_win32}")
        else:
            check_console_nul_bytes(prefix, checks, dsmsim)
        timings.append(f"console writes {time.monotonic() - start:.2f} s")
    finally:
        prefix.stop()
    print("timings: " + ", ".join(timings))
    print(f"wine-checks: {checks.passed} passed, {checks.failed} failed, {checks.skipped} skipped")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
