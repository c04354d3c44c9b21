// The few X11 calls the program needs beyond Qt. Each is a no-op where the program does not
// run on an X server.
#pragma once

#include <functional>

class QObject;
class QWidget;

namespace x11 {
bool available();            // the application runs on Qt's xcb platform
void sync();                 // flush requests and wait until the server has handled them
void raise(QWidget &window); // XRaiseWindow on the window's native handle
void lower(QWidget &window); // XLowerWindow
} // namespace x11

namespace x11 {
// Restacks the window just below the active window of the desktop, when that is another
// program's window; returns false when there was nothing to step below.
bool stepBelowActive(QWidget &window);
} // namespace x11

namespace x11 {
// Calls fn whenever the desktop's active window changes (another program's window came
// forward). Returns false where that cannot be watched.
bool watchActiveWindow(QObject *context, std::function<void()> fn);
} // namespace x11
