// The one-instance rule over a real lock file and local socket.
#include "controls/qtinstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLockFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Instance, TheSecondGuardSeesTheFirstAndActivatesIt)
{
    QTemporaryDir dir;
    QtInstanceGuard first(QStringLiteral("HK"), {dir.path()});
    ASSERT_FALSE(first.prevInstance());
    int activations = 0;
    first.listen([&] { ++activations; });
    QtInstanceGuard second(QStringLiteral("HK"), {dir.path()});
    EXPECT_TRUE(second.prevInstance());
    EXPECT_GT(second.findWindow(QStringLiteral("HarrowKit"), QStringLiteral("HarrowKIT")), 0);
    second.activate(QStringLiteral("HarrowKIT"));
    QElapsedTimer t;
    t.start();
    while (activations == 0 && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(activations, 1);
}

TEST(Instance, ALockLeftByADeadProcessDoesNotBlock)
{
    QTemporaryDir dir;
    // A lock file naming a process that does not exist, as a crash leaves it.
    QFile stale(dir.path() + QStringLiteral("/HK.lock"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("999999\nharrowkit\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    QtInstanceGuard guard(QStringLiteral("HK"), {dir.path()});
    EXPECT_FALSE(guard.prevInstance());
}

TEST(Instance, ActivatingWithNothingRunningFailsHarmlessly)
{
    QTemporaryDir dir;
    QtInstanceGuard lone(QStringLiteral("HK"), {dir.path()});
    EXPECT_EQ(lone.findWindow(QStringLiteral("HarrowKit"), QStringLiteral("HarrowKIT")), 0);
    EXPECT_ANY_THROW(lone.activate(QStringLiteral("HarrowKIT")));
}

TEST(Instance, OnlyALiveHolderCountsAFolderThatCannotHoldTheLockIsPassedOver)
{
    QTemporaryDir dir;
    // A folder that cannot be made: its parent is a file (also for a user the mode bits
    // would not stop).
    QFile file(dir.path() + QStringLiteral("/file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString unusable = file.fileName() + QStringLiteral("/runtime");
    const QString fallback = dir.path() + QStringLiteral("/cache");

    QtInstanceGuard first(QStringLiteral("HK"), {unusable, fallback});
    EXPECT_FALSE(first.prevInstance()) << "a failure that is not a live holder lets it run";
    int activations = 0;
    first.listen([&] { ++activations; });
    QtInstanceGuard second(QStringLiteral("HK"), {unusable, fallback});
    EXPECT_TRUE(second.prevInstance()) << "the rule still holds through the fallback";
    EXPECT_NO_THROW(second.activate(QStringLiteral("HarrowKIT")));
    QElapsedTimer t;
    t.start();
    while (activations == 0 && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(activations, 1);

    QtInstanceGuard unguarded(QStringLiteral("HK"), {unusable});
    EXPECT_FALSE(unguarded.prevInstance()) << "without any lock the program runs";
}
