"""Hover, type, Enter and one click per click, on the sway desktop."""

import unittest

from roundchecks import ClickChecks, EveryDesktop, TypingChecks
from sessions import SwayDesktop


class OnSway(EveryDesktop, TypingChecks, ClickChecks):
    desktop_class = SwayDesktop


if __name__ == "__main__":
    unittest.main(verbosity=2)
