#include "controls/x11.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef HARROWKIT_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace {
#ifdef HARROWKIT_X11
Display *display()
{
    auto *app = qGuiApp;
    if (!app)
        return nullptr;
    auto *native = app->nativeInterface<QNativeInterface::QX11Application>();
    return native ? native->display() : nullptr;
}
#endif
} // namespace

bool x11::available()
{
#ifdef HARROWKIT_X11
    return display() != nullptr;
#else
    return false;
#endif
}

void x11::sync()
{
#ifdef HARROWKIT_X11
    if (Display *d = display())
        XSync(d, False);
#endif
}

void x11::raise(QWidget &window)
{
#ifdef HARROWKIT_X11
    if (Display *d = display(); d && window.testAttribute(Qt::WA_WState_Created)) {
        XRaiseWindow(d, static_cast<Window>(window.winId()));
        XFlush(d);
    }
#else
    window.raise();
#endif
}

void x11::lower(QWidget &window)
{
#ifdef HARROWKIT_X11
    if (Display *d = display(); d && window.testAttribute(Qt::WA_WState_Created)) {
        XLowerWindow(d, static_cast<Window>(window.winId()));
        XFlush(d);
    }
#else
    window.lower();
#endif
}

bool x11::stepBelowActive(QWidget &window)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    if (!d || !window.testAttribute(Qt::WA_WState_Created))
        return false;
    const Window root = DefaultRootWindow(d);
    const Atom activeAtom = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    Window active = 0;
    if (XGetWindowProperty(d, root, activeAtom, 0, 1, False, XA_WINDOW, &type, &format, &count,
                           &after, &data) == Success && data) {
        if (count == 1 && format == 32)
            active = static_cast<Window>(*reinterpret_cast<unsigned long *>(data));
        XFree(data);
    }
    const auto own = static_cast<Window>(window.winId());
    if (active == 0 || active == own)
        return false;
    // The window manager stacks the frame around the client: find the child of the root.
    Window top = active;
    for (;;) {
        Window r = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        if (!XQueryTree(d, top, &r, &parent, &children, &n))
            return false;
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            break;
        top = parent;
    }
    if (top == own)
        return false;
    XWindowChanges changes{};
    changes.sibling = top;
    changes.stack_mode = Below;
    XConfigureWindow(d, own, CWSibling | CWStackMode, &changes);
    XFlush(d);
    return true;
#else
    (void)window;
    return false;
#endif
}
