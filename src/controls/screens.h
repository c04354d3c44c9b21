// Which screen of the desktop a tab docked at the right edge belongs on. Platform-free: plain
// rectangles in the window system's pixels.
#pragma once

#include <QRect>
#include <vector>

// screens: the desktop's screens, the primary one first. top: the tab's top below a screen's
// top edge; tab: the tab's size; strip: how much of it shows when docked.
// The tab docks where its hidden part lies off every screen: on the primary screen when no
// screen lies to its right at the tab's height, otherwise on the screen that forms the
// desktop's right edge there. An empty list gives an empty rectangle.
QRect dockingScreen(const std::vector<QRect> &screens, int top, QSize tab, int strip);
