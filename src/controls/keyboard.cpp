#include "controls/keyboard.h"

#include "controls/x11.h"

#include <QApplication>
#include <QWidget>

namespace {
enum class Route { XFocus, WindowManager, Grab };

Route route()
{
    static const Route r = [] {
        if (!x11::onXWayland())
            return Route::XFocus;
        return x11::windowManagerName() == QLatin1String("wlroots wm") ? Route::Grab
                                                                       : Route::WindowManager;
    }();
    return r;
}

const char *const kWantsKeyboard = "_NET_WM_WINDOW_TYPE_NORMAL";
const char *const kNoKeyboard = "_NET_WM_WINDOW_TYPE_UTILITY";

bool native(QWidget &window)
{
    return x11::available() && window.testAttribute(Qt::WA_WState_Created);
}
} // namespace

void WindowKeyboard::prepare(QWidget &window)
{
    if (native(window) && route() == Route::Grab)
        x11::setWindowType(window, kNoKeyboard);
}

void WindowKeyboard::take(QWidget &window)
{
    if (!native(window)) {
        window.activateWindow();
        return;
    }
    switch (route()) {
    case Route::WindowManager:
        x11::setManaged(window, true);
        x11::requestActivation(window);
        return;
    case Route::Grab:
        if (!m_watching) {
            // A click into another window makes that one active: the keys are its own again.
            m_watching = x11::watchActiveWindow(&window, [this] { endGrab(); });
        }
        if (!m_grabbed)
            x11::remap(window, kWantsKeyboard);
        m_grabbed = x11::grabKeyboard(window);
        // The X focus stays elsewhere, so Qt is told itself that the window is the active one:
        // the box shows its text cursor.
        if (m_grabbed)
            QApplication::setActiveWindow(&window);
        return;
    case Route::XFocus:
        break;
    }
    const unsigned long own = window.winId();
    const unsigned long holder = x11::inputFocus();
    if (holder != own)
        m_previous = holder;
    if (!m_watching) {
        m_watching = x11::watchFocusOut(window, [this, &window] { keepFromManager(window); });
    }
    m_wanted = true;
    // Qt asks for the focus with the time of the last event it saw, which the server ignores
    // once anything newer (a window manager's focus change after a message box closed, say)
    // has moved the focus: ask with the server's own current time.
    x11::setInputFocus(own);
}

void WindowKeyboard::keepFromManager(QWidget &window)
{
    // A window manager that sees the window it focused go away (a message box that was just
    // answered) parks the keyboard on a window of its own; on a busy machine it does so only
    // after the person has already clicked into the box. Nobody types into that window: the
    // keyboard stays where it was asked for.
    const unsigned long parking = x11::windowManagerWindow();
    if (m_wanted && parking != 0 && x11::inputFocus() == parking)
        x11::setInputFocus(window.winId());
}

void WindowKeyboard::endGrab()
{
    if (m_grabbed)
        x11::ungrabKeyboard();
    m_grabbed = false;
}

void WindowKeyboard::giveBack(QWidget &window)
{
    if (!native(window))
        return;
    switch (route()) {
    case Route::WindowManager:
        // The window manager gives the keyboard to the window it had before.
        x11::setManaged(window, false);
        return;
    case Route::Grab:
        if (m_grabbed) {
            endGrab();
            // Unmapped, the window hands the compositor's keyboard back to the window that had
            // it; mapped again as one that does not want it, it does not take it back.
            x11::remap(window, kNoKeyboard);
        }
        return;
    case Route::XFocus:
        break;
    }
    m_wanted = false;
    const unsigned long previous = m_previous;
    m_previous = 0;
    if (x11::inputFocus() != window.winId())
        return; // someone else has it already
    if (previous != 0 && x11::viewable(previous))
        x11::setInputFocus(previous);
    else
        x11::setInputFocus(x11::kPointerRoot); // keys go to the window under the pointer
}
