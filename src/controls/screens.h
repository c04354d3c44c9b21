// Which screen of the desktop a tab docked at the right edge belongs on. Platform-free: plain
// rectangles.
#pragma once

#include <QRect>
#include <vector>

// A screen as the program places windows on it: its top-left corner in device pixels, its
// size in the program's pixels, and the device pixels per program pixel (2 on a doubled
// screen). Screens meet one another in device pixels.
struct ScreenArea {
    QRect rect;
    double ratio = 1;
    bool operator==(const ScreenArea &) const = default;
};

// screens: the desktop's screens, the primary one first. top: the tab's top below a screen's
// top edge, tab: its size and strip: how much of it shows when docked, in program pixels.
// The tab docks where its hidden part lies off every screen: on the primary screen when no
// screen lies to its right at the tab's height, otherwise on the screen that forms the
// desktop's right edge there. Returns the index of the screen, -1 for an empty list.
int dockingScreen(const std::vector<ScreenArea> &screens, int top, QSize tab, int strip);
