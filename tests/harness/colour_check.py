"""`query device 0 -k` in a terminal: runs ravlin (Linux build) or ravlin.exe in Wine's
console (Windows build) inside a detached tmux session, captures the pane with its
colours and checks the console attribute behind each part of the display, and that
the colours are restored when the program ends (its last path is a closed one, whose
colour stays set until the final restore): what the terminal prints next is plain.

    colour_check.py [--target linux|windows] [--build-dir DIR]
"""

import argparse
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

from .paths import SOURCE, build_dir
from .tmux_pane import run_in_pane, shows_end, wine_console_line
from .wine_prefix import WINE64

SCENARIO = os.path.join(SOURCE, "tests", "colour", "colour.json")
# The same device with a backspace and a bell in its serial and a bell in its product id.
CONTROL_BYTES = os.path.join(SOURCE, "tests", "colour", "control-bytes.json")

# What each piece of text must be shown in, as a console attribute (background
# nibble, foreground nibble). The terminal's default colours count as 7 on 0.
EXPECTED = [
    ("Disk1 Part1", 0x0E),
    ("QVR7000", 0x0E),
    ("POLICY: ROUND ROBIN", 0x09),
    ("COL0", 0x0E),
    ("Reserved: No", 0x07),
    ("LUN SIZE: 10.0GB", 0x07),
    ("HOST INTERFACE: FC", 0xFC),
    ("PREFERRED PATH SET :None", 0xFC),
    ("=" * 91, 0x0E),
    ("Path#", 0x07),
    ("FC0/Disk1 Part1      OPEN         NORMAL         41          0", 0x0A),
    ("FC1/Disk1 Part1      DEAD         NORMAL          0          7", 0x0C),
    ("END", 0x07),
]

ANSI_TO_CONSOLE = [0, 4, 2, 6, 1, 5, 3, 7]  # ANSI colour order to the console's blue/green/red bits


def attributed_text(capture):
    """The captured pane as (text, attributes): one console attribute per character."""
    text, attrs = [], []
    fg, bg = 7, 0
    for m in re.finditer(r"\x1b\[([0-9;]*)m|([^\x1b])", capture):
        if m.group(2) is not None:
            text.append(m.group(2))
            attrs.append(bg << 4 | fg)
            continue
        for code in [int(c) if c else 0 for c in m.group(1).split(";")]:
            if code == 0:
                fg, bg = 7, 0
            elif code == 39:
                fg = 7
            elif code == 49:
                bg = 0
            elif 30 <= code <= 37:
                fg = ANSI_TO_CONSOLE[code - 30]
            elif 90 <= code <= 97:
                fg = ANSI_TO_CONSOLE[code - 90] | 8
            elif 40 <= code <= 47:
                bg = ANSI_TO_CONSOLE[code - 40]
            elif 100 <= code <= 107:
                bg = ANSI_TO_CONSOLE[code - 100] | 8
    return "".join(text), attrs


def check(capture):
    text, attrs = attributed_text(capture)
    problems = []
    for piece, want in EXPECTED:
        at = text.find(piece)
        if at < 0:
            problems.append(f"{piece!r} not shown")
            continue
        got = {attrs[at + i] for i, ch in enumerate(piece) if ch != " "}
        if got != {want}:
            problems.append(f"{piece!r}: attributes {sorted(hex(a) for a in got)}, expected {hex(want)}")
    return problems


def colour_screen(command, width=160, whole_pane=False):
    """The screen, with its colours, once `command` has ended and the pane shows its
    last row ("END"); the top 41 rows unless `whole_pane`, which also takes the rows
    scrolled off the top into the terminal's history."""
    rows = ("-", "-") if whole_pane else (0, 40)
    return run_in_pane(command, ready=shows_end, colours=True, rows=rows, width=width)[1]


def shown_rows(capture):
    """The pane's rows up to its last "END" row, each as its (character, attribute)
    pairs without the blanks: what a reader sees, wherever blanks differ in colour."""
    text, attrs = attributed_text(capture)
    rows, row = [], []
    for ch, attr in zip(text, attrs):
        if ch == "\n":
            rows.append(row)
            row = []
        elif ch != " ":
            row.append((ch, attr))
    rows.append(row)
    ends = [i for i, r in enumerate(rows) if "".join(ch for ch, _ in r).startswith("END")]
    return rows[:ends[-1]] if ends else rows


def without_top_blank_rows(rows):
    first = next((i for i, row in enumerate(rows) if row), len(rows))
    return rows[first:]


def compare_screens(reference, capture, what, blank_rows=True, whole=False):
    """Problems where `capture` shows other characters or colours than `reference`,
    row by row upwards from their END rows; without `blank_rows`, rows that show
    nothing are left out of both first. With `whole` (both captures hold everything the
    programs showed) the two must also have as many rows, blank rows at the top aside."""
    want, got = shown_rows(reference), shown_rows(capture)
    if not blank_rows:
        want, got = [r for r in want if r], [r for r in got if r]
    problems = []
    if whole:
        want, got = without_top_blank_rows(want), without_top_blank_rows(got)
        if len(want) != len(got):
            problems.append(f"{what}: {len(got)} rows shown up to END, expected {len(want)}")
    for back in range(1, min(len(want), len(got)) + 1):
        if want[-back] != got[-back]:
            line = "".join(ch for ch, _ in want[-back])
            problems.append(f"{what}: row {back} above END differs: {line[:60]!r}")
    return problems


