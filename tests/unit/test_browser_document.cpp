// The document model: which elements a form lists and owns, their values and states as a
// script sees them, and soundness on broken or enormous markup.
#include "controls/browser/document.h"
#include "controls/browser/gumbotree.h"
#include "controls/browser/nestingguard.h"
#include "test_browser_print.h"

#include <QElapsedTimer>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

std::unique_ptr<HtmlDocument> parse(const QString &html,
                                    const QString &charset = QStringLiteral("UTF-8"))
{
    return std::make_unique<HtmlDocument>(
        html, QUrl(QStringLiteral("http://example.test/dir/page.htm")), charset);
}

QStringList names(HtmlForm &form)
{
    QStringList list;
    for (int i = 0; i < form.length(); ++i)
        list << form.item(i).name();
    return list;
}

HtmlElement &named(HtmlDocument &doc, const QString &name)
{
    for (int f = 0; f < doc.formCount(); ++f) {
        for (int i = 0; i < doc.form(f).length(); ++i) {
            if (doc.form(f).item(i).name() == name)
                return doc.form(f).item(i);
        }
    }
    throw std::runtime_error("no element named " + name.toStdString());
}

} // namespace

TEST(BrowserDocument, FormsListTheirElementsInTreeOrder)
{
    auto doc = parse(QStringLiteral(
        "<form id=a><input name=a1><fieldset name=fs><input name=a2></fieldset><img name=pic>"
        "<input type=image name=img><object name=obj></object><output name=out>5</output>"
        "<button name=b></button><select name=s><option>x</select><textarea name=t></textarea>"
        "<label><input name=a3></label><a name=link></a></form>"
        "<input name=outside form=a>"
        "<form id=b><input name=b1 form=nowhere><input name=b2></form>"
        "<input name=loose>"));
    ASSERT_EQ(doc->formCount(), 2);
    EXPECT_EQ(names(doc->form(0)),
              (QStringList{"a1", "fs", "a2", "obj", "out", "b", "s", "t", "a3", "outside"}));
    EXPECT_EQ(names(doc->form(1)), QStringList{"b2"});
    EXPECT_EQ(doc->form(0).item(0).form(), &doc->form(0));
    EXPECT_THROW(doc->form(0).item(10), std::out_of_range);
    EXPECT_THROW(doc->form(0).item(-1), std::out_of_range);
    EXPECT_THROW(doc->form(2), std::out_of_range);
}

TEST(BrowserDocument, TheFormAttributeNamesTheOwnerById)
{
    auto doc =
        parse(QStringLiteral("<div id=c></div><form id=c><input name=inC></form>"
                             "<form id=d><input name=inD></form>"
                             "<form id=e><input name=toD form=d><input name=toDiv form=c></form>"
                             "<input name=later form=e>"));
    ASSERT_EQ(doc->formCount(), 3);
    // The first element with id c is a div: no owner, although the input sits in form e.
    EXPECT_EQ(names(doc->form(0)), QStringList{"inC"});
    EXPECT_EQ(names(doc->form(1)), (QStringList{"inD", "toD"}));
    EXPECT_EQ(names(doc->form(2)), QStringList{"later"});
}

TEST(BrowserDocument, FormOwnersFollowTheParserAcrossBrokenNesting)
{
    // A nested form start tag is ignored: its controls belong to the outer form.
    auto nested = parse(QStringLiteral(
        "<form id=x><input name=x1><form id=y><input name=x2></form><input name=after></form>"));
    ASSERT_EQ(nested->formCount(), 1);
    EXPECT_EQ(names(nested->form(0)), (QStringList{"x1", "x2"}));

    // A form inside a table is emptied by the tree builder; its controls still belong to it
    // up to its end tag.
    auto table =
        parse(QStringLiteral("<table><form action=/s><tr><td><input name=q></td><td><select "
                             "name=where><option>web</select>"
                             "</td></tr></form><tr><td><input name=late></td></tr></table>"));
    ASSERT_EQ(table->formCount(), 1);
    EXPECT_EQ(names(table->form(0)), (QStringList{"q", "where"}));

    // An end tag of an element around the form closes the form in the tree but not for the parser.
    auto div = parse(QStringLiteral("<div><form><input name=in></div><input name=stillIn>"));
    ASSERT_EQ(div->formCount(), 1);
    EXPECT_EQ(names(div->form(0)), (QStringList{"in", "stillIn"}));

    // A form never closed runs to the end of the page.
    auto open = parse(QStringLiteral("<p>Search<form><input name=q><p><textarea name=t>x"));
    ASSERT_EQ(open->formCount(), 1);
    EXPECT_EQ(names(open->form(0)), (QStringList{"q", "t"}));
}

