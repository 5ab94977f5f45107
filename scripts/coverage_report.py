#!/usr/bin/env python3
"""Line coverage of the sources under one folder, from a gcov build tree.

coverage_report.py BUILD_DIR FOLDER UNCOVERED_FILE: runs gcov on every object of
the build (an object never run counts as all lines unreached), keeps the source
files under FOLDER of this source tree, prints lines reached / lines with code
per file and in total, and writes every line never reached to UNCOVERED_FILE as
"path:line: text".
"""

import json
import os
import subprocess
import sys
import tempfile

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def gcov_files(build_dir):
    """Yields (source path, {line: count}) for every source line gcov reports."""
    notes = []
    for folder, _, files in os.walk(build_dir):
        notes += [os.path.join(folder, f) for f in files if f.endswith(".gcno")]
    with tempfile.TemporaryDirectory() as scratch:
        for note in sorted(notes):
            p = subprocess.run(["gcov", "--json-format", "--stdout", os.path.abspath(note)], cwd=scratch,
                               capture_output=True)
            for document in p.stdout.decode(errors="replace").splitlines():
                if not document.strip():
                    continue
                data = json.loads(document)
                cwd = data.get("current_working_directory", build_dir)
                for f in data.get("files", []):
                    path = os.path.normpath(os.path.join(cwd, f["file"]))
                    yield path, {line["line_number"]: line["count"] for line in f["lines"]}


def main(build_dir, folder, uncovered_file):
    root = os.path.join(SOURCE, folder) + os.sep
    lines = {}  # path -> {line: count}, counts of one line summed over the objects holding it
    for path, counts in gcov_files(build_dir):
        if not path.startswith(root):
            continue
        merged = lines.setdefault(path, {})
        for number, count in counts.items():
            merged[number] = merged.get(number, 0) + count
    total = reached = 0
    with open(uncovered_file, "w") as out:
        for path in sorted(lines):
            counts = lines[path]
            hit = sum(1 for c in counts.values() if c > 0)
            total += len(counts)
            reached += hit
            name = os.path.relpath(path, SOURCE)
            print(f"{hit:5d} / {len(counts):5d}  {100.0 * hit / max(len(counts), 1):5.1f}%  {name}")
            text = open(path, encoding="utf-8", errors="replace").read().splitlines()
            for number in sorted(n for n, c in counts.items() if c == 0):
                out.write(f"{name}:{number}: {text[number - 1].strip() if number <= len(text) else ''}\n")
    print(f"{reached:5d} / {total:5d}  {100.0 * reached / max(total, 1):5.1f}%  {folder}/ (lines reached / lines with code)")
    print(f"lines never reached: {uncovered_file}")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
