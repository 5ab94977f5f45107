"""Where the harness finds the source tree and the build trees."""

import os

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CASES = os.path.join(SOURCE, "tests", "cases")


def build_dir(given, preset):
    """The build tree a tool runs: the one given, resolved against the current folder
    (the programs under test run in folders of their own), or build/<preset>."""
    return os.path.abspath(given) if given else os.path.join(SOURCE, "build", preset)


def win32_twin(win64_build):
    """The 32-bit build tree beside a 64-bit one: build/win64 pairs with build/win32,
    build/win64-coverage with build/win32-coverage."""
    folder, name = os.path.split(os.path.abspath(win64_build))
    return os.path.join(folder, name.replace("win64", "win32", 1))