TEST(BrowserDocument, InputValuesDependOnTheType)
{
    auto doc = parse(QStringLiteral(
        "<form><input name=plain value='a&#10;b'><input name=box type=checkbox><input name=radio "
        "type=RADIO value=r>"
        "<input name=hid type=hidden value=' h '><input name=num type=number value=abc>"
        "<input name=num2 type=number value=-1.5e3><input name=col type=color value=#ABCDEF>"
        "<input name=col2 type=color value=red><input name=mail type=email value=' a@b.test '>"
        "<input name=day type=date value=2023-02-29><input name=day2 type=date value=2024-02-29>"
        "<input name=rng type=range min=0 max=10 value=7.6><input name=rng2 type=range>"
        "<input name=when type=datetime-local value='2024-01-02 03:04:00'>"
        "<input name=odd type=fancy value=v><input name=file type=file value=x>"
        "<button name=btn value=bv></button></form>"));
    EXPECT_EQ(named(*doc, "plain").value(), "ab");
    EXPECT_EQ(named(*doc, "box").value(), "on");
    EXPECT_EQ(named(*doc, "radio").type(), "radio");
    EXPECT_EQ(named(*doc, "radio").value(), "r");
    EXPECT_EQ(named(*doc, "hid").value(), " h ");
    EXPECT_EQ(named(*doc, "num").value(), "");
    EXPECT_EQ(named(*doc, "num2").value(), "-1.5e3");
    EXPECT_EQ(named(*doc, "col").value(), "#abcdef");
    EXPECT_EQ(named(*doc, "col2").value(), "#000000");
    EXPECT_EQ(named(*doc, "mail").value(), "a@b.test");
    EXPECT_EQ(named(*doc, "day").value(), "");
    EXPECT_EQ(named(*doc, "day2").value(), "2024-02-29");
    EXPECT_EQ(named(*doc, "rng").value(), "8");
    EXPECT_EQ(named(*doc, "rng2").value(), "50");
    EXPECT_EQ(named(*doc, "when").value(), "2024-01-02T03:04");
    EXPECT_EQ(named(*doc, "odd").type(), "text");
    EXPECT_EQ(named(*doc, "file").value(), "");
    EXPECT_EQ(named(*doc, "btn").value(), "bv");
    EXPECT_EQ(named(*doc, "btn").type(), "submit");
}

TEST(BrowserDocument, SetValueActsLikeAScriptAssignment)
{
    auto doc = parse(QStringLiteral(
        "<form><input name=q value=old><input name=box type=checkbox value=1>"
        "<input name=file type=file><textarea name=t>x</textarea><input name=n type=number>"
        "<select name=s><option value=a>A<option value=b>B<option>c</select></form>"));
    named(*doc, "q").setValue("two\r\nlines");
    EXPECT_EQ(named(*doc, "q").value(), "twolines");
    EXPECT_EQ(named(*doc, "q").attribute("value"), "old"); // the attribute keeps the default

    named(*doc, "box").setValue("yes");
    EXPECT_EQ(named(*doc, "box").value(), "yes");

    EXPECT_NO_THROW(named(*doc, "file").setValue(""));
    EXPECT_THROW(named(*doc, "file").setValue("/etc/passwd"), std::runtime_error);

    named(*doc, "t").setValue("a\r\nb\rc");
    EXPECT_EQ(named(*doc, "t").value(), "a\nb\nc");

    named(*doc, "n").setValue("12x");
    EXPECT_EQ(named(*doc, "n").value(), "");

    HtmlElement &select = named(*doc, "s");
    EXPECT_EQ(select.value(), "a");
    select.setValue("c");
    EXPECT_EQ(select.value(), "c");
    select.setValue("none of them");
    EXPECT_EQ(select.value(), "");
}

TEST(BrowserDocument, TextareaAndSelectContent)
{
    auto doc = parse(
        QStringLiteral("<form><textarea name=t>\nline1\r\nline2 &amp; <b>not a tag</b></textarea>"
                       "<select name=first><option disabled>skip<option>  Big \n  apple "
                       "</option><option>c</select>"
                       "<select name=last><option selected>1<option selected value=two>2</select>"
                       "<select name=multi multiple><option>1<option>2</select>"
                       "<select name=listbox size=3><option>1<option>2</select>"
                       "<select name=px size=' 2px'><option>1</select>"
                       "<select name=one size='+1 row'><option>1</select>"
                       "<select name=group><optgroup disabled><option "
                       "selected>g</optgroup><option>h</select></form>"));
    EXPECT_EQ(named(*doc, "t").value(), "line1\nline2 & <b>not a tag</b>");
    EXPECT_EQ(named(*doc, "first").value(), "Big apple");
    EXPECT_EQ(named(*doc, "last").value(), "two");
    EXPECT_EQ(named(*doc, "multi").value(), "");
    EXPECT_EQ(named(*doc, "listbox").value(), "");
    // The size is read as a whole number with anything after its digits ignored.
    EXPECT_EQ(named(*doc, "px").value(), "");
    EXPECT_EQ(named(*doc, "one").value(), "1");
    const auto &options = named(*doc, "group").options();
    ASSERT_EQ(options.size(), 2u);
    EXPECT_TRUE(options[0].disabled);
    EXPECT_TRUE(options[0].selected);
}

