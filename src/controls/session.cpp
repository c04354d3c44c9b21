#include "controls/session.h"

#include <QGuiApplication>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

void onSessionEnd(QObject *context, std::function<void()> fn)
{
#if QT_CONFIG(sessionmanager)
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, context,
                     [fn](QSessionManager &) { fn(); });
#else
    (void)context;
    (void)fn;
#endif
}
