// Form submission: the entry list, the three encodings byte for byte, the request a submit()
// produces (method, action, target), and refusing actions that are no web addresses.
#include "controls/browser/document.h"
#include "controls/browser/submission.h"
#include "test_browser_print.h"

#include <gtest/gtest.h>

namespace {

const QUrl kPage(QStringLiteral("http://example.test/dir/page.htm?x=1#top"));

std::unique_ptr<HtmlDocument> parse(const QString &html,
                                    const QString &charset = QStringLiteral("UTF-8"))
{
    return std::make_unique<HtmlDocument>(html, kPage, charset);
}

QString str(const EntryList &entries)
{
    QStringList parts;
    for (const FormEntry &e : entries)
        parts << e.name + (e.isFile ? QStringLiteral("=<file:%1>").arg(e.value) : u'=' + e.value);
    return parts.join(u'|');
}

EntryList one(const QString &name, const QString &value)
{
    return {FormEntry{name, value}};
}

// Submits the first form of a page and returns what reached the browser.
FormSubmission submitFirst(const QString &html, const QString &charset = QStringLiteral("UTF-8"))
{
    auto doc = parse(html, charset);
    FormSubmission seen;
    int calls = 0;
    doc->setSubmissionHandler([&](const FormSubmission &s) {
        seen = s;
        ++calls;
    });
    doc->form(0).submit();
    EXPECT_EQ(calls, 1);
    return seen;
}

} // namespace

TEST(BrowserEntryList, TakesOnlyWhatABrowserSends)
{
    auto doc = parse(QStringLiteral(
        "<form>"
        "<input name=t value=x><input value=unnamed><input name=off disabled value=1>"
        "<fieldset disabled><legend><input name=legend value=ok></legend><input name=inSet "
        "value=no></fieldset>"
        "<input type=checkbox name=unchecked><input type=checkbox name=cb checked>"
        "<input type=radio name=r value=a><input type=radio name=r value=b checked>"
        "<input type=submit name=go value=Go><button name=btn value=b></button><input type=reset "
        "name=rs>"
        "<input type=button name=bt value=x>"
        "<input type=file name=upload>"
        "<select name=s multiple><option selected>1<option selected disabled>2<option>3<option "
        "selected value=four>4</select>"
        "<textarea name=ta>a\nb</textarea>"
        "<input type=hidden name=_CHARSET_><input type=text name=_charset_ value=typed>"
        "<datalist><input name=inList value=1></datalist>"
        "<output name=out>o</output><object name=obj></object>"
        "<input name=dirText value=abc dirname=dirText.dir><textarea name=ta2 dirname=ta2.dir "
        "dir=rtl></textarea>"
        "</form>"));
    const EntryList entries = constructEntryList(doc->form(0), QStringLiteral("UTF-8"));
    EXPECT_EQ(str(entries),
              QString::fromUtf8(
                  "t=x|legend=ok|cb=on|r=b|upload=<file:>|s=1|s=four|ta=a\r\nb|_CHARSET_=UTF-8|"
                  "_charset_=typed|dirText=abc|dirText.dir=ltr|ta2=|ta2.dir=rtl"));
}

TEST(BrowserEntryList, ScriptChangesReachTheEntries)
{
    auto doc = parse(QStringLiteral("<form><input name=q><input type=checkbox name=c><select "
                                    "name=s><option>a<option>b</select></form>"));
    HtmlForm &form = doc->form(0);
    form.item(0).setValue("typed");
    form.item(1).setChecked(true);
    form.item(2).setValue("b");
    EXPECT_EQ(str(constructEntryList(form, "UTF-8")), "q=typed|c=on|s=b");
}