TEST(BrowserDocument, RadioButtonsOfAGroupExcludeEachOther)
{
    auto doc = parse(QStringLiteral(
        "<form><input type=radio name=r value=1 checked><input type=radio name=r value=2 checked>"
        "<input type=radio name=other value=3 checked></form>"
        "<form><input type=radio name=r value=4 checked></form>"));
    HtmlForm &f = doc->form(0);
    EXPECT_FALSE(f.item(0).checked());
    EXPECT_TRUE(f.item(1).checked());
    f.item(0).setChecked(true);
    EXPECT_TRUE(f.item(0).checked());
    EXPECT_FALSE(f.item(1).checked());
    EXPECT_TRUE(f.item(2).checked());            // another name
    EXPECT_TRUE(doc->form(1).item(0).checked()); // another form
}

TEST(BrowserDocument, DisabledFieldsetsDisableAllButTheirFirstLegend)
{
    auto doc = parse(QStringLiteral(
        "<form><fieldset disabled><legend><input name=inLegend></legend><input name=inSet>"
        "<legend><input name=inSecondLegend></legend><fieldset><input "
        "name=nested></fieldset></fieldset>"
        "<input name=own disabled><input name=free><datalist><input "
        "name=listed></datalist></form>"));
    EXPECT_FALSE(named(*doc, "inLegend").disabled());
    EXPECT_TRUE(named(*doc, "inSet").disabled());
    EXPECT_TRUE(named(*doc, "inSecondLegend").disabled());
    EXPECT_TRUE(named(*doc, "nested").disabled());
    EXPECT_TRUE(named(*doc, "own").disabled());
    EXPECT_FALSE(named(*doc, "free").disabled());
    EXPECT_TRUE(named(*doc, "listed").insideDatalist());
}

TEST(BrowserDocument, PageFacts)
{
    auto doc = parse(
        QStringLiteral(
            "<head><title> The   page </title><base target=results><base href='/other/'>"
            "<base href='http://ignored.test/'></head><body><p dir=rtl><input name=x form=f></p>"
            "<form id=f><textarea name=t dir=auto>abc</textarea></form>"),
        QStringLiteral("latin1"));
    EXPECT_EQ(doc->title(), "The page");
    EXPECT_EQ(doc->baseUrl(), QUrl("http://example.test/other/"));
    EXPECT_EQ(doc->baseTarget(), "results");
    EXPECT_EQ(doc->url(), QUrl("http://example.test/dir/page.htm"));
    EXPECT_EQ(doc->charset(), "windows-1252");
    EXPECT_EQ(named(*doc, "x").directionality(), "rtl");
    EXPECT_EQ(named(*doc, "t").directionality(), "ltr");
    named(*doc, "t").setValue(QString::fromUtf8("1. שלום"));
    EXPECT_EQ(named(*doc, "t").directionality(), "rtl");
    EXPECT_EQ(parse("", "no-such-charset")->charset(), "UTF-8");
}

TEST(BrowserDocument, GarbageMarkupStillGivesASoundDocument)
{
    const QString junk = QStringLiteral(
        "<<<>>><form<input name=\"q\"</form></table></tr><td><select><select><option><textarea>"
        "</p></br><svg><form><input name=inSvg></svg><math><mi><form id=m><input name=m></form>"
        "<table><tr><form id=t><td><input name=inCell><template><form><input "
        "name=tpl></form></template>");
    auto doc = parse(junk + QString(QChar(0)) + QStringLiteral("\xFFFF<form"));
    for (int f = 0; f < doc->formCount(); ++f) {
        for (int i = 0; i < doc->form(f).length(); ++i) {
            EXPECT_NE(doc->form(f).item(i).name(),
                      "tpl"); // template content is no part of the page
            doc->form(f).item(i).setValue("x");
        }
    }
    // Every prefix of the junk parses too.
    for (qsizetype n = 0; n < junk.size(); n += 7)
        EXPECT_NO_THROW(parse(junk.left(n)));
}

