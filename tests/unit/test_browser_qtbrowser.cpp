// The hidden browser against a real HTTP server on 127.0.0.1: loading, failures, limits and
// the three ways a submission goes (person's browser by URL, by a self-submitting page, or
// into the hidden browser itself).
#include "controls/browser/document.h"
#include "controls/browser/lazyweb.h"
#include "controls/browser/qtbrowser.h"
#include "controls/browser/submission.h"
#include "test_browser_print.h"
#include "test_browser_server.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct RecordingShell : IShell {
    QStringList opened;
    bool fail = false;
    void open(const QString &url) override
    {
        if (fail)
            throw std::runtime_error("no browser to open");
        opened << url;
    }
};

unsigned modeOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

bool settle(QtBrowser &browser, int timeoutMs = 5000)
{
    return waitUntil([&] { return !browser.Busy(); }, timeoutMs);
}

QString siteFile(const QString &relative)
{
    return QFileInfo(QStringLiteral(__FILE__))
        .absoluteDir()
        .absoluteFilePath(QStringLiteral("../../site/") + relative);
}

HtmlElement &field(HtmlForm &form, const QString &name)
{
    for (int i = 0; i < form.length(); ++i) {
        if (form.item(i).name() == name)
            return form.item(i);
    }
    throw std::runtime_error("no field " + name.toStdString());
}

class BrowserTest : public ::testing::Test {
protected:
    TestServer server;
    RecordingShell shell;
    QtBrowser browser{shell};

    void load(const QString &path)
    {
        browser.Navigate(server.url(path));
        ASSERT_TRUE(settle(browser));
    }
};

} // namespace

TEST_F(BrowserTest, LoadsAPageDecodesItAndListsItsForms)
{
    ASSERT_TRUE(server.listening());
    server.route(
        "/search.htm",
        htmlPage("<title>S</title><form action=/results><input name=q value='caf\xE9'></form>",
                 "text/html; charset=ISO-8859-1"));
    browser.Navigate(server.url("/search.htm"));
    EXPECT_TRUE(browser.Busy());
    EXPECT_THROW(browser.Document(), std::runtime_error);
    ASSERT_TRUE(settle(browser));
    auto doc = browser.Document();
    ASSERT_EQ(doc->formCount(), 1);
    EXPECT_EQ(doc->form(0).item(0).value(), QString::fromUtf8("café"));
    EXPECT_EQ(doc->charset(), "windows-1252");
    EXPECT_EQ(doc->url(), QUrl(server.url("/search.htm")));
    EXPECT_EQ(doc->title(), "S");
    ASSERT_EQ(server.requests.size(), 1u);
    EXPECT_EQ(server.requests[0].method, "GET");
    EXPECT_TRUE(server.requests[0].headers.value("user-agent").contains("HarrowKIT"));
    EXPECT_TRUE(browser.lastError().isEmpty());
}

TEST_F(BrowserTest, AnErrorStatusLeavesNoDocument)
{
    // The default 404 page carries a form; it must never be offered for a search.
    load("/missing.htm");
    EXPECT_THROW(browser.Document(), std::runtime_error);
    EXPECT_TRUE(browser.lastError().contains("404"));

    CannedResponse broken = htmlPage("<form><input name=q></form>");
    broken.status = 500;
    server.route("/broken", broken);
    load("/broken");
    EXPECT_THROW(browser.Document(), std::runtime_error);
}

TEST_F(BrowserTest, FollowsRedirectsWithinALimit)
{
    server.route("/old", redirectTo("/new"));
    server.route("/new", htmlPage("<form><input name=q></form>"));
    load("/old");
    EXPECT_EQ(browser.Document()->url(), QUrl(server.url("/new")));

    server.route("/loop", redirectTo("/loop"));
    browser.setMaxRedirects(3);
    server.requests.clear();
    load("/loop");
    EXPECT_THROW(browser.Document(), std::runtime_error);
    // The first request and three redirects; Qt now and then repeats a request on a fresh
    // connection, so the count is bounded rather than exact.
    EXPECT_GE(server.requests.size(), 4u);
    EXPECT_LE(server.requests.size(), 8u);
}

