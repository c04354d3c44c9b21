"""A direct connection to an X display for loops too quick for one xdotool run
per step: finds a top-level window by its title and clicks into it by sending
it the button events, at window points that need not be on screen."""

import ctypes

Window = ctypes.c_ulong
_BUTTON_PRESS, _BUTTON_RELEASE, _BUTTON1_MASK, _IS_VIEWABLE = 4, 5, 0x100, 2


class _ButtonEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", Window), ("root", Window), ("subwindow", Window),
                ("time", ctypes.c_ulong), ("x", ctypes.c_int), ("y", ctypes.c_int), ("x_root", ctypes.c_int),
                ("y_root", ctypes.c_int), ("state", ctypes.c_uint), ("button", ctypes.c_uint),
                ("same_screen", ctypes.c_int)]


class _Event(ctypes.Union):
    _fields_ = [("button", _ButtonEvent), ("pad", ctypes.c_long * 24)]


class _Attributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", Window), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


# Windows come and go while a loop looks at them: an error about one that is gone
# is no reason to end the test process, which is what Xlib's own handler does.
_ErrorHandler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
_ignore_errors = _ErrorHandler(lambda _display, _error: 0)


def _xlib():
    x = ctypes.CDLL("libX11.so.6")
    x.XSetErrorHandler.argtypes = [_ErrorHandler]
    x.XSetErrorHandler.restype = ctypes.c_void_p
    x.XSetErrorHandler(_ignore_errors)
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x.XDefaultRootWindow.restype = Window
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XQueryTree.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window), ctypes.POINTER(Window),
                             ctypes.POINTER(ctypes.POINTER(Window)), ctypes.POINTER(ctypes.c_uint)]
    x.XFetchName.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(ctypes.c_char_p)]
    x.XFree.argtypes = [ctypes.c_void_p]
    x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(_Attributes)]
    x.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    return x


class XDirect:
    def __init__(self, display_name):
        self._x = _xlib()
        self._display = self._x.XOpenDisplay(display_name.encode())
        if not self._display:
            raise RuntimeError(f"cannot open display {display_name}")
        self._root = self._x.XDefaultRootWindow(self._display)
        # Event times, a second apart from click to click: presses closer together
        # would make a double click.
        self._time = 1000

    def close(self):
        if self._display:
            self._x.XCloseDisplay(self._display)
            self._display = None

    def viewable(self, title):
        """[(window, x, y)] of the root's viewable children titled exactly `title`."""
        x, found = self._x, []
        root, parent, count = Window(), Window(), ctypes.c_uint()
        children = ctypes.POINTER(Window)()
        if not x.XQueryTree(self._display, self._root, ctypes.byref(root), ctypes.byref(parent),
                            ctypes.byref(children), ctypes.byref(count)):
            return found
        for i in range(count.value):
            name, attributes = ctypes.c_char_p(), _Attributes()
            if (x.XFetchName(self._display, children[i], ctypes.byref(name)) and name.value == title.encode()
                    and x.XGetWindowAttributes(self._display, children[i], ctypes.byref(attributes))
                    and attributes.map_state == _IS_VIEWABLE):
                found.append((children[i], attributes.x, attributes.y))
            if name:
                x.XFree(name)
        if children:
            x.XFree(children)
        return found

    def click(self, window, place, point):
        """Button 1 pressed and released at `point` of the window at screen `place`."""
        self._time += 1000
        for kind, state in ((_BUTTON_PRESS, 0), (_BUTTON_RELEASE, _BUTTON1_MASK)):
            event = _Event()
            b = event.button
            b.type, b.display, b.window, b.root, b.same_screen = kind, self._display, window, self._root, 1
            b.x, b.y, b.x_root, b.y_root = point[0], point[1], place[0] + point[0], place[1] + point[1]
            b.state, b.button, b.time = state, 1, self._time
            self._x.XSendEvent(self._display, window, 1, 0, ctypes.byref(event))
        self._x.XSync(self._display, 0)
