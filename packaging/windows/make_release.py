#!/usr/bin/env python3
"""Makes the Windows release from the win64 and win32 build trees:

    ravlin-<version>-windows.zip   the programs for a single host, unpacked by hand
    ravlin-<version>-x64.msi       per-machine installer into C:\\Program Files\\ravlin,
                                   which it adds to the system PATH
    SHA256SUMS                     both files' checksums, in the form `sha256sum -c` reads

The version is the one the build trees were configured with (release-version.txt,
from the project version); both trees must agree on it.

Signing: when RAVLIN_SIGN_PKCS12 names a PKCS#12 file (its password in
RAVLIN_SIGN_PASSWORD, empty when unset), ravlin.exe, fenmar.exe and the MSI are
signed with SHA-256 Authenticode signatures; RAVLIN_SIGN_TIMESTAMP_URL optionally
names an RFC 3161 time-stamp server. Without a certificate the release is unsigned,
and the script says so.

Nothing is written into the output folder before every input has been checked,
and the release files appear there only once all of them are complete: a refusal
or a failed step leaves no half-made file behind.
"""

import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import uuid
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))

# Fixed for ever: every version of the installer names the same upgrade code, so
# installing a newer one replaces the older (one entry in Programs and Features).
UPGRADE_CODE = "{5D3B7E2A-9C41-4F6B-8A0E-3B1F6C2D9A47}"
# Component and product codes are derived from it: stable per file and per version.
CODE_NAMESPACE = uuid.UUID(UPGRADE_CODE.strip("{}"))
MANUFACTURER = "TARVIK"
VERSION_FORM = re.compile(r"^(0|[1-9][0-9]*)\.(0|[1-9][0-9]*)\.(0|[1-9][0-9]*)$")
# The fixed date of every zip entry, so the same build gives the same zip.
ZIP_DATE = (2020, 1, 1, 0, 0, 0)


class Refusal(Exception):
    pass


def release_version(build_dirs):
    """The version both build trees were configured with, checked for MAJOR.MINOR.PATCH."""
    versions = set()
    for build in build_dirs:
        path = os.path.join(build, "release-version.txt")
        try:
            with open(path) as f:
                versions.add(f.read().strip())
        except OSError as e:
            raise Refusal(f"cannot read the build's version {path}: {e.strerror}")
    if len(versions) != 1:
        raise Refusal(f"the build trees carry different versions: {', '.join(sorted(versions))}")
    version = versions.pop()
    match = VERSION_FORM.match(version)
    if not match:
        raise Refusal(f"version {version!r} is not MAJOR.MINOR.PATCH")
    major, minor, patch = (int(part) for part in match.groups())
    if major > 255 or minor > 255 or patch > 65535:
        raise Refusal(f"version {version} is out of range for an installer (at most 255.255.65535)")
    return version


def release_files(win64, win32):
    """(source, name in the release) of every file shipped, in install order; refuses a missing one."""
    files = [(os.path.join(win64, "tools", "ravlin", "ravlin.exe"), "ravlin.exe"),
             (os.path.join(win32, "tools", "fenmar", "fenmar.exe"), "fenmar.exe"),
             (os.path.join(HERE, "README.txt"), "README.txt"),
             (os.path.join(SOURCE, "CHANGELOG.md"), "CHANGELOG.md")]
    if os.path.exists(os.path.join(SOURCE, "LICENSE")):
        files.append((os.path.join(SOURCE, "LICENSE"), "LICENSE.txt"))
    schemas = os.path.join(SOURCE, "docs", "schema")
    names = sorted(n for n in os.listdir(schemas) if n.endswith(".json")) if os.path.isdir(schemas) else []
    if not names:
        raise Refusal(f"no JSON schema to package in {schemas}")
    files += [(os.path.join(schemas, n), "schema/" + n) for n in names]
    monitoring = os.path.join(SOURCE, "docs", "monitoring")
    if os.path.isdir(monitoring):
        files += [(os.path.join(monitoring, n), "monitoring/" + n) for n in sorted(os.listdir(monitoring))
                  if os.path.isfile(os.path.join(monitoring, n))]
    for source, _ in files:
        if not os.path.isfile(source):
            raise Refusal(f"a file to package is missing: {source}")
    return files


