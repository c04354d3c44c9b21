// Text encodings by their web labels: naming, decoding, and encoding form data the way a
// browser does (characters the encoding lacks become decimal character references).
#pragma once

#include <QByteArray>
#include <QString>

namespace charset {

// The canonical name for a label ("utf8", "latin1", "Shift_JIS", ...): "UTF-8",
// "windows-1252", "UTF-16LE", "UTF-16BE" or the converter's own name; "" when unsupported.
QString fromLabel(const QString &label);
bool isUtf16(const QString &name);

// Decodes with a supported encoding name; anything else decodes as UTF-8. Malformed
// sequences become U+FFFD.
QString decode(const QByteArray &bytes, const QString &name);

// Encodes text; a character the encoding cannot represent becomes "&#N;" (its code point in
// decimal). Lone surrogates become U+FFFD first. Unsupported names encode as UTF-8.
QByteArray encode(const QString &text, const QString &name);

} // namespace charset
