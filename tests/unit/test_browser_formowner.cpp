// Form owners where the tree and the tree builder disagree: controls after a form that a table
// emptied belong to it until the tree builder sees </form>, and a </form> the tree builder
// ignores (inside a select) does not end that.
#include "controls/browser/document.h"
#include "test_browser_print.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {
QStringList namesOf(HtmlDocument &doc, int form)
{
    QStringList list;
    for (int i = 0; i < doc.form(form).length(); ++i)
        list << doc.form(form).item(i).name();
    return list;
}
} // namespace

TEST(BrowserFormOwner, AnEndTagInsideASelectIsIgnored)
{
    HtmlDocument doc(
        QStringLiteral("<table><form><tr><td><select name=s></form><option>x</select></td></tr>"
                       "<tr><td><input name=after></td></tr></table>"),
        QUrl(QStringLiteral("http://example.test/")));
    ASSERT_EQ(doc.formCount(), 1);
    EXPECT_EQ(namesOf(doc, 0), (QStringList{"s", "after"}));
}

TEST(BrowserFormOwner, ASecondTableFormStartsOnlyAfterTheFirstEnds)
{
    // The second <form> comes while the first is still open for the tree builder: it is
    // ignored, and its controls go to the first form.
    HtmlDocument doc(QStringLiteral("<table><form id=a><tr><td><input name=a1></td></tr>"
                                    "<form id=b><tr><td><input name=b1></td></tr></form>"
                                    "<form id=c><tr><td><input name=c1></td></tr></form></table>"),
                     QUrl(QStringLiteral("http://example.test/")));
    ASSERT_EQ(doc.formCount(), 2);
    EXPECT_EQ(namesOf(doc, 0), (QStringList{"a1", "b1"}));
    EXPECT_EQ(namesOf(doc, 1), QStringList{"c1"});
}

TEST(BrowserFormOwner, HiddenInputsInATableStayWithTheForm)
{
    // Hidden inputs go straight into the table, the text input is moved before it.
    HtmlDocument doc(QStringLiteral("<table><form action=/s><input type=hidden name=h value=1>"
                                    "<input name=q></form></table><input name=outside>"),
                     QUrl(QStringLiteral("http://example.test/")));
    ASSERT_EQ(doc.formCount(), 1);
    EXPECT_EQ(namesOf(doc, 0), (QStringList{"q", "h"})); // tree order: the moved input comes first
}

TEST(BrowserFormOwner, AnEmptyFormAttributeNamesNoForm)
{
    HtmlDocument doc(QStringLiteral("<form id=''><input name=a form=''></form>"),
                     QUrl(QStringLiteral("http://example.test/")));
    ASSERT_EQ(doc.formCount(), 1);
    EXPECT_EQ(doc.form(0).length(), 0);
}
