#include "controls/session.h"

#include <QCoreApplication>
#include <QEvent>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {
// Sees the application being told to quit, before Qt asks its windows to close (which would
// ask the person the exit question).
class QuitFilter : public QObject {
public:
    QuitFilter(QObject *context, std::function<void()> fn) : QObject(context), m_fn(std::move(fn))
    {
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
            m_fn();
            return true;
        }
        return false;
    }

private:
    std::function<void()> m_fn;
};

#ifdef Q_OS_UNIX
int g_signalPipe[2] = {-1, -1};

extern "C" void onEndSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here: the event loop picks the byte up.
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

void watchEndSignals(QObject *context, const std::function<void()> &fn)
{
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [fn] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
        fn();
    });
    struct sigaction action = {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}
#endif
} // namespace

void onSessionEnd(QObject *context, std::function<void()> fn)
{
#ifdef Q_OS_UNIX
    watchEndSignals(context, fn);
#endif
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(new QuitFilter(context, std::move(fn)));
}
