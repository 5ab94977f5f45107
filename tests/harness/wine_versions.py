"""The version files that `ravlin query version` reads, made to match a world.

On Linux the version data come from the simulated world; on Windows ravlin reads
the version resources of C:\\windows\\system32\\drivers\\ravlindsm.sys and mpio.sys.
So that a scenario means the same on both, the Wine harness puts files there
whose resources say what the scenario says: resource-only images built from the
same template as the build's fixtures (cached by content), or no file at all.
The running driver is not disturbed: its image is already mapped, and the file
is replaced by rename.
"""

import hashlib
import json
import os
import subprocess


def scenario_versions(path):
    """(dsm, mpio) as a scenario file gives them, by the scenario reader's rules:
    dsm is None (no file) or (file version, build number), where the build number
    is None for a resource without the value and "" for an empty value; mpio None
    or its file version. A missing or null key means that file is missing."""
    # Driver texts in a scenario may hold any byte (the simulator's reader takes them
    # as they are); only the versions are read here.
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        versions = json.load(f).get("versions") or {}
    build = versions.get("dsm_build_number")
    dsm_version = versions.get("dsm_file_version")
    dsm = None
    if build is not None or dsm_version is not None:
        dsm = (dsm_version or "0.0.0.0", build)
    return dsm, versions.get("mpio_file_version")


def rc_text(value):
    return value.replace("\\", "\\\\").replace('"', '""')


# The code page in which the version query hands ravlin a resource's UTF-16 texts: the
# system's ANSI code page, 1252 for the prefix's English locale (which the harness
# pins, see wine_prefix). Its five unassigned bytes map to the code points of the same
# number, as the system's own table maps them, so every byte has one code point.
ANSI_CODE_PAGE = "cp1252"


def ansi_code_point(byte):
    try:
        return ord(bytes([byte]).decode(ANSI_CODE_PAGE))
    except UnicodeDecodeError:
        return byte


def rc_value(text):
    """The resource-script string of a version value whose ANSI form is the scenario's
    bytes: plain printable ASCII as a plain string, anything else as a wide string with
    every code unit escaped, so no byte passes through the resource compiler's own
    code page. `text` is a str read with surrogateescape, so it gives back the file's
    bytes exactly (the bytes the simulator holds)."""
    data = text.encode("utf-8", "surrogateescape")
    if all(0x20 <= b < 0x7F for b in data):
        return f'"{rc_text(data.decode("ascii"))}"'
    return 'L"' + "".join(f"\\x{ansi_code_point(b):04x}" for b in data) + '"'


def empty_value_length(obj):
    """An empty "Product Build Number" that holds no bytes at all. windres writes
    an empty text with its terminator (value length 1); a resource whose value
    length is 0 is what makes the version query return no bytes, so the length
    word, the second of the value's header just before its UTF-16 key, becomes 0."""
    data = bytearray(open(obj, "rb").read())
    key = "Product Build Number".encode("utf-16-le")
    at = data.find(key)
    if at < 6 or data[at - 4:at - 2] != b"\x01\x00":
        raise RuntimeError(f"{obj}: no one-character build number value to empty")
    data[at - 4:at - 2] = b"\x00\x00"
    open(obj, "wb").write(bytes(data))


class VersionFiles:
    def __init__(self, prefix, source_dir):
        self.prefix = prefix
        self.template = os.path.join(source_dir, "sim", "windows", "fixtures", "version_resource.rc.in")
        self.cache = os.path.join(prefix.build_dir, "wine-fixtures")

    def image(self, description, version, build_number):
        """The path of a resource-only image with that version resource (made once)."""
        build_value = None if build_number is None else rc_value(build_number)
        key = hashlib.sha1(f"{description}\n{version}\n{build_value}".encode()).hexdigest()[:16]
        image = os.path.join(self.cache, key + ".sys")
        if os.path.exists(image):
            return image
        os.makedirs(self.cache, exist_ok=True)
        parts = (version.split(".") + ["0", "0", "0", "0"])[:4]
        line = "" if build_value is None else f'      VALUE "Product Build Number", {build_value}'
        text = open(self.template, encoding="utf-8").read()
        for name, value in (("V1", parts[0]), ("V2", parts[1]), ("V3", parts[2]), ("V4", parts[3]),
                            ("DESCRIPTION", rc_text(description)), ("BUILD_NUMBER_LINE", line)):
            text = text.replace("@" + name + "@", value)
        rc = os.path.join(self.cache, key + ".rc")
        obj = os.path.join(self.cache, key + ".o")
        # Written as bytes: the script is ASCII whatever the texts hold, and no encoding
        # of the harness's own may refuse a character.
        with open(rc, "wb") as f:
            f.write(text.encode("ascii"))
        subprocess.run(["x86_64-w64-mingw32-windres", "-O", "coff", "-i", rc, "-o", obj], check=True,
                       stdin=subprocess.DEVNULL, capture_output=True)
        if build_number == "":
            empty_value_length(obj)
        subprocess.run(["x86_64-w64-mingw32-gcc", "-nostdlib", "-nostartfiles", "-shared", "-Wl,-e,0",
                        "-Wl,--subsystem,native", "-o", image + ".new", obj], check=True,
                       stdin=subprocess.DEVNULL, capture_output=True)
        os.replace(image + ".new", image)
        return image

    def apply(self, dsm, mpio):
        """Puts the two files in place for (dsm, mpio) as scenario_versions gives them."""
        drivers = ("windows", "system32", "drivers")
        if dsm is None:
            self.prefix.remove(*drivers, "ravlindsm.sys")
        else:
            self.prefix.install(self.image("ravlin DSM test driver", dsm[0], dsm[1]), *drivers, "ravlindsm.sys")
        if mpio is None:
            self.prefix.remove(*drivers, "mpio.sys")
        else:
            self.prefix.install(self.image("MPIO test fixture", mpio, None), *drivers, "mpio.sys")
