// Which screen a tab docks on, over the arrangements of screens people have.
#include "controls/screens.h"

#include <gtest/gtest.h>

namespace {
const QSize kTab(413, 80);
constexpr int kStrip = 6;
const QRect kLeft(0, 0, 1280, 800);
const QRect kRight(1280, 0, 1280, 800);
} // namespace

TEST(DockingScreen, OneScreenOrThePrimaryOnTheRightIsKept)
{
    EXPECT_EQ(dockingScreen({kLeft}, 5, kTab, kStrip), kLeft);
    EXPECT_EQ(dockingScreen({kRight, kLeft}, 5, kTab, kStrip), kRight);
    EXPECT_EQ(dockingScreen({}, 5, kTab, kStrip), QRect());
}

TEST(DockingScreen, APrimaryWithANeighbourToItsRightGivesWayToTheNeighbour)
{
    EXPECT_EQ(dockingScreen({kLeft, kRight}, 5, kTab, kStrip), kRight);
    // Three in a row: the outermost one, not the middle one.
    const QRect third(2560, 0, 1920, 1080);
    EXPECT_EQ(dockingScreen({kLeft, kRight, third}, 5, kTab, kStrip), third);
    // The neighbour's origin may lie anywhere, also above and left of the primary's.
    const QRect primary(1920, 300, 1280, 800);
    const QRect leftAbove(0, 0, 1920, 1080);
    EXPECT_EQ(dockingScreen({primary, leftAbove}, 5, kTab, kStrip), primary);
}

TEST(DockingScreen, ScreensOfDifferentHeightsDecideByTheTabsRows)
{
    const QRect tall(0, 0, 1280, 1024);
    const QRect shortRight(1280, 0, 1280, 720);
    // Beside the short neighbour the primary's edge is covered; below it, it is the outer edge.
    EXPECT_EQ(dockingScreen({tall, shortRight}, 100, kTab, kStrip), shortRight);
    EXPECT_EQ(dockingScreen({tall, shortRight}, 900, kTab, kStrip), tall);
    // Touching rows are not covering rows: a tab ending on the neighbour's top edge is free.
    const QRect lowRight(1280, 400, 1280, 800);
    EXPECT_EQ(dockingScreen({tall, lowRight}, 320, kTab, kStrip), tall);
    EXPECT_EQ(dockingScreen({tall, lowRight}, 321, kTab, kStrip), lowRight);
}

TEST(DockingScreen, AnOuterEdgeAtTheTabsHeightWinsOverAFartherOneElsewhere)
{
    // A screen further right but lower down is the desktop's edge at other rows only.
    const QRect farBelow(2560, 800, 1280, 800);
    EXPECT_EQ(dockingScreen({kLeft, kRight, farBelow}, 5, kTab, kStrip), kRight);
}
