#!/usr/bin/env python3
"""The Windows test fixtures under Wine: `python3 -m tests.harness.run_wine_checks` under the name it has always had.
The harness package is loaded from its folder, so this runs from any folder."""

import importlib.util
import os
import sys

init = os.path.join(os.path.dirname(os.path.realpath(__file__)), os.pardir, os.pardir, os.pardir, "tests", "harness", "__init__.py")
spec = importlib.util.spec_from_file_location("harness", init)
harness = sys.modules["harness"] = importlib.util.module_from_spec(spec)
spec.loader.exec_module(harness)
sys.exit(harness.run("run_wine_checks"))
