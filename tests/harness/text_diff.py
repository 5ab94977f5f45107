"""Differences of program output shown as a unified diff of text lines, with every
byte that a terminal would hide or act on written visibly: a carriage return before
a line end as {CR} (as the case files write it), other control bytes and bytes that
are not UTF-8 as \\xNN escapes, and a last line without its line end marked."""

import difflib
import re

CONTROL = re.compile("[\x00-\x08\x0b-\x1f\x7f-\x9f\u2028\u2029]")


def escape(match):
    code = ord(match.group())
    return f"\\x{code:02x}" if code < 0x100 else f"\\u{code:04x}"


def visible(line):
    """One line (its line end, if any, included) as text that shows every byte."""
    ended = line.endswith("\n")
    body = line[:-1] if ended else line
    cr = body.endswith("\r")
    if cr:
        body = body[:-1]
    body = CONTROL.sub(escape, body)
    return body + ("{CR}" if cr else "") + ("" if ended else "{no line end}")


def text_lines(data):
    """The lines of `data`, split at line feeds only, each made visible."""
    parts = data.decode("utf-8", errors="backslashreplace").split("\n")
    lines = [part + "\n" for part in parts[:-1]] + ([parts[-1]] if parts[-1] else [])
    return [visible(line) for line in lines]


def text_diff(expected, actual, context=3):
    """The unified diff of two byte strings as one text (no trailing line end)."""
    lines = difflib.unified_diff(text_lines(expected), text_lines(actual), "expected", "actual", n=context,
                                 lineterm="")
    return "\n".join(lines)
