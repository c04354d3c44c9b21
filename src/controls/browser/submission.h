// Form submission over the document model: the entry list, the three encodings of a form data
// set, and the request a submit() produces. Pure functions; nothing is sent here.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <vector>

class HtmlForm;

struct FormEntry {
    QString name;
    QString value;       // for a file: the file name
    bool isFile = false; // a file entry (always an empty file: no files are ever chosen)
};
using EntryList = std::vector<FormEntry>;

enum class Enctype { UrlEncoded, Multipart, TextPlain };

struct FormSubmission {
    bool post = false;
    QUrl url;               // the request's URL; a GET already carries the entries as query
    QByteArray body;        // POST only
    QByteArray contentType; // POST only; multipart names its boundary
    Enctype enctype = Enctype::UrlEncoded;
    QString target;          // the chosen browsing context name
    bool newContext = false; // the result opens in the person's own browser
    EntryList entries;       // the entry list, newlines normalised to CRLF
    QString charset;         // the encoding the entries were encoded with
};

// The listed elements' contribution in tree order; charset fills _charset_ fields.
EntryList constructEntryList(const HtmlForm &form, const QString &charset);
// Replaces lone CR and lone LF by CRLF.
QString normalizeNewlines(const QString &text);

// The three encodings of an entry list; characters the charset lacks become "&#N;", newlines
// become CRLF, and UTF-16 is written as UTF-8.
QByteArray urlEncode(const EntryList &entries, const QString &charset);
QByteArray multipartEncode(const EntryList &entries, const QString &charset,
                           const QByteArray &boundary);
QByteArray textPlainEncode(const EntryList &entries, const QString &charset);
// A random multipart boundary that occurs nowhere in the encoded entries.
QByteArray multipartBoundary(const EntryList &entries, const QString &charset);

// The encoding of a form: the first supported label of accept-charset, else the document's;
// UTF-16 becomes UTF-8.
QString formCharset(const HtmlForm &form);
// The encoding form data is written in: UTF-8 for UTF-16 and for unsupported names.
QString outputCharset(const QString &name);
// True for "_blank" and any name other than _self, _parent, _top or "".
bool opensNewContext(const QString &target);

// The whole submission of a form submitted from script (no submitter). Throws
// std::runtime_error when it loads nothing: a dialog form, or an action whose scheme may not
// be followed.
FormSubmission planSubmission(const HtmlForm &form);
