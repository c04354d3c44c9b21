"""The tab on every desktop in sessions.DESKTOPS, driven through that desktop's
own pointer: it docks at its place, hovering the strip slides it out and back,
and a window opened over the strip (managed, or one that bypasses the window
manager) ends up beneath it. And a check of the desktops themselves: keys typed
through each desktop's keyboard reach a focused, managed X client (xev)."""

import re
import sys
import time
import unittest

import sessions
from harness import wait_for
from tabcase import DEFAULT_TOP, DOCKED_X, OFF_TAB, STRIP, TAB_SIZE, TabCase

COVER_AREA = (1200, 0, 80, 200)     # x, y, width, height: over the docked strip
COVER_PROBE = (1230, 100)           # inside the cover, clear of the tab
RAISE_TIMEOUT = 2.5

KEYS_TITLE = "harness-keys"
TYPED = "Harrow KIT!"
KEYSYM_NAMES = {" ": "space", "!": "exclam"}
SHIFT, CONTROL, ALT = 0x1, 0x4, 0x8
MODIFIER_KEYSYM = re.compile(r"^(Shift|Control|Alt|Meta|Super|ISO_Level3)_")
KEY_PRESS = re.compile(r"KeyPress event, serial \d+, synthetic (YES|NO),.*?state (0x[0-9a-f]+), "
                       r"keycode \d+ \(keysym 0x[0-9a-f]+, (\S+)\)", re.DOTALL)
KEYS_TIMEOUT = 5


def report(text):
    print(text, file=sys.stderr, flush=True)


class SessionChecks:
    """Mixed into a TabCase whose desktop_class is one of sessions.DESKTOPS."""

    def setUp(self):
        began = time.monotonic()
        super().setUp()
        report(f"{self.desk.name}: desktop ready in {time.monotonic() - began:.2f} s")

    # ----- the desktop's keyboard ---------------------------------------------

    def key_presses(self, log):
        """[(synthetic, modifiers, keysym name)] of xev's KeyPress events, modifier keys left out."""
        with open(log, errors="replace") as f:
            text = f.read()
        return [(synthetic, int(state, 16) & (SHIFT | CONTROL | ALT), name)
                for synthetic, state, name in KEY_PRESS.findall(text) if not MODIFIER_KEYSYM.match(name)]

    def test_keys_reach_a_focused_x_client(self):
        proc = self.desk._spawn(["xev", "-event", "keyboard", "-name", KEYS_TITLE, "-geometry", "400x300+300+200"],
                                "xev")
        self.desk._procs.append(proc)
        found = wait_for(lambda: self.desk.windows_titled(KEYS_TITLE), 10, 0.1)
        self.require(found, f"xev's window did not appear (xev exit {proc.poll()}): "
                            f"{self.desk._read_log('xev.log')[-500:]}")
        x, y, width, height = self.desk.geometry(found[0])
        self.desk.click(x + width // 2, y + height // 2)
        self.desk.type(TYPED, 40)
        self.desk.key("ctrl+a")
        self.desk.key("alt+n")
        self.desk.key("Return")
        expected = [("NO", SHIFT if c.isupper() or c == "!" else 0, KEYSYM_NAMES.get(c, c)) for c in TYPED]
        expected += [("NO", CONTROL, "a"), ("NO", ALT, "n"), ("NO", 0, "Return")]
        log = self.desk.path("xev.log")
        wait_for(lambda: len(self.key_presses(log)) >= len(expected), KEYS_TIMEOUT)
        seen = self.key_presses(log)
        report(f"{self.desk.name}: xev saw {len(seen)} of {len(expected)} key presses")
        self.require(seen == expected, f"xev saw (synthetic, modifiers, keysym) {seen}, expected {expected}")

    # ----- the tab --------------------------------------------------------------

    def strip_points(self):
        """Two screen points on the docked strip, used in turn so that every
        look moves the pointer and the desktop picks the window under it anew."""
        x, y = DOCKED_X + STRIP[0], DEFAULT_TOP + STRIP[1]
        while True:
            yield x, y
            yield x + 1, y

    def require_beneath_tab(self, tab, managed):
        what = "a managed window" if managed else "a window that bypasses the window manager"
        self.desk.mouse_move(*OFF_TAB)
        cover = self.desk.open_window_over(*COVER_AREA, managed=managed)
        self.addCleanup(cover.close)
        under, frame = sessions.window_under_pointer(self.desk, *COVER_PROBE), sessions.toplevel(self.desk, cover.window)
        self.require(under == frame, f"{what} at {COVER_AREA} is not what the pointer finds at {COVER_PROBE}: "
                                     f"{under}, the cover is {hex(cover.window)} in {frame}")
        points = self.strip_points()
        seen = []

        def tab_on_strip():
            seen.append(sessions.window_under_pointer(self.desk, *next(points)))
            return seen[-1] == tab

        on_top = wait_for(tab_on_strip, max(0.0, cover.opened + RAISE_TIMEOUT - time.monotonic()), 0.05)
        report(f"{self.desk.name}: with {what} opened over the strip, the tab is "
               f"{'on top' if on_top else 'beneath'} {time.monotonic() - cover.opened:.2f} s after it opened")
        self.require(on_top, f"{RAISE_TIMEOUT} s after {what} opened over the strip, the pointer on the strip "
                             f"finds {[hex(w) if w else w for w in seen[-3:]]}, not the tab {hex(tab)}")
        cover.close()

    def test_tab_docks_slides_and_stays_on_top(self):
        app, tab = self.start_tab()
        self.assertEqual(self.desk.geometry(tab), (DOCKED_X, DEFAULT_TOP) + TAB_SIZE)
        self.slide_out(tab)
        self.slide_back(tab)
        self.require_running(app)
        self.require_beneath_tab(tab, managed=True)
        # Finding the tab on the strip put the pointer on it, which slides it
        # (at once, or a little later): the next check starts from a fresh tab,
        # with the pointer away from where it appears.
        self.desk.mouse_move(*OFF_TAB)
        self.desk.stop_app(app)
        app, tab = self.start_tab()
        self.require_beneath_tab(tab, managed=False)
        self.require_running(app)


for _name, _desktop in sessions.DESKTOPS.items():
    _case = type(f"On{_name.capitalize()}", (SessionChecks, TabCase), {"desktop_class": _desktop})
    _case.__module__ = __name__
    globals()[_case.__name__] = _case
del _name, _desktop, _case

if __name__ == "__main__":
    unittest.main(verbosity=2)
