// Picks the windowing platform before the application starts: a Wayland client cannot place
// its own window, so where an X display is available (XWayland) the program runs on X11.
#pragma once

void choosePlatform();

// False when no display is named at all: neither an X display nor a Wayland one. A platform the
// person chose themselves is trusted.
bool displayNamed();

// Says on standard error that the program needs a graphical session.
void sayNoDisplay();

// While it lives, a failure that would abort the start of the application (an X display that
// refuses the connection) ends the program with status 1 and says why. The display's connection
// is tried once, by the application itself.
class DisplayRefusal {
public:
    DisplayRefusal();
    ~DisplayRefusal();
    DisplayRefusal(const DisplayRefusal &) = delete;
    DisplayRefusal &operator=(const DisplayRefusal &) = delete;
};
