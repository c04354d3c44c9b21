"""The desktops the program meets, each with harness.Desktop's interface, so one
test can run on all of them (DESKTOPS):

  openbox  harness.Desktop: Xvfb and openbox, input through XTEST (xdotool)
  bare     Xvfb and no window manager, input through XTEST
  sway     headless sway 1.7 with XWayland, input through the compositor
           (wlroots' virtual pointer and keyboard, from seat-input)
  kwin     headless KWin 5.27 with XWayland, input through the compositor
           (KWin's fake input protocol, from seat-input)
  mutter   headless mutter with XWayland, input through the compositor
           (mutter's remote desktop D-Bus interface, from mutter_input.py)

On the compositors every pointer move, button and key reaches the program the
way a person's hands do: the compositor picks the window under the pointer or
with the keyboard focus, and XWayland turns that into X events. The window
queries still ask the X server (XWayland) and mean what they mean there.

Screenshots (grab, screenshot) come from the compositor on sway (grim) and
from Xvfb on the X desktops. KWin (software painting, no OpenGL) and mutter
(screen casts through PipeWire only) give none here: grab() raises, and a
cover window counts as shown when the compositor's pointer lands on it.

Environment read here, besides harness.py's:
  SEAT_INPUT  the seat-input helper (default: beside WINWATCH)
"""

import glob
import os
import re
import shutil
import subprocess
import sys
import time

import harness
import processes
from harness import SCREEN_HEIGHT, SCREEN_WIDTH, Desktop, wait_for
from pictures import parse_ppm
from seat import Seat

START_TIMEOUT = 30
NOBODY = 65534          # sway refuses to run as root
SYSTEM_PYTHON = "/usr/bin/python3"   # has the GObject bindings that mutter_input.py uses


def toplevel(desk, window):
    """The child of the root window that holds window (a frame, or the window itself)."""
    while True:
        info = desk._wininfo("-children", "-id", str(window))
        root = re.search(r"Root window id: (0x[0-9a-f]+)", info)
        parent = re.search(r"Parent window id: (0x[0-9a-f]+)", info)
        if not root or not parent:
            return None
        if parent.group(1) == root.group(1) or int(parent.group(1), 16) == 0:
            return window
        window = int(parent.group(1), 16)


def window_under_pointer(desk, x, y, timeout=1.0):
    """The top-level X window (a child of the root window) that the pointer
    lands on at x, y, moved there through the desktop's own input; None over
    no X window. On XWayland the compositor decides whose surface is there,
    and the answer counts once the X server has the pointer at x, y (the
    compositor passes the motion on in its own time).

    The pointer arrives in two moves, the last one pixel long, as a hand's
    does: on sway the first entry into a new window that bypasses the window
    manager put XWayland's pointer elsewhere (at 1279,40 for 1230,100), and only
    the next move inside the window set it right."""
    desk.mouse_move(x - 1 if x > 0 else x + 1, y)
    desk.mouse_move(x, y)

    def arrived():
        out = desk._tool([sys.executable, "-I", os.path.join(harness.HERE, "pointer_window.py")]) or ""
        fields = [int(field) for field in out.split()]
        return fields if len(fields) == 3 and fields[:2] == [x, y] else None

    seen = wait_for(arrived, timeout, 0.02)
    return (seen[2] or None) if seen else None


class BareXDesktop(Desktop):
    """Xvfb alone: nothing places, decorates, stacks or focuses windows but the
    programs themselves (the X focus follows the pointer)."""

    name = "bare"

    def _start_wm(self):
        pass

    def activate(self, window):
        """No window manager to ask: raises the window and gives it the focus."""
        self._tool(["xdotool", "windowraise", str(window), "windowfocus", "--sync", str(window)], timeout=5)


