#include "controls/x11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cstdlib>

#ifdef HARROWKIT_X11
#include "controls/x11detail.h"
#include <X11/Xatom.h>

#include <X11/Xlib.h>
#include <xcb/xcb.h>
#include <xcb/xproto.h>
#endif

#ifdef HARROWKIT_X11
using x11::detail::display;

Display *x11::detail::display()
{
    auto *app = qGuiApp;
    if (!app)
        return nullptr;
    auto *native = app->nativeInterface<QNativeInterface::QX11Application>();
    return native ? native->display() : nullptr;
}

Atom x11::detail::atom(Display *d, const char *name)
{
    return XInternAtom(d, name, False);
}

Window x11::detail::windowProperty(Display *d, Window w, const char *property)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    Window found = 0;
    if (XGetWindowProperty(d, w, atom(d, property), 0, 1, False, XA_WINDOW, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        if (count == 1 && format == 32)
            found = static_cast<Window>(*reinterpret_cast<unsigned long *>(data));
        XFree(data);
    }
    return found;
}

Window x11::detail::parentOf(Display *d, Window w)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n))
        return 0;
    if (children)
        XFree(children);
    return parent;
}
#endif

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

void x11::flush()
{
#ifdef HARROWKIT_X11
    if (Display *d = display())
        XFlush(d);
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

#ifdef HARROWKIT_X11
namespace {
// Stacks own directly below other's top-level window: the frame a window manager put around
// it, else the window itself.
bool stackBelow(Display *d, Window own, Window other)
{
    const Window root = DefaultRootWindow(d);
    if (other == 0 || other == own)
        return false;
    Window top = other;
    for (Window parent = x11::detail::parentOf(d, top); parent != root && parent != 0;
         parent = x11::detail::parentOf(d, top))
        top = parent;
    if (top == own)
        return false;
    XWindowChanges changes{};
    changes.sibling = top;
    changes.stack_mode = Below;
    XConfigureWindow(d, own, CWSibling | CWStackMode, &changes);
    XFlush(d);
    return true;
}
} // namespace
#endif

bool x11::stepBelowActive(QWidget &window)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    if (!d || !window.testAttribute(Qt::WA_WState_Created))
        return false;
    return stackBelow(d, static_cast<Window>(window.winId()),
                      detail::windowProperty(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW"));
#else
    (void)window;
    return false;
#endif
}

bool x11::stepBelow(QWidget &window, QWidget &other)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    if (!d || !window.testAttribute(Qt::WA_WState_Created) ||
        !other.testAttribute(Qt::WA_WState_Created))
        return false;
    return stackBelow(d, static_cast<Window>(window.winId()), static_cast<Window>(other.winId()));
#else
    (void)window;
    (void)other;
    return false;
#endif
}

#ifdef HARROWKIT_X11
namespace {
// Calls fn for the events Qt receives from the server that `matches` picks.
class EventWatch : public QAbstractNativeEventFilter {
public:
    using Match = std::function<bool(const xcb_generic_event_t *)>;
    EventWatch(Match matches, std::function<void()> fn)
        : m_matches(std::move(matches)), m_fn(std::move(fn))
    {
    }
    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type == "xcb_generic_event_t" &&
            m_matches(static_cast<const xcb_generic_event_t *>(message)))
            m_fn();
        return false;
    }

private:
    Match m_matches;
    std::function<void()> m_fn;
};

// Installs the watch for as long as context lives.
void watch(QObject *context, EventWatch::Match matches, std::function<void()> fn)
{
    auto *filter = new EventWatch(std::move(matches), std::move(fn));
    QCoreApplication::instance()->installNativeEventFilter(filter);
    QObject::connect(context, &QObject::destroyed, [filter] {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(filter);
        delete filter;
    });
}
} // namespace
#endif

