// Picks the windowing platform before the application starts: a Wayland client cannot place
// its own window, so where an X display is available (XWayland) the program runs on X11.
#pragma once

void choosePlatform();

// False when no graphical session can be reached: no display named at all, or an X display
// that refuses the connection while no Wayland display is named either. A platform the person
// chose themselves is trusted.
bool displayReachable();
