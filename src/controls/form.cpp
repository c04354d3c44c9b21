#include "controls/form.h"

#include "controls/platform.h"
#include "controls/screens.h"
#include "controls/x11.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QTimer>
#include <cmath>
#include <utility>

float Form::Axis::read(int actualPixel, float tpp) const
{
    if (set && actualPixel == pixel)
        return twips;
    return static_cast<float>(actualPixel) * tpp;
}

int Form::Axis::put(float value, float tpp)
{
    twips = value;
    pixel = static_cast<int>(std::lround(value / tpp));
    set = true;
    return pixel;
}

Form::Form(IScreen &screen) : m_screen(screen), m_seen(screen.screens())
{
    setMouseTracking(true);
    if (!m_seen.empty())
        m_dock = m_seen.front().rect;
}

float Form::ScreenWidth() const
{
    return static_cast<float>(m_dock.width()) * twipsPerPixelX();
}

bool Form::chooseScreen(float top, float strip)
{
    m_seen = m_screen.screens();
    const int index =
        dockingScreen(m_seen, static_cast<int>(std::lround(top / twipsPerPixelY())), size(),
                      static_cast<int>(std::lround(strip / twipsPerPixelX())));
    const QRect chosen = index < 0 ? QRect() : m_seen[static_cast<std::size_t>(index)].rect;
    if (chosen == m_dock)
        return false;
    m_dock = chosen;
    return true;
}

bool Form::screensChanged() const
{
    return m_screen.screens() != m_seen;
}

float Form::twipsPerPixelX() const
{
    return m_screen.twipsPerPixelX();
}

float Form::twipsPerPixelY() const
{
    return m_screen.twipsPerPixelY();
}

float Form::Left() const
{
    return m_left.read(x() - m_dock.x(), twipsPerPixelX());
}

float Form::Top() const
{
    return m_top.read(y() - m_dock.y(), twipsPerPixelY());
}

float Form::Width() const
{
    return m_width.read(width(), twipsPerPixelX());
}

float Form::Height() const
{
    return m_height.read(height(), twipsPerPixelY());
}

void Form::setLeft(float twips)
{
    const int px = m_left.put(twips, twipsPerPixelX());
    move(m_dock.x() + px, y());
}

void Form::setTop(float twips)
{
    const int py = m_top.put(twips, twipsPerPixelY());
    move(x(), m_dock.y() + py);
}

void Form::setWidth(float twips)
{
    resize(std::max(0, m_width.put(twips, twipsPerPixelX())), height());
}

void Form::setHeight(float twips)
{
    resize(width(), std::max(0, m_height.put(twips, twipsPerPixelY())));
}

QWidget *Form::activeControl() const
{
    const auto takes = [this](QWidget *w) {
        return w && w != this && isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(this) &&
               (w->focusPolicy() & Qt::TabFocus);
    };
    if (QWidget *last = focusWidget(); takes(last))
        return last;
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (takes(w))
            return w;
    }
    return nullptr;
}

void Form::SetFocus()
{
    if (QWidget *control = activeControl())
        control->setFocus(Qt::ActiveWindowFocusReason);
    takeKeyboard();
}

void Form::takeKeyboard()
{
    m_keyboard.take(*this);
}

void Form::returnKeyboard()
{
    m_keyboard.giveBack(*this);
}

void Form::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void Form::showEvent(QShowEvent *)
{
    m_keyboard.prepare(*this); // the native window exists, and is not yet mapped
}

void Form::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (!m_picture.isNull())
        p.drawPixmap(0, 0, m_picture);
    if (m_afterFirstPaint && !m_afterFirstPaintQueued) {
        // Queued: the painted picture is handed to the window system first.
        m_afterFirstPaintQueued = true;
        QTimer::singleShot(0, this, [this] { runAfterFirstPaint(); });
    }
}

void Form::whenFirstReached(std::function<void()> fn)
{
    m_whenFirstReached = std::move(fn);
    QCoreApplication::instance()->installEventFilter(this);
}

void Form::afterFirstPaint(std::function<void()> fn)
{
    m_afterFirstPaint = std::move(fn);
    QCoreApplication::instance()->installEventFilter(this);
}

void Form::runAfterFirstPaint()
{
    if (!m_afterFirstPaint)
        return;
    x11::sync(); // the window system has the picture before the work that waited for it
    std::exchange(m_afterFirstPaint, nullptr)();
}

void Form::reached()
{
    QCoreApplication::instance()->removeEventFilter(this);
    runAfterFirstPaint();
    if (m_whenFirstReached)
        std::exchange(m_whenFirstReached, nullptr)();
}

bool Form::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Enter:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::FocusIn:
    case QEvent::Wheel:
        reached();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