TEST(BrowserDocument, AFiveMebibytePageParses)
{
    QString html = QStringLiteral("<html><body><table>");
    for (int row = 0; html.size() < 5 * 1024 * 1024; ++row)
        html +=
            QStringLiteral("<tr><td>row %1<td><b>bold<i>italic</td><td><a href=#%1>link</a></tr>\n")
                .arg(row);
    html += QStringLiteral("</table><form><input name=q value=end></form>");
    QElapsedTimer clock;
    clock.start();
    auto doc = parse(html);
    const qint64 ms = clock.elapsed();
    ASSERT_EQ(doc->formCount(), 1);
    EXPECT_EQ(doc->form(0).item(0).value(), "end");
    EXPECT_LT(ms, 20000) << "parse took " << ms << " ms";
    std::cout << "[ info ] 5 MiB table page parsed in " << ms << " ms\n";
}

TEST(BrowserDocument, DeepNestingIsCappedAndStaysFast)
{
    QString html;
    for (int i = 0; i < 200000; ++i)
        html += QStringLiteral("<div>");
    html += QStringLiteral("<form><input name=q></form>");
    QElapsedTimer clock;
    clock.start();
    auto doc = parse(html);
    const qint64 ms = clock.elapsed();
    ASSERT_EQ(doc->formCount(), 1);
    EXPECT_EQ(doc->form(0).item(0).name(), "q");
    EXPECT_LT(ms, 10000) << "parse took " << ms << " ms";
    std::cout << "[ info ] 200000 nested divs parsed in " << ms << " ms\n";
}

TEST(BrowserNestingGuard, DropsOnlyTagsBeyondTheDepthLimit)
{
    const QByteArray page = "<div><div><p><span><b>x</b></span></div></div>";
    EXPECT_EQ(limitNesting(page, 4).html, page); // p is no nesting level: a new <p> closes it
    const GuardedSource capped = limitNesting(page, 3);
    EXPECT_EQ(capped.droppedTags, 1);
    EXPECT_EQ(capped.html, "<div><div><p><span>x</b></span></div></div>");

    const QByteArray voids = "<br><br><img><input><input><hr><svg><path/><path/></svg>";
    EXPECT_EQ(limitNesting(voids, 1).droppedTags, 0);
    // Tags inside comments, scripts and attribute values are no tags.
    const QByteArray hidden = "<i><!-- <b><b> --><script>'<b><b>'</script><i title='<b><b>'>";
    EXPECT_EQ(limitNesting(hidden, 2).droppedTags, 0);
    EXPECT_EQ(limitNesting(hidden + "<u>", 2).droppedTags, 1);
}

TEST(BrowserDocument, FormEndTagsInCommentsScriptsAndAttributesDoNotCloseTheForm)
{
    // Inside a table the form element is empty, so only the parser's </form> decides which
    // controls after it still belong to the form.
    auto doc = parse(QStringLiteral(
        "<table><form id=f><tr><td><input name=a></td></tr><!-- </form> -->"
        "<script>var s = \"</form>\";</script><tr><td title='</form>'><input name=b></td></tr>"
        "<tr><td><textarea name=t></form></textarea></td></tr></FORM ><tr><td><input "
        "name=c></td></tr></table>"));
    ASSERT_EQ(doc->formCount(), 1);
    EXPECT_EQ(names(doc->form(0)), (QStringList{"a", "b", "t"}));
    EXPECT_EQ(named(*doc, "t").value(), "</form>");
}

TEST(BrowserDocument, APageOverTheParseBudgetKeepsAPrefix)
{
    // Formatting elements that the tree builder reopens in every paragraph make the tree
    // grow with the square of the page; the budget stops that and a prefix is parsed.
    QString bomb = QStringLiteral("<form><input name=first></form>");
    for (int i = 0; i < 20000; ++i)
        bomb += QStringLiteral("<p><b id=b%1>x</p>").arg(i);
    bomb += QStringLiteral("<form><input name=last></form>");
    ParseBudget budget;
    budget.base = std::chrono::milliseconds(200);
    budget.perMiB = std::chrono::milliseconds(200);
    QElapsedTimer clock;
    clock.start();
    HtmlDocument doc(bomb, QUrl(QStringLiteral("http://example.test/")), QStringLiteral("UTF-8"),
                     budget);
    const qint64 ms = clock.elapsed();
    EXPECT_FALSE(doc.complete());
    ASSERT_EQ(doc.formCount(), 1);
    EXPECT_EQ(doc.form(0).item(0).name(), "first");
    EXPECT_LT(ms, 5000);
    std::cout << "[ info ] reopening-formatting page gave up to a prefix after " << ms << " ms\n";

    HtmlDocument small(QStringLiteral("<form><input name=q></form>"), QUrl(),
                       QStringLiteral("UTF-8"), budget);
    EXPECT_TRUE(small.complete());
}
