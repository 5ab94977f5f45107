#!/usr/bin/env python3
"""Whether this machine runs 32-bit Windows programs: `python3 -m tests.harness.win32_support` under the name it has always had.
The harness package is loaded from its folder, so this runs from any folder."""

import importlib.util
import os
import sys

init = os.path.join(os.path.dirname(os.path.realpath(__file__)), os.pardir, "harness", "__init__.py")
spec = importlib.util.spec_from_file_location("harness", init)
harness = sys.modules["harness"] = importlib.util.module_from_spec(spec)
spec.loader.exec_module(harness)
sys.exit(harness.run("win32_support"))
