// Which screen a tab docks on, over the arrangements of screens people have.
#include "controls/screens.h"

#include <gtest/gtest.h>

namespace {
const QSize kTab(413, 80);
constexpr int kStrip = 6;
const QRect kLeft(0, 0, 1280, 800);
const QRect kRight(1280, 0, 1280, 800);

// The chosen screen's rectangle, for screens at ratio 1.
QRect dock(const std::vector<QRect> &rects, int top)
{
    std::vector<ScreenArea> screens;
    for (const QRect &r : rects)
        screens.push_back({r});
    const int i = dockingScreen(screens, top, kTab, kStrip);
    return i < 0 ? QRect() : rects[static_cast<std::size_t>(i)];
}
} // namespace

TEST(DockingScreen, OneScreenOrThePrimaryOnTheRightIsKept)
{
    EXPECT_EQ(dock({kLeft}, 5), kLeft);
    EXPECT_EQ(dock({kRight, kLeft}, 5), kRight);
    EXPECT_EQ(dock({}, 5), QRect());
}

TEST(DockingScreen, APrimaryWithANeighbourToItsRightGivesWayToTheNeighbour)
{
    EXPECT_EQ(dock({kLeft, kRight}, 5), kRight);
    // Three in a row: the outermost one, not the middle one.
    const QRect third(2560, 0, 1920, 1080);
    EXPECT_EQ(dock({kLeft, kRight, third}, 5), third);
    // The neighbour's origin may lie anywhere, also above and left of the primary's.
    const QRect primary(1920, 300, 1280, 800);
    const QRect leftAbove(0, 0, 1920, 1080);
    EXPECT_EQ(dock({primary, leftAbove}, 5), primary);
}

TEST(DockingScreen, ScreensOfDifferentHeightsDecideByTheTabsRows)
{
    const QRect tall(0, 0, 1280, 1024);
    const QRect shortRight(1280, 0, 1280, 720);
    // Beside the short neighbour the primary's edge is covered; below it, it is the outer edge.
    EXPECT_EQ(dock({tall, shortRight}, 100), shortRight);
    EXPECT_EQ(dock({tall, shortRight}, 900), tall);
    // Touching rows are not covering rows: a tab ending on the neighbour's top edge is free.
    const QRect lowRight(1280, 400, 1280, 800);
    EXPECT_EQ(dock({tall, lowRight}, 320), tall);
    EXPECT_EQ(dock({tall, lowRight}, 321), lowRight);
}

TEST(DockingScreen, AnOuterEdgeAtTheTabsHeightWinsOverAFartherOneElsewhere)
{
    // A screen further right but lower down is the desktop's edge at other rows only.
    const QRect farBelow(2560, 800, 1280, 800);
    EXPECT_EQ(dock({kLeft, kRight, farBelow}, 5), kRight);
}

TEST(DockingScreen, DoubledScreensMeetInDevicePixels)
{
    // Two 2560-pixel screens at ratio 2: 1280 program pixels wide each, the right one starting
    // at device pixel 2560. The left one's edge is covered.
    const std::vector<ScreenArea> doubled{{QRect(0, 0, 1280, 800), 2},
                                          {QRect(2560, 0, 1280, 800), 2}};
    EXPECT_EQ(dockingScreen(doubled, 5, kTab, kStrip), 1);
    EXPECT_EQ(dockingScreen({doubled.front()}, 5, kTab, kStrip), 0);
}
