#include "controls/browser/submission.h"

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

QString lowerAttribute(const HtmlForm &form, const char *name)
{
    return form.attribute(QString::fromLatin1(name)).trimmed().toLower();
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
                   name.compare(QStringLiteral("_charset_"), Qt::CaseInsensitive) == 0) {
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
    QString chosen = charset::fromLabel(form.document().charset());
    if (form.hasAttribute(QStringLiteral("accept-charset"))) {
        // The first label this browser supports; none at all means UTF-8.
        chosen.clear();
        const QStringList labels =
            form.attribute(QStringLiteral("accept-charset"))
                .split(QRegularExpression(QStringLiteral("[\\t\\n\\f\\r ]+")), Qt::SkipEmptyParts);
        for (const QString &label : labels) {
            chosen = charset::fromLabel(label);
            if (!chosen.isEmpty())
                break;
        }
    }
    return outputCharset(chosen);
}

bool opensNewContext(const QString &target)
{
    for (const char *keyword : {"", "_self", "_parent", "_top"})
        if (target.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0)
            return false;
    return true;
}

FormSubmission planSubmission(const HtmlForm &form)
{
    const HtmlDocument &document = form.document();
    FormSubmission s;
    s.post = lowerAttribute(form, "method") == u"post";
    const QString enctype = lowerAttribute(form, "enctype");
    s.enctype = enctype == u"multipart/form-data" ? Enctype::Multipart
                : enctype == u"text/plain"        ? Enctype::TextPlain
                                                  : Enctype::UrlEncoded;
    const QString action = form.attribute(QStringLiteral("action")).trimmed();
    s.url = action.isEmpty() ? document.url() : document.baseUrl().resolved(QUrl(action));
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
