"""A maker's site that keeps the tab waiting: a search page that never finishes
arriving, and a version file whose server takes the connection and never answers.
While the tab waits it still paints and slides back when its countdown runs out,
Enter pressed again starts no second search, and the wait ends by its time-out (or
when the server hangs up) with nothing opened and nothing asked."""

import threading
import time
import unittest

from harness import wait_for
from siteserver import trickle
from tabcase import DOCKED_X, TabCase, strip_shows
from test_search import SEARCH_PAGE_PATH, VERSION_PATH, SearchCase

PAGE_TIMEOUT = 30     # the hidden browser's time-out for a page
RETRACT = 15          # the tab slides back this long after the search began
PAGE_START = b'<!DOCTYPE html><html><body><form action="/search"><input name="q">'


class SlowSite(SearchCase):
    def setUp(self):
        super().setUp()
        self.release = threading.Event()
        self.addCleanup(self.release.set)
        self.app, self.tab = self.start_tab()

    def hold(self, _out):
        self.release.wait(120)

    def require_waiting_tab_works(self, began):
        """During the wait: the tab slides back when its countdown ends and repaints
        what a window that opened over it and closed again uncovered."""
        self.require(wait_for(lambda: self.left(self.tab) == DOCKED_X, RETRACT + 3 - (time.monotonic() - began), 0.1),
                     f"the tab did not slide back while waiting: at {self.desk.geometry(self.tab)}")
        x, y, _w, _h = self.desk.geometry(self.tab)
        cover = self.desk.open_window_over(x - 100, y, 106, 80, managed=False)
        cover.close()
        self.require(wait_for(lambda: strip_shows(self.desk, self.tab, 1), 2, 0.1),
                     "the tab did not repaint its strip while waiting")

    def test_a_page_that_never_finishes_arriving(self):
        self.desk.server.override(SEARCH_PAGE_PATH, trickle(PAGE_START, self.release))
        pages, versions = self.count(SEARCH_PAGE_PATH), self.count(VERSION_PATH)
        began = time.monotonic()
        self.type_search(self.tab, "slow")
        time.sleep(1)
        self.desk.key("Return")
        self.require_waiting_tab_works(began)
        self.require(self.count(SEARCH_PAGE_PATH) == pages + 1,
                     f"{self.count(SEARCH_PAGE_PATH) - pages} page loads during one search")
        self.require(self.count(VERSION_PATH) == versions, "the search ended before its page arrived")
        left = PAGE_TIMEOUT + 5 - (time.monotonic() - began)
        self.require(wait_for(lambda: self.count(VERSION_PATH) > versions, left, 0.1),
                     f"the search did not end within {PAGE_TIMEOUT + 5} s")
        self.require_no_question("after the page timed out")
        self.require(self.search_calls() == [], f"a search opened: {self.search_calls()}")
        self.release.set()
        self.desk.server.clear_overrides()
        self.search(self.tab, "next")
        self.require_running(self.app)

    def test_a_version_server_that_never_answers(self):
        self.desk.server.override(VERSION_PATH, self.hold, status=None)
        versions = self.count(VERSION_PATH)
        began = time.monotonic()
        self.search(self.tab, "slow")
        self.require(wait_for(lambda: self.count(VERSION_PATH) > versions, 5, 0.1), "no update check")
        self.require_waiting_tab_works(began)
        self.release.set()        # the server hangs up: the fetch fails
        self.require_no_question("after the version server hung up")
        self.desk.server.clear_overrides()
        self.search(self.tab, "next")
        self.require_running(self.app)


if __name__ == "__main__":
    unittest.main()
