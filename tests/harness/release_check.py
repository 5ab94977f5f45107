#!/usr/bin/env python3
"""Checks the Windows release end to end:

- scripts/package-windows refuses an unreadable certificate, a wrong password, a
  version that is not MAJOR.MINOR.PATCH and a missing file, leaving nothing behind;
- a release signed with a throwaway certificate (made here with openssl in a
  temporary folder) verifies with osslsigncode against that certificate, and a
  copy with one byte changed does not; SHA256SUMS matches;
- the version resources and manifests of ravlin.exe and fenmar.exe, read under
  Wine with the version calls, carry the product version in every field;
- in a copy of the Wine test prefix: the MSI installs silently into
  C:\\Program Files\\ravlin, a new `cmd /c ravlin ...` finds it through the system
  PATH and answers as the built program does (query wwpn finding fenmar.exe beside
  it, where 32-bit programs run); a second MSI of the next patch version, built
  from build trees configured with that version, replaces it (one product
  registered, the new files); uninstalling takes away the folder and the PATH
  entry, changes no other entry, and leaves the activity log and the cache alone.

    python3 -m tests.harness.release_check [--win64 build/win64] [--win32 build/win32]

Ends with "release-check: N passed, N failed, N skipped"; exit status 1 on any failure.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

from .check_tally import Checks
from .paths import SOURCE, build_dir
from .win32_support import skip_reason
from .wine_prefix import WinePrefix, install_build

PACKAGE = os.path.join(SOURCE, "scripts", "package-windows")
ENVIRONMENT_KEY = "HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
INSTALL_DIR = "C:\\Program Files\\ravlin"
PASSWORD = "throwaway password"
# Bounds for each step: only a broken tool ever reaches them.
STEP_TIMEOUT = 120
BUILD_TIMEOUT = 900


def package(win64, win32, out, env_extra=None, unset=()):
    env = dict(os.environ)
    for name in ("RAVLIN_SIGN_PKCS12", "RAVLIN_SIGN_PASSWORD", "RAVLIN_SIGN_TIMESTAMP_URL") + tuple(unset):
        env.pop(name, None)
    env.update(env_extra or {})
    return subprocess.run([PACKAGE, "--win64", win64, "--win32", win32, "--out", out], env=env,
                          capture_output=True, timeout=STEP_TIMEOUT)


def make_certificate(folder):
    """A self-signed code-signing certificate: (PEM certificate, PKCS#12 file)."""
    key, cert, p12 = (os.path.join(folder, n) for n in ("key.pem", "cert.pem", "cert.p12"))
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-keyout", key,
                    "-out", cert, "-subj", "/CN=ravlin release check (throwaway)",
                    "-addext", "extendedKeyUsage=codeSigning", "-addext", "keyUsage=digitalSignature"],
                   check=True, capture_output=True, timeout=STEP_TIMEOUT)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", p12,
                    "-passout", "pass:" + PASSWORD], check=True, capture_output=True, timeout=STEP_TIMEOUT)
    os.remove(key)
    return cert, p12


