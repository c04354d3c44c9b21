// Start-up against scripted settings: first start, bad stored values, a missing store and a
// refused second instance.
#include "fakes.h"

#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {
QString stored(FakeDesktop &d, const char *name)
{
    auto it = d.registry.values.find(QLatin1String(name));
    return it == d.registry.values.end() ? QStringLiteral("<none>") : it->second;
}
} // namespace

TEST(Startup, FirstStartWritesEveryDefaultAndDocksTheTab)
{
    FakeDesktop d;
    auto w = d.start();
    EXPECT_EQ(stored(d, "skn"), QStringLiteral("1"));
    EXPECT_EQ(stored(d, "poy"), QStringLiteral("80"));
    EXPECT_EQ(stored(d, "upd"), QStringLiteral("1"));
    EXPECT_EQ(stored(d, "ont"), QStringLiteral("1"));
    EXPECT_EQ(w->skin, 1);
    EXPECT_EQ(w->poY, 80);
    EXPECT_EQ(w->upD, 1);
    EXPECT_EQ(w->onTopToggle, 1);
    EXPECT_EQ(w->startup, 0);
    EXPECT_EQ(w->extended, 0);
    EXPECT_EQ(w->once, 0);
    EXPECT_FLOAT_EQ(w->Left(), 19200 - 90);
    EXPECT_EQ(w->x(), 1274);
    EXPECT_FLOAT_EQ(w->Top(), 80);
    EXPECT_FLOAT_EQ(w->Width(), 6195);
    EXPECT_FLOAT_EQ(w->Height(), 1200);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->imgOnTop->toolTip(), QStringLiteral(" Stay On Top Mode: ON "));
    ASSERT_FALSE(d.stayOnTop.sets.empty());
    EXPECT_TRUE(d.stayOnTop.sets.back());
    ASSERT_EQ(d.browser.navigations.size(), 1);
    EXPECT_TRUE(d.browser.navigations[0].endsWith(QStringLiteral("/search.htm")));
    EXPECT_FALSE(w->TimerRetract->Enabled());
    EXPECT_TRUE(w->Timer1->Enabled());
    EXPECT_TRUE(d.messageBox.asked.empty());
}

TEST(Startup, StoredValuesAreAppliedUnchangedAndUpdateIsForcedOn)
{
    FakeDesktop d;
    d.registry.values = {{QStringLiteral("skn"), QStringLiteral("3")},
                         {QStringLiteral("poy"), QStringLiteral("-300")},
                         {QStringLiteral("upd"), QStringLiteral("0")},
                         {QStringLiteral("ont"), QStringLiteral("0")}};
    auto w = d.start();
    EXPECT_EQ(w->skin, 3);
    EXPECT_FLOAT_EQ(w->Top(), -300);
    EXPECT_EQ(w->y(), -20);
    EXPECT_EQ(stored(d, "upd"), QStringLiteral("1"));
    EXPECT_EQ(w->imgOnTop->toolTip(), QStringLiteral(" Stay On Top Mode: OFF "));
    EXPECT_FALSE(d.stayOnTop.sets.back());
    EXPECT_EQ(w->picButton->Picture().cacheKey(), w->imlButton.Picture(1).cacheKey());
}

TEST(Startup, OnTopOtherThanOneStartsOff)
{
    FakeDesktop d;
    d.registry.values[QStringLiteral("ont")] = QStringLiteral("2");
    auto w = d.start();
    EXPECT_EQ(w->onTopToggle, 2);
    EXPECT_EQ(w->imgOnTop->toolTip(), QStringLiteral(" Stay On Top Mode: OFF "));
    EXPECT_FALSE(d.stayOnTop.sets.back());
}

TEST(Startup, LettersInPoyAfterAGoodSkinKeepTopZeroAndTheStoredText)
{
    FakeDesktop d;
    d.registry.values = {{QStringLiteral("skn"), QStringLiteral("2")},
                         {QStringLiteral("poy"), QStringLiteral("abc")}};
    auto w = d.start();
    EXPECT_EQ(w->poY, 0);
    EXPECT_FLOAT_EQ(w->Top(), 0);
    EXPECT_EQ(stored(d, "poy"), QStringLiteral("abc"));
}