class CompositorDesktop(Desktop):
    """A Wayland compositor with XWayland. The compositor is the X server's
    owner and the window manager, so it takes openbox's place (self._wm) and is
    ended after everything else; its input helper is one of self._procs."""

    name = None
    log_name = None
    output_count = 1   # screens side by side

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.seat = None
        self.wayland_display = None
        self.session_bus = None
        self.session_group = None   # process group of the compositor's session program

    def start(self):
        processes.become_subreaper()
        super().start()

    def close(self):
        # A session program in a group of its own first, while the compositor
        # is there to reap it; then everything the base class ends; then
        # whatever is left in any of those process groups (XWayland, say).
        compositor = self._wm.pid if self._wm is not None else None
        if self.session_group != compositor:
            processes.end_groups([self.session_group], timeout=2)
        groups = [run.proc.pid for run in self.apps] + [proc.pid for proc in self._procs]
        groups += [compositor, self.session_group]
        super().close()
        left = processes.end_groups(groups)
        if left:
            raise RuntimeError(f"processes of the {self.name} desktop would not end: {left}")

    # ----- starting ---------------------------------------------------------

    def _launch(self):
        """Starts the compositor; returns its process. It runs self.path("session.sh")
        inside the session once XWayland's display is set."""
        raise NotImplementedError

    def _write_session_script(self, path, keep_running):
        """A script that writes "GROUP $DISPLAY $WAYLAND_DISPLAY $DBUS_SESSION_BUS_ADDRESS"
        (GROUP: its process group) to the ready file, whole (by renaming), then
        keeps running if asked."""
        ready = self._ready_file()
        with open(path, "w") as f:
            f.write("#!/bin/sh\n"
                    "read -r _pid _name _state _parent group _rest < /proc/$$/stat\n"
                    f"echo \"$group $DISPLAY $WAYLAND_DISPLAY $DBUS_SESSION_BUS_ADDRESS\" > '{ready}.part'\n"
                    f"mv '{ready}.part' '{ready}'\n"
                    # kept running until this test process is gone, at the latest
                    + (f"exec tail -f /dev/null --pid={os.getpid()}\n" if keep_running else ""))
        os.chmod(path, 0o755)
        return ready

    def _start_x(self):
        self._wm = self._launch()
        ready_file = self._ready_file()

        def ready():
            if self._wm.poll() is not None:
                raise RuntimeError(f"{self.name} exited with {self._wm.returncode}\n{self.log_tail()}")
            try:
                with open(ready_file) as f:
                    return f.read().split()
            except OSError:
                return None

        words = wait_for(ready, START_TIMEOUT, 0.05)
        if not words or len(words) < 3:
            raise RuntimeError(f"{self.name} did not start its session within {START_TIMEOUT} s "
                               f"(ready file: {words!r})\n{self.log_tail()}")
        self.session_group = int(words[0])
        self.display = words[1]
        self.wayland_display = (words[2] if words[2].startswith("/")
                                else os.path.join(os.path.dirname(ready_file), words[2]))
        self.session_bus = words[3] if len(words) > 3 else None

    def _ready_file(self):
        """Where the session script writes; beside the compositor's XDG_RUNTIME_DIR
        sockets, which is where a relative WAYLAND_DISPLAY points."""
        return self.path("runtime", "ready")

    def _start_wm(self):
        """Waits for the compositor's X window manager and starts the input helper."""
        def wm_ready():
            if self._wm.poll() is not None:
                raise RuntimeError(f"{self.name} exited with {self._wm.returncode}\n{self.log_tail()}")
            out = self._tool(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], timeout=5)
            return out is not None and "window id #" in out

        if not wait_for(wm_ready, START_TIMEOUT, 0.1):
            raise RuntimeError(f"{self.name}'s X window manager did not show up on {self.display} "
                               f"within {START_TIMEOUT} s\n{self.log_tail()}")
        self.seat = self._start_seat()
        # The first key of a fresh keyboard was lost on mutter while the X
        # server took its keymap: a Shift, which types nothing, goes first.
        self.seat.chord([42])
        self.seat.move(SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1)

    def _seat_argv(self):
        tool = os.environ.get("SEAT_INPUT") or os.path.join(os.path.dirname(os.environ.get("WINWATCH", "")),
                                                           "seat-input")
        if not os.access(tool, os.X_OK):
            raise RuntimeError(f"SEAT_INPUT does not name the seat-input program: {tool!r}")
        return [tool, str(SCREEN_WIDTH * self.output_count), str(SCREEN_HEIGHT)]

    def _seat_env(self):
        env = self.base_env()
        env["WAYLAND_DISPLAY"] = self.wayland_display
        return env

    def _start_seat(self):
        log = open(self.path("seat.log"), "ab")
        try:
            proc = subprocess.Popen(harness._dying_with_us(self._seat_argv()), env=self._seat_env(), cwd=self.dir,
                                    stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=log,
                                    start_new_session=True)
        finally:
            log.close()
        self._procs.append(proc)
        return Seat(proc, lambda: f"input helper log: {self._read_log('seat.log')}\n{self.log_tail()}")

    def log_tail(self):
        return f"{self.name} log ({self.path(self.log_name)}):\n{self._read_log(self.log_name)}"

    # ----- person-like input through the compositor ---------------------------

    def mouse_move(self, x, y):
        self.seat.move(x, y)

    def click(self, x, y, button=1):
        self.seat.move(x, y)
        self.seat.press(button)
        self.seat.release(button)

    def double_click(self, x, y):
        self.click(x, y)
        time.sleep(0.08)    # the pause between a person's two clicks
        self.click(x, y)

    def press(self, button=1):
        self.seat.press(button)

    def release(self, button=1):
        self.seat.release(button)

    def type(self, text, delay_ms=40):
        self.seat.type(text, delay_ms)

    def key(self, name):
        self.seat.key(name)

    def activate(self, window):
        """Clicks the middle of the window, as a person gives a window focus."""
        geometry = self.geometry(window)
        if geometry is not None:
            x, y, width, height = geometry
            self.click(min(max(x + width // 2, 0), SCREEN_WIDTH - 1), min(max(y + height // 2, 0), SCREEN_HEIGHT - 1))

    # ----- what a failed check shows ------------------------------------------

    def evidence(self, label):
        return f"{super().evidence(label)}\n{self.log_tail()}"


class _PointerSeesCovers:
    """For compositors without screenshots: a cover shows if the compositor's
    pointer, put on the middle of its area, lands on it."""

    def _cover_shows(self, window, rgb, points):
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        under = window_under_pointer(self, (min(xs) + max(xs)) // 2, (min(ys) + max(ys)) // 2)
        return under is not None and under == toplevel(self, window)

    def grab(self):
        raise RuntimeError(f"no screenshots on {self.name}: KWin's screenshot effect needs OpenGL compositing "
                           "(its virtual backend paints with QPainter here), mutter shows its screen only "
                           "through a PipeWire screen cast")


class SwayDesktop(CompositorDesktop):
    """sway 1.7, headless, software rendering, one 1280x800 output at 0,0."""

    name = "sway"
    log_name = "sway.log"

    def _ready_file(self):
        return self.path("sway", "ready")

    def _launch(self):
        # sway refuses root, so it runs as nobody in a folder of its own; this
        # desktop's folder lets nobody through to it.
        os.chmod(self.dir, 0o711)
        home = self.path("sway")
        os.makedirs(home, mode=0o700)
        os.chown(home, NOBODY, NOBODY)
        script = self.path("sway", "session.sh")
        self._write_session_script(script, keep_running=False)
        with open(self.path("sway", "config"), "w") as f:
            f.write("xwayland force\n"
                    f"output HEADLESS-1 resolution {SCREEN_WIDTH}x{SCREEN_HEIGHT} position 0 0\n"
                    "default_border none\n"
                    "default_floating_border none\n"
                    "focus_follows_mouse no\n"
                    # X clients run as root; XWayland (as nobody) lets them in once asked.
                    f"exec sh -c 'xhost +si:localuser:root >/dev/null && {script}'\n")
        for name in ("config", "session.sh"):
            os.chown(self.path("sway", name), NOBODY, NOBODY)
        env = self.base_env()
        env.update(HOME=home, XDG_RUNTIME_DIR=home, XDG_CONFIG_HOME=home, WLR_BACKENDS="headless",
                   WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1")
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        argv = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups", "--",
                "sway", "-c", self.path("sway", "config")]
        return self._spawn(argv, "sway", env)

    def _sway_socket(self):
        found = glob.glob(self.path("sway", "sway-ipc.*.sock"))
        return found[0] if found else None

    def swaymsg(self, *command):
        argv = ["swaymsg", "-s", self._sway_socket() or "", "--", *command]
        return self._tool(argv, timeout=10, check=True)

    def _settle_cover(self, window, title, managed, place):
        """sway tiles a new window or floats it centred: a managed cover is made
        floating and moved to its place, then clicked for focus."""
        if managed:
            x, y, width, height = place
            self.swaymsg(f'[title="^{title}$"]', f"floating enable, resize set {width} {height}, "
                         f"move absolute position {x} {y}")
            wait_for(lambda: self.geometry(window) == place, 5, 0.05)
            self.activate(window)

    def grab(self):
        """The output as sway shows it (grim, which leaves the pointer out)."""
        return parse_ppm(self._grabbed(["grim", "-t", "ppm", "-"], self._seat_env()))


class KWinDesktop(_PointerSeesCovers, CompositorDesktop):
    """KWin 5.27 on its virtual backend (software painting), 1280x800, no D-Bus."""

    name = "kwin"
    log_name = "kwin.log"

    def _launch(self):
        # /usr/bin/kwin_wayland carries a file capability (CAP_SYS_RESOURCE)
        # that this kind of sandbox refuses to exec; a plain copy runs as root.
        binary = self.path("kwin_wayland")
        shutil.copyfile(shutil.which("kwin_wayland") or "/usr/bin/kwin_wayland", binary)
        os.chmod(binary, 0o755)
        script = self.path("session.sh")
        self._write_session_script(script, keep_running=True)   # KWin ends with its session program
        env = self.base_env()
        env.update(KWIN_COMPOSE="Q", KWIN_WAYLAND_NO_PERMISSION_CHECKS="1")
        argv = [binary, "--virtual", "--xwayland", "--width", str(SCREEN_WIDTH), "--height", str(SCREEN_HEIGHT),
                "--output-count", str(self.output_count), "--socket", "kwin-harness", "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities", script]
        return self._spawn(argv, "kwin", env)

    def app_env(self):
        # With XDG_CURRENT_DESKTOP=KDE, xdg-open would call kfmclient, which is
        # not installed.
        env = super().app_env()
        env["XDG_CURRENT_DESKTOP"] = "X-Generic"
        return env


class MutterDesktop(_PointerSeesCovers, CompositorDesktop):
    """mutter --headless with one 1280x800 virtual monitor, on a private session bus."""

    name = "mutter"
    log_name = "mutter.log"

    def _launch(self):
        script = self.path("session.sh")
        self._write_session_script(script, keep_running=True)   # mutter ends with its session program
        argv = ["dbus-run-session", "--", "mutter", "--headless", "--wayland", "--virtual-monitor",
                f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}", "--wayland-display", "mutter-harness", script]
        return self._spawn(argv, "mutter", self.base_env())

    def _settle_cover(self, window, title, managed, place):
        """mutter decorates a new window and puts its frame, title bar and all,
        at the asked place: a managed cover gives up its decorations (Motif
        hints), is moved and sized to its place, then clicked."""
        if managed:
            x, y, width, height = place
            self._tool(["xprop", "-id", str(window), "-f", "_MOTIF_WM_HINTS", "32c", "-set", "_MOTIF_WM_HINTS",
                        "2, 0, 0, 0, 0"], check=True)
            wait_for(lambda: toplevel(self, window) == window, 5, 0.05)
            self._tool(["xdotool", "windowsize", str(window), str(width), str(height),
                        "windowmove", str(window), str(x), str(y)], check=True)
            wait_for(lambda: self.geometry(window) == place, 5, 0.05)
            self.activate(window)

    def base_env(self):
        env = super().base_env()
        # mutter's XWayland admits only clients with its cookie.
        cookies = glob.glob(self.path("runtime", ".mutter-Xwaylandauth.*")) if self.dir else []
        if cookies:
            env["XAUTHORITY"] = cookies[0]
        return env

    def _seat_argv(self):
        return [SYSTEM_PYTHON, "-I", os.path.join(harness.HERE, "mutter_input.py"), str(SCREEN_WIDTH),
                str(SCREEN_HEIGHT)]

    def _seat_env(self):
        env = super()._seat_env()
        env["DBUS_SESSION_BUS_ADDRESS"] = self.session_bus
        return env


DESKTOPS = {cls.name: cls for cls in (Desktop, BareXDesktop, SwayDesktop, KWinDesktop, MutterDesktop)}
