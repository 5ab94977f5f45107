"""Whether this machine can run 32-bit Windows programs under Wine.

fenmar.exe, the test hbaapi.dll and the checks that load it are 32-bit. Some
machines refuse 32-bit programs altogether (the kernel's IA-32 execution is off):
Wine's 32-bit loader then fails at once with "Exec format error". The test runners
ask `win32_support()` once and skip exactly what needs a 32-bit program, counting it.

    python3 -m tests.harness.win32_support
                                prints one line saying what this machine can do;
                                exit 0, or 1 when it cannot and RAVLIN_REQUIRE_WIN32=1

Environment:
    RAVLIN_WIN32_LOADER   the 32-bit loader to try (default /usr/lib/wine/wine); a
                          file that is no program forces the "cannot" answer
    RAVLIN_REQUIRE_WIN32  1: a machine that cannot run them fails instead of skipping
"""

import os
import subprocess
import sys

LOADER = "/usr/lib/wine/wine"
SKIPPED = ("fenmar.exe and the ravlin.exe cases that run it, and the checks of the 32-bit "
           "test hbaapi.dll")


def win32_support(loader=None):
    """(True, "") when the 32-bit loader runs, else (False, why)."""
    loader = loader or os.environ.get("RAVLIN_WIN32_LOADER") or LOADER
    try:
        p = subprocess.run([loader, "--version"], stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
    except FileNotFoundError:
        return False, f"{loader} is missing"
    except OSError as e:  # ENOEXEC: the kernel refuses the program's format
        return False, f"{loader}: {e.strerror}"
    except subprocess.TimeoutExpired:
        return False, f"{loader} --version did not answer"
    if p.returncode != 0:
        return False, f"{loader} --version ended with {p.returncode}"
    return True, ""


def required():
    return os.environ.get("RAVLIN_REQUIRE_WIN32") == "1"


def skip_reason():
    """None when 32-bit programs run; else the reason that a skipped run names.
    Raises SystemExit when they cannot run and RAVLIN_REQUIRE_WIN32=1 asks for them."""
    ok, why = win32_support()
    if ok:
        return None
    if required():
        raise SystemExit(f"32-bit Windows programs cannot run here ({why}) and RAVLIN_REQUIRE_WIN32=1")
    return f"no 32-bit programs on this machine: {why}"


def main():
    ok, why = win32_support()
    if ok:
        print("win32: this machine runs 32-bit programs under Wine; nothing is skipped")
        return 0
    print(f"win32: this machine cannot run 32-bit programs under Wine ({why}); leaving out {SKIPPED}"
          + (" -- RAVLIN_REQUIRE_WIN32=1 makes this a failure" if required() else ""))
    return 1 if required() else 0


if __name__ == "__main__":
    sys.exit(main())