def scrolled_listing_problems(target, linux_build, work):
    """`query device -k` on five devices, enough to scroll the pane, on a wide and on
    a narrow console, on one as wide as the separator line and on one as wide as the
    second device's volume name line: every character in the
    colours the Linux build shows (whose colours travel in the stream), where the Windows
    build paints written cells, up to the rows that scrolled into the terminal's history
    (painted after they scrolled off, they would keep the console's own colour)."""
    world = json.loads(subprocess.run([os.path.join(SOURCE, "scripts", "make-san"), "5", "8"],
                                      capture_output=True, check=True).stdout)
    # The second device's volume name line fills 100 columns exactly: on a console that
    # wide, that device goes out part by part after one painted in the same batch.
    world["disks"][1]["vdisk_name"] = "vd_" + "x" * (100 - len("VDISK NAME: vd_"))
    san = os.path.join(work, "five.json")
    with open(san, "w") as f:
        json.dump(world, f)
    root = os.path.join(work, "five-root")
    env = dict(os.environ, RAVLIN_SIM_ROOT=root)
    subprocess.run([os.path.join(linux_build, "sim", "dsmsim", "dsmsim"), "load", san], env=env, check=True)
    target.load_scenario(san)
    ravlin = os.path.join(linux_build, "tools", "ravlin", "ravlin")
    exe = target.prefix.windows_path(target.ravlin_exe)
    problems = []
    # At 91 columns each device's separator line ends exactly at the right edge (at 100
    # the second device's volume name line): a terminal holds the cursor there until
    # the line end, a Windows console moves to the next row at once, so the line end
    # leaves one more blank row there. What is shown, and in which colours, is still
    # the same.
    for width in (160, 80, 91, 100):
        shown = []
        for command in (f"env RAVLIN_SIM_ROOT={shlex.quote(root)} {shlex.quote(ravlin)} query device -k; echo END",
                        wine_console_line(target.prefix.env, [WINE64, "cmd", "/c", f"{exe} query device -k & echo END"])):
            shown.append(colour_screen(command, width=width, whole_pane=True))
        problems += compare_screens(shown[0], shown[1], f"five devices, {width} columns", blank_rows=width not in (91, 100),
                                   whole=True)
    return problems


def control_bytes_problems(target, linux_build, work):
    """`query device 0 -k` on a device whose texts hold a backspace and a bell: the Windows
    build, which paints the cells a write reaches, must colour the same cells the Linux
    build shows (the backspace steps back over a character, the bell takes no cell)."""
    root = os.path.join(work, "control-root")
    env = dict(os.environ, RAVLIN_SIM_ROOT=root)
    subprocess.run([os.path.join(linux_build, "sim", "dsmsim", "dsmsim"), "load", CONTROL_BYTES], env=env, check=True)
    target.load_scenario(CONTROL_BYTES)
    ravlin = os.path.join(linux_build, "tools", "ravlin", "ravlin")
    exe = target.prefix.windows_path(target.ravlin_exe)
    shown = [colour_screen(f"env RAVLIN_SIM_ROOT={shlex.quote(root)} {shlex.quote(ravlin)} query device 0 -k; echo END"),
             colour_screen(wine_console_line(target.prefix.env, [WINE64, "cmd", "/c", f"{exe} query device 0 -k & echo END"]))]
    problems = compare_screens(shown[0], shown[1], "backspace and bell")
    if "COLXY" in "".join(ch for row in shown_rows(shown[0]) for ch, _ in row):
        problems.append("backspace and bell: the Linux screen shows the backspace as no step back")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--target", choices=["linux", "windows"], default="linux")
    parser.add_argument("--build-dir")
    parser.add_argument("--linux-dir", help="the Linux build whose screens a scrolled Windows listing must match")
    args = parser.parse_args()
    args.linux_dir = build_dir(args.linux_dir, "linux")
    scratch = tempfile.mkdtemp(prefix="ravlin-colour-")
    problems = []
    try:
        if args.target == "linux":
            build = build_dir(args.build_dir, "linux")
            env = dict(os.environ, RAVLIN_SIM_ROOT=scratch)
            subprocess.run([os.path.join(build, "sim", "dsmsim", "dsmsim"), "load", SCENARIO], env=env, check=True)
            ravlin = os.path.join(build, "tools", "ravlin", "ravlin")
            capture = colour_screen(f"env RAVLIN_SIM_ROOT={shlex.quote(scratch)} {shlex.quote(ravlin)} "
                                    "query device 0 -k; echo END $?")
        else:
            from .wine_target import WineTarget

            target = WineTarget(build_dir(args.build_dir, "win64"), SOURCE)
            try:
                target.load_scenario(SCENARIO)
                # The console keeps its attributes for the next program, as on Windows; Wine
                # only renders a change when text follows, so cmd prints a word afterwards.
                exe = target.prefix.windows_path(target.ravlin_exe)
                capture = colour_screen(wine_console_line(target.prefix.env,
                                                          [WINE64, "cmd", "/c", f"{exe} query device 0 -k & echo END"]))
                if os.path.exists(os.path.join(args.linux_dir, "tools", "ravlin", "ravlin")):
                    problems += scrolled_listing_problems(target, args.linux_dir, scratch)
                    problems += control_bytes_problems(target, args.linux_dir, scratch)
                else:
                    print(f"note: {args.linux_dir} is not built; the scrolled listing was not compared")
            finally:
                target.close()
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    problems = check(capture) + problems
    for p in problems:
        print("FAIL " + p)
    print(f"colour [{args.target}]: {'failed' if problems else 'passed'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
