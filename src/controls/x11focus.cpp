// Keyboard focus and handing the window to the window manager and back.
#include "controls/x11.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#ifdef HARROWKIT_X11
#include "controls/x11detail.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

using x11::detail::atom;
using x11::detail::display;
using x11::detail::parentOf;
#endif

unsigned long x11::inputFocus()
{
#ifdef HARROWKIT_X11
    if (Display *d = display()) {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(d, &focus, &revert);
        return focus;
    }
#endif
    return 0;
}

void x11::setInputFocus(unsigned long window)
{
#ifdef HARROWKIT_X11
    if (Display *d = display()) {
        XSetInputFocus(d, static_cast<Window>(window), RevertToPointerRoot, CurrentTime);
        XFlush(d);
    }
#else
    (void)window;
#endif
}

bool x11::viewable(unsigned long window)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    if (!d || window <= kPointerRoot)
        return false;
    XWindowAttributes attrs{};
    // A window that is gone answers with an error, which Qt's handler swallows.
    return XGetWindowAttributes(d, static_cast<Window>(window), &attrs) &&
           attrs.map_state == IsViewable;
#else
    (void)window;
    return false;
#endif
}

#ifdef HARROWKIT_X11
namespace {
std::vector<Atom> atoms(Display *d, Window w, Atom property)
{
    std::vector<Atom> out;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(d, w, property, 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        if (format == 32) {
            const auto *list = reinterpret_cast<const unsigned long *>(data);
            out.assign(list, list + count);
        }
        XFree(data);
    }
    return out;
}

void setAtoms(Display *d, Window w, Atom property, const std::vector<Atom> &list)
{
    XChangeProperty(d, w, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(list.data()),
                    static_cast<int>(list.size()));
}

// Adds or removes one atom of a list property.
void switchAtom(Display *d, Window w, Atom property, Atom value, bool on)
{
    std::vector<Atom> list = atoms(d, w, property);
    if ((std::find(list.begin(), list.end(), value) != list.end()) == on)
        return;
    std::erase(list, value);
    if (on)
        list.push_back(value);
    setAtoms(d, w, property, list);
}

bool overrideRedirect(Display *d, Window w)
{
    XWindowAttributes attrs{};
    return XGetWindowAttributes(d, w, &attrs) && attrs.override_redirect;
}

Window ownWindow(Display *d, QWidget &window)
{
    return d && window.testAttribute(Qt::WA_WState_Created) ? static_cast<Window>(window.winId())
                                                            : 0;
}
} // namespace
#endif

bool x11::onXWayland()
{
    // XWayland names its outputs XWAYLAND0, XWAYLAND1, ...
    for (const QScreen *s : QGuiApplication::screens()) {
        if (s->name().startsWith(QLatin1String("XWAYLAND")))
            return true;
    }
    return false;
}

QString x11::windowManagerName()
{
#ifdef HARROWKIT_X11
    Display *d = display();
    if (!d)
        return {};
    const auto check = static_cast<Window>(windowManagerWindow());
    if (!check)
        return {};
    QString name;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(d, check, atom(d, "_NET_WM_NAME"), 0, 256, False, atom(d, "UTF8_STRING"),
                           &type, &format, &count, &after, &data) == Success &&
        data) {
        if (format == 8)
            name = QString::fromUtf8(reinterpret_cast<const char *>(data),
                                     static_cast<qsizetype>(count));
        XFree(data);
    }
    return name;
#else
    return {};
#endif
}

bool x11::managed(QWidget &window)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    const Window w = ownWindow(d, window);
    return w && !overrideRedirect(d, w);
#else
    (void)window;
    return false;
#endif
}

void x11::setManaged(QWidget &window, bool managed)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    const Window w = ownWindow(d, window);
    if (!w || overrideRedirect(d, w) != managed)
        return;
    const Window root = DefaultRootWindow(d);
    XUnmapWindow(d, w);
    XSync(d, False);
    if (!managed) {
        // The window manager takes the window out of its frame on the unmap; mapped again
        // before that, the window would show inside a frame that is going away.
        for (int i = 0; i < 250 && parentOf(d, w) != root; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            XSync(d, False);
        }
    }
    XSetWindowAttributes a{};
    a.override_redirect = managed ? False : True;
    XChangeWindowAttributes(d, w, CWOverrideRedirect, &a);
    if (managed) {
        // Out of the task bar and the window switcher: it is a tab, not a program window.
        const Atom state = atom(d, "_NET_WM_STATE");
        switchAtom(d, w, state, atom(d, "_NET_WM_STATE_SKIP_TASKBAR"), true);
        switchAtom(d, w, state, atom(d, "_NET_WM_STATE_SKIP_PAGER"), true);
    }
    XMapWindow(d, w);
    if (!managed)
        XRaiseWindow(d, w);
    XSync(d, False);
#else
    (void)window;
    (void)managed;
#endif
}

void x11::requestActivation(QWidget &window)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    const Window w = ownWindow(d, window);
    if (!w)
        return;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = atom(d, "_NET_ACTIVE_WINDOW");
    e.xclient.format = 32;
    e.xclient.data.l[0] = 2; // asked for by the person (a pager's source), not by the program
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &e);
    XFlush(d);
#else
    (void)window;
#endif
}

void x11::setAbove(QWidget &window, bool on)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    const Window w = ownWindow(d, window);
    if (!w)
        return;
    const Atom state = atom(d, "_NET_WM_STATE");
    const Atom above = atom(d, "_NET_WM_STATE_ABOVE");
    if (overrideRedirect(d, w)) {
        // Kept on the window, so a window manager that takes it on later keeps it above.
        switchAtom(d, w, state, above, on);
        XFlush(d);
        return;
    }
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = state;
    e.xclient.format = 32;
    e.xclient.data.l[0] = on ? 1 : 0; // add, remove
    e.xclient.data.l[1] = static_cast<long>(above);
    e.xclient.data.l[3] = 2;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &e);
    XFlush(d);
#else
    (void)window;
    (void)on;
#endif
}

void x11::setWindowType(QWidget &window, const char *type)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    if (const Window w = ownWindow(d, window)) {
        setAtoms(d, w, atom(d, "_NET_WM_WINDOW_TYPE"), {atom(d, type)});
        XFlush(d);
    }
#else
    (void)window;
    (void)type;
#endif
}

void x11::remap(QWidget &window, const char *type)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    const Window w = ownWindow(d, window);
    if (!w)
        return;
    XUnmapWindow(d, w);
    setAtoms(d, w, atom(d, "_NET_WM_WINDOW_TYPE"), {atom(d, type)});
    XMapWindow(d, w);
    XRaiseWindow(d, w);
    XSync(d, False);
#else
    (void)window;
    (void)type;
#endif
}

bool x11::grabKeyboard(QWidget &window)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    const Window w = ownWindow(d, window);
    return w &&
           XGrabKeyboard(d, w, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
#else
    (void)window;
    return false;
#endif
}

void x11::ungrabKeyboard()
{
#ifdef HARROWKIT_X11
    if (Display *d = display()) {
        XUngrabKeyboard(d, CurrentTime);
        XFlush(d);
    }
#endif
}
