// What the X11 pieces share: Qt's connection to the server and property reading. Included
// by the controls layer's X11 sources only.
#pragma once

#ifdef HARROWKIT_X11
#include <X11/Xlib.h>

namespace x11::detail {
Display *display(); // Qt's connection, or null where the program does not run on X
Atom atom(Display *d, const char *name);
// A window named by a WINDOW property of another window; 0 when there is none.
Window windowProperty(Display *d, Window w, const char *property);
Window parentOf(Display *d, Window w); // 0 when the window is gone
} // namespace x11::detail
#endif
