#include "controls/keyboard.h"

#include "controls/x11.h"

#include <QWidget>

namespace {
bool viaWindowManager()
{
    static const bool manage =
        x11::onXWayland() && x11::windowManagerName() != QLatin1String("wlroots wm");
    return manage;
}
} // namespace

void WindowKeyboard::take(QWidget &window)
{
    if (!x11::available() || !window.testAttribute(Qt::WA_WState_Created)) {
        window.activateWindow();
        return;
    }
    if (viaWindowManager()) {
        x11::setManaged(window, true);
        x11::requestActivation(window);
        return;
    }
    const unsigned long own = window.winId();
    const unsigned long holder = x11::inputFocus();
    if (holder != own)
        m_previous = holder;
    // Qt asks for the focus with the time of the last event it saw, which the server ignores
    // once anything newer (a window manager's focus change after a message box closed, say)
    // has moved the focus: ask with the server's own current time.
    x11::setInputFocus(own);
}

void WindowKeyboard::giveBack(QWidget &window)
{
    if (!x11::available() || !window.testAttribute(Qt::WA_WState_Created))
        return;
    if (x11::managed(window)) {
        // The window manager gives the keyboard to the window it had before.
        x11::setManaged(window, false);
        return;
    }
    const unsigned long previous = m_previous;
    m_previous = 0;
    if (x11::inputFocus() != window.winId())
        return; // someone else has it already
    if (previous != 0 && x11::viewable(previous))
        x11::setInputFocus(previous);
    else
        x11::setInputFocus(x11::kPointerRoot); // keys go to the window under the pointer
}
