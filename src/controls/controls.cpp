#include "controls/controls.h"

#include "controls/form.h"

#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {
Int16 buttonState(Qt::MouseButtons b)
{
    Int16 s = 0;
    if (b & Qt::LeftButton)
        s |= 1;
    if (b & Qt::RightButton)
        s |= 2;
    if (b & Qt::MiddleButton)
        s |= 4;
    return s;
}

Int16 shiftState(Qt::KeyboardModifiers m)
{
    Int16 s = 0;
    if (m & Qt::ShiftModifier)
        s |= 1;
    if (m & Qt::ControlModifier)
        s |= 2;
    if (m & Qt::AltModifier)
        s |= 4;
    return s;
}

void raise(const MouseHandler &h, Int16 button, QMouseEvent *e, const MouseEvents &m)
{
    if (h) {
        const float tpp = m.twipsPerPixel;
        const QPointF p = e->position() - QPointF(m.origin);
        h(button, shiftState(e->modifiers()), static_cast<float>(p.x()) * tpp,
          static_cast<float>(p.y()) * tpp);
    }
}
} // namespace

void MouseEvents::press(QWidget &, QMouseEvent *e)
{
    e->accept();
    m_secondPress = false;
    raise(down, buttonState(e->button()), e, *this);
}

void MouseEvents::doubleClick(QWidget &, QMouseEvent *e)
{
    e->accept();
    m_secondPress = true;
}

void MouseEvents::moveTo(QWidget &, QMouseEvent *e)
{
    e->accept();
    raise(move, buttonState(e->buttons()), e, *this);
}

void MouseEvents::release(QWidget &w, QMouseEvent *e)
{
    e->accept();
    const bool secondPress = std::exchange(m_secondPress, false);
    raise(up, buttonState(e->button()), e, *this);
    // A click is a press and a release of the left button over the same control.
    if (click && e->button() == Qt::LeftButton && !secondPress &&
        w.rect().contains(e->position().toPoint()))
        click();
}

PictureBox::PictureBox(QWidget *parent, bool framed)
    : QWidget(parent), m_framed(framed), m_inside(new QWidget(this))
{
    setMouseTracking(true);
    // The inside passes the mouse events no child control takes on to the box itself.
    m_inside->setMouseTracking(true);
    const int f = framed ? 1 : 0;
    events.origin = QPoint(f, f);
    m_inside->setGeometry(f, f, 0, 0);
}

void PictureBox::resizeEvent(QResizeEvent *)
{
    const int f = m_framed ? 1 : 0;
    m_inside->setGeometry(f, f, std::max(0, width() - 2 * f), std::max(0, height() - 2 * f));
}

void PictureBox::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    setAutoSize(AutoSize);
    update();
}

void PictureBox::setAutoSize(bool on)
{
    AutoSize = on;
    if (AutoSize && !m_picture.isNull()) {
        const int f = m_framed ? 2 : 0;
        resize(m_picture.width() + f, m_picture.height() + f);
    }
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const int f = m_framed ? 1 : 0;
    if (m_framed) {
        p.setPen(QColor(128, 128, 128));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    p.setClipRect(rect().adjusted(f, f, -f, -f));
    if (!m_picture.isNull())
        p.drawPixmap(f, f, m_picture);
}

ImageArea::ImageArea(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
}

TextBox::TextBox(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    setMaxLength(255);
    setMouseTracking(true);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (change)
            change();
    });
}

void TextBox::keyPressEvent(QKeyEvent *e)
{
    const QString text = e->text();
    if (keyPress && !text.isEmpty()) {
        Int16 code = static_cast<Int16>(text.at(0).unicode() & 0x7FFF);
        keyPress(code);
        if (code == 0) {
            e->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TextBox::mousePressEvent(QMouseEvent *e)
{
    // No window manager gives a window that bypasses it the keyboard on a click (after a
    // message box closed, the focus stays elsewhere): take it, as a click on a box should.
    if (auto *form = qobject_cast<Form *>(window()))
        form->takeKeyboard();
    else
        window()->activateWindow();
    QLineEdit::mousePressEvent(e);
    events.press(*this, e);
}

void TextBox::mouseDoubleClickEvent(QMouseEvent *e)
{
    QLineEdit::mouseDoubleClickEvent(e); // selects the word
    events.doubleClick(*this, e);
}

void TextBox::mouseMoveEvent(QMouseEvent *e)
{
    QLineEdit::mouseMoveEvent(e);
    events.moveTo(*this, e);
}

void TextBox::mouseReleaseEvent(QMouseEvent *e)
{
    QLineEdit::mouseReleaseEvent(e);
    events.release(*this, e);
}

Timer::Timer(QObject *parent, int intervalMs, bool enabled) : QObject(parent)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (tick)
            tick();
    });
    if (enabled)
        m_timer.start();
}

void Timer::setEnabled(bool on)
{
    if (!on)
        m_timer.stop();
    else if (!m_timer.isActive())
        m_timer.start();
}

QPixmap loadPicture(const QString &file)
{
    QImageReader reader(file, QFileInfo(file).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

void ImageList::add(const QString &file)
{
    m_files.push_back(file);
    m_items.emplace_back();
}

const QPixmap &ImageList::Picture(int n) const
{
    if (n < 1 || n > count())
        throw std::out_of_range("no such image-list item");
    const auto i = static_cast<size_t>(n - 1);
    if (m_items[i].isNull()) {
        if (m_holdsOne)
            std::fill(m_items.begin(), m_items.end(), QPixmap());
        m_items[i] = loadPicture(m_files[i]);
    }
    return m_items[i];
}
