"""The tally of a check run: passed, failed and skipped checks, each failure said
with its detail indented below it."""


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0
        self.skipped = 0

    def skip(self, count, what):
        self.skipped += count
        print(f"skipped: {what} ({count} checks)")

    def expect(self, ok, what, detail=""):
        """Counts one check; returns whether it passed."""
        if ok:
            self.passed += 1
            return True
        self.failed += 1
        print(f"FAIL {what}")
        if detail:
            text = detail.decode(errors="replace") if isinstance(detail, bytes) else str(detail)
            print("    " + text.strip().replace("\n", "\n    "))
        return False
