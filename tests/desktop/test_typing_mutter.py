"""Hover, type, Enter and one click per click, on the mutter desktop."""

import unittest

from roundchecks import ClickChecks, EveryDesktop, TypingChecks
from sessions import MutterDesktop


class OnMutter(EveryDesktop, TypingChecks, ClickChecks):
    desktop_class = MutterDesktop


if __name__ == "__main__":
    unittest.main(verbosity=2)
