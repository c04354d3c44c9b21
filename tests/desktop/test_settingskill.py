"""The program killed (SIGKILL) in the middle of skin changes, 500 times in a row:
after every kill the settings file parses, keeps the other three values and holds
one of the skins the clicks stored, and the next start shows that skin.

A round starts the real program, clicks its option knob a few times and kills it,
either after a random pause or the moment the settings file's lock appears (the
program is then inside a write). The knob is clicked by sending the button events
to the docked tab, so that a round takes about a tenth of a second instead of the
second that sliding the tab out would cost."""

import os
import random
import time
import unittest

from harness import TAB_TITLE, wait_for
from tabcase import DEFAULT_TOP, TabCase, strip_shows
from xevents import XDirect

ROUNDS = 500
OPTIONS = (402, 40)          # the option knob, window pixels
MAX_CLICKS = 5
MAX_PAUSE = 0.05             # seconds between the clicks and a kill after a pause
LOCK_WAIT = 0.1              # how long a kill waits for the lock to appear
OTHERS = {"poy": "80", "upd": "1", "ont": "1"}


class KilledWhileWriting(TabCase):
    def test_every_kill_leaves_a_whole_file_with_a_written_skin(self):
        self.start_tab()          # the first start writes the defaults
        self.desk.stop_app(self.desk.apps[-1].proc)
        xdirect = XDirect(self.desk.display)
        self.addCleanup(xdirect.close)
        rng = random.Random(11)
        lock = self.desk.settings_path() + ".lock"
        skin = int(self.desk.settings()["skn"])
        outcomes = {"no click stored": 0, "some stored": 0, "all stored": 0, "killed holding the lock": 0}
        began = time.monotonic()
        for round_number in range(ROUNDS):
            app = self.desk.start_app()
            found = wait_for(lambda: xdirect.viewable(TAB_TITLE), 10, 0.005)
            self.require(found, f"round {round_number}: the program showed no tab")
            window, x, y = found[0]
            clicks = rng.randint(1, MAX_CLICKS)
            for _ in range(clicks):
                xdirect.click(window, (x, y), OPTIONS)
            if round_number % 2:
                deadline = time.monotonic() + LOCK_WAIT
                while not os.path.exists(lock) and time.monotonic() < deadline:
                    pass
            else:
                time.sleep(rng.uniform(0, MAX_PAUSE))
            app.kill()
            app.wait(5)
            self.require(wait_for(lambda: not xdirect.viewable(TAB_TITLE), 5, 0.005),
                         f"round {round_number}: the killed program's tab is still there")
            if os.path.exists(lock):
                outcomes["killed holding the lock"] += 1
            written = [(skin - 1 + i) % 17 + 1 for i in range(clicks + 1)]
            data = self.desk.settings_bytes() or b""
            values = self.desk.settings()
            self.require(data.startswith(b"[General]\n") and {k: values.get(k) for k in OTHERS} == OTHERS
                         and values.get("skn", "").isdigit() and int(values["skn"]) in written,
                         f"round {round_number}: after {clicks} clicks from skin {skin} the file holds {data!r}")
            now = int(values["skn"])
            outcomes["no click stored" if now == skin else "all stored" if now == written[-1] else "some stored"] += 1
            skin = now
        folder = os.path.dirname(self.desk.settings_path())
        left = sorted(os.listdir(folder))
        # The next start shows the last stored skin, and its first write clears the locks the
        # kills left behind.
        app, tab = self.start_tab(top=DEFAULT_TOP)
        self.require(wait_for(lambda: strip_shows(self.desk, tab, skin), 3, 0.1), f"skin {skin} not shown")
        window, x, y = xdirect.viewable(TAB_TITLE)[0]
        xdirect.click(window, (x, y), OPTIONS)
        following = skin % 17 + 1
        self.require(wait_for(lambda: self.desk.settings().get("skn") == str(following), 5, 0.05),
                     f"the click after the kills did not store skin {following}: {self.desk.settings()}")
        locks = [name for name in os.listdir(folder) if ".lock" in name]
        self.require(not locks, f"locks left after a completed write: {locks}")
        print(f"\n{ROUNDS} rounds in {time.monotonic() - began:.1f} s: {outcomes}; "
              f"left in the folder after the last kill: {left}")

if __name__ == "__main__":
    unittest.main()