TEST(Startup, SkinAbove32767IsReplacedByTheDefault)
{
    FakeDesktop d;
    d.registry.values[QStringLiteral("skn")] = QStringLiteral("40000");
    auto w = d.start();
    EXPECT_EQ(w->skin, 1);
    EXPECT_EQ(stored(d, "skn"), QStringLiteral("1"));
}

TEST(Startup, AnInvalidSkinNumberStillShowsAShapedTabAndIsKept)
{
    for (const char *value : {"25", "0", "-3"}) {
        FakeDesktop d;
        d.registry.values[QStringLiteral("skn")] = QLatin1String(value);
        auto w = d.start();
        EXPECT_EQ(w->skin, QString::fromLatin1(value).toInt()) << value;
        EXPECT_EQ(stored(d, "skn"), QLatin1String(value));
        EXPECT_FLOAT_EQ(w->Width(), 6195) << value;
        EXPECT_EQ(w->mask().boundingRect(), QRect(1, 1, 411, 78)) << value;
        EXPECT_TRUE(w->isVisible());
    }
}

TEST(Startup, WithoutAWorkingStoreItRunsOnDefaults)
{
    FakeDesktop d;
    d.registry.broken = true;
    auto w = d.start();
    EXPECT_EQ(w->skin, 1);
    EXPECT_EQ(w->poY, 80);
    EXPECT_EQ(w->upD, 1);
    EXPECT_EQ(w->onTopToggle, 1);
    EXPECT_EQ(w->regAccess, 0);
    EXPECT_TRUE(d.registry.values.empty());
    EXPECT_TRUE(w->isVisible());
}

TEST(Startup, ASecondInstanceActivatesTheFirstAsksAndEndsWhateverTheAnswer)
{
    for (int answer : {6, 7}) {
        FakeDesktop d;
        d.instance.previous = true;
        d.messageBox.answer = answer;
        frmMain w(d.platform);
        EXPECT_THROW(w.Form_Load(), ProcessEnded);
        EXPECT_EQ(d.instance.activated, QStringList{QStringLiteral("HarrowKIT")});
        EXPECT_EQ(w.AppTitle, QStringLiteral("#$#"));
        ASSERT_EQ(d.messageBox.asked.size(), 1u);
        EXPECT_EQ(d.messageBox.asked[0].text,
                  QStringLiteral("Are you sure you want to exit HarrowKIT?"));
        EXPECT_TRUE(d.registry.log.isEmpty()) << "a refused instance touches no settings";
        EXPECT_FALSE(w.isVisible());
    }
}

TEST(Startup, AnActivationRequestRaisesTheRunningTab)
{
    FakeDesktop d;
    auto w = d.start();
    ASSERT_TRUE(d.instance.listener);
    const size_t before = d.stayOnTop.sets.size();
    d.instance.listener();
    ASSERT_GT(d.stayOnTop.sets.size(), before);
    EXPECT_TRUE(d.stayOnTop.sets.back());
}

TEST(Startup, ThePartsBeyondTheStripAreMadeWhenAPersonFirstComes)
{
    FakeDesktop d;
    frmMain w(d.platform);
    w.Form_Load();
    EXPECT_EQ(w.Text1, nullptr) << "a tab left docked makes nothing beyond the strip";
    w.picButton_Click(); // a search with no box made searches for nothing
    EXPECT_EQ(d.browser.navigations.size(), 1) << "only start-up's load of the search page";

    QMouseEvent move(QEvent::MouseMove, QPointF(3, 40), QPointF(3, 40), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &move);
    ASSERT_NE(w.Text1, nullptr);
    EXPECT_TRUE(w.Text1->isVisibleTo(&w));
    EXPECT_EQ(w.Text1->accessibleName(), QStringLiteral("Search the web"));
    EXPECT_FALSE(w.Picture1->Picture().isNull());
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_EQ(w.focusWidget(), w.Text1) << "the box is first in the tab order";
}
