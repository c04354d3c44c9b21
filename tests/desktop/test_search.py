"""A search typed into the tab: the query reaches the search engine exactly as
typed, the update check that follows every search asks about a newer version
(Yes opens the download page, No stops the checks), and a maker's server that
is down leaves the tab working."""

import os
import unittest
import urllib.parse

from harness import wait_for
from tabcase import OUT_X, TEXT_BOX, TabCase

SEARCH_TIMEOUT = 10
QUESTION_TIMEOUT = 10
ANSWER_TIMEOUT = 5
QUIET = 3            # how long a question or request that must not come is waited for
VERSION_PATH = "/download/HarrowKIT/version"
SEARCH_PAGE_PATH = "/search.htm"


class SearchCase(TabCase):
    def count(self, path):
        return sum(1 for request in self.desk.server.requests() if urllib.parse.urlsplit(request).path == path)

    def search_calls(self):
        return [call for call in self.desk.browser_calls() if call.startswith(self.desk.server.search_url + "?")]

    def type_search(self, tab, query, slide_anew=False):
        """Slides the tab out if needed (back and out again with slide_anew),
        replaces the text box's content with query and presses Enter."""
        if slide_anew:
            self.slide_back(tab)
        self.slide_out(tab)
        self.click_at(tab, TEXT_BOX)
        self.desk.key("ctrl+a")
        self.desk.type(query)
        self.desk.key("Return")

    def search(self, tab, query, slide_anew=False):
        """Types a search and returns the address the browser was given for it."""
        before = len(self.search_calls())
        self.type_search(tab, query, slide_anew)
        arrived = wait_for(lambda: len(self.search_calls()) > before, SEARCH_TIMEOUT, 0.05)
        self.require(arrived, f"no search reached the browser within {SEARCH_TIMEOUT} s of typing {query!r}")
        calls = self.search_calls()[before:]
        self.require(len(calls) == 1, f"one search opened {calls}")
        return calls[0]

    def set_server_version(self, text):
        with open(os.path.join(self.desk.server.root, *VERSION_PATH.strip("/").split("/")), "w") as f:
            f.write(text)

    def question(self):
        boxes = wait_for(self.desk.message_boxes, QUESTION_TIMEOUT, 0.1)
        self.require(boxes, f"no message box titled 'HarrowKIT' within {QUESTION_TIMEOUT} s of the search")
        self.require(len(boxes) == 1, f"{len(boxes)} message boxes open")
        return boxes[0]

    def answer(self, box, keys):
        self.desk.activate(box)
        self.desk.key(keys)
        closed = wait_for(lambda: not self.desk.message_boxes(), ANSWER_TIMEOUT, 0.1)
        self.require(closed, f"the question is still open {ANSWER_TIMEOUT} s after answering with {keys}")

    def require_no_question(self, what):
        boxes = wait_for(self.desk.message_boxes, QUIET, 0.1)
        self.require(not boxes, f"a message box appeared {what}: {[hex(box) for box in boxes]}")

    def wait_setting(self, key, value):
        return wait_for(lambda: self.desk.settings().get(key) == value, ANSWER_TIMEOUT, 0.1)


class Query(SearchCase):
    def test_query_arrives_as_typed_and_same_version_asks_nothing(self):
        app, tab = self.start_tab()
        pages, versions = self.count(SEARCH_PAGE_PATH), self.count(VERSION_PATH)
        query = "  hello world "
        opened = self.search(tab, query)
        expected = f"{self.desk.server.search_url}?q=++hello+world+"
        self.require(opened == expected, f"the browser was given {opened!r}, expected {expected!r}")
        q = urllib.parse.parse_qs(urllib.parse.urlsplit(opened).query, keep_blank_values=True).get("q")
        self.require(q == [query], f"the engine's q is {q!r}, typed {query!r}")
        self.require(self.count(SEARCH_PAGE_PATH) > pages,
                     f"{SEARCH_PAGE_PATH} was not requested for the search: {self.desk.server.requests()}")
        self.require(wait_for(lambda: self.count(VERSION_PATH) > versions, QUIET, 0.1),
                     f"no update check after the search: {self.desk.server.requests()}")
        self.require_no_question("although the server's version is this one's")
        self.require_running(app)


