"""One tab at a time: a second start asks the exit question and ends,
whatever the answer, leaving the first tab and the settings alone."""

import time
import unittest

from harness import DesktopCase, wait_for

START_TIMEOUT = 10
QUESTION_TIMEOUT = 10
EXIT_TIMEOUT = 5


class SecondStart(DesktopCase):
    def answer_second_start(self, keys):
        first = self.desk.start_app()
        tab = self.desk.wait_tab(first, START_TIMEOUT)
        before = self.desk.settled_settings()
        self.require(before is not None, "the first start stored no settings")
        place = self.desk.geometry(tab)

        second = self.desk.start_app()
        boxes = wait_for(lambda: second.poll() is not None or self.desk.message_boxes(), QUESTION_TIMEOUT, 0.1)
        self.require(isinstance(boxes, list) and boxes,
                     f"no message box titled 'HarrowKIT' within {QUESTION_TIMEOUT} s "
                     f"(second start's exit code: {second.poll()})")
        self.desk.activate(boxes[0])
        self.desk.key(keys)
        ended = wait_for(lambda: second.poll() is not None, EXIT_TIMEOUT, 0.05)
        self.require(ended, f"second start still running {EXIT_TIMEOUT} s after answering with {keys}")
        self.require(second.returncode == 0, f"second start exited with {second.returncode}")
        self.require(not wait_for(self.desk.message_boxes, 1, 0.1), "a message box is still open")

        self.require(first.poll() is None, f"first start exited with {first.returncode}")
        self.require(self.desk.mapped(tab), "first tab no longer mapped")
        self.require(self.desk.geometry(tab) == place,
                     f"first tab moved from {place} to {self.desk.geometry(tab)}")
        after = self.desk.settings_bytes()
        self.require(after == before, f"settings changed:\nbefore {before!r}\nafter  {after!r}")

    def test_yes_by_return_ends_the_second(self):
        self.answer_second_start("Return")

    def test_no_by_escape_ends_the_second(self):
        self.answer_second_start("Escape")

    def test_no_by_alt_n_ends_the_second(self):
        self.answer_second_start("alt+n")


class SimultaneousStarts(DesktopCase):
    def test_one_tab_and_one_process_remain(self):
        apps = [self.desk.start_app(), self.desk.start_app()]

        def settled():
            # Answer every question as it comes; done when one process is left,
            # no question is open and a tab is showing.
            for box in self.desk.message_boxes():
                self.desk.activate(box)
                self.desk.key("Return")
            running = [app for app in apps if app.poll() is None]
            return len(running) == 1 and not self.desk.message_boxes() and self.desk.tab_windows()

        wait_for(settled, 20, 0.2)
        time.sleep(1.0)  # anything about to change shows now
        running = [app for app in apps if app.poll() is None]
        tabs = self.desk.tab_windows()
        self.require(len(running) == 1, f"{len(running)} processes running; exit codes "
                                        f"{[app.poll() for app in apps]}")
        self.require(len(tabs) == 1, f"{len(tabs)} tab windows mapped: {[hex(t) for t in tabs]}")
        self.require(not self.desk.message_boxes(), "a message box is still open")
        ended = [app for app in apps if app.poll() is not None]
        self.require(all(app.returncode == 0 for app in ended),
                     f"the refused start exited with {[app.returncode for app in ended]}")
        self.require(self.desk.window_pid(tabs[0]) in (running[0].pid, None),
                     f"the tab belongs to pid {self.desk.window_pid(tabs[0])}, the running one is {running[0].pid}")


if __name__ == "__main__":
    unittest.main(verbosity=2)
