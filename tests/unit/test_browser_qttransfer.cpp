// The transfer control: a synchronous fetch with a time-out against a real HTTP server on
// 127.0.0.1 and against files; errors throw, long bodies are cut at 64 KiB.
#include "controls/browser/qttransfer.h"
#include "test_browser_print.h"
#include "test_browser_server.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <ctime>
#include <gtest/gtest.h>

namespace {

QString siteFile(const QString &relative)
{
    return QFileInfo(QStringLiteral(__FILE__))
        .absoluteDir()
        .absoluteFilePath(QStringLiteral("../../site/") + relative);
}

CannedResponse text(const QByteArray &body)
{
    return htmlPage(body, "text/plain");
}

} // namespace

TEST(BrowserTransfer, ReturnsTheBodyAsText)
{
    TestServer server;
    server.route("/version", text("1.0"));
    server.route("/version-nl", text("1.0\n"));
    server.route("/moved", redirectTo("/version", 301));
    server.route("/latin", text("caf\xE9"));
    server.route("/utf8", text("\xEF\xBB\xBF"
                               "caf\xC3\xA9"));
    QtTransfer transfer;
    EXPECT_EQ(transfer.OpenURL(server.url("/version")), "1.0");
    EXPECT_EQ(transfer.OpenURL(server.url("/version-nl")), "1.0\n");
    EXPECT_EQ(transfer.OpenURL(server.url("/moved")), "1.0");
    EXPECT_EQ(transfer.OpenURL(server.url("/latin")),
              QStringLiteral("caf\uFFFD")); // UTF-8, whatever it is
    EXPECT_EQ(transfer.OpenURL(server.url("/utf8")), QString::fromUtf8("café"));
    EXPECT_EQ(
        transfer.OpenURL(QUrl::fromLocalFile(siteFile("download/HarrowKIT/version")).toString()),
        "1.0");
}

TEST(BrowserTransfer, FailuresThrow)
{
    TestServer server;
    CannedResponse error = text("1.0");
    error.status = 500;
    server.route("/error", error);
    QtTransfer transfer;
    // A missing version file must never read as a version, even when its error page has text.
    EXPECT_THROW(transfer.OpenURL(server.url("/missing")), std::runtime_error);
    EXPECT_THROW(transfer.OpenURL(server.url("/error")), std::runtime_error);
    EXPECT_THROW(transfer.OpenURL(QUrl::fromLocalFile(siteFile("download/none")).toString()),
                 std::runtime_error);
    EXPECT_THROW(transfer.OpenURL("ftp://127.0.0.1/version"), std::runtime_error);
    EXPECT_THROW(transfer.OpenURL("javascript:alert(1)"), std::runtime_error);
    EXPECT_THROW(transfer.OpenURL(""), std::runtime_error);

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    EXPECT_THROW(transfer.OpenURL(QStringLiteral("http://127.0.0.1:%1/version").arg(port)),
                 std::runtime_error);
}

TEST(BrowserTransfer, ATimeOutThrowsWithoutSpinning)
{
    TestServer server;
    server.routeStalling();
    QtTransfer transfer(std::chrono::milliseconds(500));
    for (const char *path : {"/silent", "/trickle"}) {
        QElapsedTimer clock;
        clock.start();
        const std::clock_t cpuBefore = std::clock();
        EXPECT_THROW(transfer.OpenURL(server.url(path)), std::runtime_error) << path;
        const double cpuMs =
            1000.0 * static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        const qint64 ms = clock.elapsed();
        EXPECT_GE(ms, 450) << path;
        EXPECT_LT(ms, 2000) << path;
        // Waiting sleeps in the event loop; a busy loop would use about as much CPU as time passed.
        EXPECT_LT(cpuMs, 0.5 * static_cast<double>(ms)) << path;
        std::cout << "[ info ] " << path << ": gave up after " << ms << " ms using " << cpuMs
                  << " ms CPU\n";
    }
}

TEST(BrowserTransfer, TimersAndPaintingGoOnWhileWaiting)
{
    TestServer server;
    CannedResponse slow = text("1.0");
    slow.delayMs = 300;
    server.route("/slow", slow);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    QtTransfer transfer;
    EXPECT_EQ(transfer.OpenURL(server.url("/slow")), "1.0");
    EXPECT_GE(ticks, 5);
}

TEST(BrowserTransfer, ALongBodyIsCutAt64KiB)
{
    TestServer server;
    server.route("/long", text(QByteArray(200 * 1024, 'a')));
    // "x" then two-byte characters: the limit falls inside one of them.
    QByteArray accents("x");
    for (int i = 0; i < 40000; ++i)
        accents += "\xC3\xA9";
    server.route("/accents", text(accents));
    server.route("/exact", text(QByteArray(64 * 1024, 'b')));
    QtTransfer transfer;
    EXPECT_EQ(transfer.OpenURL(server.url("/long")), QString(64 * 1024, u'a'));
    const QString cut = transfer.OpenURL(server.url("/accents"));
    EXPECT_EQ(cut.size(), 1 + 32767);
    EXPECT_EQ(cut.right(1), QString::fromUtf8("é")); // still UTF-8, the broken last one dropped
    EXPECT_EQ(transfer.OpenURL(server.url("/exact")).size(), 64 * 1024);
}
