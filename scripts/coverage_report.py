#!/usr/bin/env python3
"""Line coverage of tools/ and platform/ by the builds' runs, each build alone and together.

coverage_report.py UNCOVERED_FILE BUILD...

BUILD is NAME=GCOV:DIR, a gcov build tree and the gcov that reads its counts (the
cross gcov for a Windows tree); trees under one NAME are one build (the 64- and
32-bit Windows trees). gcov runs on every object (an object never run counts as all
lines unreached). A line counts as code when one build compiles code for it, and as
reached in the union when any build reached it. Prints, per source file and in total
for each folder, lines reached / lines with code per build and for the union, and
writes every line the union never reached to UNCOVERED_FILE as "path:line: text".
"""

import json
import os
import subprocess
import sys
import tempfile

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ("tools", "platform")


def gcov_files(gcov, build_dir):
    """Yields (source path, {line: count}) for every source line gcov reports."""
    notes = []
    for folder, _, files in os.walk(build_dir):
        notes += [os.path.join(folder, f) for f in files if f.endswith(".gcno")]
    with tempfile.TemporaryDirectory() as scratch:
        for note in sorted(notes):
            p = subprocess.run([gcov, "--json-format", "--stdout", os.path.abspath(note)], cwd=scratch,
                               capture_output=True)
            for document in p.stdout.decode(errors="replace").splitlines():
                if not document.strip():
                    continue
                data = json.loads(document)
                cwd = data.get("current_working_directory", build_dir)
                for f in data.get("files", []):
                    path = os.path.normpath(os.path.join(cwd, f["file"]))
                    yield path, {line["line_number"]: line["count"] for line in f["lines"]}


def merge(into, path, counts):
    """Adds one object's counts of a source file to `into` ({path: {line: count}})."""
    merged = into.setdefault(path, {})
    for number, count in counts.items():
        merged[number] = merged.get(number, 0) + count


def union(builds):
    """{path: {line: count}} over every build: a line is code where any build has code."""
    together = {}
    for lines in builds.values():
        for path, counts in lines.items():
            merge(together, path, counts)
    return together


def tally(counts):
    """(lines reached, lines with code) of one file's counts; (0, 0) for a file a build lacks."""
    return sum(1 for c in counts.values() if c > 0), len(counts)


def cell(hit, total):
    if not total:
        return f"{'-':>20}"
    return f"{hit:5d} / {total:5d} {100.0 * hit / total:5.1f}%"


def report(builds, uncovered_file, out=sys.stdout):
    """Prints the table; returns {folder: (reached, total)} of the union."""
    names = list(builds)
    together = union(builds)
    header = "".join(f"{n:>21}" for n in names + ["union"])
    figures = {}
    with open(uncovered_file, "w") as unreached:
        for folder in FOLDERS:
            root = os.path.join(SOURCE, folder) + os.sep
            paths = sorted(p for p in together if p.startswith(root))
            print(f"{header}  {folder}/", file=out)
            sums = {n: [0, 0] for n in names + ["union"]}
            for path in paths:
                row = []
                for n in names:
                    hit, total = tally(builds[n].get(path, {}))
                    sums[n][0] += hit
                    sums[n][1] += total
                    row.append(cell(hit, total))
                hit, total = tally(together[path])
                sums["union"][0] += hit
                sums["union"][1] += total
                row.append(cell(hit, total))
                name = os.path.relpath(path, SOURCE)
                print(" " + " ".join(row) + f"  {name}", file=out)
                text = open(path, encoding="utf-8", errors="replace").read().splitlines()
                for number in sorted(n for n, c in together[path].items() if c == 0):
                    unreached.write(f"{name}:{number}: {text[number - 1].strip() if number <= len(text) else ''}\n")
            print(" " + " ".join(cell(*sums[n]) for n in names + ["union"])
                  + f"  {folder}/ in total (lines reached / lines with code)\n", file=out)
            figures[folder] = tuple(sums["union"])
    reached = sum(h for h, _ in figures.values())
    total = sum(t for _, t in figures.values())
    print(f"union of {' and '.join(names)} over {' and '.join(f + '/' for f in FOLDERS)}: "
          f"{reached} / {total} lines reached, {100.0 * reached / max(total, 1):.1f}%", file=out)
    print(f"lines never reached by any build: {uncovered_file}", file=out)
    return figures


def main(argv):
    if len(argv) < 2 or any("=" not in a or ":" not in a for a in argv[1:]):
        sys.exit(__doc__)
    builds = {}
    for argument in argv[1:]:
        name, _, rest = argument.partition("=")
        gcov, _, build_dir = rest.partition(":")
        lines = builds.setdefault(name, {})
        for path, counts in gcov_files(gcov, build_dir):
            if os.path.exists(path):  # not the object of a source removed since an earlier build
                merge(lines, path, counts)
    report(builds, argv[0])


if __name__ == "__main__":
    main(sys.argv[1:])
