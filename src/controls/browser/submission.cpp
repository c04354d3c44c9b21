#include "controls/browser/submission.h"

#include "controls/browser/asciibytes.h"
#include "controls/browser/charset.h"
#include "controls/browser/document.h"

#include <QRegularExpression>
#include <QStringList>
#include <stdexcept>

namespace {
bool isButton(const HtmlElement &e)
{
    if (e.kind() == HtmlElement::Kind::Button)
        return true;
    const QString t = e.type();
    return e.kind() == HtmlElement::Kind::Input &&
           (t == u"submit" || t == u"reset" || t == u"button" || t == u"image");
}

bool submittable(const HtmlElement &e)
{
    using K = HtmlElement::Kind;
    return e.kind() == K::Input || e.kind() == K::Button || e.kind() == K::Select ||
           e.kind() == K::Textarea;
}

// Elements whose direction a dirname attribute reports.
bool reportsDirection(const HtmlElement &e)
{
    if (e.kind() == HtmlElement::Kind::Textarea)
        return true;
    static const QStringList kTypes = {QStringLiteral("hidden"),  QStringLiteral("text"),
                                       QStringLiteral("search"),  QStringLiteral("tel"),
                                       QStringLiteral("url"),     QStringLiteral("email"),
                                       QStringLiteral("password")};
    return e.kind() == HtmlElement::Kind::Input && kTypes.contains(e.type());
}

// An enumerated attribute's value for comparing with its keywords: ASCII case-insensitive and
// nothing trimmed (" post " is no keyword).
QString keywordAttribute(const HtmlForm &form, const char *name)
{
    return ascii::lower(form.attribute(QString::fromLatin1(name)));
}

// The action as the URL parser reads it: C0 controls and spaces at either end dropped, tabs
// and newlines anywhere removed. An action that is empty as written means the page itself.
QUrl actionUrl(const HtmlForm &form)
{
    const HtmlDocument &document = form.document();
    const QString written = form.attribute(QStringLiteral("action"));
    if (written.isEmpty())
        return document.url();
    qsizetype begin = 0;
    qsizetype end = written.size();
    while (begin < end && written.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && written.at(end - 1).unicode() <= 0x20)
        --end;
    QString action = written.mid(begin, end - begin);
    action.remove(QLatin1Char('\t'));
    action.remove(QLatin1Char('\n'));
    action.remove(QLatin1Char('\r'));
    return document.baseUrl().resolved(QUrl(action));
}

// The form's target, else the document's base target; a name that looks like injected
// markup opens a new window.
QString targetOf(const HtmlForm &form)
{
    QString target = form.hasAttribute(QStringLiteral("target"))
                         ? form.attribute(QStringLiteral("target"))
                         : form.document().baseTarget();
    const bool newline = target.contains(QLatin1Char('\t')) || target.contains(QLatin1Char('\n')) ||
                         target.contains(QLatin1Char('\r'));
    if (newline && target.contains(QLatin1Char('<')))
        target = QStringLiteral("_blank");
    return target;
}
} // namespace

QString normalizeNewlines(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += QStringLiteral("\r\n");
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

EntryList constructEntryList(const HtmlForm &form, const QString &charsetName)
{
    EntryList entries;
    auto add = [&entries](const QString &name, const QString &value, bool isFile = false) {
        entries.push_back(
            {normalizeNewlines(name), isFile ? value : normalizeNewlines(value), isFile});
    };
    for (int i = 0; i < form.length(); ++i) {
        const HtmlElement &e = form.item(i);
        if (!submittable(e) || e.insideDatalist() || e.disabled() || isButton(e))
            continue;
        const bool checkable = e.kind() == HtmlElement::Kind::Input &&
                               (e.type() == u"checkbox" || e.type() == u"radio");
        if (checkable && !e.checked())
            continue;
        const QString name = e.name();
        if (name.isEmpty())
            continue;
        if (e.kind() == HtmlElement::Kind::Select) {
            for (const HtmlOption &option : e.options())
                if (option.selected && !option.disabled)
                    add(name, option.value);
        } else if (e.kind() == HtmlElement::Kind::Input && e.type() == u"file") {
            add(name, QString(), true); // no file chosen: an empty, nameless file
        } else if (e.kind() == HtmlElement::Kind::Input && e.type() == u"hidden" &&
                   ascii::lower(name) == u"_charset_") {
            add(name, charsetName);
        } else {
            add(name, e.value());
        }
        const QString dirname = e.attribute(QStringLiteral("dirname"));
        if (reportsDirection(e) && !dirname.isEmpty())
            add(dirname, e.directionality());
    }
    return entries;
}

QString formCharset(const HtmlForm &form)
{
    // The first label of accept-charset this browser supports, else the page's own encoding
    // (as browsers do when no label is known).
    const QStringList labels =
        form.attribute(QStringLiteral("accept-charset"))
            .split(QRegularExpression(QStringLiteral("[\\t\\n\\f\\r ]+")), Qt::SkipEmptyParts);
    for (const QString &label : labels) {
        const QString chosen = charset::fromLabel(label);
        if (!chosen.isEmpty())
            return outputCharset(chosen);
    }
    return outputCharset(form.document().charset());
}

bool opensNewContext(const QString &target)
{
    const QString keyword = ascii::lower(target);
    return !(keyword.isEmpty() || keyword == u"_self" || keyword == u"_parent" ||
             keyword == u"_top");
}

FormSubmission planSubmission(const HtmlForm &form)
{
    const HtmlDocument &document = form.document();
    FormSubmission s;
    const QString method = keywordAttribute(form, "method");
    // A dialog form closes its dialog (there is none here) and loads nothing.
    if (method == u"dialog")
        throw std::runtime_error("a dialog form navigates nowhere");
    s.post = method == u"post";
    const QString enctype = keywordAttribute(form, "enctype");
    s.enctype = enctype == u"multipart/form-data" ? Enctype::Multipart
                : enctype == u"text/plain"        ? Enctype::TextPlain
                                                  : Enctype::UrlEncoded;
    s.url = actionUrl(form);
    if (!s.url.isValid())
        throw std::runtime_error("the form's action is no valid address");
    const QString scheme = s.url.scheme().toLower();
    const bool web = scheme == u"http" || scheme == u"https";
    const bool localGet = scheme == u"file" && !s.post && document.url().isLocalFile();
    if (!web && !localGet)
        throw std::runtime_error("the form's action may not be followed: " + scheme.toStdString());
    s.target = targetOf(form);
    s.newContext = opensNewContext(s.target);
    s.charset = formCharset(form);
    s.entries = constructEntryList(form, s.charset);
    if (!s.post) {
        s.enctype = Enctype::UrlEncoded;
        // An empty entry list still replaces the query, with an empty one ("?").
        const QByteArray query = urlEncode(s.entries, s.charset);
        s.url.setQuery(query.isEmpty() ? QStringLiteral("") : QString::fromLatin1(query),
                       QUrl::StrictMode);
        return s;
    }
    switch (s.enctype) {
    case Enctype::UrlEncoded:
        s.body = urlEncode(s.entries, s.charset);
        s.contentType = "application/x-www-form-urlencoded";
        break;
    case Enctype::Multipart: {
        const QByteArray boundary = multipartBoundary(s.entries, s.charset);
        s.body = multipartEncode(s.entries, s.charset, boundary);
        s.contentType = "multipart/form-data; boundary=" + boundary;
        break;
    }
    case Enctype::TextPlain:
        s.body = textPlainEncode(s.entries, s.charset);
        s.contentType = "text/plain";
        break;
    }
    return s;
}
