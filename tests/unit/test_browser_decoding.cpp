// Encodings: labels, encoding with character references, and how a fetched page's encoding is
// found (byte order mark, Content-Type, <meta> in the first 1024 bytes, UTF-8).
#include "controls/browser/charset.h"
#include "controls/browser/sniff.h"
#include "test_browser_print.h"

#include <gtest/gtest.h>

namespace {
struct DecodedPage {
    QString text;
    QString encoding;
};

// What the browser does with a fetched body: find the encoding, skip the byte order mark, decode.
DecodedPage decodePage(const QByteArray &bytes, const QByteArray &contentType)
{
    const sniff::Result found = sniff::encoding(bytes, contentType);
    return {charset::decode(bytes.mid(found.bomLength), found.charset), found.charset};
}

QString charsetFromContentType(const QByteArray &value)
{
    return charset::fromLabel(sniff::contentTypeCharset(value));
}
} // namespace

TEST(BrowserCharset, LabelsNameCanonicalEncodings)
{
    EXPECT_EQ(charset::fromLabel(" UTF8 "), "UTF-8");
    EXPECT_EQ(charset::fromLabel("latin1"), "windows-1252");
    EXPECT_EQ(charset::fromLabel("ISO-8859-1"), "windows-1252");
    EXPECT_EQ(charset::fromLabel("us-ascii"), "windows-1252");
    EXPECT_EQ(charset::fromLabel("iso-8859-9"), "windows-1254");
    EXPECT_EQ(charset::fromLabel("Shift-JIS"), "Shift_JIS");
    EXPECT_EQ(charset::fromLabel("gb2312"), "GBK");
    EXPECT_EQ(charset::fromLabel("utf-16"), "UTF-16LE");
    EXPECT_EQ(charset::fromLabel("utf-7"), "");
    EXPECT_EQ(charset::fromLabel(""), "");
    EXPECT_EQ(charset::fromLabel("x-user-defined"), "windows-1252");
    EXPECT_EQ(charset::fromLabel("iso-2022-kr"), ""); // decodes to nothing useful in browsers
}

TEST(BrowserCharset, EncodesWithCharacterReferencesForMissingCharacters)
{
    EXPECT_EQ(charset::encode(QString::fromUtf8("é€ż"), "windows-1252"), "\xE9\x80&#380;");
    EXPECT_EQ(charset::encode(QString::fromUtf8("a日本b"), "Shift_JIS"), "a\x93\xFA\x96\x7B"
                                                                         "b");
    // Every character after a missing one is still checked.
    EXPECT_EQ(charset::encode(QString::fromUtf8("żñżñ"), "ISO-8859-2"), "\xBF&#241;\xBF&#241;");
    EXPECT_EQ(charset::encode(QString::fromUtf8("😀"), "windows-1252"), "&#128512;");
    EXPECT_EQ(charset::encode(QString::fromUtf8("😀"), "UTF-8"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(charset::decode("\x80\xE9", "windows-1252"), QString::fromUtf8("€é"));
    EXPECT_EQ(charset::decode("a\xFF\xC3", "UTF-8"),
              QString::fromUtf8("a\xEF\xBF\xBD\xEF\xBF\xBD"));
}

TEST(BrowserSniff, TheEncodingComesFromBomHeaderMetaOrDefault)
{
    const QByteArray latin = "<p>caf\xE9</p>";
    EXPECT_EQ(decodePage(latin, "text/html; charset=ISO-8859-1").encoding, "windows-1252");
    EXPECT_EQ(decodePage(latin, "text/html; charset=ISO-8859-1").text,
              QString::fromUtf8("<p>café</p>"));
    EXPECT_EQ(decodePage(latin, "text/html;charset=\"windows-1252\"").encoding, "windows-1252");
    // Unknown header label: the page's own declaration counts.
    EXPECT_EQ(decodePage("<meta charset=latin2>" + latin, "text/html; charset=bogus").encoding,
              "ISO-8859-2");
    // A byte order mark beats the header.
    const QByteArray utf16 = QByteArray("\xFF\xFE", 2) + QByteArray("h\0i\0", 4);
    const DecodedPage bom = decodePage(utf16, "text/html; charset=windows-1252");
    EXPECT_EQ(bom.encoding, "UTF-16LE");
    EXPECT_EQ(bom.text, "hi");
    EXPECT_EQ(decodePage("\xEF\xBB\xBFx", "").text, "x");
    // Nothing declared: UTF-8.
    EXPECT_EQ(decodePage("<p>caf\xC3\xA9</p>", "").encoding, "UTF-8");
    EXPECT_EQ(decodePage("<p>caf\xC3\xA9</p>", "").text, QString::fromUtf8("<p>café</p>"));
}

TEST(BrowserSniff, MetaPrescan)
{
    EXPECT_EQ(sniff::prescan("<html><head><META CharSet='KOI8-R'>"), "KOI8-R");
    EXPECT_EQ(sniff::prescan(
                  "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-2\">"),
              "ISO-8859-2");
    // content without http-equiv does not declare anything
    EXPECT_EQ(sniff::prescan("<meta content=\"text/html; charset=iso-8859-2\">"), "");
    EXPECT_EQ(sniff::prescan("<meta content='charset=koi8-r' http-equiv=content-type>"), "KOI8-R");
    // comments, other tags' attributes and unknown labels are passed over
    EXPECT_EQ(sniff::prescan(
                  "<!-- <meta charset=koi8-r> --><p title='<meta charset=gbk>'><meta charset=bogus>"
                  "<meta charset=windows-1251>"),
              "windows-1251");
    // a UTF-16 declaration in ASCII-compatible bytes means UTF-8
    EXPECT_EQ(sniff::prescan("<meta charset=utf-16>"), "UTF-8");
    // only the first 1024 bytes are looked at
    EXPECT_EQ(sniff::prescan(QByteArray(1100, ' ') + "<meta charset=koi8-r>"), "");
    EXPECT_EQ(sniff::prescan(QByteArray(900, ' ') + "<meta charset=koi8-r>"), "KOI8-R");
    // broken input ends the scan without a result
    EXPECT_EQ(sniff::prescan("<meta charset='koi8-r"), "");
    EXPECT_EQ(sniff::prescan("<!-- never closed <meta charset=koi8-r>"), "");
    EXPECT_EQ(charsetFromContentType("text/html; foo=bar; charset = \"ISO-8859-2\""), "ISO-8859-2");
    EXPECT_EQ(charsetFromContentType("text/html; charset"), "");
}
