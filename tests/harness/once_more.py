"""The one place where the harness repeats a step that never really happened.

Under Wine on a loaded machine a program now and then ends before it did anything
at all (no output, no request anywhere). Where a step can be told apart as such a
non-event, the harness makes it once more, never more than once, and always says
so on stderr, so that a run that needed it can be seen in the log.
"""

import sys
import time


def once_more(attempt, never_happened, doing, pause=0.0):
    """Returns attempt(), or, when never_happened(result) names a reason (a text;
    None or "" for a real result), a second attempt's result after a note on stderr
    that names the reason and what is `doing` once more (e.g. "reading it")."""
    result = attempt()
    reason = never_happened(result)
    if not reason:
        return result
    print(f"note: {reason}; {doing} once more", file=sys.stderr, flush=True)
    if pause:
        time.sleep(pause)
    return attempt()
