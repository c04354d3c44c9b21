// The keyboard for a top-level window that bypasses the window manager. Nobody else gives such
// a window the keyboard, so it takes it itself when asked, and hands it back once it no longer
// wants it (keys must not go on into a hidden box). How depends on who routes the keys:
// - an X server: the window takes the X focus (and keeps it from a window manager that parks
//   it on a window of its own meanwhile), and gives it back to the window that had it;
// - XWayland under a compositor whose window manager places windows where they ask (KWin,
//   mutter): the compositor hands its keyboard only to windows it manages, so the window is
//   handed to the manager while it has the keyboard (it is fully on screen then, so it stays
//   where it is) and taken back when it gives the keyboard back (so it can lie half off the
//   screen again);
// - XWayland under wlroots (sway), which centres every managed window that does not tile and
//   puts the X focus back whenever a window takes it: the window is mapped afresh as a window
//   that wants the keyboard, which makes the compositor hand its keyboard to XWayland, and
//   grabs the X keyboard; the grab ends when it gives the keyboard back or another window
//   becomes the active one. Otherwise it is mapped as a window that does not want the
//   keyboard, so it never takes it by merely appearing.
#pragma once

class QWidget;

class WindowKeyboard {
public:
    // Before the window is first shown.
    void prepare(QWidget &window);
    // Gives the window the keyboard now, remembering who had it.
    void take(QWidget &window);
    // When the window still has the keyboard, gives it back to the remembered window, if that
    // is still on screen.
    void giveBack(QWidget &window);

private:
    void endGrab();
    void keepFromManager(QWidget &window);

    unsigned long m_previous = 0; // the X window that had the keyboard before; 0: none known
    bool m_grabbed = false;
    bool m_wanted = false;   // asked for the keyboard and not given it back since
    bool m_watching = false; // the focus (X server) or the active window (sway) is watched
};
