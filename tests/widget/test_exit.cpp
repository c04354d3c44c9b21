// The exit question: every close request but a session end asks; Yes ends at once, No keeps
// the tab exactly as it was; nothing is written on the way out.
#include "fakes.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QtGui/private/qguiapplication_p.h>
#include <gtest/gtest.h>

TEST(Exit, CloseKnobAsksWithTheExactQuestionAndNoKeepsEverything)
{
    FakeDesktop d;
    auto w = d.start();
    const auto writesBefore = d.registry.log.size();
    const QPoint pos = w->pos();
    d.messageBox.answer = 7;
    w->imgClose_Click();
    ASSERT_EQ(d.messageBox.asked.size(), 1u);
    EXPECT_EQ(d.messageBox.asked[0].text,
              QStringLiteral("Are you sure you want to exit HarrowKIT?"));
    EXPECT_EQ(d.messageBox.asked[0].title, QStringLiteral("HarrowKIT"));
    EXPECT_EQ(d.messageBox.asked[0].style, 52);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pos(), pos);
    EXPECT_EQ(d.registry.log.size(), writesBefore);
}

TEST(Exit, YesEndsTheProcessWithoutWritingSettings)
{
    FakeDesktop d;
    auto w = d.start();
    const auto before = d.registry.values;
    d.messageBox.answer = 6;
    EXPECT_THROW(w->imgClose_Click(), ProcessEnded);
    EXPECT_EQ(d.registry.values, before);
}

TEST(Exit, AnUnansweredQuestionLetsTheUnloadGoOn)
{
    FakeDesktop d;
    auto w = d.start();
    d.messageBox.answer = 0;
    EXPECT_THROW(w->imgClose_Click(), ProcessEnded);
}

TEST(Exit, SessionEndAsksNothing)
{
    FakeDesktop d;
    auto w = d.start();
    EXPECT_THROW(w->Unload(2), ProcessEnded);
    EXPECT_TRUE(d.messageBox.asked.empty());
}

TEST(Exit, ASaveRequestGoesOnAndBeingToldToQuitEndsWithoutAQuestion)
{
    FakeDesktop d;
    auto w = d.start();
    // The session manager's save request, raised where Qt raises it, also mid-session.
    QGuiApplicationPrivate::instance()->commitData();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(d.messageBox.asked.empty());
    // Told to quit (the session manager ending the session): no question, the process ends.
    QEvent quit(QEvent::Quit);
    EXPECT_THROW(QCoreApplication::sendEvent(QCoreApplication::instance(), &quit), ProcessEnded);
    EXPECT_TRUE(d.messageBox.asked.empty());
}

TEST(Exit, TheWindowsCloseCommandAsksTheSameQuestion)
{
    FakeDesktop d;
    auto w = d.start();
    d.messageBox.answer = 7;
    EXPECT_FALSE(w->close());
    EXPECT_EQ(d.messageBox.asked.size(), 1u);
    EXPECT_TRUE(w->isVisible());
}

TEST(Exit, TimersKeepTickingWhileTheQuestionIsOpen)
{
    FakeDesktop d;
    auto w = d.start();
    // The retract timer fires while the question waits: the tab slides, the question stays.
    w->extended = -1;
    d.messageBox.whileOpen = [&] { w->TimerRetract_Timer(); };
    d.messageBox.answer = 7;
    w->imgClose_Click();
    EXPECT_EQ(w->extended, 0);
}
