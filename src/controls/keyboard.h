// The keyboard for a top-level window that bypasses the window manager. Nobody else gives such
// a window the keyboard, so it takes it itself when asked, and hands it back to the window
// that had it once it no longer wants it (keys must not go on into a hidden box).
//
// Where the X server is XWayland, the Wayland compositor decides which X window the keys go
// to, and most hand them only to windows their window manager manages. There the window is
// handed to the window manager while it has the keyboard (it is fully on screen then, so it is
// left where it is) and taken back, to bypass the manager again, when it gives the keyboard
// back (so it can lie half off the screen). wlroots compositors (sway) centre every managed
// window that does not tile, so there the window stays unmanaged.
#pragma once

class QWidget;

class WindowKeyboard {
public:
    // Gives the window the keyboard now, remembering who had it.
    void take(QWidget &window);
    // When the window still has the keyboard, gives it back to the remembered window, if that
    // is still on screen; a window handed to the manager is taken back from it.
    void giveBack(QWidget &window);

private:
    unsigned long m_previous = 0; // the X window that had the keyboard before; 0: none known
};
