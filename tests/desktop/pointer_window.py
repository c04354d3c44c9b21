"""pointer_window.py: prints "X Y WINDOW", the pointer's place on the X screen
of $DISPLAY and the child of the root window it is in (0 for none), as the X
server (XQueryPointer) sees them. On XWayland that is the window whose surface
the compositor put under the pointer. (xdotool getmouselocation reports 0 for
a window that no window manager has marked with WM_STATE.)"""

import ctypes
import sys

Window = ctypes.c_ulong


def main():
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XQueryPointer.argtypes = [ctypes.c_void_p, Window] + [ctypes.POINTER(Window)] * 2 + \
                                  [ctypes.POINTER(ctypes.c_int)] * 4 + [ctypes.POINTER(ctypes.c_uint)]
    display = xlib.XOpenDisplay(None)
    if not display:
        print("cannot open the display", file=sys.stderr)
        return 1
    root_out, child = Window(), Window()
    root_x, root_y, x, y, mask = ctypes.c_int(), ctypes.c_int(), ctypes.c_int(), ctypes.c_int(), ctypes.c_uint()
    if not xlib.XQueryPointer(display, xlib.XDefaultRootWindow(display), ctypes.byref(root_out), ctypes.byref(child),
                              ctypes.byref(root_x), ctypes.byref(root_y), ctypes.byref(x), ctypes.byref(y),
                              ctypes.byref(mask)):
        print("the pointer is on another screen", file=sys.stderr)
        return 1
    print(root_x.value, root_y.value, child.value)
    return 0


if __name__ == "__main__":
    sys.exit(main())
