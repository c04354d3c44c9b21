"""The bar's link areas and the search button's pictures, as a person uses
them on a slid-out tab."""

import time
import unittest

from harness import wait_for
from tabcase import BAR_GRIP, BUTTON, BUTTON_AREA, DOCKED_X, OUT_X, TEXT_BOX, TabCase

LINK_TIMEOUT = 5
PICTURE_TIMEOUT = 2


class Links(TabCase):
    def test_each_link_opens_its_page_and_slides_the_tab_back(self):
        app, tab = self.start_tab()
        url = self.desk.server.url
        links = [("imgHarrowKit", (63, 50), f"{url}/download/index.htm"),
                 ("imgGoGoogle", (85, 66), self.desk.server.engine_url),
                 ("imgGoVesko", (215, 72), f"{url}/")]
        for name, point, expected in links:
            with self.subTest(link=name):
                self.slide_out(tab)
                before = len(self.desk.browser_calls())
                self.click_at(tab, point)
                wait_for(lambda: len(self.desk.browser_calls()) > before, LINK_TIMEOUT, 0.05)
                opened = self.desk.browser_calls()[before:]
                self.require(opened == [expected],
                             f"clicking {name} at window {point} opened {opened}, expected [{expected!r}]")
                self.require(self.wait_left(tab, DOCKED_X),
                             f"after clicking {name} the tab is at {self.desk.geometry(tab)}, "
                             f"expected back at x {DOCKED_X}")
        self.require_running(app)


class SearchButtonPictures(TabCase):
    def button(self, tab):
        """The button's pixels as they are on the screen now, row by row."""
        picture = self.desk.grab()
        left, top, _w, _h = self.desk.geometry(tab)
        x0, y0, x1, y1 = BUTTON_AREA
        return tuple(tuple(picture.row(top + y, left + x0, left + x1)) for y in range(y0, y1 + 1))

    def require_picture(self, tab, wanted, what):
        """Waits until the button shows `wanted` (a picture, or a predicate on one)."""
        seen = []

        def shows():
            seen[:] = [self.button(tab)]
            return wanted(seen[0]) if callable(wanted) else seen[0] == wanted

        ok = wait_for(shows, PICTURE_TIMEOUT, 0.1)
        if not ok:
            differing = sum(a != b for row_a, row_b in zip(seen[0], wanted) for a, b in zip(row_a, row_b)) \
                if not callable(wanted) else None
            self.require(False, f"{what}: the button's pixels did not change as expected within "
                                f"{PICTURE_TIMEOUT} s (pixels differing from the wanted picture: {differing}); "
                                f"tab at {self.desk.geometry(tab)}")
        return seen[0]

    def test_hover_and_press_change_the_button_and_leaving_restores_it(self):
        app, tab = self.start_tab()
        self.slide_out(tab)
        self.move_to(tab, TEXT_BOX)
        time.sleep(0.3)
        normal = self.button(tab)
        self.require(len({pixel for row in normal for pixel in row}) > 1,
                     "the button area shows a single colour: no button picture is drawn")

        self.move_to(tab, BUTTON)
        hover = self.require_picture(tab, lambda seen: seen != normal, "hovering the button")
        self.move_to(tab, TEXT_BOX)
        self.require_picture(tab, normal, "moving from the button onto the text box")

        self.move_to(tab, BUTTON)
        self.require_picture(tab, hover, "hovering the button again")
        self.move_to(tab, BAR_GRIP)
        self.require_picture(tab, normal, "moving from the button onto the bar")

        self.move_to(tab, BUTTON)
        self.require_picture(tab, hover, "hovering the button a third time")
        self.desk.press()
        self.require_picture(tab, lambda seen: seen not in (normal, hover), "pressing the button")
        self.desk.release()
        self.require_picture(tab, hover, "releasing the button")
        self.move_to(tab, TEXT_BOX)
        self.require_picture(tab, normal, "moving from the released button onto the text box")

        self.require(self.left(tab) == OUT_X, f"the tab moved to {self.desk.geometry(tab)} while the button was used")
        self.require(self.desk.browser_calls() == [],
                     f"a click on the button with an empty text box opened {self.desk.browser_calls()}")
        self.require_running(app)


if __name__ == "__main__":
    unittest.main(verbosity=2)
