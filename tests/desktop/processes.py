"""Ending what a desktop started, orphans included.

A compositor's children outlive it now and then: wlroots double-forks XWayland,
KWin starts its session program detached, and whatever dies after its parent
is handed to PID 1, which here never reaps it (it stays a zombie). So the test
process makes itself the subreaper of its descendants, and a closing desktop
kills every process left in its process groups and reaps the ones handed to it.
"""

import ctypes
import os
import signal
import time

_PR_SET_CHILD_SUBREAPER = 36


def become_subreaper():
    """Orphaned descendants of this process become its children, not PID 1's."""
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(_PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        raise OSError(ctypes.get_errno(), "prctl(PR_SET_CHILD_SUBREAPER) failed")


def process_table():
    """{pid: (state, parent pid, process group)} of every process."""
    table = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        fields = stat[stat.rindex(")") + 2:].split()
        table[int(entry)] = (fields[0], int(fields[1]), int(fields[2]))
    return table


def end_groups(groups, timeout=5.0):
    """SIGKILLs every process in the process groups and reaps those that are
    this process's children (zombies reaped by anyone else are left to them);
    returns {pid: row} of what is still there after timeout seconds."""
    me, deadline = os.getpid(), time.monotonic() + timeout
    groups = {group for group in groups if group}
    while True:
        left = {pid: row for pid, row in process_table().items() if row[2] in groups}
        for pid, (state, parent, _group) in left.items():
            try:
                if state != "Z":
                    os.kill(pid, signal.SIGKILL)
                elif parent == me:
                    os.waitpid(pid, os.WNOHANG)
            except (ProcessLookupError, ChildProcessError, PermissionError):
                pass
        if not left or time.monotonic() >= deadline:
            return left
        time.sleep(0.02)