TEST(BrowserEncoding, UrlEncodedIsByteExact)
{
    EXPECT_EQ(urlEncode(one("q", "  hello world "), "UTF-8"), "q=++hello+world+");
    EXPECT_EQ(urlEncode(one("q", QString::fromUtf8("a&b=c/é")), "UTF-8"), "q=a%26b%3Dc%2F%C3%A9");
    EXPECT_EQ(urlEncode(one("q", QString::fromUtf8("a&b=c/é")), "windows-1252"),
              "q=a%26b%3Dc%2F%E9");
    EXPECT_EQ(urlEncode(one("q", QString::fromUtf8("a&b=c/é")), "latin1"), "q=a%26b%3Dc%2F%E9");
    // Kept as they are: alphanumerics and *-._ ; everything else is escaped.
    EXPECT_EQ(urlEncode(one("k", "*-._~!'()+%"), "UTF-8"), "k=*-._%7E%21%27%28%29%2B%25");
    // Characters the encoding lacks become character references; the euro sign exists in 1252.
    EXPECT_EQ(urlEncode(one(QString::fromUtf8("ż"), QString::fromUtf8("€ż")), "windows-1252"),
              "%26%23380%3B=%80%26%23380%3B");
    EXPECT_EQ(urlEncode(one("n", "a\nb\rc\r\nd"), "UTF-8"), "n=a%0D%0Ab%0D%0Ac%0D%0Ad");
    EXPECT_EQ(urlEncode({{"a", "1"}, {"b", ""}, {"", "x"}}, "UTF-8"), "a=1&b=&=x");
    EXPECT_EQ(urlEncode({}, "UTF-8"), "");
    // A lone surrogate is no character: it goes out as U+FFFD.
    EXPECT_EQ(urlEncode(one("s", QString(QChar(0xD800))), "UTF-8"), "s=%EF%BF%BD");
    // UTF-16 never goes into form data.
    EXPECT_EQ(urlEncode(one("q", QString::fromUtf8("é")), "UTF-16LE"), "q=%C3%A9");
    EXPECT_EQ(urlEncode(one("q", QString::fromUtf8("日本")), "Shift_JIS"), "q=%93%FA%96%7B");
}

TEST(BrowserEncoding, MultipartIsByteExact)
{
    const EntryList entries{{"a\"b", "x\ny"}, {"n\nm", QString::fromUtf8("é")}, {"f", "", true}};
    const QByteArray expected = "--BOUND\r\n"
                                "Content-Disposition: form-data; name=\"a%22b\"\r\n"
                                "\r\n"
                                "x\r\ny\r\n"
                                "--BOUND\r\n"
                                "Content-Disposition: form-data; name=\"n%0D%0Am\"\r\n"
                                "\r\n"
                                "\xE9\r\n"
                                "--BOUND\r\n"
                                "Content-Disposition: form-data; name=\"f\"; filename=\"\"\r\n"
                                "Content-Type: application/octet-stream\r\n"
                                "\r\n"
                                "\r\n"
                                "--BOUND--\r\n";
    EXPECT_EQ(multipartEncode(entries, "windows-1252", "BOUND"), expected);
    EXPECT_EQ(multipartEncode({}, "UTF-8", "B"), "--B--\r\n");
    EXPECT_EQ(multipartEncode(one("q", QString::fromUtf8("ż")), "windows-1252", "B"),
              "--B\r\nContent-Disposition: form-data; name=\"q\"\r\n\r\n&#380;\r\n--B--\r\n");
}

TEST(BrowserEncoding, TextPlainIsByteExact)
{
    EXPECT_EQ(textPlainEncode({{"a", "1"}, {"b", QString::fromUtf8("x é\ny")}}, "windows-1252"),
              "a=1\r\nb=x \xE9\r\ny\r\n");
    EXPECT_EQ(textPlainEncode({{"a", QString::fromUtf8("é")}}, "UTF-8"), "a=\xC3\xA9\r\n");
}

TEST(BrowserSubmission, GetReplacesTheQueryAndKeepsTheFragment)
{
    FormSubmission s =
        submitFirst("<form action='search?old=1#frag'><input name=q value='a b'></form>");
    EXPECT_FALSE(s.post);
    EXPECT_EQ(s.url.toString(QUrl::FullyEncoded), "http://example.test/dir/search?q=a+b#frag");
    EXPECT_TRUE(s.body.isEmpty());

    // No action, or an empty one: the page itself, fragment included.
    EXPECT_EQ(submitFirst("<form><input name=q value=v></form>").url.toString(QUrl::FullyEncoded),
              "http://example.test/dir/page.htm?q=v#top");
    EXPECT_EQ(submitFirst("<form action=''><input name=q value=v></form>")
                  .url.toString(QUrl::FullyEncoded),
              "http://example.test/dir/page.htm?q=v#top");
    // Nothing to send still replaces the query.
    EXPECT_EQ(submitFirst("<form action=/s?a=1></form>").url.toString(QUrl::FullyEncoded),
              "http://example.test/s?");
}

