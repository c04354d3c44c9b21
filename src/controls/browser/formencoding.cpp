#include "controls/browser/submission.h"

#include "controls/browser/charset.h"

#include <QRandomGenerator>

namespace {
bool keptAsIs(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '*' ||
           c == '-' || c == '.' || c == '_';
}

// Percent-encodes encoded bytes; a space becomes '+'.
QByteArray formPercentEncode(const QByteArray &bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out += '+';
        } else if (keptAsIs(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

// Names and string values with every newline as CRLF (a file's name is left as it is).
EntryList normalized(const EntryList &entries)
{
    EntryList out = entries;
    for (FormEntry &entry : out) {
        entry.name = normalizeNewlines(entry.name);
        if (!entry.isFile)
            entry.value = normalizeNewlines(entry.value);
    }
    return out;
}

// A name or file name in a multipart header: CR, LF and '"' are escaped.
QByteArray headerQuoted(const QString &text, const QString &charsetName)
{
    QByteArray bytes = charset::encode(text, charsetName);
    bytes.replace("\n", "%0A");
    bytes.replace("\r", "%0D");
    bytes.replace("\"", "%22");
    return bytes;
}
} // namespace

QString outputCharset(const QString &name)
{
    const QString canonical = charset::fromLabel(name);
    return canonical.isEmpty() || charset::isUtf16(canonical) ? QStringLiteral("UTF-8") : canonical;
}

QByteArray urlEncode(const EntryList &rawEntries, const QString &charsetName)
{
    const EntryList entries = normalized(rawEntries);
    const QString charsetOut = outputCharset(charsetName);
    QByteArray out;
    for (const FormEntry &entry : entries) {
        if (!out.isEmpty())
            out += '&';
        out += formPercentEncode(charset::encode(entry.name, charsetOut));
        out += '=';
        out += formPercentEncode(charset::encode(entry.value, charsetOut));
    }
    return out;
}

QByteArray multipartEncode(const EntryList &rawEntries, const QString &requested,
                           const QByteArray &boundary)
{
    const EntryList entries = normalized(rawEntries);
    const QString charsetName = outputCharset(requested);
    QByteArray out;
    for (const FormEntry &entry : entries) {
        out += "--" + boundary + "\r\n";
        out +=
            "Content-Disposition: form-data; name=\"" + headerQuoted(entry.name, charsetName) + '"';
        if (entry.isFile) {
            out += "; filename=\"" + headerQuoted(entry.value, charsetName) + "\"\r\n";
            out += "Content-Type: application/octet-stream\r\n\r\n";
        } else {
            out += "\r\n\r\n";
            out += charset::encode(entry.value, charsetName);
        }
        out += "\r\n";
    }
    out += "--" + boundary + "--\r\n";
    return out;
}

QByteArray textPlainEncode(const EntryList &rawEntries, const QString &charsetName)
{
    QString text;
    for (const FormEntry &entry : normalized(rawEntries))
        text += entry.name + QLatin1Char('=') + entry.value + QStringLiteral("\r\n");
    return charset::encode(text, outputCharset(charsetName));
}

QByteArray multipartBoundary(const EntryList &entries, const QString &charsetName)
{
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray content;
    for (const FormEntry &entry : entries)
        content +=
            charset::encode(entry.name, charsetName) + charset::encode(entry.value, charsetName);
    for (;;) {
        QByteArray boundary = "----HarrowKITFormBoundary";
        for (int i = 0; i < 16; ++i)
            boundary += kAlphabet[QRandomGenerator::system()->bounded(62)];
        if (!content.contains(boundary))
            return boundary;
    }
}
