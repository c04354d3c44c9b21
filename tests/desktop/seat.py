"""A compositor's pointer and keyboard, driven through a helper process that
stays running (seat-input or mutter_input.py) and takes one command a line:
"move X Y", "down CODE", "up CODE", "scroll N", "key CODE 1|0", answering
"ok" once the compositor has the event, or "error <why>"."""

import os
import select
import time

import evdev_keys

# X pointer buttons as Linux input codes; 4 and 5 are wheel steps.
BUTTONS = {1: 0x110, 2: 0x112, 3: 0x111, 8: 0x113, 9: 0x114}
WHEEL = {4: -1, 5: 1}
ANSWER_TIMEOUT = 10


class Seat:
    def __init__(self, proc, describe):
        """proc: the running helper with pipes on stdin and stdout; describe():
        text that explains a failure (the helper's and the compositor's logs)."""
        self.proc = proc
        self.describe = describe
        self.position = None
        self.protocols = self._answer("ready").split()[1:]

    def _answer(self, expected):
        deadline = time.monotonic() + ANSWER_TIMEOUT
        line = b""
        while not line.endswith(b"\n"):
            ready, _, _ = select.select([self.proc.stdout], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(self.proc.stdout.fileno(), 1) if ready else b""
            if not chunk:
                state = "timed out" if not ready else f"exited with {self.proc.poll()}"
                raise RuntimeError(f"the input helper {state} before answering {expected!r}\n{self.describe()}")
            line += chunk
        text = line.decode(errors="replace").strip()
        if not text.startswith(expected):
            raise RuntimeError(f"the input helper answered {text!r}\n{self.describe()}")
        return text

    def send(self, command):
        try:
            self.proc.stdin.write(command.encode() + b"\n")
            self.proc.stdin.flush()
        except BrokenPipeError:
            raise RuntimeError(f"the input helper is gone (exit {self.proc.poll()})\n{self.describe()}") from None
        self._answer("ok")

    # ----- pointer -----------------------------------------------------------

    def move(self, x, y):
        self.send(f"move {x} {y}")
        self.position = (x, y)

    def press(self, button):
        if button in WHEEL:
            self.send(f"scroll {WHEEL[button]}")
        else:
            self.send(f"down {self._button(button)}")

    def release(self, button):
        if button not in WHEEL:
            self.send(f"up {self._button(button)}")

    @staticmethod
    def _button(button):
        if button not in BUTTONS:
            raise ValueError(f"no pointer button {button}")
        return BUTTONS[button]

    # ----- keyboard ----------------------------------------------------------

    def chord(self, codes):
        """Presses codes in order, then releases them in reverse."""
        for code in codes:
            self.send(f"key {code} 1")
        for code in reversed(codes):
            self.send(f"key {code} 0")

    def key(self, names):
        """xdotool-style key names, several separated by spaces."""
        for name in names.split():
            self.chord(evdev_keys.chord(name))

    def type(self, text, delay_ms):
        for number, codes in enumerate(evdev_keys.strokes(text)):
            if number:
                time.sleep(delay_ms / 1000)
            self.chord(codes)
