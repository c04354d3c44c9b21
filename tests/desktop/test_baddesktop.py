"""A desktop that lets the program down: no program handles web addresses, xdg-open
is not there at all, or the X server goes away. A search and a link open nothing
then, and the tab goes on working without a message; when the X server goes, the
program ends with an exit status (no crash, no core) and the settings file is whole."""

import os
import subprocess
import threading
import time
import unittest

from harness import TAB_TITLE, wait_for
from tabcase import DOCKED_X
from test_search import VERSION_PATH, SearchCase
from siteserver import trickle
from test_slowsite import PAGE_START
from xevents import XDirect

GOOGLE_LINK = (85, 66)       # the search engine's link area, window pixels
OPTIONS = (402, 40)          # the option knob
SETTINGS = {"skn": "1", "poy": "80", "upd": "1", "ont": "1"}


class NoBrowser(SearchCase):
    def wrapper(self):
        """An xdg-open on the PATH that logs each address and how the real one ended."""
        folder = self.desk.path("bin")
        os.makedirs(folder)
        with open(os.path.join(folder, "xdg-open"), "w") as f:
            f.write(f"#!/bin/sh\n/usr/bin/xdg-open \"$1\" >/dev/null 2>&1\n"
                    f"echo \"$1 $?\" >> '{self.desk.path('xdg-open.log')}'\n")
        os.chmod(os.path.join(folder, "xdg-open"), 0o755)
        return folder

    def tried(self):
        try:
            with open(self.desk.path("xdg-open.log")) as f:
                return [line.rsplit(" ", 1) for line in f.read().splitlines()]
        except OSError:
            return []

    def search_and_link(self, env):
        """Starts the tab with env, searches and clicks the engine's link area; the tab
        goes on working and asks nothing. Returns what the recording browser got."""
        app, tab = self.start_tab(extra_env=env)
        versions = self.count(VERSION_PATH)
        self.type_search(tab, "anyone home")
        self.require(wait_for(lambda: self.count(VERSION_PATH) > versions, 10, 0.1), "the search did not end")
        self.require_no_question("after the search")
        self.click_at(tab, GOOGLE_LINK)
        self.require(self.wait_left(tab, DOCKED_X), f"the link left the tab at {self.desk.geometry(tab)}")
        self.slide_out(tab)
        self.require_running(app)
        self.require(self.desk.settings() == SETTINGS, f"settings {self.desk.settings()}")
        return self.desk.browser_calls()

    def test_no_program_handles_web_addresses(self):
        os.remove(self.desk.path("config", "mimeapps.list"))
        opened = self.search_and_link({"BROWSER": None, "PATH": self.wrapper() + ":/usr/bin:/bin"})
        self.require(opened == [], f"a browser was started: {opened}")
        tries = self.tried()
        self.require(len(tries) == 2 and all(status != "0" for _url, status in tries),
                     f"xdg-open was not asked twice, failing each time: {tries}")

    def test_xdg_open_missing_and_no_browser_named(self):
        os.makedirs(self.desk.path("empty-bin"))
        opened = self.search_and_link({"BROWSER": None, "PATH": self.desk.path("empty-bin")})
        self.require(opened == [], f"a browser was started: {opened}")

    def test_xdg_open_missing_the_browser_named_in_browser_opens(self):
        os.makedirs(self.desk.path("empty-bin"))
        opened = self.search_and_link({"PATH": self.desk.path("empty-bin")})
        wanted = [f"{self.desk.server.search_url}?q=anyone+home", self.desk.server.engine_url]
        self.require(opened == wanted, f"the browser got {opened}, expected {wanted}")


class XServerGone(SearchCase):
    """The X server ends while the program idles, slides, stores skins or waits for a page."""

    def setUp(self):
        super().setUp()
        self.app, self.tab = self.start_tab()

    def require_ended_whole(self, what):
        try:
            self.app.wait(5)
        except subprocess.TimeoutExpired:
            self.fail(f"{what}: the program still runs 5 s after the X server ended")
        self.assertGreaterEqual(self.app.returncode, 0,
                                f"{what}: the program died of signal {-self.app.returncode}\n"
                                f"{self.desk.run_of(self.app).stderr()}")
        values = self.desk.settings()
        self.assertTrue(self.desk.settings_bytes().startswith(b"[General]\n") and set(values) == set(SETTINGS)
                        and all(v.lstrip("-").isdigit() for v in values.values()),
                        f"{what}: the settings file is {self.desk.settings_bytes()!r}")
        self.assertFalse([name for name in os.listdir(self.desk.dir) if name.startswith("core")], "a core file")

    def test_while_idle(self):
        time.sleep(0.5)
        self.desk.end_x_server()
        self.require_ended_whole("idle")

    def test_while_sliding_out(self):
        self.hover_strip(self.tab)
        time.sleep(0.1)
        self.desk.end_x_server()
        self.require_ended_whole("sliding")

    def test_while_skins_are_stored(self):
        xdirect = XDirect(self.desk.display)
        window, x, y = xdirect.viewable(TAB_TITLE)[0]
        for _ in range(5):
            xdirect.click(window, (x, y), OPTIONS)
        xdirect.close()
        time.sleep(0.01)
        self.desk.end_x_server()
        self.require_ended_whole("storing skins")
        self.assertIn(self.desk.settings()["skn"], [str(n) for n in range(1, 7)])

    def test_while_the_update_question_is_open(self):
        self.set_server_version("1.1")
        self.search(self.tab, "newer")
        self.question()
        self.desk.end_x_server()
        self.require_ended_whole("asking")

    def test_while_a_search_waits_for_its_page(self):
        release = threading.Event()
        self.addCleanup(release.set)
        self.desk.server.override("/search.htm", trickle(PAGE_START, release))
        self.type_search(self.tab, "slow")
        self.require(wait_for(lambda: self.count("/search.htm") > 1, 5, 0.1), "no page load")
        time.sleep(0.5)
        self.desk.end_x_server()
        self.require_ended_whole("waiting for the page")


if __name__ == "__main__":
    unittest.main()
