"""Hover, type, Enter on Xvfb with openbox, as on every desktop, and also with
both cores busy and with the window that had the keyboard gone."""

import os
import subprocess
import unittest

from tabcase import DOCKED_X
from roundchecks import ClickChecks, EveryDesktop, TypingChecks


class Openbox(EveryDesktop, TypingChecks, ClickChecks):
    def test_hover_type_enter_with_both_cores_busy(self):
        app, tab = self.start_tab()
        hogs = [subprocess.Popen(["sh", "-c", "while :; do :; done"]) for _ in range(os.cpu_count() or 2)]
        try:
            self.check_rounds(tab)
        finally:
            for hog in hogs:
                hog.kill()
                hog.wait()
        self.require_running(app)

    def test_the_keyboard_is_not_kept_when_its_owner_is_gone(self):
        app, tab = self.start_tab()
        other = self.desk.open_window_over(100, 100, 200, 150)
        self.hover_type_enter(tab, "hello")
        other.close()
        self.slide_back(tab)
        self.require(self.desk.focused_window() != tab, "the docked tab kept the keyboard")
        self.require(self.left(tab) == DOCKED_X, "the tab is not docked")
        self.require_running(app)


if __name__ == "__main__":
    unittest.main(verbosity=2)
