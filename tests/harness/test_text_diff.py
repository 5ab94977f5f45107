"""How a difference of output reads: only the lines that differ, in context, and
no byte that a terminal would hide or act on."""

import unittest

from .text_diff import text_diff


class TextDiff(unittest.TestCase):
    def test_a_changed_line_shows_with_its_context_only(self):
        expected = b"".join(b"line %d\n" % n for n in range(10))
        actual = expected.replace(b"line 5\n", b"line five\n")
        self.assertEqual(text_diff(expected, actual).splitlines(), [
            "--- expected", "+++ actual", "@@ -3,7 +3,7 @@",
            " line 2", " line 3", " line 4", "-line 5", "+line five", " line 6", " line 7", " line 8"])

    def test_line_ends_and_control_bytes_are_visible(self):
        # A CR LF against an LF, a colour escape, a NUL and a lone CR inside a line.
        shown = text_diff(b"a\r\nb\x1b[0m\nc\0d\n", b"a\nb\nc\rd\n").splitlines()[3:]
        self.assertEqual(shown, ["-a{CR}", "-b\\x1b[0m", "-c\\x00d", "+a", "+b", "+c\\x0dd"])

    def test_a_missing_last_line_end_and_bytes_not_utf8(self):
        shown = text_diff(b"x\n", b"x\xff").splitlines()[3:]
        self.assertEqual(shown, ["-x", "+x\\xff{no line end}"])

    def test_only_line_feeds_split_lines(self):
        # Form feeds, vertical tabs and the Unicode line separator stay inside their line.
        shown = text_diff(b"", "a\x0cb\x0bc\u2028d\n".encode()).splitlines()[3:]
        self.assertEqual(shown, ["+a\\x0cb\\x0bc\\u2028d"])

    def test_equal_data_has_no_diff(self):
        self.assertEqual(text_diff(b"same\r\n", b"same\r\n"), "")


if __name__ == "__main__":
    unittest.main()