def signing_settings():
    """The certificate to sign with, checked readable with its password; None for an unsigned release."""
    pkcs12 = os.environ.get("RAVLIN_SIGN_PKCS12", "")
    if not pkcs12:
        return None
    password = os.environ.get("RAVLIN_SIGN_PASSWORD", "")
    try:
        with open(pkcs12, "rb"):
            pass
    except OSError as e:
        raise Refusal(f"cannot read the certificate {pkcs12}: {e.strerror}")
    # Opened once with its password before anything is made: a wrong password or
    # a file that is no PKCS#12 stops the release here.
    check = subprocess.run(["openssl", "pkcs12", "-in", pkcs12, "-passin", "stdin", "-nokeys", "-noout"],
                           input=password.encode() + b"\n", capture_output=True)
    if check.returncode != 0:
        raise Refusal(f"cannot read the certificate {pkcs12}: not a PKCS#12 file, or the password "
                      "(RAVLIN_SIGN_PASSWORD) is wrong")
    return {"pkcs12": pkcs12, "password": password, "timestamp": os.environ.get("RAVLIN_SIGN_TIMESTAMP_URL", "")}


def sign(path, signing, description):
    """Signs `path` in place (SHA-256), the password going through a pipe, never the command line."""
    signed = path + ".signed"
    args = ["osslsigncode", "sign", "-pkcs12", signing["pkcs12"], "-readpass", "-", "-h", "sha256",
            "-n", description, "-in", path, "-out", signed]
    if signing["timestamp"]:
        args[2:2] = ["-ts", signing["timestamp"]]
    p = subprocess.run(args, input=signing["password"].encode(), capture_output=True)
    if p.returncode != 0:
        raise Refusal(f"signing {os.path.basename(path)} failed: "
                      + (p.stdout + p.stderr).decode(errors="replace").strip())
    os.replace(signed, path)


