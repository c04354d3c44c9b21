"""What the motion, link and search tests share: a docked tab, the places of
its parts in window pixels, and the person-like moves that slide it out and
back."""

import time

from harness import DesktopCase, SCREEN_WIDTH, read_skin, wait_for

TAB_SIZE = (413, 80)
DOCKED_X = SCREEN_WIDTH - 6           # only the left strip's columns 0..5 on screen
OUT_X = SCREEN_WIDTH - TAB_SIZE[0]    # slid out: right edge flush with the screen
DEFAULT_TOP = 5                       # poy 80 twips
START_TIMEOUT = 10
SLIDE_TIMEOUT = 3                     # a slide takes well under a second

# Window pixels (add the window's screen position).
STRIP = (3, 40)                       # on the left strip, the window's own surface
BAR_GRIP = (200, 40)                  # on the bar, clear of links, text box and button
CAP_GRIP = (395, 55)                  # on the end cap, clear of its knobs
TEXT_BOX = (216, 56)
BUTTON_AREA = (315, 42, 376, 65)      # x0, y0, x1, y1 inclusive
BUTTON = (345, 53)
OFF_TAB = (640, 700)                  # a screen point far from the tab wherever it is
STRIP_ROW = 20                        # a row of the left strip


def strip_shows(desk, tab, skin_number):
    """Whether the on-screen columns of the tab's left strip show that skin."""
    skin = read_skin(skin_number)
    x, y, _w, _h = desk.geometry(tab)
    picture = desk.grab()
    return all(picture.pixel(x + c, y + STRIP_ROW) == skin.pixel(c, STRIP_ROW) for c in range(1, 6))


class TabCase(DesktopCase):
    def start_tab(self, top=DEFAULT_TOP, **start):
        """Starts the program (start: start_app's arguments) and waits until its tab is
        docked (at `top`, unless None)."""
        app = self.desk.start_app(**start)
        tab = self.desk.wait_tab(app, START_TIMEOUT)

        def docked():
            geometry = self.desk.geometry(tab)
            return (geometry is not None and geometry[0] == DOCKED_X and geometry[2:] == TAB_SIZE
                    and (top is None or geometry[1] == top))

        self.require(wait_for(docked, START_TIMEOUT, 0.1),
                     f"tab at {self.desk.geometry(tab)}, expected docked at x {DOCKED_X}, "
                     f"y {top if top is not None else 'any'}, size {TAB_SIZE}")
        return app, tab

    def left(self, tab):
        geometry = self.desk.geometry(tab)
        self.require(geometry is not None, "the tab window is gone")
        return geometry[0]

    def screen_point(self, tab, point):
        """Screen coordinates of a point given in window pixels."""
        x, y, _w, _h = self.desk.geometry(tab)
        return x + point[0], y + point[1]

    def move_to(self, tab, point):
        self.desk.mouse_move(*self.screen_point(tab, point))

    def click_at(self, tab, point):
        self.desk.click(*self.screen_point(tab, point))

    def hover_strip(self, tab):
        """Moves off the tab and then onto its strip: one motion over the surface."""
        self.desk.mouse_move(*OFF_TAB)
        self.move_to(tab, STRIP)

    def wait_left(self, tab, x, timeout=SLIDE_TIMEOUT):
        return wait_for(lambda: self.left(tab) == x, timeout, 0.02)

    def slide_out(self, tab):
        if self.left(tab) != OUT_X:
            self.hover_strip(tab)
            self.require(self.wait_left(tab, OUT_X),
                         f"hovering the strip did not slide the tab out: at {self.desk.geometry(tab)}")

    def slide_back(self, tab):
        if self.left(tab) != DOCKED_X:
            # A tab that has just slid out takes the keyboard, and on some desktops that maps it
            # anew: a compositor can drop a motion made meanwhile, where a person's pointer
            # would go on moving. A second hover stands for that.
            for _ in range(2):
                self.hover_strip(tab)
                if wait_for(lambda: self.left(tab) != OUT_X, 1, 0.02):
                    break
            self.require(self.wait_left(tab, DOCKED_X),
                         f"hovering the strip did not slide the tab back: at {self.desk.geometry(tab)}")

    def stays(self, predicate, seconds, interval=0.1):
        """True if predicate holds at every check for `seconds`, False as soon as it does not."""
        deadline = time.monotonic() + seconds
        while True:
            value = predicate()
            if not value:
                return False
            if time.monotonic() >= deadline:
                return True
            time.sleep(interval)

    def require_running(self, app):
        self.require(app.poll() is None, f"program exited with {app.returncode}")
