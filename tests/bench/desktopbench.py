"""Figures of the program on a real desktop, each beside the floor program where one applies.

Starts its own Xvfb + openbox and loopback site (the desktop tests' harness) and prints:
- start-up: process start -> the docked strip's first painted pixel (stripwatch), on a later
  start (settings present) and on a first start (no settings file), runs taken in turn with
  the floor program, and the ratio per pair;
- resident memory 2 s after start (/proc/PID/smaps_rollup);
- wake-ups of a docked tab left alone (context switches of all its threads), per 10 s;
- resident memory over repeated searches against the loopback site;
- the slide: positions and duration each way (winwatch).
Figures only: nothing here passes or fails on a number.

Environment: HARROWKIT_BIN, FLOOR_BIN, STRIPWATCH, WINWATCH, HARROWKIT_SOURCE;
BENCH_RUNS (start-up pairs, default 20), BENCH_IDLE_S (default 60), BENCH_SEARCHES (default 200).
"""

import os
import signal
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "desktop"))
from harness import SCREEN_WIDTH, Desktop, wait_for  # noqa: E402

STRIP = (SCREEN_WIDTH - 6, 5, 6, 80)  # the docked strip on screen: x, y, width, height
RUNS = int(os.environ.get("BENCH_RUNS", "20"))
IDLE_S = int(os.environ.get("BENCH_IDLE_S", "60"))
SEARCHES = int(os.environ.get("BENCH_SEARCHES", "200"))


def tool(name):
    path = os.environ.get(name)
    if not path or not os.access(path, os.X_OK):
        sys.exit(f"{name} does not name a program: {path!r}")
    return path


PROGRAM, FLOOR, STRIPWATCH, WINWATCH = (tool(n) for n in ("HARROWKIT_BIN", "FLOOR_BIN", "STRIPWATCH", "WINWATCH"))


def rss_mb(pid):
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith("Rss:"):
                return int(line.split()[1]) / 1024
    return float("nan")


def switches(pid):
    """Context switches of all the process's threads: each is the thread waking or being woken."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except OSError:
            pass  # a thread that ended meanwhile
    return total


class Watched:
    """One start of a program under stripwatch: its pid and when the strip was first painted."""

    def __init__(self, desk, argv):
        self.proc = subprocess.Popen([STRIPWATCH, *map(str, STRIP), "10", "--", *argv], env=desk.app_env(),
                                     cwd=desk.dir, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, start_new_session=True, text=True)
        self.pid = int(self.proc.stdout.readline().split()[1])
        self.painted = float(self.proc.stdout.readline().split()[1])

    def stop(self):
        try:
            os.kill(self.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()


def settle_screen(desk):
    """Waits until nothing of an ended program is left on the strip's place."""
    wait_for(lambda: not [w for w, (x, _y, _w, _h) in desk.root_children() if x == STRIP[0]], 3, 0.05)


def startup_pairs(desk, first_start):
    """(floor ms, program ms, floor MB, program MB) per pair, the two started in turn."""
    pairs = []
    for _ in range(RUNS):
        row = []
        for argv in ([FLOOR], [PROGRAM]):
            if argv == [PROGRAM] and first_start and os.path.exists(desk.settings_path()):
                os.remove(desk.settings_path())
            run = Watched(desk, argv)
            if first_start:
                time.sleep(0.3)
                row.append((run.painted, None))
            else:
                time.sleep(max(0.0, 2.0 - run.painted / 1000))
                row.append((run.painted, rss_mb(run.pid)))
            run.stop()
            settle_screen(desk)
        pairs.append((row[0][0], row[1][0], row[0][1], row[1][1]))
    return pairs


def spread(values):
    return statistics.median(values), min(values), max(values)


def row(name, program, floor=None, unit="", ratio=True):
    p = spread(program)
    line = f"| {name} | {p[0]:.1f} / {p[1]:.1f} / {p[2]:.1f} {unit} |"
    if floor is None:
        return line + " — | — |"
    f = spread(floor)
    line += f" {f[0]:.1f} / {f[1]:.1f} / {f[2]:.1f} {unit} |"
    if ratio:
        r = spread([a / b for a, b in zip(program, floor)])
        return line + f" {r[0]:.2f}× ({r[1]:.2f}–{r[2]:.2f}) |"
    d = spread([a - b for a, b in zip(program, floor)])
    return line + f" {d[0]:+.1f} ({d[1]:+.1f}…{d[2]:+.1f}) {unit} |"


