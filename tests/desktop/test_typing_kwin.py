"""Hover, type, Enter and one click per click, on the kwin desktop."""

import unittest

from roundchecks import ClickChecks, EveryDesktop, TypingChecks
from sessions import KWinDesktop


class OnKwin(EveryDesktop, TypingChecks, ClickChecks):
    desktop_class = KWinDesktop


if __name__ == "__main__":
    unittest.main(verbosity=2)