def fake_tree(root, name, version, files):
    """A build tree holding only what the package script reads."""
    tree = os.path.join(root, name)
    os.makedirs(tree, exist_ok=True)
    for relative in files:
        path = os.path.join(tree, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(b"MZ not a real program")
    with open(os.path.join(tree, "release-version.txt"), "w") as f:
        f.write(version + "\n")
    return tree


def check_refusals(checks, work, p12):
    """Each refusal: exit status 1, one clear line, and an output folder with nothing in it."""
    exe64, exe32 = os.path.join("tools", "ravlin", "ravlin.exe"), os.path.join("tools", "fenmar", "fenmar.exe")
    good64 = fake_tree(work, "good64", "1.2.3", [exe64])
    good32 = fake_tree(work, "good32", "1.2.3", [exe32])
    refusals = [
        ("a certificate that does not exist", good64, good32,
         {"RAVLIN_SIGN_PKCS12": os.path.join(work, "nowhere.p12")}, b"cannot read the certificate"),
        ("a certificate with the wrong password", good64, good32,
         {"RAVLIN_SIGN_PKCS12": p12, "RAVLIN_SIGN_PASSWORD": "wrong"}, b"password"),
        ("a certificate file that is no PKCS#12", good64, good32,
         {"RAVLIN_SIGN_PKCS12": os.path.join(good64, exe64)}, b"cannot read the certificate"),
        ("version 1.2", fake_tree(work, "short64", "1.2", [exe64]), fake_tree(work, "short32", "1.2", [exe32]),
         {}, b"is not MAJOR.MINOR.PATCH"),
        ("version 1.2.3-rc1", fake_tree(work, "rc64", "1.2.3-rc1", [exe64]), fake_tree(work, "rc32", "1.2.3-rc1", [exe32]),
         {}, b"is not MAJOR.MINOR.PATCH"),
        ("version 256.0.0", fake_tree(work, "big64", "256.0.0", [exe64]), fake_tree(work, "big32", "256.0.0", [exe32]),
         {}, b"out of range"),
        ("build trees of two versions", good64, fake_tree(work, "other32", "1.2.4", [exe32]), {}, b"different versions"),
        ("fenmar.exe missing", good64, fake_tree(work, "empty32", "1.2.3", []), {}, b"missing"),
        ("ravlin.exe missing", fake_tree(work, "empty64", "1.2.3", []), good32, {}, b"missing"),
    ]
    for what, win64, win32, env, message in refusals:
        out = os.path.join(work, "out-refused")
        os.makedirs(out, exist_ok=True)
        p = package(win64, win32, out, env)
        left = os.listdir(out)
        checks.expect(p.returncode == 1 and message in p.stderr and b"nothing was made" in p.stderr
                      and p.stdout == b"" and not left,
                      f"package refuses {what} (exit {p.returncode}, left {left})", p.stderr)
        shutil.rmtree(out)
    # A failure in the middle (a signing step) must not leave a half-made release either:
    # here the certificate opens but signing the fake program fails.
    out = os.path.join(work, "out-failed")
    os.makedirs(out)
    p = package(good64, good32, out, {"RAVLIN_SIGN_PKCS12": p12, "RAVLIN_SIGN_PASSWORD": PASSWORD})
    checks.expect(p.returncode == 1 and os.listdir(out) == [],
                  f"a failed signing leaves nothing (exit {p.returncode}, left {os.listdir(out)})", p.stderr)


def verify(path, cert):
    return subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", path],
                          capture_output=True, timeout=STEP_TIMEOUT)


def one_byte_changed(path, folder):
    copy = os.path.join(folder, "changed-" + os.path.basename(path))
    data = bytearray(open(path, "rb").read())
    data[len(data) // 2] ^= 0x01  # inside the signed content, far from the signature at the end
    with open(copy, "wb") as f:
        f.write(data)
    return copy


def unpack(zip_path, folder):
    with zipfile.ZipFile(zip_path) as z:
        z.extractall(folder)
    return folder


def check_signatures(checks, release, cert, work):
    files = [os.path.join(release["unpacked"], "ravlin.exe"), os.path.join(release["unpacked"], "fenmar.exe"),
             release["msi"]]
    for path in files:
        name = os.path.basename(path)
        p = verify(path, cert)
        checks.expect(p.returncode == 0 and b"Signature verification: ok" in p.stdout,
                      f"{name}: the signature verifies against the throwaway certificate", p.stdout + p.stderr)
        checks.expect(b"Message digest algorithm  : SHA256" in p.stdout or b"SHA256" in p.stdout,
                      f"{name}: signed with SHA-256", p.stdout)
        p = verify(one_byte_changed(path, work), cert)
        checks.expect(p.returncode != 0, f"{name} with one byte changed fails verification", p.stdout)
    p = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=release["out"], capture_output=True, timeout=STEP_TIMEOUT)
    checks.expect(p.returncode == 0 and p.stdout.count(b": OK") == 2, "SHA256SUMS matches the zip and the MSI",
                  p.stdout + p.stderr)


def check_unsigned(checks, release):
    checks.expect(b"UNSIGNED" in release["stderr"], "a release without a certificate says it is unsigned",
                  release["stderr"])
    p = subprocess.run(["osslsigncode", "verify", "-in", os.path.join(release["unpacked"], "ravlin.exe")],
                       capture_output=True, timeout=STEP_TIMEOUT)
    checks.expect(p.returncode != 0, "and its ravlin.exe carries no signature", p.stdout)