class NewerVersion(SearchCase):
    def setUp(self):
        super().setUp()
        self.app, self.tab = self.start_tab()
        self.set_server_version("1.1")

    def test_yes_opens_the_download_page_and_the_next_search_asks_again(self):
        download = f"{self.desk.server.url}/download/HarrowKIT/index.htm"
        self.search(self.tab, "first")
        box = self.question()
        self.require(download not in self.desk.browser_calls(),
                     f"the download page opened before the answer: {self.desk.browser_calls()}")
        self.answer(box, "Return")
        self.require(wait_for(lambda: download in self.desk.browser_calls(), ANSWER_TIMEOUT, 0.1),
                     f"Yes did not open {download}: browser calls {self.desk.browser_calls()}")
        self.require(self.desk.browser_calls().count(download) == 1,
                     f"the download page opened more than once: {self.desk.browser_calls()}")
        self.require(self.wait_setting("upd", "1"), f"settings after Yes: {self.desk.settings()}, expected upd=1")

        versions = self.count(VERSION_PATH)
        self.search(self.tab, "second", slide_anew=True)
        box = self.question()
        self.require(self.count(VERSION_PATH) > versions,
                     f"the second question came without a new version check: {self.desk.server.requests()}")
        self.answer(box, "Escape")
        self.require_running(self.app)

    def answer_no(self, keys):
        self.search(self.tab, "first")
        self.answer(self.question(), keys)
        self.require(self.wait_setting("upd", "0"),
                     f"settings after answering No with {keys}: {self.desk.settings()}, expected upd=0")
        download = f"{self.desk.server.url}/download/HarrowKIT/index.htm"
        self.require(download not in self.desk.browser_calls(),
                     f"No opened the download page: {self.desk.browser_calls()}")

        versions = self.count(VERSION_PATH)
        self.search(self.tab, "second", slide_anew=True)
        self.require_no_question("after a search that follows No")
        self.require(self.count(VERSION_PATH) == versions,
                     f"the version file was requested again after No: {self.desk.server.requests()}")
        self.require_running(self.app)

    def test_no_by_escape_stops_the_checks(self):
        self.answer_no("Escape")

    def test_no_by_alt_n_stops_the_checks(self):
        self.answer_no("alt+n")

    def test_text_box_takes_typing_again_after_the_question(self):
        # The tab stays out after the answer; a click into its text box is all
        # a person does before typing the next search.
        self.search(self.tab, "first")
        self.answer(self.question(), "Escape")
        before = len(self.search_calls())
        self.click_at(self.tab, TEXT_BOX)
        self.desk.key("ctrl+a")
        self.desk.type("second")
        self.desk.key("Return")
        arrived = wait_for(lambda: len(self.search_calls()) > before, SEARCH_TIMEOUT, 0.05)
        focus = self.desk.focused_window()
        self.require(arrived, f"after the question was answered, a search typed into the clicked text box "
                              f"did not reach the browser within {SEARCH_TIMEOUT} s of Enter; tab window "
                              f"{hex(self.tab)}, keyboard focus on window {hex(focus) if focus else focus} "
                              f"titled {self.desk.title(focus) if focus else None!r}")
        self.require(self.search_calls()[before:] == [f"{self.desk.server.search_url}?q=second"],
                     f"the browser was given {self.search_calls()[before:]}")
        self.require_running(self.app)


class ServerDown(SearchCase):
    def test_search_with_the_server_down_leaves_the_tab_working(self):
        app, tab = self.start_tab()
        self.desk.server.stop()
        self.type_search(tab, "nobody home")
        self.require_no_question("after a search with the server down")
        self.require_running(app)
        self.require(self.left(tab) == OUT_X, f"the tab moved to {self.desk.geometry(tab)} during the search")
        self.require(self.search_calls() == [], f"a search opened with the server down: {self.search_calls()}")
        self.slide_back(tab)   # hovering the strip still slides the tab

        # Once the server is back, the next search goes through: the failed one
        # has ended and left the hidden browser usable.
        self.desk.server.restart()
        opened = self.search(tab, "back again")
        expected = f"{self.desk.server.search_url}?q=back+again"
        self.require(opened == expected, f"the browser was given {opened!r}, expected {expected!r}")
        self.require_no_question("after the search with the server back")
        self.require_running(app)


if __name__ == "__main__":
    unittest.main(verbosity=2)
