// Skin cycling on the real window: numbers wrap as stored, the outline never changes.
#include "fakes.h"

#include <gtest/gtest.h>

namespace {
std::unique_ptr<frmMain> startWithSkin(FakeDesktop &d, const char *stored)
{
    d.registry.values[QStringLiteral("skn")] = QLatin1String(stored);
    return d.start();
}
} // namespace

TEST(Skins, SeventeenWrapsToOneAndEveryClickIsStored)
{
    FakeDesktop d;
    auto w = startWithSkin(d, "16");
    w->imgOptions_Click();
    EXPECT_EQ(w->skin, 17);
    EXPECT_EQ(d.registry.values[QStringLiteral("skn")], QStringLiteral("17"));
    w->imgOptions_Click();
    EXPECT_EQ(w->skin, 1);
    EXPECT_EQ(d.registry.values[QStringLiteral("skn")], QStringLiteral("1"));
}

TEST(Skins, SeventeenClicksComeBackAndTheShapeStaysTheSame)
{
    FakeDesktop d;
    auto w = startWithSkin(d, "5");
    const QRegion outline = w->mask();
    const QImage first = w->picture().toImage();
    for (int i = 0; i < 17; ++i) {
        w->imgOptions_Click();
        EXPECT_EQ(w->mask(), outline) << "after click " << i + 1;
        EXPECT_FLOAT_EQ(w->Width(), 6195);
        EXPECT_TRUE(w->isVisible());
        if (i < 16) {
            EXPECT_NE(w->picture().toImage(), first);
        }
    }
    EXPECT_EQ(w->skin, 5);
    EXPECT_EQ(w->picture().toImage(), first);
}

TEST(Skins, AnOutOfRangeNumberCountsOnAndIsReset)
{
    FakeDesktop d;
    auto w = startWithSkin(d, "25");
    w->imgOptions_Click();
    EXPECT_EQ(w->skin, 1);
    EXPECT_EQ(d.registry.values[QStringLiteral("skn")], QStringLiteral("1"));
}

TEST(Skins, NegativeNumbersAreStoredWhileTheTabKeepsItsLastPicture)
{
    FakeDesktop d;
    auto w = startWithSkin(d, "-3");
    const QImage shown = w->picture().toImage();
    const QRegion outline = w->mask();
    for (int expected : {-2, -1, 0}) {
        w->imgOptions_Click();
        EXPECT_EQ(w->skin, expected);
        EXPECT_EQ(d.registry.values[QStringLiteral("skn")], QString::number(expected));
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->mask(), outline) << "the tab never loses its shape";
        EXPECT_EQ(w->picture().toImage(), shown);
    }
    w->imgOptions_Click();
    EXPECT_EQ(w->skin, 1);
}

TEST(Skins, The16BitNumberWraps)
{
    FakeDesktop d;
    auto w = startWithSkin(d, "32767");
    w->imgOptions_Click();
    EXPECT_EQ(w->skin, -32768);
    EXPECT_EQ(d.registry.values[QStringLiteral("skn")], QStringLiteral("-32768"));
}

TEST(Skins, TheRetractTimerRestartsAfterTheChangeAndThePositionStays)
{
    FakeDesktop d;
    auto w = d.start();
    const float left = w->Left(), top = w->Top();
    w->imgOptions_Click();
    EXPECT_TRUE(w->TimerRetract->Enabled());
    EXPECT_FLOAT_EQ(w->Left(), left);
    EXPECT_FLOAT_EQ(w->Top(), top);
}
