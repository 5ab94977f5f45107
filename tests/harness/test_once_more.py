"""The harness's single repeat: at most one more attempt, and never a silent one."""

import contextlib
import io
import unittest

from .once_more import once_more


class OnceMore(unittest.TestCase):
    def run_attempts(self, results):
        calls = []

        def attempt():
            calls.append(len(calls))
            return results[len(calls) - 1]

        stderr = io.StringIO()
        with contextlib.redirect_stderr(stderr):
            result = once_more(attempt, lambda r: f"ended with {r}" if r else None, "running it")
        return result, len(calls), stderr.getvalue()

    def test_a_real_result_is_kept_and_nothing_said(self):
        self.assertEqual(self.run_attempts([0]), (0, 1, ""))

    def test_a_non_event_is_repeated_once_and_said(self):
        self.assertEqual(self.run_attempts([1, 0]), (0, 2, "note: ended with 1; running it once more\n"))

    def test_a_second_non_event_is_the_answer(self):
        # Never a third attempt: a step that fails twice is a real failure.
        result, calls, said = self.run_attempts([1, 2, 0])
        self.assertEqual((result, calls), (2, 2))
        self.assertEqual(said.count("once more"), 1)


if __name__ == "__main__":
    unittest.main()
