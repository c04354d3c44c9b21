#include "controls/qtwindowsystem.h"

#include "controls/x11.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <stdexcept>

void QtEventPump::doEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Wait until the server has carried out what was asked (a move, a repaint), then let it
    // deliver what that caused: sleeping in the event loop, not spinning.
    x11::sync();
    if (m_paceMs > 0) {
        QEventLoop loop;
        QTimer::singleShot(std::chrono::milliseconds(m_paceMs), Qt::PreciseTimer, &loop,
                           &QEventLoop::quit);
        loop.exec(QEventLoop::AllEvents);
    } else {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void QtEventPump::waitEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

QtStayOnTop::QtStayOnTop()
{
    m_stepDown.setSingleShot(true);
    QObject::connect(&m_stepDown, &QTimer::timeout, [this] {
        if (!m_window || m_on)
            return;
        x11::setAbove(*m_window, false);
        // A window the person is working in is not pushed away from under them.
        if (!m_window->isActiveWindow())
            x11::stepBelowActive(*m_window);
        m_settled = m_watchingStack;
    });
}

void QtStayOnTop::stayBelowQuestion()
{
    // A question the program asks stays above its own tab, to be read and answered.
    QWidget *question = QApplication::activeModalWidget();
    if (m_window && m_on && question && question != m_window)
        x11::stepBelow(*m_window, *question);
}

void QtStayOnTop::stepDownSoon(int ms)
{
    m_settled = false;
    m_stepDown.start(ms);
}

bool QtStayOnTop::holds(QWidget &window, bool on)
{
    return m_window == &window && m_on == on && m_settled && !m_stepDown.isActive();
}

void QtStayOnTop::setStayOnTop(QWidget &window, bool on)
{
    if (!window.windowHandle())
        throw std::runtime_error("the window has no native window yet");
    if (x11::available() && window.windowFlags().testFlag(Qt::X11BypassWindowManagerHint)) {
        // No window manager stacks this window: raise it ourselves, and when released step it
        // down below the window the person is using, as a managed window would be.
        m_window = &window;
        if (!m_watching) {
            // Another window coming forward puts a released tab beneath it at once, as a
            // window manager would, instead of at the next watchdog tick.
            m_watching = x11::watchActiveWindow(&window, [this] {
                if (!m_on)
                    stepDownSoon(50);
                else {
                    m_settled = false;
                    stayBelowQuestion(); // a question just came forward
                }
            });
        } else if (!m_watchingStack) {
            // Its own connection to the server is opened at the second call, once start-up
            // has shown the window.
            m_watchingStack = x11::watchStacking(window, [this] { m_settled = false; });
        }
        m_on = on;
        if (on) {
            m_stepDown.stop();
            x11::setAbove(window, true); // for the time a window manager holds it
            x11::raise(window);
            stayBelowQuestion();
            m_settled = m_watchingStack;
        } else if (!m_stepDown.isActive()) {
            stepDownSoon(250);
        }
        return;
    }
    // Changing the flag on the QWindow keeps the native window (QWidget::setWindowFlags would
    // hide and re-create it).
    window.windowHandle()->setFlag(Qt::WindowStaysOnTopHint, on);
}

namespace {
QScreen &primary()
{
    QScreen *s = QGuiApplication::primaryScreen();
    if (!s)
        throw std::runtime_error("no screen");
    return *s;
}

float twipsPerPixel(qreal dpi)
{
    if (dpi <= 0)
        return 15.0f;
    return std::max(1.0f, std::round(static_cast<float>(1440.0 / dpi)));
}
} // namespace

std::vector<ScreenArea> QtScreen::screens()
{
    // Qt keeps the list up to date from the window system's notices: asking costs no round
    // trip to the server.
    const auto area = [](const QScreen &s) {
        return ScreenArea{s.geometry(), s.devicePixelRatio()};
    };
    std::vector<ScreenArea> all{area(primary())};
    for (const QScreen *s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen())
            all.push_back(area(*s));
    return all;
}

float QtScreen::twipsPerPixelX()
{
    return twipsPerPixel(primary().logicalDotsPerInchX());
}

float QtScreen::twipsPerPixelY()
{
    return twipsPerPixel(primary().logicalDotsPerInchY());
}

QPoint QtCursor::pos()
{
    return QCursor::pos();
}