TEST_F(BrowserTest, ATimeOutEndsTheLoad)
{
    server.routeStalling();
    browser.setTimeout(std::chrono::milliseconds(300));

    for (const char *path : {"/silent", "/trickle"}) {
        QElapsedTimer clock;
        clock.start();
        browser.Navigate(server.url(path));
        ASSERT_TRUE(settle(browser, 5000)) << path;
        const qint64 ms = clock.elapsed();
        EXPECT_GE(ms, 250) << path;
        EXPECT_LT(ms, 2000) << path;
        EXPECT_THROW(browser.Document(), std::runtime_error) << path;
        std::cout << "[ info ] " << path << " gave up after " << ms << " ms\n";
    }
}

TEST_F(BrowserTest, AnOversizedPageIsParsedAsFarAsItIsRead)
{
    QByteArray page = "<form id=first><input name=q></form>";
    page += QByteArray(1024 * 1024, 'x');
    page += "<form id=late><input name=r></form>";
    server.route("/big", htmlPage(page));
    browser.setMaxBodyBytes(100 * 1024);
    load("/big");
    auto doc = browser.Document();
    EXPECT_TRUE(browser.truncated());
    ASSERT_EQ(doc->formCount(), 1);
    EXPECT_EQ(doc->form(0).item(0).name(), "q");

    browser.setMaxBodyBytes(QtBrowser::kDefaultMaxBody);
    load("/big");
    EXPECT_FALSE(browser.truncated());
    EXPECT_EQ(browser.Document()->formCount(), 2);
}

TEST_F(BrowserTest, ANewNavigateReplacesTheLoadInProgress)
{
    CannedResponse slow = htmlPage("<form><input name=slow></form>");
    slow.delayMs = 200;
    server.route("/slow", slow);
    server.route("/fast", htmlPage("<form><input name=fast></form>"));
    browser.Navigate(server.url("/slow"));
    browser.Navigate(server.url("/fast"));
    ASSERT_TRUE(settle(browser));
    EXPECT_EQ(browser.Document()->form(0).item(0).name(), "fast");
    waitUntil([] { return false; }, 400); // the slow answer arrives meanwhile
    EXPECT_FALSE(browser.Busy());
    EXPECT_EQ(browser.Document()->form(0).item(0).name(), "fast");
}

TEST_F(BrowserTest, AHeldRequestWaitsForTheReleaseAndOnlyTheLastGoesOut)
{
    server.route("/a", htmlPage("<form><input name=a></form>"));
    server.route("/b", htmlPage("<form><input name=b></form>"));
    int made = 0;
    LazyBrowser lazy([&]() -> std::unique_ptr<IBrowser> {
        ++made;
        return std::make_unique<QtBrowser>(shell);
    });
    lazy.holdRequests();
    EXPECT_THROW(lazy.Navigate("ftp://example.test/"), std::invalid_argument);
    lazy.Navigate(server.url("/a"));
    lazy.Navigate(server.url("/b"));
    waitUntil([] { return false; }, 200);
    EXPECT_TRUE(lazy.Busy());
    EXPECT_THROW(lazy.Document(), std::runtime_error);
    EXPECT_EQ(made, 0) << "the web part was made before the release";
    EXPECT_TRUE(server.requests.empty());
    lazy.releaseRequests();
    ASSERT_TRUE(waitUntil([&] { return !lazy.Busy(); }, 5000));
    EXPECT_EQ(lazy.Document()->form(0).item(0).name(), "b");
    EXPECT_EQ(server.requests.size(), 1u);
    EXPECT_EQ(made, 1);
}

TEST(LazyWeb, WithoutTheWebPartLoadsAndFetchesFailAsFailuresNotCrashes)
{
    LazyBrowser browser([] { return std::unique_ptr<IBrowser>(); });
    browser.holdRequests();
    browser.Navigate(QStringLiteral("http://127.0.0.1:9/"));
    browser.releaseRequests(); // says why on standard error
    EXPECT_FALSE(browser.Busy());
    EXPECT_THROW(browser.Document(), std::runtime_error);
    EXPECT_THROW(browser.Navigate(QStringLiteral("http://127.0.0.1:9/")), std::runtime_error);
    LazyTransfer transfer([] { return std::unique_ptr<ITransfer>(); });
    EXPECT_THROW(transfer.OpenURL(QStringLiteral("http://127.0.0.1:9/")), std::runtime_error);
}

