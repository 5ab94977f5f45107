"""Version fixtures for any byte, and case sections that name raw bytes."""

import os
import re
import tempfile
import unittest

from .run_cases import Case
from .wine_versions import ANSI_CODE_PAGE, rc_value, scenario_versions


def code_units(value):
    """The code units of a wide resource string as rc_value writes it."""
    return [int(h, 16) for h in re.findall(r"\\x([0-9a-f]{4})", value)]


def ansi_byte(unit):
    """What the version query hands ravlin for one code unit (the inverse table)."""
    try:
        return chr(unit).encode(ANSI_CODE_PAGE)[0]
    except UnicodeEncodeError:
        return unit if 0x80 <= unit <= 0x9F else None


class RcValue(unittest.TestCase):
    def test_printable_ascii_stays_a_plain_string(self):
        self.assertEqual(rc_value("1.4.2.8 build 118-rc"), '"1.4.2.8 build 118-rc"')
        self.assertEqual(rc_value('a"b\\c'), '"a""b\\\\c"')
        self.assertEqual(rc_value(""), '""')

    def test_other_bytes_make_every_unit_escaped(self):
        text = b"7\x01\x80\x81\xe9\xff".decode("utf-8", "surrogateescape")
        self.assertEqual(rc_value(text), 'L"\\x0037\\x0001\\x20ac\\x0081\\x00e9\\x00ff"')

    def test_every_byte_comes_back_and_no_two_share_a_unit(self):
        data = bytes(range(1, 256))
        value = rc_value(data.decode("utf-8", "surrogateescape"))
        self.assertTrue(value.startswith('L"'))
        units = code_units(value)
        self.assertEqual(len(set(units)), len(data))
        self.assertEqual(bytes(ansi_byte(u) for u in units), data)

    def test_utf8_sequences_in_a_scenario_are_their_bytes(self):
        # cJSON keeps "\u00e9" and a raw C3 A9 as the two bytes C3 A9: so does the fixture.
        units = code_units(rc_value("\u00e9"))
        self.assertEqual(bytes(ansi_byte(u) for u in units), b"\xc3\xa9")


class ScenarioBytes(unittest.TestCase):
    def test_raw_bytes_of_a_scenario_survive_reading(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "s.json")
            with open(path, "wb") as f:
                f.write(b'{"versions": {"dsm_build_number": "x\xfe\xff\xc3\xa9", "dsm_file_version": "1.2.3.4"}}')
            dsm, mpio = scenario_versions(path)
        self.assertEqual(dsm[0], "1.2.3.4")
        self.assertEqual(dsm[1].encode("utf-8", "surrogateescape"), b"x\xfe\xff\xc3\xa9")
        self.assertIsNone(mpio)


class RawByteSections(unittest.TestCase):
    def parse(self, text):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "c.case")
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            return Case(path).sections

    def test_escapes_become_bytes_only_where_asked(self):
        sections = self.parse("run: query version\n== stdout (\\xHH is a byte)\nV \\x80\\xFF\\xe9 \\x4\n"
                              "== log\nMM \\x80\n")
        self.assertEqual(sections["stdout"], b"V \x80\xff\xe9 \\x4\n")
        self.assertEqual(sections["log"], b"MM \\x80\n")


if __name__ == "__main__":
    unittest.main()
