"""A maker's site that serves the wrong thing: search pages that loop, are huge, are
no HTML, lie about their charset, nest deep or lack the form or its field, and
version files that are huge, binary, empty, an error or a captive portal's page.
After each search the tab is still there and takes the next one; a page with a
usable form still searches, the rest open nothing; a version file asks about a
newer version only when it names one; the settings are as before."""

import os
import random
import unittest
import urllib.parse

from harness import wait_for
from test_search import SEARCH_PAGE_PATH, VERSION_PATH, SearchCase

ENDED = 15            # a search and its update check end within this many seconds
QUERY = "bad input"
MB = 1 << 20


def chunks(total, piece):
    def write(out):
        block = piece * (64 * 1024 // len(piece) + 1)
        sent = 0
        while sent < total:
            part = block[:total - sent]
            out.write(part)
            sent += len(part)
    return write


def nested(depth, form):
    return b"<!DOCTYPE html><html><body>" + b"<div>" * depth + form + b"</div>" * depth + b"</body></html>"


BINARY = random.Random(3).randbytes(4096)
PORTAL = (b"<!DOCTYPE html><html><head><title>Hotel Wi-Fi</title></head><body><h1>Welcome</h1>"
          b"<form action=\"/login\"><input name=\"room\"></form><p>Version 2.0 of our portal</p></body></html>")


# What the person sees after typing the query: "search" (the query reaches the engine),
# "nothing" (no address opens) or "no query" (the page's form goes out as it is, its
# field for the query empty).
def page_cases(page, form):
    return {
        "a redirect loop": (dict(body=b"", status=302, headers=[("Location", SEARCH_PAGE_PATH)]), "nothing"),
        "50 MB, the form at its top": (dict(body=chunks(50 * MB, b"<p>filler</p>\n"), prefix=page), "search"),
        "an image": (dict(body=BINARY, content_type="image/png"), "nothing"),
        "binary bytes called HTML": (dict(body=BINARY), "nothing"),
        "a charset it does not use": (dict(body=page.replace(b"utf-8", b"utf-16"),
                                           content_type="text/html; charset=windows-1251"), "search"),
        "100,000 nested elements around the form": (dict(body=nested(100_000, form)), "search"),
        "no form": (dict(body=b"<!DOCTYPE html><html><body><p>Closed for repairs</p></body></html>"), "nothing"),
        "no field q": (dict(body=page.replace(b'name="q"', b'name="query"')), "no query"),
    }


# Version files: none of these may bring the question.
VERSION_CASES = {
    "huge": dict(body=chunks(20 * MB, b"release notes ")),
    "binary": dict(body=BINARY, content_type="application/octet-stream"),
    "empty": dict(body=b""),
    "404": dict(body=b"<h1>Not Found</h1>", status=404),
    "500": dict(body=b"<h1>Internal Server Error</h1>", status=500),
    "a captive portal's page": dict(body=PORTAL),
}


class BadSite(SearchCase):
    def serve(self, path, body, status=200, content_type="text/html; charset=utf-8", headers=(), prefix=None):
        if prefix is not None:
            stream = body

            def body(out):
                out.write(prefix)
                stream(out)
        self.desk.server.override(path, body, status, content_type, headers)

    def ended_search(self, tab, what):
        """Types the query; returns the addresses the browser was given for it, once its
        update check has fetched the version file."""
        calls, versions = len(self.desk.browser_calls()), self.count(VERSION_PATH)
        self.type_search(tab, QUERY)
        self.require(wait_for(lambda: self.count(VERSION_PATH) > versions, ENDED, 0.05),
                     f"{what}: the search did not reach its update check within {ENDED} s")
        self.require(not wait_for(self.desk.message_boxes, 1, 0.1), f"{what}: a message box appeared")
        self.require_running(self.app)
        return self.desk.browser_calls()[calls:]

    def setUp(self):
        super().setUp()
        self.app, self.tab = self.start_tab()
        with open(os.path.join(self.desk.server.root, SEARCH_PAGE_PATH.lstrip("/")), "rb") as f:
            self.page = f.read()
        self.settings = self.desk.settled_settings()

    def test_bad_search_pages(self):
        start = self.page.index(b"<form")
        form = self.page[start:self.page.index(b"</form>") + len(b"</form>")]
        searched = f"{self.desk.server.search_url}?q={urllib.parse.quote_plus(QUERY)}"
        for name, (serve, expected) in page_cases(self.page, form).items():
            with self.subTest(name):
                self.desk.server.clear_overrides()
                self.serve(SEARCH_PAGE_PATH, **serve)
                opened = self.ended_search(self.tab, name)
                wanted = {"search": [searched], "nothing": [], "no query": [self.desk.server.search_url + "?query="]}
                self.require(opened == wanted[expected], f"{name}: the browser was given {opened}")
        self.require(self.desk.settings_bytes() == self.settings, "the settings changed")

    def test_bad_version_files(self):
        searched = f"{self.desk.server.search_url}?q={urllib.parse.quote_plus(QUERY)}"
        for name, serve in VERSION_CASES.items():
            with self.subTest(name):
                self.desk.server.clear_overrides()
                self.serve(VERSION_PATH, **serve)
                opened = self.ended_search(self.tab, name)
                self.require(opened == [searched], f"{name}: the browser was given {opened}")
        self.require(self.desk.settings_bytes() == self.settings, "the settings changed")
        # A version file that names a newer version on its first line still asks, however long.
        self.desk.server.clear_overrides()
        self.serve(VERSION_PATH, chunks(20 * MB, b"1.1\n"))
        self.type_search(self.tab, QUERY)
        self.answer(self.question(), "Escape")
        self.require(self.wait_setting("upd", "0"), f"settings after No: {self.desk.settings()}")


if __name__ == "__main__":
    unittest.main()
