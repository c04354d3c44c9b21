"""The tab's motion as a person sees it: the slide out and back when the strip
is hovered, the retract timer that typing holds off, and dragging the tab
along the edge by its bar or end cap (remembered across starts)."""

import sys
import time
import unittest

from harness import wait_for
from tabcase import (BAR_GRIP, CAP_GRIP, DEFAULT_TOP, DOCKED_X, OFF_TAB, OUT_X, STRIP, TEXT_BOX, TabCase)

# A slide is seen as motion, neither a jump nor a crawl. The upper bound leaves room for a busy
# machine (the same build took 0.45 s one day and 0.75-1.1 s on a slower one); its duration is
# measured by scripts/bench, not asserted here.
SLIDE_SECONDS = (0.2, 1.5)
MIN_POSITIONS = 60
RETRACT_SECONDS = (14.0, 18.0)  # the retract timer runs 15 s
KEY_EVERY = 5.0
KEYS = 4                        # keys at 5, 10, 15 and 20 s after the slide
DRAG_DOWN = 200
DRAG_STEPS = 10
TWIPS_PER_PIXEL = 15


def report(text):
    print(text, file=sys.stderr, flush=True)


class Slide(TabCase):
    def watched_slide(self, tab, what):
        """Hovers the strip while winwatch records the window; returns its record."""
        self.desk.mouse_move(*OFF_TAB)
        watch = self.desk.watch_window(tab, 5, settle_ms=500)
        time.sleep(0.3)  # winwatch has read the starting position
        self.move_to(tab, STRIP)
        record = watch.result()
        duration = (record["last_ms"] - record["first_ms"]) / 1000
        report(f"slide {what}: {duration:.3f} s, {record['positions']} distinct positions, "
               f"from {record['moves'][0][1:] if record['moves'] else None} "
               f"to {record['moves'][-1][1:] if record['moves'] else None}")
        return record, duration

    def require_slide(self, tab, what, start_x, end_x):
        record, duration = self.watched_slide(tab, what)
        moves = record["moves"]
        seen = f"{len(moves)} changes, first {moves[:3]}, last {moves[-3:]}"
        self.require(moves and moves[0][1:] == (start_x, DEFAULT_TOP),
                     f"slide {what} did not start from ({start_x}, {DEFAULT_TOP}): {seen}")
        self.require(moves[-1][1:] == (end_x, DEFAULT_TOP),
                     f"slide {what} did not end at ({end_x}, {DEFAULT_TOP}): {seen}")
        direction = 1 if end_x > start_x else -1
        steps = [(b[1] - a[1]) * direction for a, b in zip(moves, moves[1:])]
        self.require(all(step > 0 for step in steps) and all(m[2] == DEFAULT_TOP for m in moves),
                     f"slide {what} went back and forth or changed height: {moves}")
        self.require(SLIDE_SECONDS[0] <= duration <= SLIDE_SECONDS[1],
                     f"slide {what} took {duration:.3f} s, expected {SLIDE_SECONDS[0]}..{SLIDE_SECONDS[1]} s; {seen}")
        self.require(record["positions"] >= MIN_POSITIONS,
                     f"slide {what} showed {record['positions']} positions, expected at least {MIN_POSITIONS}")
        self.require(self.desk.geometry(tab)[:2] == (end_x, DEFAULT_TOP),
                     f"after the slide {what} the tab is at {self.desk.geometry(tab)}")

    def test_hovering_the_strip_slides_out_then_back(self):
        app, tab = self.start_tab()
        self.require_slide(tab, "out", DOCKED_X, OUT_X)
        self.require_slide(tab, "back", OUT_X, DOCKED_X)
        self.require_running(app)


