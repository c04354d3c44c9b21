// Picks the windowing platform before the application starts: a Wayland client cannot place
// its own window, so where an X display is available (XWayland) the program runs on X11.
#pragma once

void choosePlatform();
