"""The tab's main job as a person does it on any desktop: move the pointer onto
the strip, type, press Enter; and a click is one click. Each desktop's module
binds EveryDesktop's tests to its desktop."""

import os
import time
import urllib.parse

from harness import wait_for
from tabcase import BUTTON, DOCKED_X, OFF_TAB, OUT_X, TEXT_BOX, TabCase

SEARCH_TIMEOUT = 10
QUESTION_TIMEOUT = 10
KEYBOARD_TIMEOUT = 3
CARET_BLINK = 0.6    # Qt's text cursor blinks every 0.5 s
TEXT_AREA = (124, 48, 310, 64)   # the text box, window pixels: x0, y0, x1, y1 (exclusive)
QUIET = 3            # how long something that must not come is waited for
OPTIONS_KNOB = (402, 40)
CLOSE_KNOB = (404, 71)
WORDS = ("alpha", "bravo", "charlie", "delta", "echo")


class TypingChecks(TabCase):
    """Hover, type, Enter: the words must reach the recording browser."""

    def searches(self):
        prefix = self.desk.server.search_url + "?"
        return [urllib.parse.parse_qs(call[len(prefix):]).get("q", [""])[0]
                for call in self.desk.browser_calls() if call.startswith(prefix)]

    def bring_out(self, tab):
        """Retracts the tab first if it is out, the way a person makes it: the
        pointer over its own strip. Then hovers the strip until it is out."""
        if self.left(tab) != DOCKED_X:
            self.slide_back(tab)
        self.slide_out(tab)
        # What a person waits for before typing: the text cursor in the box, which shows
        # once the tab has the keyboard.
        self.require(wait_for(lambda: self.has_keyboard(tab), KEYBOARD_TIMEOUT, 0.02),
                     f"the tab slid out but the keyboard is on {self.desk.focused_window()}, not on {hex(tab)}")

    def has_keyboard(self, tab):
        if self.desk.focused_window() == tab:
            return True
        # On sway the tab grabs the keyboard without the X focus: its text cursor blinks.
        if self.desk.name != "sway":
            return False
        x, y, _w, _h = self.desk.geometry(tab)
        box = [(x + i, y + j) for i in range(TEXT_AREA[0], TEXT_AREA[2]) for j in range(TEXT_AREA[1], TEXT_AREA[3])]
        before = self.desk.grab()
        time.sleep(CARET_BLINK)
        after = self.desk.grab()
        return any(before.pixel(px, py) != after.pixel(px, py) for px, py in box)

    def hover_type_enter(self, tab, word):
        before = len(self.searches())
        self.bring_out(tab)
        self.desk.type(word)
        self.desk.key("Return")
        arrived = wait_for(lambda: len(self.searches()) > before, SEARCH_TIMEOUT, 0.05)
        focus = self.desk.focused_window()
        self.require(arrived, f"{word!r} typed after a hover did not reach the browser within "
                              f"{SEARCH_TIMEOUT} s; keyboard focus on {hex(focus) if focus else focus} "
                              f"({self.desk.title(focus) if focus else None!r}), tab {hex(tab)}")
        got = self.searches()[before:]
        # The box keeps the last query; a new word typed after it is appended.
        self.require(len(got) == 1 and got[0].endswith(word), f"the browser was given {got} for {word!r}")

    def check_rounds(self, tab, words=WORDS):
        for word in words:
            self.hover_type_enter(tab, word)

    def check_keyboard_goes_back(self, tab, other):
        """Once the tab has slid back, the keys go to the window that had them before."""
        self.slide_back(tab)
        self.require(wait_for(lambda: self.desk.focused_window() == other.window, KEYBOARD_TIMEOUT, 0.05),
                     f"after the retract the keyboard is on {self.desk.focused_window()}, "
                     f"not on the window that had it before ({hex(other.window)})")

    def answer_question(self, keys):
        box = wait_for(self.desk.message_boxes, QUESTION_TIMEOUT, 0.1)
        self.require(box, f"no question within {QUESTION_TIMEOUT} s")
        self.desk.activate(box[0])
        self.desk.key(keys)
        self.require(wait_for(lambda: not self.desk.message_boxes(), 5, 0.1), f"the question stayed after {keys}")

    def check_typing_after_both_questions(self, app, tab):
        # A second start asks whether to exit; No keeps the first tab.
        second = self.desk.start_app()
        self.answer_question("Escape")
        self.require(wait_for(lambda: second.poll() is not None, 10, 0.1), "the second start did not end")
        self.hover_type_enter(tab, "afterexit")
        # A newer version on the maker's site asks after the search; No.
        with open(os.path.join(self.desk.server.root, "download", "HarrowKIT", "version"), "w") as f:
            f.write("1.1")
        self.hover_type_enter(tab, "asks")
        self.answer_question("Escape")
        self.hover_type_enter(tab, "afterupdate")
        self.require_running(app)


