"""Drives HarrowKIT like a person would, on a private X server with a window manager.

A `Desktop` is one Xvfb screen (1280x800x24, 96 dpi) with openbox on it, a
private HOME (also XDG_CONFIG_HOME and XDG_RUNTIME_DIR of the program), a
recording browser behind $BROWSER and a loopback copy of the maker's site.
Everything it starts is torn down by process group when it closes, and is
also killed by the kernel if this Python process dies (setpriv --pdeathsig).

Environment read here:
  HARROWKIT_BIN     the program under test
  WINWATCH          the winwatch tool (window position recorder)
  HARROWKIT_SOURCE  the project's source tree (site/ and assets/)
  HARROWKIT_ARTIFACTS  where screenshots and logs of failed checks go
"""

import atexit
import contextlib
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

from pictures import parse_ppm, read_bmp, read_png, write_png
from siteserver import SiteServer

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.environ.get("HARROWKIT_SOURCE") or os.path.normpath(os.path.join(HERE, "..", ".."))
SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 800
TAB_TITLE = "HarrowKit"      # the tab window
BOX_TITLE = "HarrowKIT"      # the program's message boxes
SETTINGS_FILE = os.path.join("HarrowKIT", "HarrowKIT.conf")
SYSTEM_WM_CONFIG = "/etc/xdg/openbox/rc.xml"
COVER_PREFIX = "harness-cover-"