class Retract(TabCase):
    def retract_delay(self, tab, since, what):
        """Seconds from `since` until the tab starts moving back; it must end docked."""
        self.desk.mouse_move(*OFF_TAB)
        limit = RETRACT_SECONDS[1] + 2 - (time.monotonic() - since)
        watch_start = time.monotonic()
        record = self.desk.watch_window(tab, limit, settle_ms=500).result()
        self.require(record["first_ms"] >= 0,
                     f"the tab did not move within {RETRACT_SECONDS[1] + 2} s of {what}: "
                     f"at {self.desk.geometry(tab)}")
        delay = watch_start - since + record["first_ms"] / 1000
        report(f"retract: started {delay:.2f} s after {what}, "
               f"slide took {(record['last_ms'] - record['first_ms']) / 1000:.3f} s")
        self.require(self.desk.geometry(tab)[:2] == (DOCKED_X, DEFAULT_TOP),
                     f"after retracting the tab is at {self.desk.geometry(tab)}")
        self.require(RETRACT_SECONDS[0] <= delay <= RETRACT_SECONDS[1],
                     f"the tab started back {delay:.2f} s after {what}, expected "
                     f"{RETRACT_SECONDS[0]}..{RETRACT_SECONDS[1]} s")

    def test_slid_out_tab_goes_back_by_itself(self):
        app, tab = self.start_tab()
        self.slide_out(tab)
        self.retract_delay(tab, time.monotonic(), "the slide out")
        self.require_running(app)

    def test_typing_in_the_box_holds_the_tab_out(self):
        app, tab = self.start_tab()
        self.slide_out(tab)
        slid = time.monotonic()
        self.click_at(tab, TEXT_BOX)
        last_key = None
        for number in range(1, KEYS + 1):
            held = self.stays(lambda: self.left(tab) == OUT_X, slid + number * KEY_EVERY - time.monotonic(), 0.2)
            self.require(held, f"the tab left x {OUT_X} {time.monotonic() - slid:.1f} s after the slide, "
                               f"with a key typed every {KEY_EVERY} s: at {self.desk.geometry(tab)}")
            self.desk.type("k")
            last_key = time.monotonic()
        out_for = time.monotonic() - slid
        report(f"typing: still out at x {self.left(tab)} {out_for:.1f} s after the slide")
        self.require(self.left(tab) == OUT_X and out_for > 15.5,
                     f"{out_for:.1f} s after the slide the tab is at {self.desk.geometry(tab)}")
        self.retract_delay(tab, last_key, "the last key")
        self.require_running(app)


class Drag(TabCase):
    def drag_down_by(self, grip):
        """Drags the slid-out tab by `grip` DRAG_DOWN px down, checks where it and
        the stored top end up, restarts the program and returns the tab's top then."""
        app, tab = self.start_tab()
        before = self.desk.settings().get("poy")
        self.slide_out(tab)
        x, y = self.screen_point(tab, grip)
        self.desk.mouse_move(x, y)
        self.desk.press()
        for step in range(1, DRAG_STEPS + 1):
            self.desk.mouse_move(x, y + DRAG_DOWN * step // DRAG_STEPS)
            time.sleep(0.05)
        self.desk.release()
        expected_top = DEFAULT_TOP + DRAG_DOWN
        wait_for(lambda: abs(self.desk.geometry(tab)[1] - expected_top) <= 2, 2, 0.05)
        geometry = self.desk.geometry(tab)
        report(f"drag by {grip}: tab at {geometry}")
        self.require(geometry[0] == OUT_X and abs(geometry[1] - expected_top) <= 2,
                     f"after dragging {DRAG_DOWN} px down by window point {grip} the tab is at {geometry}, "
                     f"expected x {OUT_X}, y {expected_top} +-2")

        def stored_top():
            value = self.desk.settings().get("poy", "")
            return int(value) if value != before and value.lstrip("-").isdigit() else None

        poy = wait_for(stored_top, 3, 0.1)
        report(f"drag by {grip}: poy {poy}")
        self.require(poy is not None and abs(poy - expected_top * TWIPS_PER_PIXEL) <= 2 * TWIPS_PER_PIXEL
                     and abs(poy - geometry[1] * TWIPS_PER_PIXEL) < TWIPS_PER_PIXEL,
                     f"poy {poy}, expected {expected_top * TWIPS_PER_PIXEL} +-{2 * TWIPS_PER_PIXEL} twips "
                     f"and the tab's top {geometry[1]} px in twips")
        self.require_running(app)

        self.desk.stop_app(app)
        _again, tab = self.start_tab(top=None)
        restarted = self.desk.geometry(tab)
        report(f"drag by {grip}: after a restart the tab is at {restarted}")
        self.require(abs(restarted[1] * TWIPS_PER_PIXEL - poy) < TWIPS_PER_PIXEL,
                     f"after a restart the tab is at {restarted}, the stored top is {poy} twips")

    def test_dragging_the_bar_moves_the_tab_down(self):
        self.drag_down_by(BAR_GRIP)

    def test_dragging_the_end_cap_moves_the_tab_down(self):
        self.drag_down_by(CAP_GRIP)


if __name__ == "__main__":
    unittest.main(verbosity=2)
