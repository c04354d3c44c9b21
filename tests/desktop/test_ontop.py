"""Stay-on-top as a person sees it: where another window overlaps the tab's
visible strip, whose pixels show."""

import time
import unittest

from harness import DesktopCase, SCREEN_WIDTH, read_skin, wait_for

STRIP_X = range(SCREEN_WIDTH - 5, SCREEN_WIDTH)   # the visible strip, window columns 1..5
STRIP_Y = 25                                      # window row 20 of a tab docked at y 5
COVER_AREA = (1200, 0, 80, 200)                   # x, y, width, height of the other window
COVER_PROBE = (1230, 100)                         # inside the other window, clear of the tab
RAISE_TIMEOUT = 2.5
STAY_BELOW = 5.0
STAY_ABOVE = 3.0


class StayOnTopCase(DesktopCase):
    def start_with(self, ont):
        self.desk.write_settings({"skn": 1, "poy": 80, "upd": 1, "ont": ont})
        app = self.desk.start_app()
        tab = self.desk.wait_tab(app, 10)
        skin = read_skin(1)
        self.skin_strip = [skin.pixel(x - (SCREEN_WIDTH - 6), STRIP_Y - 5) for x in STRIP_X]
        shown = wait_for(lambda: self.strip() == self.skin_strip, 5, 0.2)
        self.require(shown, f"strip {self.strip()} never showed skin 1 {self.skin_strip}; "
                            f"tab at {self.desk.geometry(tab)}")
        return app, tab

    def strip(self):
        picture = self.desk.grab()
        return [picture.pixel(x, STRIP_Y) for x in STRIP_X]

    def open_cover(self, managed=True):
        cover = self.desk.open_window_over(*COVER_AREA, managed=managed)
        self.addCleanup(cover.close)
        self.assertNotIn(cover.colour, self.skin_strip, "cover colour must differ from the skin's strip")
        probe = self.desk.grab().pixel(*COVER_PROBE)
        self.require(probe == cover.colour, f"the other window is not showing: {probe} at {COVER_PROBE}")
        return cover

    def require_strip_stays(self, expected, seconds, what):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            strip = self.strip()
            self.require(strip == expected, f"{what}: the strip shows {strip}")
            time.sleep(0.2)


class StayOnTopOn(StayOnTopCase):
    def require_tab_back_above(self, tab, since, what):
        seen = []

        def tab_above():
            seen.append(self.strip())
            return seen[-1] == self.skin_strip

        above = wait_for(tab_above, max(0.0, since + RAISE_TIMEOUT - time.monotonic()), 0.1)
        self.require(above, f"{time.monotonic() - since:.1f} s after {what} the strip still shows {seen[-1]}, "
                            f"skin is {self.skin_strip}; tab at {self.desk.geometry(tab)}")

    def test_tab_comes_back_above_a_window_opened_over_it(self):
        _app, tab = self.start_with(1)
        cover = self.open_cover()
        self.require_tab_back_above(tab, cover.opened, f"the window {hex(cover.window)} opened")
        self.require_strip_stays(self.skin_strip, STAY_ABOVE, "the tab went under the other window")

    def test_tab_comes_back_above_a_window_that_put_itself_on_top(self):
        # openbox stacks the windows it manages under an override-redirect tab,
        # so only an unmanaged window really opens above it.
        _app, tab = self.start_with(1)
        cover = self.open_cover(managed=False)
        self.require_tab_back_above(tab, cover.opened, f"the window {hex(cover.window)} opened")
        self.require_strip_stays(self.skin_strip, STAY_ABOVE, "the tab went under the other window again")


class StayOnTopOff(StayOnTopCase):
    def test_window_opened_over_the_tab_stays_above_it(self):
        app, tab = self.start_with(0)
        place = self.desk.geometry(tab)
        cover = self.open_cover()
        expected = [cover.colour] * len(STRIP_X)
        # The tab may take one watchdog period to step down under the new window.
        below = wait_for(lambda: self.strip() == expected,
                         max(0.0, cover.opened + RAISE_TIMEOUT - time.monotonic()), 0.1)
        self.require(below, f"the strip shows {self.strip()}, not the other window's {cover.colour}")
        self.require_strip_stays(expected, STAY_BELOW, "the tab came above the other window")
        self.require(app.poll() is None, f"program exited with {app.returncode}")
        self.require(self.desk.mapped(tab) and self.desk.geometry(tab) == place,
                     f"tab hidden or moved: mapped {self.desk.mapped(tab)}, at {self.desk.geometry(tab)}, "
                     f"was {place}")


if __name__ == "__main__":
    unittest.main(verbosity=2)