def make_release(checks, win64, win32, out, env=None):
    p = package(win64, win32, out, env)
    with open(os.path.join(win64, "release-version.txt")) as f:
        version = f.read().strip()
    names = [f"ravlin-{version}-windows.zip", f"ravlin-{version}-x64.msi", "SHA256SUMS"]
    made = sorted(os.listdir(out)) if os.path.isdir(out) else []
    if not checks.expect(p.returncode == 0 and made == sorted(names),
                         f"package-windows makes {', '.join(names)} (exit {p.returncode}, made {made})",
                         p.stdout + p.stderr):
        return None
    unpacked = unpack(os.path.join(out, names[0]), os.path.join(out + "-unpacked"))
    readme = open(os.path.join(unpacked, "README.txt"), "rb").read()
    checks.expect(f"ravlin and fenmar {version} for Windows\r\n".encode() in readme and b"@VERSION@" not in readme,
                  f"README.txt names version {version}, with Windows line ends")
    return {"version": version, "out": out, "msi": os.path.join(out, names[1]), "unpacked": unpacked,
            "stderr": p.stderr}


def resource_fields(text):
    """release_resources output -> {file name: {key: value}}; the manifest under "manifest"."""
    files, current, manifest = {}, None, None
    for line in text.replace("\r\n", "\n").split("\n"):
        if manifest is not None:
            if line == "manifest-end":
                current["manifest"] = "\n".join(manifest)
                manifest = None
            else:
                manifest.append(line)
        elif line.startswith("file "):
            current = files.setdefault(os.path.basename(line[5:].replace("\\", "/")), {})
        elif line == "manifest-begin":
            manifest = []
        elif "=" in line and current is not None:
            key, _, value = line.partition("=")
            current[key] = value
    return files


def check_resources(checks, prefix, version, folder):
    """Every field of both programs' version resources and manifests against the product version."""
    program = os.path.join(prefix.build_dir, "sim", "windows", "tests", "release_resources.exe")
    status, out, err = prefix.run([program, os.path.join(folder, "ravlin.exe"), os.path.join(folder, "fenmar.exe")])
    checks.expect(status == 0, f"release_resources reads both programs (exit {status})", out + err)
    files = resource_fields(out.decode(errors="replace"))
    quad = version + ".0"
    descriptions = {"ravlin": "ravlin multipath administration utility",
                    "fenmar": "fenmar Fibre Channel HBA query utility"}
    for name, architecture in (("ravlin", "amd64"), ("fenmar", "x86")):
        fields = files.get(name + ".exe", {})
        expected = {"CompanyName": "TARVIK", "FileDescription": descriptions[name], "FileVersion": version,
                    "InternalName": name, "LegalCopyright": "Copyright (C) TARVIK. All rights reserved.",
                    "OriginalFilename": name + ".exe", "ProductName": "ravlin", "ProductVersion": version,
                    "fixed.FileVersion": quad, "fixed.ProductVersion": quad, "fixed.FileType": "1",
                    "fixed.FileFlags": "0"}
        wrong = {k: (fields.get(k), v) for k, v in expected.items() if fields.get(k) != v}
        checks.expect(not wrong, f"{name}.exe version resource carries {version} in every field", repr(wrong))
        manifest = fields.get("manifest", "")
        checks.expect('level="asInvoker"' in manifest and 'uiAccess="false"' in manifest
                      and "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" in manifest
                      and f'version="{quad}"' in manifest and f'processorArchitecture="{architecture}"' in manifest
                      and "activeCodePage" not in manifest,
                      f"{name}.exe manifest: asInvoker, Windows 10 and later, {architecture}, no code page change",
                      manifest)


def registry_value(prefix, key, value):
    status, out, _ = prefix.run(["reg", "query", key, "/v", value])
    for line in out.decode(errors="replace").splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[0].lower() == value.lower():
            return parts[2]
    return None


def path_entries(prefix):
    return [e for e in (registry_value(prefix, ENVIRONMENT_KEY, "PATH") or "").split(";") if e]


def registered_products(prefix):
    """(DisplayName, DisplayVersion) of every uninstall entry named ravlin."""
    status, out, _ = prefix.run(["reg", "query", UNINSTALL_KEY, "/s"])
    products, name, version = [], None, None
    for line in out.decode(errors="replace").splitlines() + ["HKEY_END"]:
        if line.startswith("HKEY_"):
            if name == "ravlin":
                products.append((name, version))
            name = version = None
            continue
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[0] == "DisplayName":
            name = parts[2]
        elif len(parts) == 3 and parts[0] == "DisplayVersion":
            version = parts[2]
    return products


def installed(prefix, *parts):
    return prefix.drive_c("Program Files", "ravlin", *parts)


def msiexec(prefix, action, msi):
    return prefix.run(["msiexec", action, WinePrefix.windows_path(msi), "/qn"], timeout=STEP_TIMEOUT)


