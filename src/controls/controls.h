// The toolkit the window is written in: picture boxes, windowless image areas, a one-line text
// box, timers and image lists, each raising its events through plain callbacks. Mouse positions
// reach the handlers in twips, relative to the control that raised the event.
#pragma once

#include "controls/int16.h"

#include <QLineEdit>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

// Mouse-event arguments: button state, shift state, pointer X and Y in twips.
using MouseHandler = std::function<void(Int16 button, Int16 shift, float x, float y)>;
using ClickHandler = std::function<void()>;

// The mouse events every control raises. A press grabs the mouse, so moves and the release
// after a press reach the control that was pressed, also outside it. Every button raises down
// and up; only the left button clicks. The second press of a double-click raises no down and
// its release no click: a double-click is one click (no control handles the double-click).
struct MouseEvents {
    MouseHandler down, move, up;
    ClickHandler click;
    float twipsPerPixel = 15.0f;
    QPoint origin; // where the control's inside begins, in its own pixels

    void press(QWidget &w, QMouseEvent *e);
    void doubleClick(QWidget &w, QMouseEvent *e);
    void moveTo(QWidget &w, QMouseEvent *e);
    void release(QWidget &w, QMouseEvent *e);

private:
    bool m_secondPress = false; // the button held is the second press of a double-click
};

// A picture box: shows its picture from the top-left of its inside, clipped; optionally a flat
// one-pixel frame around the inside.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent, bool framed = false);

    QPixmap Picture() const { return m_picture; }
    void setPicture(const QPixmap &picture); // an empty pixmap clears the box
    bool AutoSize = false;                   // the box takes its picture's size
    void setAutoSize(bool on);
    bool AutoRedraw = false;
    QWidget *inside() { return m_inside; } // container for child controls
    MouseEvents events;

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mousePressEvent(QMouseEvent *e) override { events.press(*this, e); }
    void mouseDoubleClickEvent(QMouseEvent *e) override { events.doubleClick(*this, e); }
    void mouseMoveEvent(QMouseEvent *e) override { events.moveTo(*this, e); }
    void mouseReleaseEvent(QMouseEvent *e) override { events.release(*this, e); }

private:
    bool m_framed;
    QPixmap m_picture;
    QWidget *m_inside;
};

// A windowless image area: draws nothing, takes clicks and moves, may carry a tooltip and a
// mouse pointer of its own.
class ImageArea : public QWidget {
    Q_OBJECT
public:
    explicit ImageArea(QWidget *parent);
    MouseEvents events;

protected:
    void mousePressEvent(QMouseEvent *e) override { events.press(*this, e); }
    void mouseDoubleClickEvent(QMouseEvent *e) override { events.doubleClick(*this, e); }
    void mouseMoveEvent(QMouseEvent *e) override { events.moveTo(*this, e); }
    void mouseReleaseEvent(QMouseEvent *e) override { events.release(*this, e); }
};

// A one-line text box without a frame.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent);
    MouseEvents events;
    ClickHandler change;
    // Raised for every key that produces a character, before the box sees it; setting the code
    // to 0 cancels the key.
    std::function<void(Int16 &keyAscii)> keyPress;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
};

// A timer with an interval and an Enabled switch; switching it off and on again starts a
// fresh countdown of the full interval.
class Timer : public QObject {
    Q_OBJECT
public:
    Timer(QObject *parent, int intervalMs, bool enabled);
    bool Enabled() const { return m_timer.isActive(); }
    void setEnabled(bool on);
    int Interval() const { return m_timer.interval(); }
    ClickHandler tick;

private:
    QTimer m_timer;
};

// Decodes one of the program's own pictures (BMP or PNG, told by the name's ending) with the
// toolkit's built-in decoders. Letting the toolkit guess would load every image plugin
// installed to ask each whether it reads the file. A null picture when the file cannot be read.
QPixmap loadPicture(const QString &file);

// An image list; items are numbered from 1. Each item is decoded from its file when it is
// first asked for; a list that holds one keeps only the item asked for last, so pictures shown
// one at a time cost the memory of one.
class ImageList {
public:
    explicit ImageList(bool holdsOne = false) : m_holdsOne(holdsOne) {}
    void add(const QString &file);
    int count() const { return static_cast<int>(m_files.size()); }
    const QPixmap &Picture(int n) const; // throws std::out_of_range outside 1..count
private:
    std::vector<QString> m_files;
    mutable std::vector<QPixmap> m_items;
    bool m_holdsOne;
};
