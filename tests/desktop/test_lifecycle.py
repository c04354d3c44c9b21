"""How the program starts and ends outside the person's clicks: the end of a session
(SIGTERM, SIGHUP), a runtime folder it cannot write, no display at all, its own question
staying above the tab, and the search pages it keeps for a form that posts to a new window."""

import os
import signal
import subprocess
import time
import unittest

from harness import wait_for
from tabcase import TEXT_BOX, TabCase
from xorgdesktop import XorgDesktop

END_TIMEOUT = 5
QUIET = 3
CLOSE_KNOB = (404, 71)
POSTING_PAGE = (b'<!DOCTYPE html><html><body><form method="post" action="/search" target="_blank">'
                b'<input name="q"><input type="submit"></form></body></html>')
OLD = time.time() - 3600


class Ending(TabCase):
    def plant_links(self):
        """A link another user could plant in the old shared place and one in the pages'
        folder, both pointing at old things of the person's; returns the targets."""
        victim = self.desk.path("victim")
        os.makedirs(victim)
        kept = os.path.join(victim, "kept.txt")
        with open(kept, "w") as f:
            f.write("mine")
        os.utime(kept, (OLD, OLD))
        tmp = self.desk.path("tmp")
        os.makedirs(tmp)
        os.symlink(victim, os.path.join(tmp, "harrowkit-submit-x"))
        pages = self.desk.path("runtime", "harrowkit-pages")
        os.makedirs(pages, mode=0o700)
        os.symlink(kept, os.path.join(pages, "search-planted.html"))
        os.utime(os.path.join(pages, "search-planted.html"), (OLD, OLD), follow_symlinks=False)
        return kept, pages

    def search_posting(self, tab, query):
        """One search on a page whose form posts to a new window; returns the page handed
        to the browser."""
        before = len(self.desk.browser_calls())
        self.slide_out(tab)
        self.click_at(tab, TEXT_BOX)
        self.desk.type(query)
        self.desk.key("Return")
        opened = wait_for(lambda: [c for c in self.desk.browser_calls()[before:] if "harrowkit-pages" in c],
                          10, 0.1)
        self.require(opened, f"no search page reached the browser: {self.desk.browser_calls()}")
        path = opened[0].removeprefix("file://")
        self.require(os.path.isfile(path) and query in open(path, encoding="utf-8").read(),
                     f"the page {path} does not hold the query")
        return path

    def ended(self, app):
        return wait_for(lambda: app.poll() is not None, END_TIMEOUT, 0.05) and app.returncode

    def test_pages_go_and_planted_links_stay_on_every_orderly_end(self):
        self.desk.server.override("/search.htm", POSTING_PAGE)
        kept, pages = self.plant_links()
        for how in ("SIGTERM", "SIGHUP", "close knob"):
            with self.subTest(how):
                app, tab = self.start_tab(extra_env={"TMPDIR": self.desk.path("tmp")})
                stored = self.desk.settings_bytes()
                page = self.search_posting(tab, f"mine {how}")
                if how == "close knob":
                    self.desk.mouse_move(*self.screen_point(tab, CLOSE_KNOB))
                    self.click_at(tab, CLOSE_KNOB)
                    box = wait_for(self.desk.message_boxes, 10, 0.1)
                    self.require(box, "the close knob asked nothing")
                    self.desk.activate(box[0])
                    self.desk.key("Return")  # Yes is the default
                else:
                    app.send_signal(getattr(signal, how))
                    self.require(not wait_for(self.desk.message_boxes, 0.5, 0.05),
                                 f"{how} asked the exit question")
                self.require(self.ended(app) is not None and app.returncode == 0,
                             f"{how}: the program did not end in order ({app.returncode})")
                self.require(not os.path.exists(page), f"{how}: the page with the query was left behind")
                self.require(self.desk.settings_bytes() == stored, f"{how}: the settings changed")
        self.require(open(kept).read() == "mine", "the planted links' target was touched")
        self.require(os.path.islink(os.path.join(pages, "search-planted.html")), "the planted link was removed")
        self.require(os.path.islink(self.desk.path("tmp", "harrowkit-submit-x")), "the old place was swept")


