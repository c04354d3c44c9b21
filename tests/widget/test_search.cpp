// The search and the update check on the real window, with a real parsed search page and
// scripted browser, transfer, message box and shell.
#include "controls/browser/submission.h"
#include "fakes.h"

#include <gtest/gtest.h>

namespace {
struct Searching : FakeDesktop {
    std::vector<FormSubmission> submitted;
    std::unique_ptr<frmMain> w;

    explicit Searching(const QString &page = QStringLiteral(
                           "<form action='http://engine.test/search' target='_blank'>"
                           "<input name='q'><input type='hidden' name='hl' value='en'></form>"))
    {
        loadPage(page);
        w = start();
        browser.navigations.clear();
    }
    void loadPage(const QString &html)
    {
        browser.document = std::make_shared<HtmlDocument>(
            html, QUrl(QStringLiteral("http://maker.test/search.htm")));
        browser.document->setSubmissionHandler(
            [this](const FormSubmission &s) { submitted.push_back(s); });
    }
    QString query() const
    {
        return submitted.empty() ? QStringLiteral("<none>")
                                 : submitted.back().url.query(QUrl::FullyEncoded);
    }
};
} // namespace

TEST(Search, EnterSubmitsTheQueryExactlyAsTyped)
{
    Searching s;
    s.w->Text1->setText(QStringLiteral("  hello world "));
    Int16 key = 13;
    s.w->Text1_KeyPress(key);
    EXPECT_EQ(key, 0) << "the Enter key is cancelled";
    ASSERT_EQ(s.browser.navigations.size(), 1);
    EXPECT_TRUE(s.browser.navigations[0].endsWith(QStringLiteral("/search.htm")));
    ASSERT_EQ(s.submitted.size(), 1u);
    EXPECT_EQ(s.query(), QStringLiteral("q=++hello+world+&hl=en"));
    EXPECT_TRUE(s.submitted[0].newContext);
    EXPECT_TRUE(s.w->TimerRetract->Enabled());
    EXPECT_EQ(s.w->Text1->text(), QStringLiteral("  hello world ")) << "the query stays in the box";
}

TEST(Search, BlankBoxesStartNothingButATabIsNotBlank)
{
    Searching s;
    for (const char *blank : {"", "   "}) {
        s.w->Text1->setText(QLatin1String(blank));
        s.w->TimerRetract->setEnabled(false);
        Int16 key = 13;
        s.w->Text1_KeyPress(key);
        EXPECT_EQ(key, 13) << "Enter passes to the box";
        s.w->picButton_Click();
        EXPECT_TRUE(s.browser.navigations.isEmpty());
        EXPECT_TRUE(s.transfer.requests.isEmpty()) << "no update check";
        EXPECT_FALSE(s.w->TimerRetract->Enabled());
    }
    s.w->Text1->setText(QStringLiteral("\t"));
    s.w->picButton_Click();
    EXPECT_EQ(s.browser.navigations.size(), 1);
    EXPECT_EQ(s.query(), QStringLiteral("q=%09&hl=en"));
}

TEST(Search, OtherKeysInANonBlankBoxStartNothing)
{
    Searching s;
    s.w->Text1->setText(QStringLiteral("abc"));
    Int16 key = 'x';
    s.w->Text1_KeyPress(key);
    EXPECT_EQ(key, 'x');
    EXPECT_TRUE(s.browser.navigations.isEmpty());
}

TEST(Search, TheFirstFormsFirstExactlyNamedFieldIsFilled)
{
    Searching s(QStringLiteral(
        "<form action='/r'><input name='Q' value='x'><input name='q' value='a'>"
        "<input name='q' value='b'></form><form action='/other'><input name='q'></form>"));
    s.w->Text1->setText(QStringLiteral("term"));
    s.w->picButton_Click();
    ASSERT_EQ(s.submitted.size(), 1u);
    EXPECT_EQ(s.query(), QStringLiteral("Q=x&q=term&q=b"));
    EXPECT_EQ(s.submitted[0].url.path(), QStringLiteral("/r"));
}

TEST(Search, AFieldOnlyInTheSecondFormIsNotFoundButTheFirstFormIsSubmitted)
{
    Searching s(QStringLiteral("<form action='/first'><input name='x' value='1'></form>"
                               "<form action='/second'><input name='q'></form>"));
    s.w->Text1->setText(QStringLiteral("term"));
    s.w->picButton_Click();
    ASSERT_EQ(s.submitted.size(), 1u);
    EXPECT_EQ(s.submitted[0].url.path(), QStringLiteral("/first"));
    EXPECT_EQ(s.query(), QStringLiteral("x=1"));
}

TEST(Search, APageThatSendsNothingOrNoPageStillRunsTheUpdateCheck)
{
    // No form, a dialog form (it loads nothing), no page at all.
    for (const char *page : {"<p>Not found</p>", "<form method=dialog><input name=q></form>",
                             static_cast<const char *>(nullptr)}) {
        Searching s(QString::fromLatin1(page ? page : ""));
        if (!page)
            s.browser.document.reset();
        s.w->Text1->setText(QStringLiteral("term"));
        s.w->picButton_Click();
        EXPECT_TRUE(s.submitted.empty()) << (page ? page : "no page");
        EXPECT_EQ(s.transfer.requests.size(), 1) << (page ? page : "no page");
    }
}

TEST(Search, TheWaitKeepsProcessingEventsUntilTheBrowserIsReady)
{
    Searching s;
    s.browser.busyPolls = 5;
    s.w->Text1->setText(QStringLiteral("term"));
    s.w->picButton_Click();
    // Events are processed after every read of Busy that finds the page still loading, and
    // once more after the submit.
    EXPECT_EQ(s.events.calls, 5 + 1);
    EXPECT_EQ(s.submitted.size(), 1u);
}

