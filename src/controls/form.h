// A top-level window without frame whose geometry is read and written in twips. The exact
// twips position is kept as long as the real window is where it was put, so repeated small
// steps do not drift through pixel rounding.
#pragma once

#include "controls/keyboard.h"
#include "controls/screens.h"

#include <QPixmap>
#include <QWidget>
#include <functional>
#include <vector>

class IScreen;

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(IScreen &screen);

    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);

    // The width in twips of the screen the window docks on. Left and Top are measured from that
    // screen's top-left corner.
    float ScreenWidth() const;
    QPoint screenOrigin() const { return m_dock.topLeft(); }
    // Chooses the screen to dock on for the window at top (twips) with strip twips showing.
    // Left and Top keep their values and now count from the chosen screen, so the caller
    // places the window anew. True when the screen changed.
    bool chooseScreen(float top, float strip);
    // The desktop's screens differ from those the last choice was made among.
    bool screensChanged() const;

    // The window's background picture, drawn from its top-left corner.
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return m_picture; }

    // Focusing the window hands the keyboard to its active control: the one that had the focus
    // last, else the first in the tab order that takes it.
    void SetFocus();
    // The window system's keyboard for the window, and giving it back to whoever had it before.
    void takeKeyboard();
    void returnKeyboard();

    float twipsPerPixelX() const;
    float twipsPerPixelY() const;

    // Runs fn once, when a person first reaches the program: the pointer enters a window of
    // it or presses, a key or the focus comes to it. What a tab left docked never shows is
    // made then, so a tab nobody touches does not pay for it.
    void whenFirstReached(std::function<void()> fn);
    // Runs fn once the window's first paint has gone to the window system, or at once when a
    // person first reaches the program before that.
    void afterFirstPaint(std::function<void()> fn);

protected:
    void paintEvent(QPaintEvent *) override;
    void showEvent(QShowEvent *) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *activeControl() const;
    void reached();
    void runAfterFirstPaint();

    // One axis: the twips value last set and the pixel it was put at.
    struct Axis {
        float twips = 0;
        int pixel = 0;
        bool set = false;
        float read(int actualPixel, float tpp) const;
        int put(float value, float tpp);
    };
    IScreen &m_screen;
    QRect m_dock;                   // the screen docked on, in pixels
    std::vector<ScreenArea> m_seen; // the screens the choice was made among
    Axis m_left, m_top, m_width, m_height;
    QPixmap m_picture;
    WindowKeyboard m_keyboard;
    std::function<void()> m_whenFirstReached;
    std::function<void()> m_afterFirstPaint;
    bool m_afterFirstPaintQueued = false;
};
