// The few X11 calls the program needs beyond Qt. Each is a no-op where the program does not
// run on an X server.
#pragma once

#include <QString>
#include <functional>

class QObject;
class QWidget;

namespace x11 {
bool available();            // the application runs on Qt's xcb platform
void sync();                 // flush requests and wait until the server has handled them
void flush();                // send the requests made so far, without waiting
void raise(QWidget &window); // XRaiseWindow on the window's native handle
void lower(QWidget &window); // XLowerWindow
} // namespace x11

namespace x11 {
// Restacks the window just below the active window of the desktop, when that is another
// program's window; returns false when there was nothing to step below.
bool stepBelowActive(QWidget &window);
// Restacks the window just below another window of this program.
bool stepBelow(QWidget &window, QWidget &other);
} // namespace x11

namespace x11 {
// Calls fn whenever the desktop's active window changes (another program's window came
// forward). Returns false where that cannot be watched.
bool watchActiveWindow(QObject *context, std::function<void()> fn);
// Calls fn whenever another top-level window is mapped, moved or restacked (one that may now
// lie above the window). Returns false where that cannot be watched.
bool watchStacking(QWidget &window, std::function<void()> fn);
// Calls fn whenever the window loses the keyboard focus. Returns false where that cannot be
// watched.
bool watchFocusOut(QWidget &window, std::function<void()> fn);
// The window manager's own window (_NET_SUPPORTING_WM_CHECK), 0 when there is none.
unsigned long windowManagerWindow();
} // namespace x11

namespace x11 {
constexpr unsigned long kPointerRoot = 1; // the focus follows the pointer
// The window that has the keyboard focus (0: none, kPointerRoot: the pointer's window).
unsigned long inputFocus();
// Gives a window the keyboard focus, at the server's current time so it is never ignored as
// out of date.
void setInputFocus(unsigned long window);
// The window exists and is mapped with all its ancestors.
bool viewable(unsigned long window);
} // namespace x11

namespace x11 {
// The X server is XWayland: a Wayland compositor routes the keyboard.
bool onXWayland();
// The name the X window manager gives itself (empty: none).
QString windowManagerName();
// The window is left to the window manager (not override-redirect).
bool managed(QWidget &window);
// Hands the window to the window manager, or takes it back, by unmapping it and mapping it
// again with override-redirect switched; a managed window stays out of task bars.
void setManaged(QWidget &window, bool managed);
// Asks the window manager to make the window the active one.
void requestActivation(QWidget &window);
// Stay-on-top for a managed window (_NET_WM_STATE_ABOVE); kept on an unmanaged one for later.
void setAbove(QWidget &window, bool on);
// The window's _NET_WM_WINDOW_TYPE, one atom by name; remap: set while unmapped, then mapped
// and raised again.
void setWindowType(QWidget &window, const char *type);
void remap(QWidget &window, const char *type);
// All keys of the X server go to the window until ungrabbed (or it is unmapped).
bool grabKeyboard(QWidget &window);
void ungrabKeyboard();
} // namespace x11
