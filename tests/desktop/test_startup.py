"""Start-up on a real X server: where the tab docks, its outline and skin,
the settings a first start stores, and stored or broken settings."""

import time
import unittest

from harness import DesktopCase, SCREEN_WIDTH, read_skin, wait_for

TAB_SIZE = (413, 80)
DOCKED_X = SCREEN_WIDTH - 6          # 6 px of the tab's left strip stay on screen
SHAPE = "411x78+1+1"                 # the skins' outline, without the white key colour
STRIP_ROW = 20                       # a window row that crosses the left strip
STRIP_COLUMNS = range(1, 6)          # window columns 1..5 (column 0 is key colour)
START_TIMEOUT = 10


class StartupCase(DesktopCase):
    def start_and_wait_tab(self):
        app = self.desk.start_app()
        self.deadline = time.monotonic() + START_TIMEOUT
        return app, self.desk.wait_tab(app, START_TIMEOUT)

    def require_geometry(self, window, expected):
        """The tab reaches `expected` within the start time."""
        remaining = max(0.0, self.deadline - time.monotonic())
        seen = wait_for(lambda: self.desk.geometry(window) == expected, remaining, 0.1)
        self.require(seen, f"tab geometry {self.desk.geometry(window)}, expected {expected} "
                           f"within {START_TIMEOUT} s of the start")

    def require_strip_shows_skin(self, window, skin_number):
        """The on-screen strip of the docked tab shows the skin's left strip."""
        skin = read_skin(skin_number)
        expected = [skin.pixel(column, STRIP_ROW) for column in STRIP_COLUMNS]
        top = self.desk.geometry(window)[1]
        screen_y = top + STRIP_ROW
        seen = []

        def strip_matches():
            picture = self.desk.grab()
            seen[:] = [picture.pixel(DOCKED_X + column, screen_y) for column in STRIP_COLUMNS]
            return seen == expected

        self.require(wait_for(strip_matches, 5, 0.2),
                     f"screen pixels x {DOCKED_X + 1}..{DOCKED_X + 5}, y {screen_y}: {seen}; "
                     f"skin{skin_number:02d}.bmp columns 1..5 row {STRIP_ROW}: {expected}")
        return expected


class FirstStart(StartupCase):
    def test_docks_shaped_with_skin_one_and_stores_defaults(self):
        app, tab = self.start_and_wait_tab()
        self.require_geometry(tab, (DOCKED_X, 5) + TAB_SIZE)
        self.require(self.desk.mapped(tab), "tab not mapped")
        extents = self.desk.shape_extents(tab)
        self.require(extents == SHAPE, f"bounding shape extents {extents!r}, expected {SHAPE}")
        self.require_strip_shows_skin(tab, 1)
        defaults = {"skn": "1", "poy": "80", "upd": "1", "ont": "1"}

        def stored():
            values = self.desk.settings()
            return all(values.get(key) == value for key, value in defaults.items())

        self.require(wait_for(stored, 5, 0.1), f"settings {self.desk.settings()}, expected to hold {defaults}")
        # The hidden browser loads the search page with nobody touching the tab.
        self.require(wait_for(lambda: "/search.htm" in self.desk.server.requests(), 5, 0.1),
                     f"the search page was not asked for: {self.desk.server.requests()}")
        self.require(app.poll() is None, f"program exited with {app.returncode}")


class StoredSettings(StartupCase):
    def test_negative_position_puts_top_above_the_screen(self):
        self.desk.write_settings({"skn": 1, "poy": -300, "upd": 1, "ont": 1})
        _app, tab = self.start_and_wait_tab()
        self.require_geometry(tab, (DOCKED_X, -20) + TAB_SIZE)

    def test_skin_three_colours_the_strip(self):
        skin_one = [read_skin(1).pixel(column, STRIP_ROW) for column in STRIP_COLUMNS]
        skin_three = [read_skin(3).pixel(column, STRIP_ROW) for column in STRIP_COLUMNS]
        self.assertNotEqual(skin_one, skin_three, "skins 1 and 3 must differ at the strip for this test to tell")
        self.desk.write_settings({"skn": 3, "poy": 80, "upd": 1, "ont": 1})
        _app, tab = self.start_and_wait_tab()
        self.require_geometry(tab, (DOCKED_X, 5) + TAB_SIZE)
        self.require_strip_shows_skin(tab, 3)


class CorruptSettings(StartupCase):
    def require_tab_survives(self):
        app, tab = self.start_and_wait_tab()
        # Still there a moment later: no crash once the settings were used.
        still = wait_for(lambda: app.poll() is not None, 2, 0.1)
        self.require(not still, f"program exited with {app.returncode} after showing its tab")
        self.require(self.desk.mapped(tab), "tab no longer mapped")
        geometry = self.desk.geometry(tab)
        self.require(geometry is not None and geometry[0] == DOCKED_X and geometry[2:] == TAB_SIZE,
                     f"tab geometry {geometry}, expected docked at x {DOCKED_X}, size {TAB_SIZE}")

    def test_binary_junk(self):
        junk = bytes(range(256)) * 3 + b"\x00[General]\x00skn=\xff\xfe\npoy=\x00\x01\n\xc3(" + bytes(range(255, -1, -1))
        self.desk.write_settings_bytes(junk)
        self.require_tab_survives()

    def test_letters_in_position(self):
        self.desk.write_settings({"skn": 1, "poy": "abc", "upd": 1, "ont": 1})
        self.require_tab_survives()


if __name__ == "__main__":
    unittest.main(verbosity=2)