def idle_wakeups(desk):
    """Wake-ups per 10 s of both programs left alone side by side, after they settled."""
    program = desk.start_app()
    desk.wait_tab(program, 10)
    floor = desk.start_app(argv=[FLOOR])
    time.sleep(3)
    counts = {program.pid: [], floor.pid: []}
    last = {pid: switches(pid) for pid in counts}
    for _ in range(IDLE_S // 10):
        time.sleep(10)
        for pid in counts:
            now = switches(pid)
            counts[pid].append(now - last[pid])
            last[pid] = now
    desk.stop_app(program)
    desk.stop_app(floor)
    return counts[program.pid], counts[floor.pid]


def tab_left(desk, tab):
    return (desk.geometry(tab) or (None,))[0]


def slide(desk, tab, target):
    """(positions, ms from the first move to the last) of one slide started by hovering the strip."""
    watch = desk.watch_window(tab, 5, settle_ms=400)
    time.sleep(0.1)
    desk.mouse_move(640, 700)
    x, y, _w, _h = desk.geometry(tab)
    desk.mouse_move(x + 3, y + 40)
    result = watch.result()
    wait_for(lambda: tab_left(desk, tab) == target, 3, 0.02)
    return result["positions"], result["last_ms"] - result["first_ms"]


def searches(desk):
    """Resident MB after the first search, and after every hundredth; slides measured on the way."""
    program = desk.start_app()
    tab = desk.wait_tab(program, 10)
    wait_for(lambda: tab_left(desk, tab) == STRIP[0], 10, 0.05)
    time.sleep(0.5)
    slides = []
    for _ in range(3):
        slides.append(("out",) + slide(desk, tab, SCREEN_WIDTH - 413))
        slides.append(("back",) + slide(desk, tab, STRIP[0]))
    slide(desk, tab, SCREEN_WIDTH - 413)
    x, y, _w, _h = desk.geometry(tab)
    desk.click(x + 216, y + 56)
    desk.type("harrow")
    calls = lambda: sum(1 for c in desk.browser_calls() if c.startswith(desk.server.search_url + "?"))  # noqa: E731
    levels = []
    for n in range(1, SEARCHES + 1):
        desk.key("Return")
        if not wait_for(lambda: calls() >= n, 10, 0.01):
            print(f"search {n} reached no browser within 10 s", file=sys.stderr)
            break
        if n == 1 or n % 100 == 0:
            time.sleep(0.3)
            levels.append((n, rss_mb(program.pid)))
    desk.stop_app(program)
    return levels, slides


def main():
    with Desktop() as desk:
        later_pairs = startup_pairs(desk, first_start=False)
        first_pairs = startup_pairs(desk, first_start=True)
        idle_program, idle_floor = idle_wakeups(desk)
        levels, slides = searches(desk)

    print(f"\n## Desktop figures ({RUNS} pairs in turn; median / min / max)\n")
    print("| figure | program | Qt floor | program vs floor |")
    print("|---|---|---|---|")
    print(row("start → docked strip painted, later start (ms)", [p[1] for p in later_pairs],
              [p[0] for p in later_pairs]))
    print(row("start → docked strip painted, first start (ms)", [p[1] for p in first_pairs],
              [p[0] for p in first_pairs]))
    print(row("resident memory 2 s after start (MB)", [p[3] for p in later_pairs], [p[2] for p in later_pairs],
              ratio=False))
    print(row(f"wake-ups per 10 s, docked and left alone ({IDLE_S} s)", idle_program, idle_floor, ratio=False))
    print(f"\nwake-ups in {IDLE_S} s: program {sum(idle_program)}, floor {sum(idle_floor)}")
    if levels:
        base = levels[0][1]
        print("\nresident memory over searches: " + ", ".join(
            f"after {n}: {mb:.1f} MB ({mb - base:+.2f})" for n, mb in levels))
    for way in ("out", "back"):
        runs = [s for s in slides if s[0] == way]
        print(f"slide {way}: positions {[s[1] for s in runs]}, ms {[round(s[2]) for s in runs]}")


if __name__ == "__main__":
    main()