TEST(BrowserSubmission, ActionsResolveAgainstTheBaseUrl)
{
    const QString base = QStringLiteral("<base href='http://other.test/base/'>");
    EXPECT_EQ(submitFirst(base + "<form action=s><input name=q value=1></form>")
                  .url.toString(QUrl::FullyEncoded),
              "http://other.test/base/s?q=1");
    EXPECT_EQ(submitFirst(base + "<form action=' \n/abs '><input name=q value=1></form>")
                  .url.toString(QUrl::FullyEncoded),
              "http://other.test/abs?q=1");
    // An empty action is the page's own address, not the base.
    EXPECT_EQ(submitFirst(base + "<form><input name=q value=1></form>").url.host(), "example.test");
    // Blanks at the ends and newlines inside are no part of an address; an action of blanks
    // only is the base itself.
    EXPECT_EQ(submitFirst(base + "<form action='\t/se\narch '><input name=q value=1></form>")
                  .url.toString(QUrl::FullyEncoded),
              "http://other.test/search?q=1");
    EXPECT_EQ(submitFirst(base + "<form action=' '><input name=q value=1></form>")
                  .url.toString(QUrl::FullyEncoded),
              "http://other.test/base/?q=1");
    EXPECT_EQ(
        submitFirst("<form action='https://www.google.com/search'><input name=q value=1></form>")
            .url.toString(QUrl::FullyEncoded),
        "https://www.google.com/search?q=1");
}

TEST(BrowserSubmission, PostBodiesFollowTheEnctype)
{
    FormSubmission url =
        submitFirst("<form method=PoSt action=/p><input name=q value='a b'></form>");
    EXPECT_TRUE(url.post);
    EXPECT_EQ(url.url.toString(QUrl::FullyEncoded), "http://example.test/p");
    EXPECT_EQ(url.body, "q=a+b");
    EXPECT_EQ(url.contentType, "application/x-www-form-urlencoded");

    FormSubmission multi =
        submitFirst("<form method=post enctype=MULTIPART/FORM-DATA><input name=q value=v></form>");
    ASSERT_TRUE(multi.contentType.startsWith("multipart/form-data; boundary="));
    const QByteArray boundary = multi.contentType.mid(multi.contentType.indexOf('=') + 1);
    EXPECT_GE(boundary.size(), 20);
    EXPECT_EQ(multi.body, multipartEncode(one("q", "v"), "UTF-8", boundary));
    EXPECT_EQ(multi.enctype, Enctype::Multipart);

    FormSubmission text =
        submitFirst("<form method=post enctype=text/plain><input name=q value=v></form>");
    EXPECT_EQ(text.body, "q=v\r\n");
    EXPECT_EQ(text.contentType, "text/plain");

    FormSubmission unknown =
        submitFirst("<form method=post enctype=bogus><input name=q value=v></form>");
    EXPECT_EQ(unknown.contentType, "application/x-www-form-urlencoded");

    // A GET ignores the enctype; unknown methods submit like GET.
    EXPECT_EQ(submitFirst("<form enctype=text/plain><input name=q value='a b'></form>")
                  .url.query(QUrl::FullyEncoded),
              "q=a+b");
    EXPECT_FALSE(submitFirst("<form method=put><input name=q></form>").post);
}

TEST(BrowserSubmission, TheEncodingComesFromAcceptCharsetOrThePage)
{
    const QString field = QStringLiteral("<input name=q value='é'>");
    EXPECT_EQ(
        submitFirst("<form>" + field + "</form>", "windows-1252").url.query(QUrl::FullyEncoded),
        "q=%E9");
    EXPECT_EQ(submitFirst("<form accept-charset='bogus ISO-8859-1'>" + field + "</form>")
                  .url.query(QUrl::FullyEncoded),
              "q=%E9");
    EXPECT_EQ(
        submitFirst("<form accept-charset='bogus, utf-8'>" + field + "</form>", "windows-1252")
            .charset,
        "UTF-8");
    // Only unknown labels: the page's own encoding, with references for what it lacks.
    EXPECT_EQ(submitFirst("<form accept-charset=nonsense><input name=q value='é日'></form>",
                          "windows-1252")
                  .url.query(QUrl::FullyEncoded),
              "q=%E9%26%2326085%3B");
    EXPECT_EQ(submitFirst("<form accept-charset=''>" + field + "</form>", "windows-1252").charset,
              "windows-1252");
    EXPECT_EQ(submitFirst("<form>" + field + "</form>", "UTF-16LE").charset, "UTF-8");
    EXPECT_EQ(submitFirst("<form><input type=hidden name=_charset_></form>", "latin1")
                  .url.query(QUrl::FullyEncoded),
              "_charset_=windows-1252");
}

