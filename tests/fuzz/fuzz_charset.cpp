// Charset detection and decoding: a Content-Type value and a body in; the encoding sniffed,
// the body decoded with it, and the text encoded back the way form data is.
//
// Input: the Content-Type value up to the first newline, then the body.
#include "controls/browser/charset.h"
#include "controls/browser/sniff.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype newline = input.indexOf('\n');
    const QByteArray contentType = newline < 0 ? QByteArray() : input.left(newline);
    const QByteArray body = newline < 0 ? input : input.mid(newline + 1);

    const sniff::Result encoding = sniff::encoding(body, contentType);
    const QString text = charset::decode(body.mid(encoding.bomLength), encoding.charset);
    charset::encode(text, encoding.charset);
    charset::encode(text, QStringLiteral("windows-1252"));
    // The body's first bytes taken as a label, as a page's accept-charset would give one.
    charset::fromLabel(QString::fromLatin1(body.left(32)));
    return 0;
}
