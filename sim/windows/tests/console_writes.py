#!/usr/bin/env python3
"""The console writes of ravlin.exe under Wine: `python3 -m tests.harness.console_writes` under the name it has always had.
The harness package is loaded from its folder, so this runs from any folder."""

import importlib.util
import os
import sys

init = os.path.join(os.path.dirname(os.path.realpath(__file__)), os.pardir, os.pardir, os.pardir, "tests", "harness", "__init__.py")
spec = importlib.util.spec_from_file_location("harness", init)
harness = sys.modules["harness"] = importlib.util.module_from_spec(spec)
spec.loader.exec_module(harness)
sys.exit(harness.run("console_writes"))
