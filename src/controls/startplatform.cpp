#include "controls/startplatform.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

void choosePlatform()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return; // the person's own choice stands
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", QByteArray("xcb"));
#endif
}

bool displayNamed()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("DISPLAY");
#else
    return true;
#endif
}

void sayNoDisplay()
{
    std::fputs("HarrowKIT needs a graphical session: no display found\n", stderr);
}

namespace {
QtMessageHandler g_before = nullptr;

void endForNoDisplay(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        if (g_before)
            g_before(type, context, message);
        return;
    }
    // Qt's own reason stands above ours; the end is an orderly one, not an abort.
    std::fprintf(stderr, "%s\n", qPrintable(message));
    sayNoDisplay();
    std::_Exit(1);
}
} // namespace

DisplayRefusal::DisplayRefusal()
{
    g_before = qInstallMessageHandler(endForNoDisplay);
}

DisplayRefusal::~DisplayRefusal()
{
    qInstallMessageHandler(g_before);
}