TEST_F(BrowserTest, UnloadableAddressesFailAtOnce)
{
    server.route("/page", htmlPage("<form></form>"));
    load("/page");
    std::shared_ptr<HtmlDocument> old = browser.Document();
    EXPECT_THROW(browser.Navigate("javascript:alert(1)"), std::invalid_argument);
    EXPECT_FALSE(browser.Busy());
    EXPECT_THROW(browser.Document(), std::runtime_error);
    EXPECT_THROW(browser.Navigate("ftp://example.test/"), std::invalid_argument);
    EXPECT_THROW(browser.Navigate(""), std::invalid_argument);
    // The page that was shown is gone: its forms cannot submit any more.
    EXPECT_THROW(old->form(0).submit(), std::runtime_error);
}

TEST_F(BrowserTest, AnUnreachableServerFailsTheLoad)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    browser.Navigate(QStringLiteral("http://127.0.0.1:%1/").arg(port));
    ASSERT_TRUE(settle(browser));
    EXPECT_THROW(browser.Document(), std::runtime_error);
    EXPECT_FALSE(browser.lastError().isEmpty());
}

TEST_F(BrowserTest, AResourceThatIsNotHtmlHasNoForms)
{
    server.route("/source.txt", htmlPage("<form><input name=q></form>", "text/plain"));
    load("/source.txt");
    EXPECT_EQ(browser.Document()->formCount(), 0);
}

TEST_F(BrowserTest, AGetToANewWindowGoesToThePersonsBrowser)
{
    server.route("/search.htm",
                 htmlPage("<form action=/results target=_blank><input name=q></form>"));
    load("/search.htm");
    auto doc = browser.Document();
    field(doc->form(0), "q").setValue("hello world");
    server.requests.clear();
    doc->form(0).submit();
    EXPECT_EQ(shell.opened, QStringList{server.url("/results?q=hello+world")});
    EXPECT_FALSE(browser.Busy());
    EXPECT_EQ(browser.Document(), doc); // the hidden browser stays on its page
    EXPECT_TRUE(server.requests.empty());

    shell.fail = true;
    EXPECT_THROW(doc->form(0).submit(), std::runtime_error);
}

TEST_F(BrowserTest, ASubmissionToItselfLoadsTheResult)
{
    server.route("/search.htm",
                 htmlPage("<form action=/results><input name=q></form>"
                          "<form action=/results method=post><input name=q></form>"));
    server.route("/results", htmlPage("<title>Results</title>"));
    load("/search.htm");
    auto doc = browser.Document();
    field(doc->form(0), "q").setValue("a b");
    doc->form(0).submit();
    EXPECT_TRUE(browser.Busy());
    ASSERT_TRUE(settle(browser));
    EXPECT_EQ(browser.Document()->title(), "Results");
    EXPECT_EQ(server.requests.back().target, "/results?q=a+b");
    EXPECT_TRUE(shell.opened.isEmpty());
    // The submitting page was left.
    EXPECT_THROW(doc->form(1).submit(), std::runtime_error);

    load("/search.htm");
    doc = browser.Document();
    field(doc->form(1), "q").setValue(QString::fromUtf8("a&é"));
    doc->form(1).submit();
    ASSERT_TRUE(settle(browser));
    EXPECT_EQ(browser.Document()->title(), "Results");
    const RecordedRequest &post = server.requests.back();
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.target, "/results");
    EXPECT_EQ(post.body, "q=a%26%C3%A9");
    EXPECT_EQ(post.headers.value("content-type"), "application/x-www-form-urlencoded");
}