# Variables that would make xdg-open or Qt pick a desktop-specific path, or
# reach the session outside this private desktop.
_DROPPED_PREFIXES = ("GNOME_", "KDE_", "MATE_", "LXQT_", "XFCE_", "QT_", "HARROWKIT_")
_DROPPED_NAMES = {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "XDG_SESSION_TYPE", "DESKTOP_SESSION",
                  "WAYLAND_DISPLAY", "DISPLAY", "XAUTHORITY", "SESSION_MANAGER", "DESKTOP",
                  "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "BROWSER", "CHROME_DESKTOP"}

_live_desktops = set()


def _close_live_desktops():
    for desktop in list(_live_desktops):
        desktop.close()


atexit.register(_close_live_desktops)


def _interrupt_on_sigterm(_signum, _frame):
    raise KeyboardInterrupt("SIGTERM")


def wait_for(predicate, timeout, interval=0.05):
    """Calls predicate until it returns something true or timeout seconds pass;
    returns its last value either way."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def skin_path(number):
    return os.path.join(SOURCE_DIR, "assets", f"skin{number:02d}.bmp")


def read_skin(number):
    return read_bmp(skin_path(number))


def _dying_with_us(argv):
    """Runs argv so that the kernel kills it when this process dies."""
    setpriv = shutil.which("setpriv")
    return [setpriv, "--pdeathsig", "KILL", "--"] + list(argv) if setpriv else list(argv)


def _kill_group(proc, grace=2.0):
    """Ends the process group that proc leads: SIGTERM, then SIGKILL."""
    if proc.poll() is not None:
        return  # already reaped: its number may name someone else's group by now
    for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, 5.0)):
        try:
            os.killpg(proc.pid, sig)
        except ProcessLookupError:
            break
        try:
            proc.wait(wait)
            break
        except subprocess.TimeoutExpired:
            continue
    try:  # members that outlive the leader (xdg-open's children, say)
        os.killpg(proc.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass


class AppRun:
    """One start of the program: its process and its output files."""

    def __init__(self, proc, out_path, err_path):
        self.proc = proc
        self.out_path = out_path
        self.err_path = err_path

    def stderr(self, limit=4000):
        try:
            with open(self.err_path, "rb") as f:
                data = f.read()
        except OSError:
            return ""
        return data[-limit:].decode("utf-8", "replace")


class Cover:
    """A stand-in window filled with one colour."""

    def __init__(self, proc, window, colour, opened):
        self.proc = proc
        self.window = window
        self.colour = colour
        self.opened = opened  # time.monotonic() when it was first seen mapped

    def close(self):
        _kill_group(self.proc, grace=1.0)


class WindowWatch:
    """A running winwatch; result() waits for it and parses what it printed."""

    def __init__(self, proc, seconds):
        self.proc = proc
        self.seconds = seconds

    def result(self):
        try:
            out, err = self.proc.communicate(timeout=self.seconds + 10)
        except subprocess.TimeoutExpired:
            _kill_group(self.proc)
            out, err = self.proc.communicate()
        moves, summary = [], None
        for line in out.decode().splitlines():
            parts = line.split()
            if parts[:1] == ["positions"]:
                summary = (int(parts[1]), float(parts[2]), float(parts[3]))
            elif len(parts) == 3:
                moves.append((float(parts[0]), int(parts[1]), int(parts[2])))
        if summary is None:
            raise RuntimeError(f"winwatch printed no summary (exit {self.proc.returncode}): {err.decode()}")
        return {"moves": moves, "positions": summary[0], "first_ms": summary[1], "last_ms": summary[2],
                "exit": self.proc.returncode, "stderr": err.decode()}


class Desktop:
    name = "openbox"

    def __init__(self, source_dir=SOURCE_DIR):
        self.source_dir = source_dir
        self.dir = None
        self.display = None
        self.server = None
        self.apps = []
        self._procs = []   # helpers: covers, watches
        self._xvfb = None
        self._wm = None
        self._png_cache = {}

    # ----- life cycle -------------------------------------------------

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *_exc):
        self.close()

    def start(self):
        self.dir = tempfile.mkdtemp(prefix="harrowkit-desktop-")
        _live_desktops.add(self)
        try:
            signal.signal(signal.SIGTERM, _interrupt_on_sigterm)
        except ValueError:  # not the main thread
            pass
        try:
            self._make_home()
            self._start_x()
            self._start_wm()
            self.server = SiteServer(os.path.join(self.source_dir, "site"), self.path("site"))
        except BaseException:
            self.close()
            raise

    def close(self):
        for run in self.apps:
            _kill_group(run.proc)
        for proc in self._procs:
            _kill_group(proc, grace=0.5)
        if self.server is not None:
            self.server.stop()
        for proc in (self._wm, self._xvfb):
            if proc is not None:
                _kill_group(proc)
        if self.dir is not None:
            shutil.rmtree(self.dir, ignore_errors=True)
        _live_desktops.discard(self)

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def _make_home(self):
        for sub in ("config", "runtime", "data/applications", "cache"):
            os.makedirs(self.path(sub), mode=0o700, exist_ok=True)
        os.chmod(self.path("runtime"), 0o700)
        recorder = self.path("browser")
        with open(recorder, "w") as f:
            f.write(f"#!/bin/sh\nprintf '%s\\n' \"$1\" >> '{self.path('browser-calls.txt')}'\n")
        os.chmod(recorder, 0o755)
        # xdg-open asks the x-scheme-handler associations before $BROWSER; a
        # browser installed on the machine must not be what answers.
        with open(self.path("data", "applications", "harrowkit-test-browser.desktop"), "w") as f:
            f.write(f"[Desktop Entry]\nType=Application\nName=Recording browser\nExec={recorder} %u\n")
        with open(self.path("config", "mimeapps.list"), "w") as f:
            f.write("[Default Applications]\nx-scheme-handler/http=harrowkit-test-browser.desktop\n"
                    "x-scheme-handler/https=harrowkit-test-browser.desktop\n")

    def base_env(self):
        env = {k: v for k, v in os.environ.items()
               if k not in _DROPPED_NAMES and not k.startswith(_DROPPED_PREFIXES)}
        env.update(HOME=self.dir, XDG_CONFIG_HOME=self.path("config"), XDG_RUNTIME_DIR=self.path("runtime"),
                   XDG_DATA_HOME=self.path("data"), XDG_CACHE_HOME=self.path("cache"),
                   DBUS_SESSION_BUS_ADDRESS=f"unix:path={self.path('runtime', 'no-bus')}",
                   BROWSER=self.path("browser"))
        if self.display is not None:
            env["DISPLAY"] = self.display
        return env

    def app_env(self):
        env = self.base_env()
        env.update(QT_QPA_PLATFORM="xcb", HARROWKIT_SERVER=self.server.url,
                   HARROWKIT_ENGINE=self.server.engine_url)
        return env

    def _spawn(self, argv, name, env=None):
        log = open(self.path(f"{name}.log"), "ab")
        try:
            return subprocess.Popen(_dying_with_us(argv), env=env or self.base_env(), cwd=self.dir,
                                    stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
        finally:
            log.close()

    def _start_x(self):
        self._launch_x_server(lambda fd: ["Xvfb", "-displayfd", fd, "-screen", "0",
                                          f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24", "-dpi", "96", "-nolisten", "tcp",
                                          # no reset when a client leaves: one that connects while
                                          # the server resets would be refused
                                          "-noreset"], "xvfb.log", 15)

    def _launch_x_server(self, argv_for_fd, log_name, timeout):
        """Starts the X server argv_for_fd(fd) gives, which writes its display number to fd,
        and takes that display as this desktop's."""
        read_end, write_end = os.pipe()
        try:
            with open(self.path(log_name), "ab") as log:
                self._xvfb = subprocess.Popen(
                    _dying_with_us(argv_for_fd(str(write_end))),
                    env=self.base_env(), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                    pass_fds=(write_end,), start_new_session=True)
            os.close(write_end)
            write_end = None
            number = b""
            deadline = time.monotonic() + timeout
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                ready, _, _ = select.select([read_end], [], [], 0.2)
                if ready:
                    chunk = os.read(read_end, 16)
                    if not chunk:
                        break
                    number += chunk
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        if not number.strip().isdigit():
            raise RuntimeError(f"the X server gave no display number: {self._read_log(log_name)}")
        self.display = f":{number.strip().decode()}"

    def _write_wm_config(self):
        """openbox's own configuration, except that the harness's cover windows
        get no decorations and no border, so their content lands where asked."""
        rule = f'<application title="{COVER_PREFIX}*"><decor>no</decor></application>'
        try:
            with open(SYSTEM_WM_CONFIG) as f:
                config = f.read()
        except OSError:
            config = ""
        config = config.replace("<keepBorder>yes</keepBorder>", "<keepBorder>no</keepBorder>")
        if "</applications>" in config:
            config = config.replace("</applications>", rule + "\n</applications>", 1)
        else:
            config = ('<openbox_config xmlns="http://openbox.org/3.4/rc"><theme><keepBorder>no</keepBorder></theme>'
                      f"<applications>{rule}</applications></openbox_config>\n")
        with open(self.path("openbox-rc.xml"), "w") as f:
            f.write(config)
        return self.path("openbox-rc.xml")

    def _start_wm(self):
        self._wm = self._spawn(["openbox", "--sm-disable", "--config-file", self._write_wm_config()], "openbox")

        def wm_ready():
            if self._wm.poll() is not None:
                raise RuntimeError(f"openbox exited: {self._read_log('openbox.log')}")
            out = self._tool(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"])
            return out is not None and "window id #" in out

        if not wait_for(wm_ready, 15, 0.05):
            raise RuntimeError("openbox did not set _NET_SUPPORTING_WM_CHECK within 15 s")
        # openbox announces itself before it has finished starting, and a window
        # mapped in between may never be managed. It changes its number of desktops
        # on request only from its event loop, so one more and back shows it running.
        count = wait_for(self._desktop_count, 15, 0.02)
        for wanted in (count + 1, count):
            if not wait_for(lambda: self._desktops_become(wanted), 15, 0.05):
                raise RuntimeError(f"openbox did not take {wanted} desktops within 15 s")

    def _desktops_become(self, count):
        """Asks openbox for `count` desktops; True once it has them."""
        self._tool(["xdotool", "set_num_desktops", str(count)])
        return wait_for(lambda: self._desktop_count() == count, 0.5, 0.02)

    def _desktop_count(self):
        out = self._tool(["xprop", "-root", "_NET_NUMBER_OF_DESKTOPS"]) or ""
        match = re.search(r"= (\d+)", out)
        return int(match.group(1)) if match else 0

    def _read_log(self, name):
        try:
            with open(self.path(name), "rb") as f:
                return f.read()[-2000:].decode("utf-8", "replace")
        except OSError:
            return ""

    def _tool(self, argv, timeout=10, check=False):
        """Output of an X tool run on this display, or None when it failed."""
        try:
            done = subprocess.run(argv, env=self.base_env(), stdin=subprocess.DEVNULL, capture_output=True,
                                  timeout=timeout)
        except subprocess.TimeoutExpired:
            if check:
                raise
            return None
        if done.returncode != 0:
            if check:
                raise RuntimeError(f"{argv[0]} failed ({done.returncode}): {done.stderr.decode(errors='replace')}")
            return None
        return done.stdout.decode("utf-8", "replace")

    # ----- the program ------------------------------------------------

    def start_app(self, extra_env=None, argv=None):
        """Starts the program under test ($HARROWKIT_BIN), or the command argv, which is
        looked up on the PATH of the program's environment. A None in extra_env unsets."""
        if argv is None:
            binary = os.environ.get("HARROWKIT_BIN")
            if not binary or not os.access(binary, os.X_OK):
                raise RuntimeError(f"HARROWKIT_BIN does not name a program: {binary!r}")
            argv = [binary]
        number = len(self.apps) + 1
        env = self.app_env()
        for key, value in (extra_env or {}).items():
            if value is None:
                env.pop(key, None)
            else:
                env[key] = value
        out_path, err_path = self.path(f"app{number}.out"), self.path(f"app{number}.err")
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            proc = subprocess.Popen(_dying_with_us(argv), env=env, cwd=self.dir, stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=err, start_new_session=True)
        self.apps.append(AppRun(proc, out_path, err_path))
        return proc

    def stop_app(self, proc):
        """Ends one start of the program (its whole process group) and waits for it."""
        _kill_group(proc)
        return proc.returncode

    def run_of(self, proc):
        return next(run for run in self.apps if run.proc is proc)

    def wait_tab(self, proc, timeout):
        """X id of proc's tab: a viewable window titled exactly "HarrowKit"."""
        def find():
            if proc.poll() is not None:
                return "exited"
            mine = [w for w in self.tab_windows() if self.window_pid(w) in (proc.pid, None)]
            return mine[0] if mine else None

        found = wait_for(find, timeout, 0.1)
        if found == "exited" or found is None:
            what = f"exited with code {proc.returncode}" if found == "exited" else f"showed no tab in {timeout} s"
            raise AssertionError(f"program {what}\n{self.evidence('no-tab')}")
        return found

    def end_x_server(self):
        """Kills the X server at once, as when it crashes or a remote display is lost."""
        os.killpg(self._xvfb.pid, signal.SIGKILL)
        self._xvfb.wait(5)

    # ----- window queries -----------------------------------------------

    def windows_titled(self, title):
        """Viewable windows whose title is exactly `title`."""
        out = self._tool(["xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$"])
        ids = [int(line) for line in (out or "").split()]
        return [w for w in ids if self.title(w) == title]

    def root_children(self):
        """[(window, (x, y, width, height))] of the root window's children, top first."""
        children = []
        for line in (self._tool(["xwininfo", "-root", "-children"]) or "").splitlines():
            match = re.match(r"\s+(0x[0-9a-f]+) .*\s(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$", line)
            if match:
                w, h, x, y = (int(v) for v in match.groups()[1:])
                children.append((int(match.group(1), 16), (x, y, w, h)))
        return children

    def tab_windows(self):
        return self.windows_titled(TAB_TITLE)

    def message_boxes(self):
        return self.windows_titled(BOX_TITLE)

    def _property(self, window, name):
        out = self._tool(["xprop", "-id", str(window), name])
        if not out or " = " not in out:
            return None
        return out.split(" = ", 1)[1].strip()

    def title(self, window):
        for name in ("_NET_WM_NAME", "WM_NAME"):
            value = self._property(window, name)
            if value is not None and value.startswith('"'):
                return value[1:-1].replace('\\"', '"').replace("\\\\", "\\")
        return None

    def window_pid(self, window):
        value = self._property(window, "_NET_WM_PID")
        return int(value) if value and value.isdigit() else None

    def _wininfo(self, *args):
        return self._tool(["xwininfo", *args]) or ""

    def geometry(self, window):
        """(x, y, width, height) with x, y absolute; None if the window is gone."""
        info = self._wininfo("-id", str(window))
        if not info:
            # xwininfo also measures the frame a window manager put around the window, and
            # fails when the manager lets go of the window and destroys the frame meanwhile.
            info = self._wininfo("-id", str(window))
        fields = {}
        for key, label in (("x", "Absolute upper-left X"), ("y", "Absolute upper-left Y"),
                           ("w", "Width"), ("h", "Height")):
            match = re.search(rf"^\s*{label}:\s*(-?\d+)", info, re.MULTILINE)
            if not match:
                return None
            fields[key] = int(match.group(1))
        return fields["x"], fields["y"], fields["w"], fields["h"]

    def mapped(self, window):
        return "Map State: IsViewable" in self._wininfo("-id", str(window))

    def shape_extents(self, window):
        """The bounding shape extents, e.g. "411x78+1+1"; None if not reported."""
        # xwininfo calls the bounding shape "Window shape" (older: "Bounding shape").
        match = re.search(r"(?:Window|Bounding) shape extents:\s*(\S+)", self._wininfo("-shape", "-id", str(window)))
        return match.group(1) if match else None

    def activate(self, window):
        """Gives the window focus, as a person's click on it would."""
        self._tool(["xdotool", "windowactivate", "--sync", str(window)], timeout=5)

    def focused_window(self):
        """The X window that has the keyboard focus, or None if it cannot be read."""
        out = (self._tool(["xdotool", "getwindowfocus"], timeout=5) or "").strip()
        return int(out) if out.isdigit() else None

    # ----- the screen -----------------------------------------------------

    def grab(self):
        """The whole screen as a Picture."""
        return parse_ppm(self._grabbed(["import", "-silent", "-window", "root", "ppm:-"], self.base_env()))

    def _grabbed(self, argv, env):
        """The image a screen-grabbing tool prints (PPM)."""
        try:
            done = subprocess.run(argv, env=env, stdin=subprocess.DEVNULL, capture_output=True, timeout=20)
        except subprocess.TimeoutExpired:
            raise RuntimeError(f"{argv[0]} did not finish within 20 s") from None
        if done.returncode != 0:
            raise RuntimeError(f"{argv[0]} failed: {done.stderr.decode(errors='replace')}")
        return done.stdout

    def screenshot(self, path):
        write_png(path, self.grab())
        return path

    def pixel(self, png, x, y):
        key = (png, os.path.getmtime(png))
        if key not in self._png_cache:
            self._png_cache = {key: read_png(png)}
        return self._png_cache[key].pixel(x, y)

    # ----- settings -------------------------------------------------------

    def settings_path(self):
        return self.path("config", SETTINGS_FILE)

    def settings_bytes(self):
        try:
            with open(self.settings_path(), "rb") as f:
                return f.read()
        except OSError:
            return None

    def settings(self):
        """The [General] group of the settings file as a dict of strings."""
        data = self.settings_bytes()
        values, section = {}, None
        for line in (data or b"").decode("utf-8", "replace").splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1]
            elif section == "General" and "=" in line:
                key, value = line.split("=", 1)
                values[key.strip()] = value.strip()
        return values

    def settled_settings(self, quiet=0.5, timeout=5):
        """The settings file's bytes once they have not changed for `quiet`
        seconds (None if it does not exist); gives up after `timeout`."""
        last, since = self.settings_bytes(), time.monotonic()
        deadline = since + timeout
        while time.monotonic() < deadline:
            time.sleep(0.1)
            now = self.settings_bytes()
            if now != last:
                last, since = now, time.monotonic()
            elif time.monotonic() - since >= quiet and now is not None:
                break
        return last

    def write_settings(self, values):
        self.write_settings_bytes(("[General]\n" + "".join(f"{k}={v}\n" for k, v in values.items())).encode())

    def write_settings_bytes(self, data):
        os.makedirs(os.path.dirname(self.settings_path()), exist_ok=True)
        with open(self.settings_path(), "wb") as f:
            f.write(data)

    # ----- the recording browser --------------------------------------------

    def browser_calls(self):
        try:
            with open(self.path("browser-calls.txt"), encoding="utf-8", errors="replace") as f:
                return f.read().splitlines()
        except OSError:
            return []

    # ----- person-like input ------------------------------------------------

    def _xdotool(self, *args):
        self._tool(["xdotool", *args], timeout=30, check=True)

    def mouse_move(self, x, y):
        self._xdotool("mousemove", str(x), str(y))

    def click(self, x, y, button=1):
        self._xdotool("mousemove", str(x), str(y), "click", str(button))

    def double_click(self, x, y):
        self._xdotool("mousemove", str(x), str(y), "click", "--repeat", "2", "--delay", "80", "1")

    def press(self, button=1):
        self._xdotool("mousedown", str(button))

    def release(self, button=1):
        self._xdotool("mouseup", str(button))

    def type(self, text, delay_ms=40):
        self._xdotool("type", "--delay", str(delay_ms), "--", text)

    def key(self, name):
        self._xdotool("key", "--", name)

    # ----- other windows and tools ------------------------------------------

    @contextlib.contextmanager
    def window_manager_paused(self):
        """The window manager stopped for the block, as on a machine so busy that
        it handles what happened only afterwards."""
        os.kill(self._wm.pid, signal.SIGSTOP)
        try:
            yield
        finally:
            os.kill(self._wm.pid, signal.SIGCONT)

    def open_window_over(self, x, y, width, height, colour="#13579b", managed=True, timeout=10):
        """A window filled with colour whose content covers x..x+width-1,
        y..y+height-1. Managed: placed, raised and focused by openbox, without
        decorations. Unmanaged (override-redirect): the way a program that puts
        itself above everything appears, on top of all windows when it opens."""
        if shutil.which("xlogo") is None:
            raise RuntimeError("xlogo not found: install the x11-apps package")
        number = len(self._procs)
        title = f"{COVER_PREFIX}{number}-{os.getpid()}"
        argv = ["xlogo", "-title", title, "-bg", colour, "-fg", colour, "-geometry", f"{width}x{height}+{x}+{y}"]
        if not managed:
            argv += ["-xrm", "*overrideRedirect: true", "-bw", "0"]
        before = {window for window, _ in self.root_children()}
        proc = self._spawn(argv, f"cover-{number}")
        self._procs.append(proc)
        if managed:
            found = wait_for(lambda: self.windows_titled(title), timeout, 0.05)
        else:  # an override-redirect Xt shell carries no title: find it by place
            found = wait_for(lambda: [window for window, place in self.root_children()
                                      if place == (x, y, width, height) and window not in before
                                      and self.mapped(window)], timeout, 0.05)
        if not found:
            raise RuntimeError(f"cover window did not appear: {self._read_log(f'cover-{number}.log')}")
        window, opened = found[0], time.monotonic()
        self._settle_cover(window, title, managed, (x, y, width, height))
        placed = wait_for(lambda: self.geometry(window) == (x, y, width, height), 5, 0.05)
        if not placed:
            raise RuntimeError(f"cover window at {self.geometry(window)}, wanted {(x, y, width, height)}")
        rgb = tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))
        grid = [(x + width * i // 4 - (i == 4), y + height * j // 4 - (j == 4)) for i in range(5) for j in range(5)]
        on_screen = [(px, py) for px, py in grid if 0 <= px < SCREEN_WIDTH and 0 <= py < SCREEN_HEIGHT]

        if not wait_for(lambda: self._cover_shows(window, rgb, on_screen), 5, 0.1):
            raise RuntimeError(f"cover window {hex(window)} shows no {colour} anywhere in its area")
        return Cover(proc, window, rgb, opened)

    def _settle_cover(self, window, title, managed, place):
        """Brings a new cover window to `place` (x, y, width, height) as this
        desktop places windows; here openbox has placed it, and a managed one
        is activated."""
        if managed:
            self.activate(window)

    def _cover_shows(self, window, rgb, points):
        """Whether the screen shows the cover's colour rgb at any of points."""
        picture = self.grab()
        return any(picture.pixel(px, py) == rgb for px, py in points)

    def watch_window(self, window, seconds, settle_ms=None):
        tool = os.environ.get("WINWATCH")
        if not tool or not os.access(tool, os.X_OK):
            raise RuntimeError(f"WINWATCH does not name a program: {tool!r}")
        argv = [tool, hex(window), str(seconds)] + ([str(settle_ms)] if settle_ms else [])
        proc = subprocess.Popen(argv, env=self.base_env(), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, start_new_session=True)
        self._procs.append(proc)
        return WindowWatch(proc, seconds)

    # ----- what a failed check shows ------------------------------------------

    def evidence(self, label):
        """Saves a screenshot and describes the desktop, for a failure message."""
        folder = os.environ.get("HARROWKIT_ARTIFACTS") or os.path.join(tempfile.gettempdir(),
                                                                        "harrowkit-desktop-artifacts")
        os.makedirs(folder, exist_ok=True)
        stem = os.path.join(folder, f"{re.sub(r'[^A-Za-z0-9_.-]', '_', label)}-{time.strftime('%H%M%S')}")
        lines = []
        try:
            lines.append(f"screenshot: {self.screenshot(stem + '.png')}")
        except Exception as error:  # the evidence must not hide the failure
            lines.append(f"screenshot failed: {error}")
        for title in (TAB_TITLE, BOX_TITLE):
            for window in self.windows_titled(title):
                lines.append(f"window {hex(window)} {title!r} pid {self.window_pid(window)} "
                             f"geometry {self.geometry(window)} shape {self.shape_extents(window)}")
        for number, run in enumerate(self.apps, 1):
            try:
                shutil.copyfile(run.err_path, f"{stem}-app{number}.err")
            except OSError:
                pass
            lines.append(f"app {number}: pid {run.proc.pid} exit {run.proc.poll()} stderr:\n{run.stderr(1500)}")
        lines.append(f"settings: {self.settings_bytes()!r}")
        lines.append(f"browser calls: {self.browser_calls()}")
        if self.server is not None:
            lines.append(f"server requests: {self.server.requests()[-20:]}")
        return "\n".join(lines)


class DesktopCase(unittest.TestCase):
    """A test case with a fresh desktop for every test method."""

    desktop_class = None   # None: Xvfb with openbox

    def setUp(self):
        self.desk = (self.desktop_class or Desktop)()
        self.desk.start()
        self.addCleanup(self.desk.close)

    def require(self, ok, what):
        """Fails with `what` and a description of the desktop unless ok."""
        if not ok:
            self.fail(f"{what}\n{self.desk.evidence(self.id())}")
