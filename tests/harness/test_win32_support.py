"""The 32-bit detection both ways: a loader that the kernel refuses, one that is
missing, one that fails, one that runs; and what the runners do with the answer."""

import os
import stat
import tempfile
import unittest
from unittest import mock

from . import win32_support


class Detection(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="ravlin-win32-")

    def program(self, name, data):
        path = os.path.join(self.folder, name)
        with open(path, "wb") as f:
            f.write(data)
        os.chmod(path, stat.S_IRWXU)
        return path

    def test_a_program_of_a_format_the_kernel_refuses(self):
        # An ELF header for a machine this kernel does not run stands for the
        # 32-bit loader on a machine whose IA-32 execution is off.
        refused = self.program("wine", b"\x7fELF\x01\x01\x01" + b"\0" * 9 + b"\x02\0\xff\xff" + b"\0" * 32)
        ok, why = win32_support.win32_support(refused)
        self.assertFalse(ok)
        self.assertIn("format", why.lower())

    def test_missing_failing_and_working_loaders(self):
        self.assertEqual(win32_support.win32_support(os.path.join(self.folder, "none"))[0], False)
        failing = self.program("failing", b"#!/bin/sh\nexit 3\n")
        self.assertEqual(win32_support.win32_support(failing), (False, f"{failing} --version ended with 3"))
        working = self.program("working", b"#!/bin/sh\necho wine-8.0\n")
        self.assertEqual(win32_support.win32_support(working), (True, ""))

    def test_the_environment_decides_skip_or_failure(self):
        refused = self.program("wine", b"\x7fELF\x01\x01\x01" + b"\0" * 9 + b"\x02\0\xff\xff" + b"\0" * 32)
        with mock.patch.dict(os.environ, {"RAVLIN_WIN32_LOADER": refused, "RAVLIN_REQUIRE_WIN32": ""}):
            self.assertIn("no 32-bit programs on this machine", win32_support.skip_reason())
            self.assertEqual(win32_support.main(), 0)
        with mock.patch.dict(os.environ, {"RAVLIN_WIN32_LOADER": refused, "RAVLIN_REQUIRE_WIN32": "1"}):
            self.assertRaises(SystemExit, win32_support.skip_reason)
            self.assertEqual(win32_support.main(), 1)
        working = self.program("working", b"#!/bin/sh\necho wine-8.0\n")
        with mock.patch.dict(os.environ, {"RAVLIN_WIN32_LOADER": working, "RAVLIN_REQUIRE_WIN32": "1"}):
            self.assertIsNone(win32_support.skip_reason())
            self.assertEqual(win32_support.main(), 0)


if __name__ == "__main__":
    unittest.main()