TEST(Search, TheBoxIsReadAgainAfterTheWait)
{
    Searching s;
    s.browser.busyPolls = 2;
    s.w->Text1->setText(QStringLiteral("first"));
    s.events.onCall = [&](int call) {
        if (call == 2)
            s.w->Text1->setText(QStringLiteral("second"));
    };
    s.w->picButton_Click();
    EXPECT_EQ(s.query(), QStringLiteral("q=second&hl=en"));
}

TEST(Search, EnterWhileTheSearchWaitsForItsPageStartsNoSecondSearch)
{
    Searching s;
    s.browser.busyPolls = 3;
    s.w->Text1->setText(QStringLiteral("first"));
    s.events.onCall = [&](int call) {
        if (call == 2) {
            Int16 key = 13;
            s.w->Text1_KeyPress(key);
        }
    };
    s.w->picButton_Click();
    EXPECT_EQ(s.browser.navigations.size(), 1);
    EXPECT_EQ(s.submitted.size(), 1u);
    EXPECT_EQ(s.transfer.requests.size(), 1) << "one update check";
    s.events.onCall = nullptr;
    s.w->picButton_Click();
    EXPECT_EQ(s.submitted.size(), 2u) << "the next search after the first has ended goes out";
}

namespace {
// Runs one search with the given version file and answer; returns whether the question came.
bool offered(Searching &s, const QString &version, int answer = 7)
{
    s.transfer.body = version;
    s.messageBox.answer = answer;
    s.messageBox.asked.clear();
    s.w->Text1->setText(QStringLiteral("term"));
    s.w->picButton_Click();
    return !s.messageBox.asked.empty();
}
} // namespace

TEST(UpdateCheck, OnlyTheFirstThreeCharactersOfAVersionNumberAreCompared)
{
    for (const char *same : {"1.0", "1.0\r\n", "1.05", "1.0.2", ""}) {
        Searching s;
        EXPECT_FALSE(offered(s, QLatin1String(same))) << same;
        EXPECT_EQ(s.registry.values[QStringLiteral("upd")], QStringLiteral("1"));
    }
    for (const char *other : {"1.1", "0.9", "2.0", "1", "1.1\r\n", "2.0\nreleased today\n"}) {
        Searching s;
        EXPECT_TRUE(offered(s, QLatin1String(other))) << other;
        EXPECT_EQ(s.messageBox.asked[0].text,
                  QStringLiteral("Would you like to download the latest version of HarrowKIT?"));
        EXPECT_EQ(s.messageBox.asked[0].title, QStringLiteral("HarrowKIT"));
        EXPECT_EQ(s.messageBox.asked[0].style, 4132);
    }
}

TEST(UpdateCheck, AFailedFetchAsksNothing)
{
    Searching s;
    s.transfer.fail = true;
    EXPECT_FALSE(offered(s, QStringLiteral("1.1")));
}

TEST(UpdateCheck, AFileThatNamesNoVersionAsksNothing)
{
    // A captive portal's sign-in page served for every address, binary bytes, words.
    const QString notVersions[] = {
        QStringLiteral("<!DOCTYPE html>\n<html><title>Hotel Wi-Fi</title>1.1</html>"),
        QString::fromLatin1("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
        QStringLiteral("abc"),
        QStringLiteral("1.1 beta"),
        QStringLiteral("v1.1"),
        QStringLiteral("1..1"),
        QStringLiteral("\n1.1")};
    for (const QString &file : notVersions) {
        Searching s;
        EXPECT_FALSE(offered(s, file)) << file.toStdString();
        EXPECT_EQ(s.registry.values[QStringLiteral("upd")], QStringLiteral("1"));
        EXPECT_TRUE(s.shell.opened.isEmpty());
    }
}

TEST(UpdateCheck, YesOpensTheDownloadPageAndAsksAgainNextTime)
{
    Searching s;
    EXPECT_TRUE(offered(s, QStringLiteral("1.1"), 6));
    ASSERT_EQ(s.shell.opened.size(), 1);
    EXPECT_TRUE(s.shell.opened[0].endsWith(QStringLiteral("/download/HarrowKIT/index.htm")));
    EXPECT_EQ(s.registry.values[QStringLiteral("upd")], QStringLiteral("1"));
    EXPECT_TRUE(offered(s, QStringLiteral("1.1"), 6));
}

TEST(UpdateCheck, NoStopsTheCheckUntilTheNextStart)
{
    Searching s;
    EXPECT_TRUE(offered(s, QStringLiteral("1.1"), 7));
    EXPECT_EQ(s.registry.values[QStringLiteral("upd")], QStringLiteral("0"));
    EXPECT_TRUE(s.shell.opened.isEmpty());
    s.transfer.requests.clear();
    EXPECT_FALSE(offered(s, QStringLiteral("1.1")));
    EXPECT_TRUE(s.transfer.requests.isEmpty()) << "the version file is not even fetched";
    auto again = s.start(); // the next start stores 1 again
    EXPECT_EQ(s.registry.values[QStringLiteral("upd")], QStringLiteral("1"));
}

TEST(UpdateCheck, OnlyExactlyOneEnablesTheCheck)
{
    for (const char *stored : {"0", "2", "-1"}) {
        Searching s;
        s.registry.values[QStringLiteral("upd")] = QLatin1String(stored);
        EXPECT_FALSE(offered(s, QStringLiteral("1.1"))) << stored;
        EXPECT_TRUE(s.transfer.requests.isEmpty()) << stored;
    }
}
