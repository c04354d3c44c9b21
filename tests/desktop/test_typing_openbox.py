"""Hover, type, Enter on Xvfb with openbox, as on every desktop, and also with
both cores busy."""

import os
import subprocess
import unittest

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


if __name__ == "__main__":
    unittest.main(verbosity=2)
