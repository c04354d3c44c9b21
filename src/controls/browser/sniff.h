// Which encoding a fetched page is in: a byte order mark, else the Content-Type charset,
// else a <meta> declaration in the first 1024 bytes, else UTF-8.
#pragma once

#include <QByteArray>
#include <QString>

namespace sniff {

struct Result {
    QString charset;         // canonical encoding name (see charset::fromLabel)
    qsizetype bomLength = 0; // bytes of byte order mark to skip
};

Result encoding(const QByteArray &body, const QByteArray &contentType);
// The charset parameter of a Content-Type value, unquoted; "" when there is none.
QString contentTypeCharset(const QByteArray &contentType);
// The MIME type of a Content-Type value, lower case, without parameters.
QByteArray mimeType(const QByteArray &contentType);
// The encoding a <meta charset> or <meta http-equiv=content-type> in the bytes declares,
// looking at the first 1024 bytes only; "" when none is found.
QString prescan(const QByteArray &head);
// The charset in a meta content value such as "text/html; charset=koi8-r"; "" when none.
QString charsetFromMetaContent(const QByteArray &content);

} // namespace sniff
