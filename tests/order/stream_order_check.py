#!/usr/bin/env python3
"""The order of stdout and stderr on one file, under its older name: the same as
`python3 -m tests.harness.stream_order_check` from the source root. The harness package
is loaded from its folder, so this runs from any folder."""

import importlib.util
import os
import sys

HARNESS = os.path.join(os.path.dirname(os.path.realpath(__file__)), os.pardir, "harness")
location = importlib.util.spec_from_file_location("harness", os.path.join(HARNESS, "__init__.py"))
harness = sys.modules["harness"] = importlib.util.module_from_spec(location)
location.loader.exec_module(harness)
sys.exit(harness.run("stream_order_check"))
