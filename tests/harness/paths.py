"""Where the harness finds the source tree and the build trees."""

import os

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CASES = os.path.join(SOURCE, "tests", "cases")


def build_dir(given, preset):
    """The build tree a tool runs: the one given, resolved against the current folder
    (the programs under test run in folders of their own), or build/<preset>."""
    return os.path.abspath(given) if given else os.path.join(SOURCE, "build", preset)