def text_for_windows(data, version):
    """A text file as Notepad reads it (CR LF), with @VERSION@ filled in."""
    data = data.replace(b"@VERSION@", version.encode())
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def stage(files, staging, version):
    """Copies the release files into `staging`, laid out as installed; returns their staged paths."""
    staged = []
    for source, name in files:
        target = os.path.join(staging, "files", *name.split("/"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(source, "rb") as f:
            data = f.read()
        if name.endswith((".txt", ".md")):
            data = text_for_windows(data, version)
        with open(target, "wb") as f:
            f.write(data)
        staged.append((target, name))
    return staged


def write_zip(staged, out):
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for path, name in staged:
            info = zipfile.ZipInfo(name, date_time=ZIP_DATE)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(path, "rb") as f:
                z.writestr(info, f.read())


def xml_escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def component_id(name):
    return "c_" + re.sub(r"[^A-Za-z0-9_]", "_", name)


def installer_source(staged, version, staging):
    """The installer's description for wixl: every file its own component under INSTALLDIR.
    wixl takes file sources relative to the folder it runs in (`staging`)."""
    folders = {}
    for path, name in staged:
        folder, _, _ = name.rpartition("/")
        folders.setdefault(folder, []).append((path, name))
    lines = []

    def components(folder, indent):
        for path, name in folders.get(folder, []):
            guid = str(uuid.uuid5(CODE_NAMESPACE, "component " + name)).upper()
            ident = component_id(name)
            lines.append(f'{indent}<Component Id="{ident}" Guid="{{{guid}}}" Win64="yes">')
            lines.append(f'{indent}  <File Id="f_{ident[2:]}" Name="{xml_escape(os.path.basename(name))}" '
                         f'Source="{xml_escape(os.path.relpath(path, staging))}" KeyPath="yes"/>')
            lines.append(f"{indent}</Component>")

    components("", "          ")
    for folder in sorted(f for f in folders if f):
        lines.append(f'          <Directory Id="d_{folder}" Name="{xml_escape(folder)}">')
        components(folder, "            ")
        lines.append("          </Directory>")
    refs = "\n".join(f'      <ComponentRef Id="{component_id(name)}"/>' for _, name in staged)
    product = str(uuid.uuid5(CODE_NAMESPACE, "product " + version)).upper()
    return f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{{{product}}}" Name="ravlin" Language="1033" Version="{version}"
           Manufacturer="{MANUFACTURER}" UpgradeCode="{UPGRADE_CODE}">
    <Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine"
             Description="ravlin {version}: multipath administration tools" Manufacturer="{MANUFACTURER}"/>
    <MajorUpgrade DowngradeErrorMessage="A newer version of ravlin is already installed."/>
    <Media Id="1" Cabinet="ravlin.cab" EmbedCab="yes"/>
    <Property Id="ARPNOMODIFY" Value="1"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFiles64Folder">
        <Directory Id="INSTALLDIR" Name="ravlin">
{chr(10).join(lines)}
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Tools" Title="ravlin and fenmar" Level="1">
{refs}
    </Feature>
  </Product>
</Wix>
"""


# The system PATH entry (wixl has no element for it): "=" sets on install, "-"
# removes on uninstall, "*" names the machine's variable, and "[~];" appends the
# folder to what is there, so that uninstall takes away only that part.
ENVIRONMENT_TABLE = ("Environment\tName\tValue\tComponent_\n"
                     "s72\tl255\tL255\ts72\n"
                     "Environment\tEnvironment\n"
                     "PathEntry\t=-*PATH\t[~];[INSTALLDIR]\tc_ravlin_exe\n")
ENVIRONMENT_ACTIONS = ("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) "
                       "VALUES ('RemoveEnvironmentStrings', 3300)",
                       "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) "
                       "VALUES ('WriteEnvironmentStrings', 5200)")


def run_tool(args, what, cwd=None):
    p = subprocess.run(args, capture_output=True, cwd=cwd)
    if p.returncode != 0:
        raise Refusal(f"{what} failed: " + (p.stdout + p.stderr).decode(errors="replace").strip())


def write_msi(staged, version, staging, out):
    source = os.path.join(staging, "ravlin.wxs")
    with open(source, "w") as f:
        f.write(installer_source(staged, version, staging))
    run_tool(["wixl", "-a", "x64", "-o", os.path.abspath(out), os.path.basename(source)], "wixl", cwd=staging)
    table = os.path.join(staging, "Environment.idt")
    with open(table, "w") as f:
        f.write(ENVIRONMENT_TABLE)
    run_tool(["msibuild", out, "-i", table], "msibuild (Environment table)")
    for query in ENVIRONMENT_ACTIONS:
        run_tool(["msibuild", out, "-q", query], "msibuild (environment actions)")


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def make_release(win64, win32, out_dir):
    version = release_version([win64, win32])
    files = release_files(win64, win32)
    signing = signing_settings()
    for tool in ("wixl", "msibuild") + (("osslsigncode",) if signing else ()):
        if shutil.which(tool) is None:
            raise Refusal(f"{tool} is not installed (scripts/setup installs it)")
    os.makedirs(out_dir, exist_ok=True)
    staging = tempfile.mkdtemp(prefix=".staging-", dir=out_dir)
    try:
        staged = stage(files, staging, version)
        if signing:
            for path, name in staged:
                if name.endswith(".exe"):
                    sign(path, signing, f"ravlin {version}: {name}")
        zip_name = f"ravlin-{version}-windows.zip"
        msi_name = f"ravlin-{version}-x64.msi"
        write_zip(staged, os.path.join(staging, zip_name))
        write_msi(staged, version, staging, os.path.join(staging, msi_name))
        if signing:
            sign(os.path.join(staging, msi_name), signing, f"ravlin {version}")
        with open(os.path.join(staging, "SHA256SUMS"), "w") as f:
            for name in (zip_name, msi_name):
                f.write(f"{sha256(os.path.join(staging, name))}  {name}\n")
        # Each file is complete before it is moved in; SHA256SUMS last, so a
        # folder holding it holds the files it names.
        for name in (zip_name, msi_name, "SHA256SUMS"):
            os.replace(os.path.join(staging, name), os.path.join(out_dir, name))
    finally:
        shutil.rmtree(staging, ignore_errors=True)
    return version, [os.path.join(out_dir, n) for n in (zip_name, msi_name, "SHA256SUMS")], signing


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--win64", default=os.path.join(SOURCE, "build", "win64"), help="the win64 build tree")
    parser.add_argument("--win32", default=os.path.join(SOURCE, "build", "win32"), help="the win32 build tree")
    parser.add_argument("--out", default=os.path.join(SOURCE, "build", "package"), help="the output folder")
    options = parser.parse_args(argv)
    try:
        version, outputs, signing = make_release(options.win64, options.win32, options.out)
    except Refusal as e:
        print(f"package-windows: {e}; nothing was made", file=sys.stderr)
        return 1
    if signing:
        print(f"package-windows: ravlin {version}, signed with {signing['pkcs12']}", file=sys.stderr)
    else:
        print(f"package-windows: ravlin {version}, UNSIGNED: no certificate given (set RAVLIN_SIGN_PKCS12 "
              "and RAVLIN_SIGN_PASSWORD to sign)", file=sys.stderr)
    for path in outputs:
        print(os.path.relpath(path) if not os.path.isabs(options.out) else path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
