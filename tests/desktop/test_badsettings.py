"""A settings file the program cannot use as it is: damaged, huge, locked away, or
in a place it cannot create. Each time the tab starts with what it can read (the
defaults for the rest), a click on the option knob still changes the skin on
screen, and afterwards the file holds the person's values or is left exactly as
it was, never half-written."""

import os
import random
import shutil
import stat
import unittest

from harness import wait_for
from tabcase import DEFAULT_TOP, TabCase, strip_shows

OPTIONS = (402, 40)           # the option knob, window pixels
VALUES = {"skn": 5, "poy": 300, "upd": 1, "ont": 1}
VALUES_TOP = 20               # poy 300 twips
# A program run by root reads and writes whatever the modes say; without these two
# capabilities it meets the modes as a person's program does.
WITHOUT_OVERRIDE = ["setpriv", "--inh-caps=-dac_override,-dac_read_search",
                    "--bounding-set=-dac_override,-dac_read_search"]


def junk(size, seed):
    return random.Random(seed).randbytes(size)


def settings_text(values):
    return ("[General]\n" + "".join(f"{k}={v}\n" for k, v in values.items())).encode()


def defaults_after_click(skin):
    return {"skn": str(skin), "poy": "80", "upd": "1", "ont": "1"}


# name: (prepare(desk), skin shown at start, top at start, check(case, desk, before) of the disk
# after one click on the option knob)
def unchanged(mode):
    def check(case, desk, before):
        info = os.lstat(desk.settings_path())
        case.require(stat.S_IMODE(info.st_mode) == mode, f"mode {oct(info.st_mode)}, expected {oct(mode)}")
        case.require(desk.settings_bytes() == before, f"the file changed: {desk.settings_bytes()!r}")
    return check


def holds(expected):
    def check(case, desk, _before):
        got = {key: desk.settings().get(key) for key in expected}
        case.require(got == expected, f"settings {got}, expected {expected}")
    return check


def locked(desk, mode):
    desk.write_settings(VALUES)
    os.chmod(desk.settings_path(), mode)


def still_a_folder(case, desk, _before):
    case.require(os.path.isdir(desk.settings_path()) and not os.listdir(desk.settings_path()),
                 "the folder in the file's place was changed")


def no_folder(case, desk, _before):
    case.require(not os.path.exists(os.path.dirname(desk.settings_path())), "a settings folder was made")


CASES = {
    "binary junk": (lambda d: d.write_settings_bytes(junk(64 * 1024, 1)), 1, DEFAULT_TOP,
                    holds(defaults_after_click(2))),
    "10 MB: the values, then junk": (lambda d: d.write_settings_bytes(settings_text(VALUES) + junk(10 << 20, 2)),
                                     5, VALUES_TOP, holds({"skn": "6", "poy": "300", "upd": "1", "ont": "1"})),
    "unreadable (mode 000)": (lambda d: locked(d, 0), 1, DEFAULT_TOP, unchanged(0)),
    "read-only (mode 444)": (lambda d: locked(d, 0o444), 5, VALUES_TOP, unchanged(0o444)),
    "a folder where the file should be": (lambda d: os.makedirs(d.settings_path()), 1, DEFAULT_TOP, still_a_folder),
    # skn is read as missing (default 1 written); poy and ont are skipped and kept.
    "numbers out of the 16-bit range": (lambda d: d.write_settings({"skn": 99999, "poy": -40000, "upd": 1,
                                                                    "ont": 70000}),
                                        1, 0, holds({"skn": "2", "poy": "-40000", "upd": "1", "ont": "70000"})),
    "a config folder that cannot be made": (lambda d: os.chmod(d.path("config"), 0o500), 1, DEFAULT_TOP, no_folder),
}


class BadSettings(TabCase):
    def reset(self):
        os.chmod(self.desk.path("config"), 0o700)
        shutil.rmtree(os.path.dirname(self.desk.settings_path()), ignore_errors=True)

    def test_the_tab_starts_and_changes_skin_and_the_file_is_whole_or_untouched(self):
        argv = (WITHOUT_OVERRIDE if os.geteuid() == 0 else []) + [os.environ["HARROWKIT_BIN"]]
        for name, (prepare, skin, top, check) in CASES.items():
            with self.subTest(name):
                self.reset()
                prepare(self.desk)
                before = self.desk.settings_bytes()
                app, tab = self.start_tab(top=top, argv=argv)
                self.require(wait_for(lambda: strip_shows(self.desk, tab, skin), 3, 0.1), f"{name}: skin {skin} not shown")
                self.slide_out(tab)
                self.click_at(tab, OPTIONS)
                following = skin % 17 + 1
                self.require(wait_for(lambda: strip_shows(self.desk, tab, following), 3, 0.1),
                             f"{name}: the knob did not bring skin {following}")
                self.desk.settled_settings(timeout=3)
                self.require_running(app)
                self.require(not self.desk.message_boxes(), f"{name}: a message box is open")
                check(self, self.desk, before)
                self.desk.stop_app(app)
        self.reset()


if __name__ == "__main__":
    unittest.main()
