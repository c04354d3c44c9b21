#include "controls/screens.h"

#include <algorithm>

namespace {
// The part of a tab docked on s that lies beyond s's right edge.
QRect hiddenPart(const QRect &s, int top, QSize tab, int strip)
{
    return {s.x() + s.width(), s.y() + top, std::max(1, tab.width() - strip),
            std::max(1, tab.height())};
}

bool offEveryScreen(const QRect &part, const std::vector<QRect> &screens)
{
    return std::none_of(screens.begin(), screens.end(),
                        [&](const QRect &s) { return s.intersects(part); });
}

bool spansRows(const QRect &s, int from, int to)
{
    return s.y() < to && from < s.y() + s.height();
}
} // namespace

QRect dockingScreen(const std::vector<QRect> &screens, int top, QSize tab, int strip)
{
    if (screens.empty())
        return {};
    const QRect &primary = screens.front();
    if (offEveryScreen(hiddenPart(primary, top, tab, strip), screens))
        return primary;
    // The rows the tab takes on the primary screen: the desktop's right edge at those rows.
    const int from = primary.y() + top;
    const int to = from + std::max(1, tab.height());
    const QRect *best = nullptr;
    for (const QRect &s : screens) {
        if (!offEveryScreen(hiddenPart(s, top, tab, strip), screens))
            continue;
        const bool there = spansRows(s, from, to);
        const bool bestThere = best && spansRows(*best, from, to);
        if (!best || (there && !bestThere) ||
            (there == bestThere && s.x() + s.width() > best->x() + best->width()))
            best = &s;
    }
    // No screen has an outer edge at that height: the primary screen is the rule's default.
    return best ? *best : primary;
}
