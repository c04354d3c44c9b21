// The one-instance rule over a real lock file and local socket.
#include "controls/qtinstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// The count once the first activation arrived, or after 3 s without one.
int activationsSeen(const int &activations)
{
    QElapsedTimer t;
    t.start();
    while (activations == 0 && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return activations;
}
} // namespace

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
    EXPECT_EQ(activationsSeen(activations), 1);
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
    EXPECT_EQ(activationsSeen(activations), 1);

    QtInstanceGuard unguarded(QStringLiteral("HK"), {unusable});
    EXPECT_FALSE(unguarded.prevInstance()) << "without any lock the program runs";
}

TEST(Instance, ALockHeldTheWayQtHoldsItCountsAsARunningInstance)
{
    QTemporaryDir dir;
    QLockFile earlier(dir.path() + QStringLiteral("/HK.lock"));
    ASSERT_TRUE(earlier.tryLock(0));
    QtInstanceGuard guard(QStringLiteral("HK"), {dir.path()});
    EXPECT_TRUE(guard.prevInstance());
}

TEST(Instance, StrayCallersDoNotActivateNorBlockTheNextAndReleaseFreesBoth)
{
    QTemporaryDir dir;
    const QString socketPath = dir.path() + QStringLiteral("/HK.sock");
    auto first = std::make_unique<QtInstanceGuard>(QStringLiteral("HK"), QStringList{dir.path()});
    ASSERT_FALSE(first->prevInstance());
    int activations = 0;
    first->listen([&] { ++activations; });
    const auto settle = [] {
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    };
    for (const QByteArray &said : {QByteArray(), QByteArray("hello\n"), QByteArray(9000, 'x')}) {
        QLocalSocket stray;
        stray.connectToServer(socketPath);
        ASSERT_TRUE(stray.waitForConnected(1000));
        stray.write(said);
        stray.waitForBytesWritten(1000);
        settle();
        stray.disconnectFromServer();
        settle();
    }
    EXPECT_EQ(activations, 0);
    QtInstanceGuard second(QStringLiteral("HK"), {dir.path()});
    ASSERT_TRUE(second.prevInstance());
    second.activate(QStringLiteral("HarrowKIT"));
    EXPECT_EQ(activationsSeen(activations), 1);

    first.reset();
    EXPECT_FALSE(QFile::exists(socketPath));
    QtInstanceGuard third(QStringLiteral("HK"), {dir.path()});
    EXPECT_FALSE(third.prevInstance()) << "the lock went with the first";
}