TEST_F(BrowserTest, APostToANewWindowGoesThroughAPrivateSelfSubmittingPage)
{
    server.route(
        "/search.htm",
        htmlPage("<form action=/results method=post target=_blank enctype=multipart/form-data>"
                 "<input name=q><input type=hidden name=lang value='en\"&<'></form>"));
    browser.setSubmitPageLifetime(std::chrono::milliseconds(300));
    load("/search.htm");
    auto doc = browser.Document();
    field(doc->form(0), "q").setValue("a b");
    doc->form(0).submit();
    ASSERT_EQ(shell.opened.size(), 1);
    const QUrl pageUrl(shell.opened[0]);
    ASSERT_TRUE(pageUrl.isLocalFile());
    const QString path = pageUrl.toLocalFile();
    QFile page(path);
    ASSERT_TRUE(page.exists());
    EXPECT_EQ(modeOf(path), 0600);
    const QString folder = QFileInfo(path).absolutePath();
    EXPECT_EQ(folder, browser.submitPageFolder());
    EXPECT_EQ(modeOf(folder), 0700);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    page.close();
    EXPECT_TRUE(html.contains("method=\"post\"")) << html.toStdString();
    EXPECT_TRUE(html.contains("action=\"" + server.url("/results") + "\""));
    EXPECT_TRUE(html.contains("enctype=\"multipart/form-data\""));
    EXPECT_TRUE(html.contains("accept-charset=\"UTF-8\""));
    EXPECT_TRUE(html.contains("name=\"q\" value=\"a b\""));
    EXPECT_TRUE(html.contains("name=\"lang\" value=\"en&quot;&amp;&lt;\""));
    EXPECT_TRUE(html.contains("document.forms[0].submit()"));
    // The page re-submits the same entries: parsed as a document it gives the same request.
    HtmlDocument again(html, pageUrl);
    FormSubmission resent;
    again.setSubmissionHandler([&](const FormSubmission &s) { resent = s; });
    again.form(0).submit();
    EXPECT_TRUE(resent.post);
    EXPECT_EQ(resent.url, QUrl(server.url("/results")));
    ASSERT_EQ(resent.entries.size(), 2u);
    EXPECT_EQ(resent.entries[1].value, "en\"&<");
    EXPECT_TRUE(server.requests.size() == 1u); // nothing was posted by the hidden browser

    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(path); }, 3000))
        << "the page was not removed";
}

TEST_F(BrowserTest, TheSitesSearchPageSendsTheQueryToTheEngineInANewWindow)
{
    browser.Navigate(QUrl::fromLocalFile(siteFile("search.htm")).toString());
    ASSERT_TRUE(settle(browser));
    auto doc = browser.Document();
    ASSERT_GE(doc->formCount(), 1);
    HtmlForm &form = doc->form(0);
    EXPECT_EQ(form.attribute("method").toLower(), "get");
    EXPECT_EQ(form.attribute("target"), "_blank");
    EXPECT_EQ(field(form, "q").type(), "text");
    field(form, "q").setValue(QString::fromUtf8("harrow kit ä"));
    form.submit();
    EXPECT_EQ(shell.opened, QStringList{"https://www.google.com/search?q=harrow+kit+%C3%A4"});

    for (const char *page : {"index.htm", "download/index.htm", "download/HarrowKIT/index.htm"}) {
        browser.Navigate(siteFile(page));
        ASSERT_TRUE(settle(browser));
        EXPECT_FALSE(browser.Document()->title().isEmpty()) << page;
    }
    browser.Navigate(siteFile("no-such-page.htm"));
    ASSERT_TRUE(settle(browser));
    EXPECT_THROW(browser.Document(), std::runtime_error);
}

TEST(BrowserLifetime, DestroyingABrowserInTheMiddleOfALoadIsSafe)
{
    TestServer server;
    CannedResponse silent;
    silent.silent = true;
    server.route("/silent", silent);
    server.route("/page", htmlPage("<form><input name=q></form>"));
    RecordingShell shell;
    std::shared_ptr<HtmlDocument> kept;
    {
        QtBrowser browser(shell);
        browser.Navigate(server.url("/page"));
        ASSERT_TRUE(settle(browser));
        kept = browser.Document();
        browser.Navigate(server.url("/silent"));
    }
    waitUntil([] { return false; }, 100);
    EXPECT_THROW(kept->form(0).submit(), std::runtime_error);
}