TEST(BrowserSubmission, ADialogFormLoadsNothing)
{
    for (const char *form : {"<form method=dialog>", "<form method=DiaLog target=_blank>",
                             "<form method=dialog action='javascript:x'>"}) {
        auto doc = parse(QString::fromLatin1(form) + "<input name=q value=1></form>");
        int calls = 0;
        doc->setSubmissionHandler([&](const FormSubmission &) { ++calls; });
        EXPECT_THROW(doc->form(0).submit(), std::runtime_error) << form;
        EXPECT_EQ(calls, 0) << form;
    }
}

// Keywords and labels match ignoring ASCII case only, and blanks around them make them no
// keyword; a Kelvin sign is no "k" and a long s no "s".
TEST(BrowserSubmission, KeywordsMatchInAsciiCaseOnly)
{
    EXPECT_FALSE(submitFirst("<form method=' post'><input name=q></form>").post);
    EXPECT_EQ(
        submitFirst("<form method=post enctype='text/plain '><input name=q></form>").contentType,
        "application/x-www-form-urlencoded");
    EXPECT_TRUE(submitFirst("<form target='_ſelf'></form>").newContext);
    EXPECT_TRUE(submitFirst("<form target=' _self'></form>").newContext);
    const QString kelvin = QStringLiteral("\u212A");
    auto doc = parse("<form><input type='chec" + kelvin +
                     "box' name=c value=v>"
                     "<input type=hidden name='_charſet_' value=kept></form>");
    EXPECT_EQ(str(constructEntryList(doc->form(0), "UTF-8")),
              QString::fromUtf8("c=v|_charſet_=kept"));
    EXPECT_EQ(
        submitFirst("<form accept-charset='" + kelvin + "oi8-r'></form>", "windows-1252").charset,
        "windows-1252");
    EXPECT_EQ(submitFirst("<form accept-charset=' KOI8-R '></form>").charset, "KOI8-R");
}

TEST(BrowserSubmission, TargetsChooseTheBrowsingContext)
{
    EXPECT_TRUE(submitFirst("<form target=_blank></form>").newContext);
    EXPECT_TRUE(submitFirst("<form target=results></form>").newContext);
    EXPECT_FALSE(submitFirst("<form target=_SELF></form>").newContext);
    EXPECT_FALSE(submitFirst("<form target=_top></form>").newContext);
    EXPECT_FALSE(submitFirst("<form target=_parent></form>").newContext);
    EXPECT_FALSE(submitFirst("<form></form>").newContext);
    EXPECT_TRUE(submitFirst("<base target=_blank><form></form>").newContext);
    // The form's own attribute wins, even when empty.
    EXPECT_FALSE(submitFirst("<base target=_blank><form target=''></form>").newContext);
    EXPECT_EQ(submitFirst("<base target=w><form></form>").target, "w");
}

TEST(BrowserSubmission, OnlyWebAddressesAreFollowed)
{
    auto refused = [](const QString &form) {
        auto doc = parse(form + "<input name=q value=1></form>");
        int calls = 0;
        doc->setSubmissionHandler([&](const FormSubmission &) { ++calls; });
        EXPECT_THROW(doc->form(0).submit(), std::runtime_error) << form.toStdString();
        EXPECT_EQ(calls, 0) << form.toStdString();
    };
    refused("<form action='javascript:alert(1)'>");
    refused("<form action=' JavaScript:alert(1)' target=_blank>");
    refused("<form action='mailto:a@b.test'>");
    refused("<form action='data:text/html,hi'>");
    refused("<form action='ftp://example.test/'>");
    refused("<form method=post action='file:///tmp/x'>");
    refused("<form action='http://[bad'>");
    // A local page may send a GET to a local page; a page from the web may not open local files.
    refused("<form action='file:///srv/site/search.htm'>");
    HtmlDocument local(QStringLiteral("<form action='results.htm'><input name=q value=1></form>"),
                       QUrl(QStringLiteral("file:///srv/site/search.htm")));
    FormSubmission seen;
    local.setSubmissionHandler([&](const FormSubmission &s) { seen = s; });
    local.form(0).submit();
    EXPECT_EQ(seen.url.toString(QUrl::FullyEncoded), "file:///srv/site/results.htm?q=1");
}

TEST(BrowserSubmission, ADocumentWithoutABrowserCannotSubmit)
{
    auto doc = parse("<form><input name=q></form>");
    EXPECT_THROW(doc->form(0).submit(), std::runtime_error);
    doc->setSubmissionHandler([](const FormSubmission &) {});
    EXPECT_NO_THROW(doc->form(0).submit());
    doc->detach();
    EXPECT_THROW(doc->form(0).submit(), std::runtime_error);
}
