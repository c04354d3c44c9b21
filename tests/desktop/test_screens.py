"""The tab on desktops of several screens and at a device pixel ratio of 2, on Xorg whose
dummy outputs are switched, sized and moved while the program runs."""

import unittest

from harness import DesktopCase, wait_for
from tabcase import STRIP, TAB_SIZE
from sessions import KWinDesktop
from xorgdesktop import XorgDesktop

START_TIMEOUT = 10
REDOCK_TIMEOUT = 3.5   # a watchdog tick (2 s) and the time to notice
SLIDE_TIMEOUT = 3


class ScreensCase(DesktopCase):
    desktop_class = XorgDesktop

    def wait_at(self, tab, x, y, size, timeout, what):
        def there():
            geometry = self.desk.geometry(tab)
            return geometry is not None and geometry[:2] == (x, y) and geometry[2:] == size
        self.require(wait_for(there, timeout, 0.1),
                     f"{what}: the tab is at {self.desk.geometry(tab)}, expected {x},{y} size {size}")

    def start_on_the_right_screen(self, what):
        """Starts the program on two 1280 screens side by side; it docks and slides out on the
        outer edge."""
        app = self.desk.start_app()
        tab = self.desk.wait_tab(app, START_TIMEOUT)
        self.wait_at(tab, 2560 - 6, 5, TAB_SIZE, START_TIMEOUT, what)
        self.hover_strip_at(2554, 5)
        self.wait_at(tab, 2560 - TAB_SIZE[0], 5, TAB_SIZE, SLIDE_TIMEOUT, "the slide ends flush")
        return app, tab

    def hover_strip_at(self, x, y):
        self.desk.mouse_move(100, 600)
        self.desk.mouse_move(x + STRIP[0], y + STRIP[1])


class TwoScreens(ScreensCase):
    def test_docks_on_the_outer_edge_and_follows_the_screens(self):
        self.desk.arrange(("1280x800", 0, 0), ("1280x800", 1280, 0))
        app, tab = self.start_on_the_right_screen("the primary screen on the left: the tab docks on the right")
        self.hover_strip_at(2560 - TAB_SIZE[0], 5)
        self.wait_at(tab, 2554, 5, TAB_SIZE, SLIDE_TIMEOUT, "the slide back")
        stored = self.desk.settings_bytes()

        self.desk.arrange(("1280x800", 0, 0))  # the right-hand screen unplugged
        self.wait_at(tab, 1274, 5, TAB_SIZE, REDOCK_TIMEOUT, "one screen left")
        # The primary screen now on the right of a smaller one.
        self.desk.arrange(("1280x800", 1024, 0), ("1024x768", 0, 0))
        self.wait_at(tab, 1024 + 1274, 5, TAB_SIZE, REDOCK_TIMEOUT, "rearranged")
        self.require(self.desk.settings_bytes() == stored, "a change of screens wrote the settings file")
        self.require(app.poll() is None, f"program exited with {app.returncode}")


class TwoKWinScreens(KWinDesktop):
    output_count = 2


class TwoScreensOnKWin(ScreensCase):
    desktop_class = TwoKWinScreens

    def test_docks_on_the_outer_edge_through_xwayland(self):
        self.start_on_the_right_screen("KWin's second output on the right: the tab docks on its edge")


class RatioTwo(ScreensCase):
    def check_double_size(self, extra_env):
        app = self.desk.start_app(extra_env=extra_env)
        tab = self.desk.wait_tab(app, START_TIMEOUT)
        size = (TAB_SIZE[0] * 2, TAB_SIZE[1] * 2)
        self.wait_at(tab, 2560 - 12, 10, size, START_TIMEOUT, "docked: 12 device pixels show")
        extents = self.desk.shape_extents(tab)
        self.require(extents == "822x156+2+2", f"shape extents {extents}, expected the 1x shape doubled")
        self.hover_strip_at(2548, 10)
        self.wait_at(tab, 2560 - size[0], 10, size, SLIDE_TIMEOUT, "slid out flush with the edge")
        self.desk.stop_app(app)

    def test_scale_factor_and_xft_dpi(self):
        # Two screens side by side: at ratio 2 they meet in device pixels, not Qt's.
        self.desk.arrange(("1280x800", 0, 0), ("1280x800", 1280, 0))
        with self.subTest("QT_SCALE_FACTOR=2"):
            self.check_double_size({"QT_SCALE_FACTOR": "2"})
        with self.subTest("Xft.dpi: 192"):
            self.desk.xrdb("Xft.dpi: 192\n")
            self.check_double_size({})


if __name__ == "__main__":
    unittest.main()