def check_install(checks, prefix, release, no_win32, cwd):
    built = os.path.join(prefix.build_dir, "tools", "ravlin", "ravlin.exe")
    before = path_entries(prefix)
    status, out, err = msiexec(prefix, "/i", release["msi"])
    checks.expect(status == 0, f"msiexec /i {os.path.basename(release['msi'])} /qn (exit {status})", out + err)
    expected = sorted(os.listdir(release["unpacked"]))
    present = sorted(os.listdir(installed(prefix))) if os.path.isdir(installed(prefix)) else []
    checks.expect(present == expected, f"the release's files are in {INSTALL_DIR}", f"{present} != {expected}")
    same = all(open(installed(prefix, n), "rb").read() == open(os.path.join(release["unpacked"], n), "rb").read()
               for n in ("ravlin.exe", "fenmar.exe") if os.path.exists(installed(prefix, n)))
    checks.expect(same, "the installed programs are the release's bytes")
    after = path_entries(prefix)
    checks.expect(after[:len(before)] == before and [e.rstrip("\\") for e in after[len(before):]] == [INSTALL_DIR],
                  "the system PATH gains the install folder, after every entry it had", f"{before} -> {after}")

    # A new command interpreter finds ravlin through the system PATH (no WINEPATH, no full path).
    tools = ("hba",)
    for words in ("query version", "query version -b", "query device"):
        status, out, err = prefix.run(["cmd", "/c", "ravlin " + words], cwd=cwd, tools=tools)
        ref_status, reference, _ = prefix.run([built] + words.split(), cwd=cwd, tools=tools)
        checks.expect(status == ref_status == 0 and out == reference and out,
                      f"cmd /c ravlin {words}: found on the PATH, the built program's bytes (exit {status})",
                      out + err)
    if no_win32:
        checks.skip(1, f"query wwpn with fenmar.exe beside the installed ravlin: {no_win32}")
    else:
        status, out, err = prefix.run(["cmd", "/c", "ravlin query wwpn"], cwd=cwd, tools=tools)
        _, reference, _ = prefix.run([built, "query", "wwpn"], cwd=cwd)  # fenmar from the harness's folder
        checks.expect(status == 0 and out == reference and b"PortWWN" in out,
                      "cmd /c ravlin query wwpn: runs the fenmar.exe installed beside it", out + err)
    return before


def check_upgrade(checks, prefix, old, new, cwd):
    status, out, err = msiexec(prefix, "/i", new["msi"])
    checks.expect(status == 0, f"msiexec /i {os.path.basename(new['msi'])} /qn over {old['version']} (exit {status})",
                  out + err)
    products = registered_products(prefix)
    checks.expect(products == [("ravlin", new["version"])], f"one product registered, version {new['version']}",
                  repr(products))
    for name in ("ravlin.exe", "fenmar.exe"):
        path = installed(prefix, name)
        same = os.path.exists(path) and open(path, "rb").read() == open(os.path.join(new["unpacked"], name), "rb").read()
        checks.expect(same, f"the installed {name} is version {new['version']}'s")
    ravlin_entries = [e for e in path_entries(prefix) if e.rstrip("\\") == INSTALL_DIR]
    checks.expect(len(ravlin_entries) == 1, "the system PATH names the folder once after the upgrade",
                  repr(path_entries(prefix)))
    # By its full path: Wine's uninstall leaves the separator of the entry it removes, the
    # upgrade's install then appends after an empty entry, and Wine's cmd stops its search
    # at an empty entry (Windows takes the separator away, and its cmd reads on).
    status, out, err = prefix.run([installed(prefix, "ravlin.exe"), "query", "version", "-json"], cwd=cwd)
    try:
        tool_version = json.loads(out)["tool_version"]
    except (ValueError, KeyError):
        tool_version = None
    checks.expect(tool_version == new["version"], f"the installed ravlin names {new['version']} in query version -json",
                  out + err)


