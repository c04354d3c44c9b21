#include "controls/screens.h"

#include <algorithm>
#include <cmath>

namespace {
int device(int pixels, double ratio)
{
    return static_cast<int>(std::lround(pixels * ratio));
}

// The screen in device pixels.
QRect deviceRect(const ScreenArea &s)
{
    return {s.rect.topLeft(),
            QSize(device(s.rect.width(), s.ratio), device(s.rect.height(), s.ratio))};
}

// The part of a tab docked on s that lies beyond s's right edge, in device pixels.
QRect hiddenPart(const ScreenArea &s, int top, QSize tab, int strip)
{
    const QRect r = deviceRect(s);
    return {r.x() + r.width(), r.y() + device(top, s.ratio),
            std::max(1, device(tab.width() - strip, s.ratio)),
            std::max(1, device(tab.height(), s.ratio))};
}

bool offEveryScreen(const QRect &part, const std::vector<ScreenArea> &screens)
{
    return std::none_of(screens.begin(), screens.end(),
                        [&](const ScreenArea &s) { return deviceRect(s).intersects(part); });
}
} // namespace

int dockingScreen(const std::vector<ScreenArea> &screens, int top, QSize tab, int strip)
{
    if (screens.empty())
        return -1;
    const QRect onPrimary = hiddenPart(screens.front(), top, tab, strip);
    if (offEveryScreen(onPrimary, screens))
        return 0;
    // The rows the tab takes on the primary screen: the desktop's right edge at those rows.
    const auto there = [&](const QRect &r) {
        return r.y() < onPrimary.bottom() + 1 && onPrimary.y() < r.y() + r.height();
    };
    int best = -1;
    QRect bestRect;
    for (int i = 0; i < static_cast<int>(screens.size()); ++i) {
        if (!offEveryScreen(hiddenPart(screens[i], top, tab, strip), screens))
            continue;
        const QRect r = deviceRect(screens[i]);
        if (best < 0 || (there(r) && !there(bestRect)) ||
            (there(r) == there(bestRect) && r.x() + r.width() > bestRect.x() + bestRect.width())) {
            best = i;
            bestRect = r;
        }
    }
    // No screen has an outer edge at that height: the primary screen is the rule's default.
    return best < 0 ? 0 : best;
}
