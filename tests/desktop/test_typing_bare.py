"""Hover, type, Enter and one click per click on Xvfb with no window manager,
where the tab itself hands the keyboard back, also when its owner is gone."""

import unittest

from roundchecks import ClickChecks, EveryDesktop, TypingChecks
from sessions import BareXDesktop


class OnBare(EveryDesktop, TypingChecks, ClickChecks):
    desktop_class = BareXDesktop

    def test_the_keyboard_is_not_kept_when_its_owner_is_gone(self):
        app, tab = self.start_tab()
        other = self.desk.open_window_over(100, 100, 200, 150)
        self.hover_type_enter(tab, "hello")
        other.close()
        self.slide_back(tab)
        self.require(self.desk.focused_window() != tab, "the docked tab kept the keyboard")
        self.require_running(app)


if __name__ == "__main__":
    unittest.main(verbosity=2)
