"""Hover, type, Enter and one click per click, on the bare desktop."""

import unittest

from roundchecks import ClickChecks, EveryDesktop, TypingChecks
from sessions import BareXDesktop


class OnBare(EveryDesktop, TypingChecks, ClickChecks):
    desktop_class = BareXDesktop


if __name__ == "__main__":
    unittest.main(verbosity=2)