class Starting(TabCase):
    def test_a_read_only_runtime_folder_still_lets_one_instance_run(self):
        if subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode != 0:
            self.skipTest("this machine allows no private mount namespace for a read-only folder")
        runtime = self.desk.path("runtime")
        binary = os.environ["HARROWKIT_BIN"]
        wrapped = ["unshare", "-m", "sh", "-c",
                   f"mount --bind '{runtime}' '{runtime}' && mount -o remount,bind,ro '{runtime}' "
                   f"&& exec '{binary}'"]
        app, _tab = self.start_tab(argv=wrapped)
        self.require(not self.desk.message_boxes(), "the first start asked a question")
        self.require("one-instance" not in self.desk.run_of(app).stderr(),
                     "the fallback lock was not taken")
        second = self.desk.start_app(argv=wrapped)
        self.require(wait_for(self.desk.message_boxes, 10, 0.1), "the second start was not refused")
        self.require(app.poll() is None, "the first start ended")
        self.desk.stop_app(second)

    def test_no_display_says_so(self):
        """No display named, and an X display nobody serves: a message and status 1, no abort."""
        env = self.desk.app_env()
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            env.pop(name, None)
        for display in (None, ":4093"):
            if display:
                env["DISPLAY"] = display
            done = subprocess.run([os.environ["HARROWKIT_BIN"]], env=env, capture_output=True, timeout=20)
            self.assertEqual(done.returncode, 1, display)
            self.assertEqual(done.stderr.decode().strip().splitlines()[-1],
                             "HarrowKIT needs a graphical session: no display found")


class QuestionAboveTheTab(TabCase):
    desktop_class = XorgDesktop

    def test_the_exit_question_stays_visible_over_the_tab_on_top(self):
        self.desk.arrange(("1024x768", 0, 0))
        self.desk.write_settings({"poy": "5100"})  # the tab at the height of the question
        app = self.desk.start_app()
        tab = self.desk.wait_tab(app, 10)
        self.require(wait_for(lambda: self.desk.geometry(tab)[:2] == (1018, 340), 10, 0.1),
                     f"tab at {self.desk.geometry(tab)}")
        self.desk.mouse_move(500, 700)
        self.desk.mouse_move(1020, 380)
        self.require(wait_for(lambda: self.desk.geometry(tab)[0] == 1024 - 413, 3, 0.05), "no slide-out")
        self.click_at(tab, CLOSE_KNOB)
        boxes = wait_for(self.desk.message_boxes, 10, 0.1)
        self.require(boxes, "no exit question")
        bx, by, bw, bh = self.desk.geometry(boxes[0])
        tx, ty, tw, th = self.desk.geometry(tab)
        left, top = max(bx, tx), max(by, ty)
        right, bottom = min(bx + bw, tx + tw), min(by + bh, ty + th)
        self.require(left < right and top < bottom, f"box {bx},{by} {bw}x{bh} and tab do not overlap")
        time.sleep(0.5)  # mapped and painted
        first = self.desk.grab()
        points = [(x, y) for x in range(left, right, 7) for y in range(top, bottom, 7)]
        deadline = time.monotonic() + 6
        while time.monotonic() < deadline:
            time.sleep(0.5)
            shot = self.desk.grab()
            changed = [p for p in points if shot.pixel(*p) != first.pixel(*p)]
            self.require(not changed, f"the tab covered the question at {changed[:3]}")
        # The buttons lie at the box's bottom right: a click there answers the question.
        self.desk.click(bx + bw - 40, by + bh - 22)
        self.require(wait_for(lambda: not self.desk.message_boxes(), 5, 0.1), "the click did not answer")


if __name__ == "__main__":
    unittest.main()
