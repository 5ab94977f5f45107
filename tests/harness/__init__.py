"""The test harness of ravlin and fenmar: the case runner, the Wine target and
prefix, and the checks that need a terminal, a killed writer or Wine itself.

Run a tool from the source root as `python3 -m tests.harness.<tool> ...`; the
scripts at the older paths (tests/cases/run_cases.py and the others) load this
package from its folder and run the same tool.
"""

import importlib


def run(tool):
    """Runs one tool's main() as a command; returns its exit status."""
    return importlib.import_module(f"{__name__}.{tool}").main()
