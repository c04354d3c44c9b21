"""Hover, type, Enter on Xvfb with openbox, as on every desktop, and also with
both cores busy."""

import os
import subprocess
import unittest

from harness import wait_for
from roundchecks import QUESTION_TIMEOUT, SEARCH_TIMEOUT, ClickChecks, EveryDesktop, TypingChecks
from tabcase import TEXT_BOX


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

    def test_a_busy_window_manager_does_not_take_the_clicked_box_back(self):
        # Answering the question and clicking into the box both happen before the window
        # manager gets round to the closed question.
        app, tab = self.start_tab()
        with open(os.path.join(self.desk.server.root, "download", "HarrowKIT", "version"), "w") as f:
            f.write("1.1")
        self.hover_type_enter(tab, "first")
        box = wait_for(self.desk.message_boxes, QUESTION_TIMEOUT, 0.1)
        self.require(box, "no question after the search")
        self.desk.activate(box[0])
        with self.desk.window_manager_paused():
            self.desk.key("Escape")
            self.require(wait_for(lambda: not self.desk.message_boxes(), 5, 0.1), "the question stayed")
            self.click_at(tab, TEXT_BOX)
        before = len(self.searches())
        self.desk.type("second")
        self.desk.key("Return")
        self.require(wait_for(lambda: len(self.searches()) > before, SEARCH_TIMEOUT, 0.05),
                     f"typing into the clicked box did not reach the browser; keyboard on "
                     f"{self.desk.focused_window()} ({self.desk.title(self.desk.focused_window())!r})")
        self.require_running(app)


if __name__ == "__main__":
    unittest.main(verbosity=2)