class ClickChecks(TabCase):
    """A double-click is one click; only the left button clicks."""

    def double_click(self, tab, point):
        x, y = self.screen_point(tab, point)
        self.desk.double_click(x, y)

    def check_clicks(self):
        app, tab = self.start_tab()
        self.slide_out(tab)
        self.click_at(tab, TEXT_BOX)
        self.desk.type("once")
        pages = self.desk.server.requests().count("/search.htm")
        calls = len(self.desk.browser_calls())
        self.double_click(tab, BUTTON)
        self.require(wait_for(lambda: len(self.desk.browser_calls()) > calls, SEARCH_TIMEOUT, 0.05),
                     "a double-click on Search opened nothing")
        wait_for(lambda: len(self.desk.browser_calls()) > calls + 1, QUIET, 0.1)
        self.require(len(self.desk.browser_calls()) == calls + 1,
                     f"a double-click on Search opened {self.desk.browser_calls()[calls:]}")
        self.require(self.desk.server.requests().count("/search.htm") == pages + 1,
                     f"a double-click on Search loaded the search page "
                     f"{self.desk.server.requests().count('/search.htm') - pages} times")

        self.double_click(tab, OPTIONS_KNOB)
        self.require(wait_for(lambda: self.desk.settings().get("skn") == "2", 3, 0.1),
                     f"skn is {self.desk.settings().get('skn')!r} after a double-click on the skin knob")
        wait_for(lambda: self.desk.settings().get("skn") != "2", QUIET, 0.1)
        self.require(self.desk.settings().get("skn") == "2",
                     f"a double-click moved the skin to {self.desk.settings().get('skn')!r}")

        self.desk.click(*self.screen_point(tab, CLOSE_KNOB), button=3)
        self.require(not wait_for(self.desk.message_boxes, QUIET, 0.1), "a right-click on the close knob asked")
        calls = len(self.desk.browser_calls())
        self.desk.click(*self.screen_point(tab, BUTTON), button=3)
        self.desk.click(*self.screen_point(tab, BUTTON), button=2)
        self.require(not wait_for(lambda: len(self.desk.browser_calls()) > calls, QUIET, 0.1),
                     f"a right or middle click on Search searched: {self.desk.browser_calls()[calls:]}")
        self.desk.mouse_move(*OFF_TAB)
        self.require(self.left(tab) == OUT_X, f"the clicks moved the tab to {self.desk.geometry(tab)}")
        self.require_running(app)


class EveryDesktop:
    """The tests each desktop runs; mixed into a case with TypingChecks and
    ClickChecks and a desktop_class."""

    def test_hover_type_enter_every_time(self):
        app, tab = self.start_tab()
        other = self.desk.open_window_over(100, 100, 200, 150)   # has the keyboard first
        self.check_rounds(tab)
        self.check_keyboard_goes_back(tab, other)
        self.check_typing_after_both_questions(app, tab)

    def test_a_double_click_is_one_click(self):
        self.check_clicks()
