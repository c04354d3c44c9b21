// Dragging along the edge, links and the search button's pictures on the real window.
#include "fakes.h"

#include <gtest/gtest.h>

TEST(Drag, TheGrabPointStaysUnderTheCursorForEitherGrip)
{
    for (int grip = 0; grip < 2; ++grip) {
        FakeDesktop d;
        auto w = d.start();
        const float left = w->Left();
        if (grip == 0)
            w->Picture1_MouseDown(1, 0, 0, 120);
        else
            w->Image1_MouseDown(1, 0, 0, 120);
        EXPECT_FALSE(w->TimerRetract->Enabled());
        EXPECT_FLOAT_EQ(w->grabY, 615);
        d.cursor.position = QPoint(1200, 400);
        // Once armed by either grip, moves over either grip move the window.
        if (grip == 0)
            w->Image1_MouseMove(1, 0, 0, 0);
        else
            w->Picture1_MouseMove(1, 0, 0, 0);
        EXPECT_FLOAT_EQ(w->Top(), 5385);
        EXPECT_FLOAT_EQ(w->Left(), left);
        w->Form_MouseUp(1, 0, 0, 0);
        EXPECT_EQ(w->dragging, 0);
        EXPECT_EQ(w->poY, 5385);
        EXPECT_EQ(d.registry.values[QStringLiteral("poy")], QStringLiteral("5385"));
        EXPECT_TRUE(w->TimerRetract->Enabled());
    }
}

TEST(Drag, MovesWithoutAPressChangeNothingButTheButtonPicture)
{
    FakeDesktop d;
    auto w = d.start();
    w->picButton_MouseMove(0, 0, 0, 0);
    d.cursor.position = QPoint(0, 400);
    w->Picture1_MouseMove(0, 0, 0, 0);
    EXPECT_FLOAT_EQ(w->Top(), 80);
    EXPECT_EQ(w->buttonMouseOver, 0);
    EXPECT_EQ(w->picButton->Picture().cacheKey(), w->imlButton.Picture(1).cacheKey());
}

TEST(Drag, TheSavedTopIsRoundedHalfToEvenAndMayBeNegative)
{
    FakeDesktop d;
    auto w = d.start();
    w->setTop(1234.5f);
    w->Form_MouseUp(0, 0, 0, 0); // a plain click on the surface saves too
    EXPECT_EQ(d.registry.values[QStringLiteral("poy")], QStringLiteral("1234"));
    w->Image1_MouseDown(1, 0, 0, 120);
    d.cursor.position = QPoint(1200, 0);
    w->Image1_MouseMove(1, 0, 0, 0);
    w->Image1_MouseUp(1, 0, 0, 0);
    EXPECT_EQ(d.registry.values[QStringLiteral("poy")], QStringLiteral("-615"));
}

TEST(Drag, ATopOutsideSixteenBitsSavesThePreviousValueAgain)
{
    FakeDesktop d;
    auto w = d.start();
    w->setTop(40000);
    w->Picture1_MouseUp(0, 0, 0, 0);
    EXPECT_EQ(w->poY, 80);
    EXPECT_EQ(d.registry.values[QStringLiteral("poy")], QStringLiteral("80"));
}

TEST(Links, EachOpensItsPageRetractsAndStopsTheTimer)
{
    FakeDesktop d;
    auto w = d.start();
    const std::pair<void (frmMain::*)(), QString> links[] = {
        {&frmMain::imgGoGoogle_Click, QStringLiteral("engine")},
        {&frmMain::imgHarrowKit_Click, QStringLiteral("/download/index.htm")},
        {&frmMain::imgGoVesko_Click, QStringLiteral("home")}};
    for (const auto &[click, what] : links) {
        w->Form_MouseMove(0, 0, 0, 0);
        ASSERT_EQ(w->extended, -1);
        d.shell.opened.clear();
        (w.get()->*click)();
        ASSERT_EQ(d.shell.opened.size(), 1) << what.toStdString();
        EXPECT_EQ(w->extended, 0);
        EXPECT_FALSE(w->TimerRetract->Enabled());
        EXPECT_EQ(w->x(), 1274);
    }
    EXPECT_TRUE(d.shell.opened[0].endsWith(QStringLiteral("/index.htm")) ||
                d.shell.opened[0].endsWith(QLatin1Char('/')));
}

TEST(Links, APageThatCannotBeOpenedStillRetracts)
{
    FakeDesktop d;
    auto w = d.start();
    w->Form_MouseMove(0, 0, 0, 0);
    d.shell.fail = true;
    w->imgHarrowKit_Click();
    EXPECT_EQ(w->extended, 0);
    EXPECT_FALSE(w->TimerRetract->Enabled());
}

TEST(ButtonPictures, HoverPressReleaseAndReset)
{
    FakeDesktop d;
    auto w = d.start();
    const auto shows = [&](int n) {
        return w->picButton->Picture().cacheKey() == w->imlButton.Picture(n).cacheKey();
    };
    EXPECT_TRUE(shows(1));
    w->picButton_MouseMove(0, 0, 0, 0);
    EXPECT_TRUE(shows(2));
    EXPECT_EQ(w->buttonMouseOver, -1);
    w->picButton_MouseDown(1, 0, 0, 0);
    EXPECT_TRUE(shows(4));
    w->picButton_MouseMove(1, 0, 0, 0); // held and moved: stays pressed
    EXPECT_TRUE(shows(4));
    w->picButton_MouseUp(1, 0, 0, 0);
    EXPECT_TRUE(shows(2));
    w->Text1_MouseMove(0, 0, 0, 0);
    EXPECT_TRUE(shows(1));
    EXPECT_EQ(w->buttonMouseOver, 0);
    // A press without a hover first shows the pressed picture with the flag still clear.
    w->picButton_MouseDown(1, 0, 0, 0);
    EXPECT_TRUE(shows(4));
    EXPECT_EQ(w->buttonMouseOver, 0);
    w->picButton_MouseMove(1, 0, 0, 0);
    EXPECT_TRUE(shows(2));
}
