// The slide toggle with a scripted event pump: step counts, fixed end values, and what nests
// when events arrive in the middle of a slide.
#include "fakes.h"

#include <gtest/gtest.h>

namespace {
void slide(frmMain &w)
{
    w.Form_MouseMove(0, 0, 0, 0);
}
} // namespace

TEST(Slide, TheShippedSkinSlidesOutFlushAndBackIn165StepsEachWay)
{
    FakeDesktop d;
    auto w = d.start();
    slide(*w);
    EXPECT_EQ(d.events.calls, 165);
    EXPECT_FLOAT_EQ(w->Left(), 19200 - 6195);
    EXPECT_EQ(w->x(), 867);
    EXPECT_EQ(w->extended, -1);
    EXPECT_TRUE(w->TimerRetract->Enabled());
    EXPECT_EQ(w->once, 0);
    d.events.calls = 0;
    slide(*w);
    EXPECT_EQ(d.events.calls, 165);
    EXPECT_FLOAT_EQ(w->Left(), 19110);
    EXPECT_EQ(w->x(), 1274);
    EXPECT_EQ(w->extended, 0);
    EXPECT_FALSE(w->TimerRetract->Enabled());
}

TEST(Slide, ANarrowerWindowTakes164OutAnd165Back)
{
    FakeDesktop d;
    auto w = d.start();
    w->setWidth(6165);
    w->setLeft(19200 - 90);
    slide(*w);
    EXPECT_EQ(d.events.calls, 164);
    d.events.calls = 0;
    slide(*w);
    EXPECT_EQ(d.events.calls, 165);
    EXPECT_FLOAT_EQ(19200 - w->Left(), 53);
}

TEST(Slide, AnEndValueBelowTheStartMovesNothingButSwitchesState)
{
    FakeDesktop d;
    auto w = d.start();
    w->setLeft(0); // fully visible already
    slide(*w);
    EXPECT_EQ(d.events.calls, 0);
    EXPECT_EQ(w->extended, -1);
    EXPECT_TRUE(w->TimerRetract->Enabled());
    EXPECT_EQ(w->once, 0);
    w->setWidth(70); // narrower than three steps: 70 / 37 rounds to 2
    slide(*w);
    EXPECT_EQ(d.events.calls, 0);
    EXPECT_EQ(w->extended, 0);
    EXPECT_FALSE(w->TimerRetract->Enabled());
}

TEST(Slide, EndValuesAreFixedBeforeTheFirstStep)
{
    FakeDesktop d;
    auto w = d.start();
    d.events.onCall = [&](int call) {
        if (call == 1) {
            d.screen.twips = 12000;
            w->setWidth(3000);
        }
    };
    slide(*w);
    EXPECT_EQ(d.events.calls, 165);
}

TEST(Slide, MovesDuringASlideOnlyResetTheButtonPicture)
{
    FakeDesktop d;
    auto w = d.start();
    w->picButton_MouseMove(0, 0, 0, 0);
    ASSERT_EQ(w->buttonMouseOver, -1);
    bool resetSeen = false;
    d.events.onCall = [&](int call) {
        if (call == 10) {
            w->buttonMouseOver = -1;
            slide(*w); // the window moved under the pointer
            resetSeen = w->buttonMouseOver == 0;
        }
    };
    slide(*w);
    EXPECT_TRUE(resetSeen);
    EXPECT_EQ(d.events.calls, 165);
    EXPECT_EQ(w->x(), 867);
    EXPECT_EQ(w->once, 0);
}

TEST(Slide, ARetractTickDuringASlideNestsAndTheStepsAddUp)
{
    FakeDesktop d;
    auto w = d.start();
    d.events.onCall = [&](int call) {
        if (call == 50)
            w->TimerRetract_Timer();
    };
    slide(*w);
    // The nested toggle also slides out (extended is still 0): 165 + its own hidden width.
    const float nestedHidden = 6195 - (19200 - (19110 - 50 * 37));
    const int nested = static_cast<int>(std::lround(nestedHidden / 37));
    EXPECT_EQ(d.events.calls, 165 + nested);
    EXPECT_FLOAT_EQ(w->Left(), 19110 - 37.0f * static_cast<float>(165 + nested));
    EXPECT_EQ(w->extended, -1);
    EXPECT_EQ(w->once, 0);
    EXPECT_TRUE(w->TimerRetract->Enabled());
}

TEST(Slide, ALinkClickDuringARetractNestsASecondRetract)
{
    FakeDesktop d;
    auto w = d.start();
    slide(*w);
    d.events.calls = 0;
    d.events.onCall = [&](int call) {
        if (call == 20)
            w->imgGoGoogle_Click();
    };
    slide(*w);
    // Both retracts run their 165 steps from wherever Left is: the tab ends beyond the edge.
    EXPECT_EQ(d.events.calls, 330);
    EXPECT_FLOAT_EQ(w->Left(), 19110 + 165 * 37.0f);
    EXPECT_EQ(d.shell.opened.size(), 1);
    EXPECT_EQ(w->extended, 0);
    EXPECT_FALSE(w->TimerRetract->Enabled());
    // The watchdog brings such a tab back to the edge at its next tick.
    w->Timer1_Timer();
    EXPECT_FLOAT_EQ(w->Left(), 19110);
}

TEST(Slide, ARetractTickWhileDockedSlidesOutAndLeavesTheTimerOff)
{
    FakeDesktop d;
    auto w = d.start();
    w->TimerRetract_Timer();
    EXPECT_EQ(w->extended, -1);
    EXPECT_FALSE(w->TimerRetract->Enabled());
}

TEST(Slide, ChangesAndClicksInTheBoxRestartTheCountdown)
{
    FakeDesktop d;
    auto w = d.start();
    EXPECT_FALSE(w->TimerRetract->Enabled());
    w->Text1->setText(QStringLiteral("a"));
    EXPECT_TRUE(w->TimerRetract->Enabled());
    w->TimerRetract->setEnabled(false);
    w->Text1_Click();
    EXPECT_TRUE(w->TimerRetract->Enabled());
}

TEST(Slide, TheEntryCounterWrapsInsteadOfFailing)
{
    FakeDesktop d;
    auto w = d.start();
    w->once = 32767;
    slide(*w);
    // -32768 is not above 1: the toggle runs and clears the count.
    EXPECT_EQ(d.events.calls, 165);
    EXPECT_EQ(w->once, 0);
}

TEST(Slide, ASlideOutHandsTheKeyboardToTheBoxOrToTheControlThatHadItLast)
{
    FakeDesktop d;
    auto w = d.start();
    slide(*w);
    EXPECT_EQ(w->focusWidget(), w->Text1);
    slide(*w);
    w->picButton->setFocus();
    slide(*w);
    EXPECT_EQ(w->focusWidget(), w->picButton);
}
