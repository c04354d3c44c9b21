#include "controls/browser/sniff.h"

#include "controls/browser/asciibytes.h"
#include "controls/browser/charset.h"

#include <QList>
#include <optional>

namespace {
constexpr qsizetype kPrescanBytes = 1024;

using ascii::isSpace;
using ascii::lower;

bool startsWithNoCase(const QByteArray &bytes, qsizetype pos, const char *text)
{
    for (qsizetype i = 0; text[i] != '\0'; ++i)
        if (pos + i >= bytes.size() || lower(bytes.at(pos + i)) != text[i])
            return false;
    return true;
}

struct Attribute {
    QByteArray name;
    QByteArray value;
};

// Reads one attribute of a tag at pos; nothing at the end of the tag or of the bytes.
std::optional<Attribute> nextAttribute(const QByteArray &b, qsizetype &pos)
{
    const qsizetype n = b.size();
    while (pos < n && (isSpace(b.at(pos)) || b.at(pos) == '/'))
        ++pos;
    if (pos >= n || b.at(pos) == '>')
        return std::nullopt;
    Attribute a;
    for (;; ++pos) {
        if (pos >= n)
            return std::nullopt;
        const char c = b.at(pos);
        if (c == '=' && !a.name.isEmpty()) {
            ++pos;
            break;
        }
        if (isSpace(c)) {
            while (pos < n && isSpace(b.at(pos)))
                ++pos;
            if (pos >= n)
                return std::nullopt;
            if (b.at(pos) != '=')
                return a;
            ++pos;
            break;
        }
        if (c == '/' || c == '>')
            return a;
        a.name += lower(c);
    }
    while (pos < n && isSpace(b.at(pos)))
        ++pos;
    if (pos >= n)
        return std::nullopt;
    const char first = b.at(pos);
    if (first == '"' || first == '\'') {
        for (++pos; pos < n; ++pos) {
            if (b.at(pos) == first) {
                ++pos;
                return a;
            }
            a.value += lower(b.at(pos));
        }
        return std::nullopt;
    }
    if (first == '>')
        return a;
    for (; pos < n; ++pos) {
        const char c = b.at(pos);
        if (isSpace(c) || c == '>')
            return a;
        a.value += lower(c);
    }
    return std::nullopt;
}

// The encoding a <meta> tag starting after "<meta" declares; "" when it declares none.
QString metaCharset(const QByteArray &b, qsizetype &pos)
{
    QList<QByteArray> seen;
    bool gotPragma = false;
    std::optional<bool> needPragma;
    QString found;
    bool failed = false;
    while (const std::optional<Attribute> a = nextAttribute(b, pos)) {
        if (seen.contains(a->name))
            continue;
        seen << a->name;
        if (a->name == "http-equiv") {
            gotPragma = gotPragma || a->value == "content-type";
        } else if (a->name == "content" && !needPragma.has_value()) {
            const QString fromContent = sniff::charsetFromMetaContent(a->value);
            if (!fromContent.isEmpty()) {
                found = charset::fromLabel(fromContent);
                failed = found.isEmpty();
                needPragma = true;
            }
        } else if (a->name == "charset" && !needPragma.has_value()) {
            found = charset::fromLabel(QString::fromLatin1(a->value));
            failed = found.isEmpty();
            needPragma = false;
        }
    }
    if (!needPragma.has_value() || (*needPragma && !gotPragma) || failed)
        return {};
    if (charset::isUtf16(found))
        return QStringLiteral("UTF-8");
    return found;
}
} // namespace

QString sniff::charsetFromMetaContent(const QByteArray &content)
{
    const QByteArray c = content.toLower();
    qsizetype pos = 0;
    for (;;) {
        pos = c.indexOf("charset", pos);
        if (pos < 0)
            return {};
        pos += 7;
        while (pos < c.size() && isSpace(c.at(pos)))
            ++pos;
        if (pos < c.size() && c.at(pos) == '=')
            break;
    }
    ++pos;
    while (pos < c.size() && isSpace(c.at(pos)))
        ++pos;
    if (pos >= c.size())
        return {};
    const char quote = c.at(pos);
    if (quote == '"' || quote == '\'') {
        const qsizetype end = c.indexOf(quote, pos + 1);
        return end < 0 ? QString() : QString::fromLatin1(c.mid(pos + 1, end - pos - 1));
    }
    qsizetype end = pos;
    while (end < c.size() && !isSpace(c.at(end)) && c.at(end) != ';')
        ++end;
    return QString::fromLatin1(c.mid(pos, end - pos));
}

QString sniff::prescan(const QByteArray &all)
{
    const QByteArray b = all.left(kPrescanBytes);
    const qsizetype n = b.size();
    qsizetype pos = 0;
    while (pos < n) {
        if (b.mid(pos, 4) == "<!--") {
            const qsizetype end = b.indexOf("-->", pos + 2);
            if (end < 0)
                return {};
            pos = end + 3;
        } else if (startsWithNoCase(b, pos, "<meta") && pos + 5 < n &&
                   (isSpace(b.at(pos + 5)) || b.at(pos + 5) == '/')) {
            pos += 6;
            const QString found = metaCharset(b, pos);
            if (!found.isEmpty())
                return found;
        } else if (b.at(pos) == '<' && pos + 1 < n &&
                   (ascii::isLetter(b.at(pos + 1)) ||
                    (b.at(pos + 1) == '/' && pos + 2 < n && ascii::isLetter(b.at(pos + 2))))) {
            while (pos < n && !isSpace(b.at(pos)) && b.at(pos) != '>')
                ++pos;
            while (nextAttribute(b, pos)) {
            }
        } else if (b.mid(pos, 2) == "<!" || b.mid(pos, 2) == "</" || b.mid(pos, 2) == "<?") {
            const qsizetype end = b.indexOf('>', pos + 2);
            if (end < 0)
                return {};
            pos = end + 1;
        } else {
            ++pos;
        }
    }
    return {};
}

QByteArray sniff::mimeType(const QByteArray &contentType)
{
    const qsizetype semicolon = contentType.indexOf(';');
    return (semicolon < 0 ? contentType : contentType.left(semicolon)).trimmed().toLower();
}

QString sniff::contentTypeCharset(const QByteArray &contentType)
{
    const QList<QByteArray> parts = contentType.split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray part = parts.at(i).trimmed();
        const qsizetype eq = part.indexOf('=');
        if (eq < 0 || part.left(eq).trimmed().toLower() != "charset")
            continue;
        QByteArray value = part.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        return QString::fromLatin1(value);
    }
    return {};
}

sniff::Result sniff::encoding(const QByteArray &body, const QByteArray &contentType)
{
    if (body.startsWith("\xEF\xBB\xBF"))
        return {QStringLiteral("UTF-8"), 3};
    if (body.startsWith("\xFE\xFF"))
        return {QStringLiteral("UTF-16BE"), 2};
    if (body.startsWith("\xFF\xFE"))
        return {QStringLiteral("UTF-16LE"), 2};
    const QString fromHeader = charset::fromLabel(contentTypeCharset(contentType));
    if (!fromHeader.isEmpty())
        return {fromHeader, 0};
    const QString fromMeta = prescan(body);
    if (!fromMeta.isEmpty())
        return {fromMeta, 0};
    return {QStringLiteral("UTF-8"), 0};
}