def check_uninstall(checks, prefix, release, path_before):
    # Files ravlin itself writes into the system folder: the uninstall must leave them.
    kept = {}
    for name in ("ravlindsm.log", "ravlindsm_config.json"):
        path = prefix.system32(name)
        if not os.path.exists(path):
            with open(path, "wb") as f:
                f.write(b"written by the release check\r\n")
        kept[name] = open(path, "rb").read()
    status, out, err = msiexec(prefix, "/x", release["msi"])
    checks.expect(status == 0, f"msiexec /x {os.path.basename(release['msi'])} /qn (exit {status})", out + err)
    checks.expect(not os.path.exists(installed(prefix)), f"{INSTALL_DIR} is gone")
    after = path_entries(prefix)
    checks.expect(after == path_before, "the PATH entry is gone and no other entry changed",
                  f"{path_before} -> {after}")
    checks.expect(registered_products(prefix) == [], "no product registered", repr(registered_products(prefix)))
    for name, data in kept.items():
        path = prefix.system32(name)
        checks.expect(os.path.exists(path) and open(path, "rb").read() == data, f"System32\\{name} is left alone")


def build_next(win64, win32, version):
    """Build trees beside the given ones, configured with `version`: only the two programs are built."""
    trees = []
    for tree, preset, target in ((win64, "win64", "ravlin"), (win32, "win32", "fenmar")):
        next_tree = tree.rstrip("/") + "-next"
        env = dict(os.environ)
        if shutil.which("ccache"):
            env.setdefault("CMAKE_C_COMPILER_LAUNCHER", "ccache")
            env.setdefault("CMAKE_CXX_COMPILER_LAUNCHER", "ccache")
            env.setdefault("CCACHE_BASEDIR", SOURCE)
            env.setdefault("CCACHE_NOHASHDIR", "1")
        subprocess.run(["cmake", "--preset", preset, "-B", next_tree, "-DRAVLIN_VERSION_OVERRIDE=" + version],
                       cwd=SOURCE, env=env, check=True, capture_output=True, timeout=BUILD_TIMEOUT)
        subprocess.run(["cmake", "--build", next_tree, "--target", target], env=env, check=True,
                       capture_output=True, timeout=BUILD_TIMEOUT)
        # Only what the package reads: the program and the version it was built with.
        trees.append(next_tree)
    return trees


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--win64")
    parser.add_argument("--win32")
    options = parser.parse_args()
    win64, win32 = build_dir(options.win64, "win64"), build_dir(options.win32, "win32")
    checks = Checks()
    work = tempfile.mkdtemp(prefix="ravlin-release-")
    prefix = None
    try:
        cert, p12 = make_certificate(work)
        check_refusals(checks, work, p12)

        signed = make_release(checks, win64, win32, os.path.join(work, "signed"),
                              {"RAVLIN_SIGN_PKCS12": p12, "RAVLIN_SIGN_PASSWORD": PASSWORD})
        if signed is None:
            return 1
        check_signatures(checks, signed, cert, work)

        version = signed["version"]
        major, minor, patch = (int(p) for p in version.split("."))
        next_version = f"{major}.{minor}.{patch + 1}"
        next64, next32 = build_next(win64, win32, next_version)
        newer = make_release(checks, next64, next32, os.path.join(work, "next"))
        if newer is None:
            return 1
        check_unsigned(checks, newer)

        # A copy of the prepared test prefix: installing must not disturb the case runs.
        base = WinePrefix(win64)
        base.prepare()
        prefix = WinePrefix(win64, path=os.path.join(work, "prefix"), log_dir=os.path.join(work, "wine-logs"))
        subprocess.run(["cp", "-a", base.path, prefix.path], check=True, timeout=STEP_TIMEOUT)
        install_build(prefix, win32)
        prefix.start()
        scenario = os.path.join(SOURCE, "sim", "scenarios", "sample-san.json")
        dsmsim = os.path.join(win64, "sim", "dsmsim", "dsmsim.exe")
        status, _, err = prefix.run([dsmsim, "load", WinePrefix.windows_path(scenario)])
        checks.expect(status == 0, "dsmsim.exe load sample-san.json", err)
        cwd = os.path.join(work, "cwd")
        os.makedirs(cwd)

        check_resources(checks, prefix, version, signed["unpacked"])
        check_resources(checks, prefix, next_version, newer["unpacked"])
        path_before = check_install(checks, prefix, signed, skip_reason(), cwd)
        check_upgrade(checks, prefix, signed, newer, cwd)
        check_uninstall(checks, prefix, newer, path_before)
    except subprocess.CalledProcessError as e:
        checks.expect(False, f"{' '.join(e.cmd)} failed with {e.returncode}", (e.stdout or b"") + (e.stderr or b""))
    finally:
        if prefix is not None:
            prefix.stop()
        shutil.rmtree(work, ignore_errors=True)
    print(f"release-check: {checks.passed} passed, {checks.failed} failed, {checks.skipped} skipped")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
