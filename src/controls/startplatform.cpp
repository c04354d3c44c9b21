#include "controls/startplatform.h"

#include <QByteArray>
#include <QtGlobal>

#ifdef HARROWKIT_X11
#include <X11/Xlib.h>
#endif

void choosePlatform()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return; // the person's own choice stands
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", QByteArray("xcb"));
#endif
}

bool displayReachable()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
#ifdef HARROWKIT_X11
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        return false;
    XCloseDisplay(d);
#endif
#endif
    return true;
}
