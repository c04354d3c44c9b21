// Readable gtest failure messages for Qt strings and byte arrays in the browser tests.
#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>

static inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

static inline void PrintTo(const QByteArray &b, std::ostream *os)
{
    *os << '"';
    for (const char c : b) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\') {
            *os << c;
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            *os << "\\x" << kHex[u >> 4] << kHex[u & 0x0F];
        }
    }
    *os << '"';
}