bool x11::watchActiveWindow(QObject *context, std::function<void()> fn)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    if (!d)
        return false;
    const Window root = DefaultRootWindow(d);
    XWindowAttributes attrs{};
    if (!XGetWindowAttributes(d, root, &attrs))
        return false;
    // Add to the events this connection already takes from the root, never replace them.
    XSelectInput(d, root, attrs.your_event_mask | PropertyChangeMask);
    XFlush(d);
    const auto active = static_cast<xcb_atom_t>(detail::atom(d, "_NET_ACTIVE_WINDOW"));
    watch(
        context,
        [active](const xcb_generic_event_t *ev) {
            return (ev->response_type & 0x7F) == XCB_PROPERTY_NOTIFY &&
                   reinterpret_cast<const xcb_property_notify_event_t *>(ev)->atom == active;
        },
        std::move(fn));
    return true;
#else
    (void)context;
    (void)fn;
    return false;
#endif
}

#ifdef HARROWKIT_X11
namespace {
// A connection of its own that listens to the root's children being mapped, moved or
// restacked. Not the toolkit's: it takes every configure event on the root for a change of the
// screens and looks them all up again. A bare protocol connection, without the client library's
// display state, buffers and locale.
class StackingWatch : public QObject {
public:
    StackingWatch(QWidget &window, xcb_connection_t *c, xcb_window_t root, std::function<void()> fn)
        : QObject(&window), m_connection(c), m_root(root),
          m_own(static_cast<xcb_window_t>(window.winId())),
          m_notifier(xcb_get_file_descriptor(c), QSocketNotifier::Read), m_fn(std::move(fn))
    {
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
        QObject::connect(&m_notifier, &QSocketNotifier::activated, this, [this] { read(); });
    }
    ~StackingWatch() override
    {
        m_notifier.setEnabled(false);
        xcb_disconnect(m_connection);
    }

private:
    void read()
    {
        bool changed = false;
        while (xcb_generic_event_t *e = xcb_poll_for_event(m_connection)) {
            switch (e->response_type & 0x7F) {
            case XCB_MAP_NOTIFY: {
                const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(e);
                changed |= map->event == m_root && map->window != m_own;
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                const auto *conf = reinterpret_cast<const xcb_configure_notify_event_t *>(e);
                changed |= conf->event == m_root && conf->window != m_own;
                break;
            }
            case XCB_CIRCULATE_NOTIFY: {
                const auto *circ = reinterpret_cast<const xcb_circulate_notify_event_t *>(e);
                changed |= circ->event == m_root && circ->window != m_own;
                break;
            }
            default:
                break;
            }
            std::free(e);
        }
        if (xcb_connection_has_error(m_connection))
            m_notifier.setEnabled(false); // the server went away; nothing more will come
        if (changed)
            m_fn();
    }

    xcb_connection_t *m_connection;
    xcb_window_t m_root;
    xcb_window_t m_own;
    QSocketNotifier m_notifier;
    std::function<void()> m_fn;
};
} // namespace
#endif

bool x11::watchStacking(QWidget &window, std::function<void()> fn)
{
#ifdef HARROWKIT_X11
    Display *d = display();
    if (!d || !window.testAttribute(Qt::WA_WState_Created))
        return false;
    int screen = 0;
    xcb_connection_t *listener = xcb_connect(DisplayString(d), &screen);
    if (xcb_connection_has_error(listener)) {
        xcb_disconnect(listener);
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(listener));
    for (; it.rem && screen > 0; --screen)
        xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(listener);
        return false;
    }
    new StackingWatch(window, listener, it.data->root, std::move(fn));
    return true;
#else
    (void)window;
    (void)fn;
    return false;
#endif
}

bool x11::watchFocusOut(QWidget &window, std::function<void()> fn)
{
#ifdef HARROWKIT_X11
    if (!display() || !window.testAttribute(Qt::WA_WState_Created))
        return false;
    const auto own = static_cast<xcb_window_t>(window.winId());
    watch(
        &window,
        [own](const xcb_generic_event_t *ev) {
            return (ev->response_type & 0x7F) == XCB_FOCUS_OUT &&
                   reinterpret_cast<const xcb_focus_out_event_t *>(ev)->event == own;
        },
        std::move(fn));
    return true;
#else
    (void)window;
    (void)fn;
    return false;
#endif
}

unsigned long x11::windowManagerWindow()
{
#ifdef HARROWKIT_X11
    if (Display *d = display())
        return detail::windowProperty(d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK");
#endif
    return 0;
}
