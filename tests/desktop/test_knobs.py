"""The three knobs on the end cap, clicked like a person would: change skin, stay on top,
close. Each choice is stored at once and survives a restart; closing asks first."""

import unittest

from harness import DesktopCase, SCREEN_WIDTH, wait_for
from tabcase import strip_shows

OUT_X = SCREEN_WIDTH - 413       # the tab slid out, flush with the right edge
TOP = 5                          # the default top, 80 twips
OPTIONS = (402, 40)              # knob centres, window pixels
ON_TOP = (388, 71)
CLOSE = (404, 71)
ROW = 20                         # a row of the left strip


class Knobs(DesktopCase):
    def start_out(self):
        app = self.desk.start_app()
        tab = self.desk.wait_tab(app, 10)
        self.desk.mouse_move(SCREEN_WIDTH - 200, 400)
        self.desk.mouse_move(SCREEN_WIDTH - 3, TOP + 40)
        out = wait_for(lambda: self.desk.geometry(tab)[0] == OUT_X, 3, 0.05)
        self.require(out, f"the tab did not slide out: {self.desk.geometry(tab)}")
        return app, tab

    def click(self, tab, point):
        x, y, _w, _h = self.desk.geometry(tab)
        self.desk.click(x + point[0], y + point[1])

    def test_option_knob_moves_to_the_next_skin_and_it_is_kept(self):
        app, tab = self.start_out()
        self.click(tab, OPTIONS)
        stored = wait_for(lambda: self.desk.settings().get("skn") == "2", 3, 0.1)
        self.require(stored, f"skn is {self.desk.settings().get('skn')!r} after one click")
        self.require(wait_for(lambda: strip_shows(self.desk, tab, 2), 3, 0.2), "the strip does not show skin 2")
        self.require(self.desk.shape_extents(tab) == "411x78+1+1",
                     f"outline changed: {self.desk.shape_extents(tab)}")
        self.require(self.desk.geometry(tab)[:2] == (OUT_X, TOP), "the skin change moved the tab")
        app.kill()
        app.wait(5)
        again = self.desk.start_app()
        tab = self.desk.wait_tab(again, 10)
        self.require(wait_for(lambda: strip_shows(self.desk, tab, 2), 3, 0.2), "skin 2 not shown after a restart")

    def test_on_top_knob_releases_the_tab_and_it_is_kept(self):
        app, tab = self.start_out()
        self.click(tab, ON_TOP)
        stored = wait_for(lambda: self.desk.settings().get("ont") == "0", 3, 0.1)
        self.require(stored, f"ont is {self.desk.settings().get('ont')!r} after the click")
        # Within the next watchdog tick the tab lets a window come over it.
        x, y, _w, _h = self.desk.geometry(tab)
        cover = self.desk.open_window_over(x + 150, 0, 120, 200)

        def covered_now():
            return self.desk.grab().pixel(x + 200, y + 40) == cover.colour
        self.require(wait_for(covered_now, 2.5, 0.1), "the tab stayed above a new window after the click")
        cover.close()
        app.kill()
        app.wait(5)
        again = self.desk.start_app()
        tab = self.desk.wait_tab(again, 10)
        self.desk.settled_settings()
        self.require(self.desk.settings().get("ont") == "0", "ont did not survive the restart")
        # Released: a window opened over the strip stays above it.
        cover = self.desk.open_window_over(SCREEN_WIDTH - 80, 0, 80, 200)
        self.addCleanup(cover.close)

        def covered():
            return self.desk.grab().pixel(SCREEN_WIDTH - 3, TOP + ROW) == cover.colour
        self.require(wait_for(covered, 2.5, 0.1), "the released tab stayed above the new window")

    def test_close_knob_asks_and_no_keeps_the_tab_yes_ends_it(self):
        app, tab = self.start_out()
        before = self.desk.settled_settings()
        for answer in ("Escape", "Return"):
            self.click(tab, CLOSE)
            boxes = wait_for(self.desk.message_boxes, 5, 0.1)
            self.require(boxes, "no question after a click on the close knob")
            self.desk.activate(boxes[0])
            self.desk.key(answer)
            if answer == "Escape":
                self.require(not wait_for(lambda: app.poll() is not None, 1.5, 0.1),
                             "the program ended after No")
                self.require(self.desk.mapped(tab), "the tab is gone after No")
        self.require(wait_for(lambda: app.poll() is not None, 5, 0.05), "the program still runs after Yes")
        self.require(self.desk.settings_bytes() == before, "exiting changed the settings")


if __name__ == "__main__":
    unittest.main()
