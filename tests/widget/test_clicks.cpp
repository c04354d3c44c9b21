// One click is one click: only the left button clicks, and the second press of a double-click
// clicks nothing.
#include "fakes.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {
void send(QWidget *w, QEvent::Type type, Qt::MouseButton button)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void click(QWidget *w, Qt::MouseButton button = Qt::LeftButton)
{
    send(w, QEvent::MouseButtonPress, button);
    send(w, QEvent::MouseButtonRelease, button);
}

void doubleClick(QWidget *w)
{
    click(w);
    send(w, QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(w, QEvent::MouseButtonRelease, Qt::LeftButton);
}
} // namespace

TEST(Clicks, ADoubleClickOnSearchSearchesOnce)
{
    FakeDesktop d;
    auto w = d.start();
    w->Text1->setText(QStringLiteral("once"));
    const auto before = d.browser.navigations.size();
    doubleClick(w->picButton);
    EXPECT_EQ(d.browser.navigations.size(), before + 1);
    EXPECT_EQ(d.transfer.requests.size(), 1);
}

TEST(Clicks, ADoubleClickOnTheSkinKnobMovesOneSkinAndOnALinkOpensItOnce)
{
    FakeDesktop d;
    auto w = d.start();
    doubleClick(w->imgOptions);
    EXPECT_EQ(w->skin, 2);
    doubleClick(w->imgGoGoogle);
    EXPECT_EQ(d.shell.opened.size(), 1);
}

TEST(Clicks, TheRightAndMiddleButtonsClickNothingButStillPressAndRelease)
{
    FakeDesktop d;
    auto w = d.start();
    w->Text1->setText(QStringLiteral("query"));
    for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
        click(w->picButton, b);
        click(w->imgClose, b);
        click(w->imgOptions, b);
    }
    EXPECT_TRUE(d.browser.navigations.size() == 1); // the start-up load only
    EXPECT_TRUE(d.messageBox.asked.empty());
    EXPECT_EQ(w->skin, 1);
    // A grip still takes a drag from any button: its release stores the top.
    d.registry.log.clear();
    click(w->Image1, Qt::RightButton);
    EXPECT_TRUE(d.registry.log.contains(QStringLiteral("write poy=80")));
}
