// The watchdog tick and the stay-on-top knob.
#include "fakes.h"

#include <gtest/gtest.h>

TEST(Watchdog, OnPulsesOffThenOnWithEventsBetween)
{
    FakeDesktop d;
    auto w = d.start();
    d.stayOnTop.sets.clear();
    int pumpsAtOff = -1;
    d.events.onCall = [&](int) { pumpsAtOff = static_cast<int>(d.stayOnTop.sets.size()); };
    w->Timer1_Timer();
    EXPECT_EQ(d.stayOnTop.sets, (std::vector<bool>{false, true}));
    EXPECT_EQ(pumpsAtOff, 1) << "events are processed between off and on";
    EXPECT_EQ(w->imgOnTop->toolTip(), QStringLiteral(" Stay On Top Mode: ON "));
}

TEST(Watchdog, AStateKnownToHoldIsNotAppliedAgainAChangedChoiceIs)
{
    FakeDesktop d;
    auto w = d.start();
    d.stayOnTop.holding = true;
    const auto sets = d.stayOnTop.sets;
    const int pumps = d.events.calls;
    w->Timer1_Timer();
    EXPECT_EQ(d.stayOnTop.sets, sets) << "no pulse";
    EXPECT_EQ(d.events.calls, pumps) << "no event pump";
    w->imgOnTop_Click();
    w->Timer1_Timer();
    w->Timer1_Timer();
    EXPECT_EQ(d.stayOnTop.sets.size(), sets.size() + 1);
    EXPECT_FALSE(d.stayOnTop.sets.back());
    EXPECT_EQ(w->imgOnTop->toolTip(), QStringLiteral(" Stay On Top Mode: OFF "));
}

TEST(Watchdog, KnobFlipsAndStoresAtOnceTheTickAppliesIt)
{
    FakeDesktop d;
    auto w = d.start();
    d.stayOnTop.sets.clear();
    w->imgOnTop_Click();
    EXPECT_EQ(w->onTopToggle, 0);
    EXPECT_EQ(d.registry.values[QStringLiteral("ont")], QStringLiteral("0"));
    EXPECT_TRUE(d.stayOnTop.sets.empty()) << "the click itself changes no window state";
    EXPECT_EQ(w->imgOnTop->toolTip(), QStringLiteral(" Stay On Top Mode: ON "));
    w->Timer1_Timer();
    EXPECT_EQ(d.stayOnTop.sets, std::vector<bool>{false});
    EXPECT_EQ(w->imgOnTop->toolTip(), QStringLiteral(" Stay On Top Mode: OFF "));
    w->imgOnTop_Click();
    EXPECT_EQ(d.registry.values[QStringLiteral("ont")], QStringLiteral("1"));
}

TEST(Watchdog, AnyNonZeroValueIsOnButTheKnobOnlyFlipsZeroAndOne)
{
    FakeDesktop d;
    d.registry.values[QStringLiteral("ont")] = QStringLiteral("2");
    auto w = d.start();
    d.stayOnTop.sets.clear();
    w->Timer1_Timer();
    EXPECT_EQ(d.stayOnTop.sets.back(), true);
    EXPECT_EQ(w->imgOnTop->toolTip(), QStringLiteral(" Stay On Top Mode: ON "));
    const auto log = d.registry.log.size();
    w->imgOnTop_Click();
    EXPECT_EQ(w->onTopToggle, 2);
    EXPECT_EQ(d.registry.log.size(), log) << "nothing is written";
}

TEST(Watchdog, ReDocksOnlyWhenTheLeftEdgeIsBeyondTheScreen)
{
    FakeDesktop d;
    auto w = d.start();
    d.registry.values[QStringLiteral("poy")] = QStringLiteral("1500");
    w->setLeft(19200); // exactly on the edge: left alone
    w->Timer1_Timer();
    EXPECT_FLOAT_EQ(w->Left(), 19200);
    EXPECT_FLOAT_EQ(w->Top(), 80);
    d.screen.twips = 12000; // a smaller screen
    w->Timer1_Timer();
    EXPECT_FLOAT_EQ(w->Left(), 11910);
    EXPECT_FLOAT_EQ(w->Top(), 1500);
    EXPECT_EQ(w->extended, 0);
}

TEST(Watchdog, AFailingStayOnTopStillSetsTheTooltip)
{
    FakeDesktop d;
    auto w = d.start();
    d.stayOnTop.fail = true;
    w->onTopToggle = 0;
    w->Timer1_Timer();
    EXPECT_EQ(w->imgOnTop->toolTip(), QStringLiteral(" Stay On Top Mode: OFF "));
}

TEST(Watchdog, AFailedKnobWriteKeepsTheChoiceInMemory)
{
    FakeDesktop d;
    auto w = d.start();
    d.registry.failWrites = true;
    w->imgOnTop_Click();
    EXPECT_EQ(w->onTopToggle, 0);
    EXPECT_EQ(d.registry.values[QStringLiteral("ont")], QStringLiteral("1"));
}

TEST(Watchdog, FollowsScreensArrivingAndLeavingWithoutWritingOrMovingAnOpenTab)
{
    FakeDesktop d;
    const QRect primary(0, 0, 1280, 800);
    d.screen.rects = {{primary}};
    d.registry.values[QStringLiteral("poy")] = QStringLiteral("1500");
    auto w = d.start();
    EXPECT_EQ(w->pos(), QPoint(1274, 100));
    const auto writes = [&] { return d.registry.log.filter(QStringLiteral("write")).size(); };
    const auto before = writes();

    d.screen.rects = {{primary}, {QRect(1280, 0, 1024, 768)}}; // a screen plugged in on the right
    w->Timer1_Timer();
    EXPECT_EQ(w->pos(), QPoint(1280 + 1018, 100));
    EXPECT_FLOAT_EQ(w->Left(), 15270) << "measured from the docking screen";

    w->extended = -1; // slid out: stays where it is while the screen goes away
    d.screen.rects = {{primary}};
    w->Timer1_Timer();
    EXPECT_EQ(w->pos(), QPoint(1280 + 1018, 100));
    w->extended = 0; // back in: the next tick docks it on the screen that is left
    w->Timer1_Timer();
    EXPECT_EQ(w->pos(), QPoint(1274, 100));
    EXPECT_EQ(writes(), before) << "a change of screens writes nothing";
}
