"""mutter_input.py WIDTH HEIGHT: a pointer and keyboard on mutter's seat, driven
through its remote desktop D-Bus interface (org.gnome.Mutter.RemoteDesktop)
on the session bus in DBUS_SESSION_BUS_ADDRESS.

It speaks the same commands as seat-input, one a line on standard input, and
answers each with "ok" or "error <why>":
  move X Y      put the pointer at X,Y
  down CODE     press the button with Linux input code CODE (BTN_LEFT 272)
  up CODE       release it
  scroll N      N wheel steps, positive downwards
  key CODE 1|0  press or release the key with Linux input code CODE

The remote desktop session lives as long as this process's bus connection,
so it stays running. Without a screen cast stream the interface moves the
pointer only relatively: it first pushes the pointer into the bottom-right
corner (the top-left corner is where a GNOME shell opens its overview), where
it stops at WIDTH-1, HEIGHT-1, and from then on keeps track of where it is.
Run it with the system python3, which has the GObject bindings (gi).
"""

import sys

from gi.repository import Gio, GLib

BUS_NAME = "org.gnome.Mutter.RemoteDesktop"
SESSION_INTERFACE = "org.gnome.Mutter.RemoteDesktop.Session"
AXIS_VERTICAL = 0


class MutterSeat:
    def __init__(self, width, height):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        path = self.bus.call_sync(BUS_NAME, "/org/gnome/Mutter/RemoteDesktop", BUS_NAME, "CreateSession", None,
                                  GLib.VariantType("(o)"), Gio.DBusCallFlags.NONE, 5000, None).unpack()[0]
        self.session = path
        self.call("Start")
        # Far past the corner in one go: the pointer stops at the screen's edge.
        self.call("NotifyPointerMotionRelative", "(dd)", (4.0 * width, 4.0 * height))
        self.x, self.y = width - 1, height - 1
        self.width, self.height = width, height

    def call(self, method, signature=None, args=None):
        self.bus.call_sync(BUS_NAME, self.session, SESSION_INTERFACE, method,
                           GLib.Variant(signature, args) if signature else None,
                           None, Gio.DBusCallFlags.NONE, 5000, None)

    def perform(self, words):
        verb, numbers = words[0], [int(word) for word in words[1:]]
        if verb == "move" and len(numbers) == 2:
            x, y = numbers
            if not (0 <= x < self.width and 0 <= y < self.height):
                return "outside the screen"
            self.call("NotifyPointerMotionRelative", "(dd)", (float(x - self.x), float(y - self.y)))
            self.x, self.y = x, y
        elif verb in ("down", "up") and len(numbers) == 1:
            self.call("NotifyPointerButton", "(ib)", (numbers[0], verb == "down"))
        elif verb == "scroll" and len(numbers) == 1:
            self.call("NotifyPointerAxisDiscrete", "(ui)", (AXIS_VERTICAL, numbers[0]))
        elif verb == "key" and len(numbers) == 2:
            self.call("NotifyKeyboardKeycode", "(ub)", (numbers[0], bool(numbers[1])))
        else:
            return "unknown command"
        return None


def main():
    width, height = int(sys.argv[1]), int(sys.argv[2])
    seat = MutterSeat(width, height)
    print(f"ready {BUS_NAME}", flush=True)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        try:
            error = seat.perform(words)
        except (ValueError, GLib.Error) as failure:
            error = str(failure).replace("\n", " ")
        print(f"error {error}" if error else "ok", flush=True)


if __name__ == "__main__":
    main()
