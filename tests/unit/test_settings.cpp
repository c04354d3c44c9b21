// The settings contract over the real INI file: missing values, texts that are no 16-bit
// number, failed writes, and files edited or damaged by hand.
#include "controls/qtregistry.h"
#include "settings/modRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct Store {
    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/HarrowKIT/HarrowKIT.conf");
    std::unique_ptr<QtRegistryComponent> component = std::make_unique<QtRegistryComponent>(path);
    Store() { modRegistry::setComponent(component.get()); }
    ~Store() { modRegistry::setComponent(nullptr); }

    Int16 read(const char *name, Int16 &v)
    {
        std::int32_t root = HKEY_CURRENT_USER;
        QString key = QStringLiteral("Software\\HarrowKIT"), n = QLatin1String(name);
        return regRead(root, key, n, v);
    }
    Int16 write(const char *name, Int16 &v)
    {
        std::int32_t root = HKEY_CURRENT_USER;
        QString key = QStringLiteral("Software\\HarrowKIT"), n = QLatin1String(name);
        return regWrite(root, key, n, v);
    }
    void putFile(const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    QByteArray file() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
} // namespace

TEST(Settings, AMissingValueGivesZeroAndLeavesTheVariable)
{
    Store s;
    Int16 v = 42;
    EXPECT_EQ(s.read("poy", v), 0);
    EXPECT_EQ(v, 42);
}

TEST(Settings, WritesReachTheFileAsPlainKeysAndReadBack)
{
    Store s;
    Int16 v = -1;
    EXPECT_NE(s.write("poy", v), 0);
    // A file its owner keeps private stays private when a value changes.
    ASSERT_TRUE(QFile::setPermissions(s.path, QFile::ReadOwner | QFile::WriteOwner));
    Int16 w = 80;
    EXPECT_NE(s.write("skn", w), 0);
    EXPECT_FALSE(QFile::permissions(s.path) & (QFile::ReadGroup | QFile::ReadOther));
    EXPECT_TRUE(s.file().contains("[General]"));
    EXPECT_TRUE(s.file().contains("poy=-1"));
    EXPECT_TRUE(s.file().contains("skn=80"));
    // Another process (a later start) reads the same values.
    QtRegistryComponent other(s.path);
    modRegistry::setComponent(&other);
    Int16 r = 0;
    EXPECT_NE(s.read("poy", r), 0);
    EXPECT_EQ(r, -1);
}

TEST(Settings, TextThatIsNoSixteenBitNumberFailsAndKeepsTheVariable)
{
    Store s;
    s.putFile("[General]\nskn=abc\npoy=40000\nupd=\nont=1.5\n");
    for (const char *name : {"skn", "poy", "upd", "ont"}) {
        Int16 v = 7;
        EXPECT_ANY_THROW(s.read(name, v)) << name;
        EXPECT_EQ(v, 7) << name;
    }
}

TEST(Settings, HandEditsAreSeenByTheNextRead)
{
    Store s;
    Int16 v = 1;
    s.write("upd", v);
    s.putFile("[General]\nskn=3\nupd=0\n");
    Int16 r = 9;
    EXPECT_NE(s.read("upd", r), 0);
    EXPECT_EQ(r, 0);
}

TEST(Settings, AValueAlreadyStoredLeavesTheFileAloneAndAChangedOneReachesIt)
{
    Store s;
    const QByteArray byHand("[General]\nupd = 1\nskn = 3\n");
    s.putFile(byHand);
    Int16 same = 1;
    EXPECT_NE(s.write("upd", same), 0);
    EXPECT_EQ(s.file(), byHand); // not rewritten
    Int16 changed = 0;
    EXPECT_NE(s.write("upd", changed), 0);
    EXPECT_TRUE(s.file().contains("upd=0"));
    Int16 skin = 0;
    EXPECT_NE(s.read("skn", skin), 0);
    EXPECT_EQ(skin, 3);
}

TEST(Settings, AFailedWriteIsAnError)
{
    Store s;
    // The folder for the file is a file: nothing can be written there.
    QFile blocker(QFileInfo(s.path).path());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Int16 v = 1;
    EXPECT_ANY_THROW(s.write("skn", v));
}

TEST(Settings, ADamagedFileStillTakesNewValuesAndKeepsTheGoodOnes)
{
    Store s;
    static const char junk[] = "\x00\xff\xfe garbage [[[\n[General]\nskn=4\n=\n\x01\x02\n";
    s.putFile(QByteArray(junk, sizeof junk - 1));
    Int16 skin = 0;
    EXPECT_NE(s.read("skn", skin), 0);
    EXPECT_EQ(skin, 4);
    Int16 poy = 80;
    EXPECT_NE(s.write("poy", poy), 0);
    QtRegistryComponent fresh(s.path);
    modRegistry::setComponent(&fresh);
    Int16 r1 = 0, r2 = 0;
    EXPECT_NE(s.read("skn", r1), 0);
    EXPECT_NE(s.read("poy", r2), 0);
    EXPECT_EQ(r1, 4);
    EXPECT_EQ(r2, 80);
}

TEST(Settings, OnlyTheProgramsOwnKeyIsKept)
{
    Store s;
    std::int32_t root = HKEY_CURRENT_USER;
    QString key = QStringLiteral("Software\\Other"), name = QStringLiteral("x"), data;
    EXPECT_ANY_THROW(s.component->read(root, key, name, data));
}

TEST(Settings, AFileReachedThroughALinkStaysLinkedAndOtherSectionsSurvive)
{
    Store s;
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("kept.conf"));
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[General]\nskn=2\n\n[Person]\nnote=mine\n");
    f.close();
    QDir().mkpath(QFileInfo(s.path).path());
    ASSERT_TRUE(QFile::link(target, s.path));
    Int16 v = 5;
    EXPECT_NE(s.write("skn", v), 0);
    EXPECT_TRUE(QFileInfo(s.path).isSymLink());
    QSettings back(target, QSettings::IniFormat);
    EXPECT_EQ(back.value(QStringLiteral("skn")).toString(), QStringLiteral("5"));
    EXPECT_EQ(back.value(QStringLiteral("Person/note")).toString(), QStringLiteral("mine"));
}

TEST(Settings, LocksAndFilesLeftByAKilledRunDoNotHoldUpTheNextWrite)
{
    Store s;
    Int16 v = 3;
    s.write("skn", v);
    for (const char *left : {".lock", ".lock.rmlock", ".new4242.0"}) {
        QFile lock(s.path + QLatin1String(left));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly)); // created, its owner never written
    }
    QElapsedTimer timer;
    timer.start();
    Int16 w = 4;
    EXPECT_NE(s.write("skn", w), 0);
    EXPECT_LT(timer.elapsed(), 5000) << "the write waited for the lock to go stale";
    EXPECT_TRUE(s.file().contains("skn=4"));
    EXPECT_EQ(QDir(QFileInfo(s.path).path()).entryList(QDir::Files),
              QStringList{QStringLiteral("HarrowKIT.conf")});
}
