// HTML's ASCII rules, shared by the scanners that read raw page source and by everything that
// matches keywords and labels: only ASCII letters have case, only five characters are blanks.
#pragma once

#include <QString>

namespace ascii {
inline bool isSpace(char c)
{
    return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

inline bool isSpace(QChar c)
{
    return c.unicode() < 0x80 && isSpace(static_cast<char>(c.unicode()));
}

inline bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Upper-case ASCII letters lowered; every other character as it is (the Kelvin sign is no
// "k", the long s no "s").
inline QString lower(QString text)
{
    for (QChar &c : text)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return text;
}

// Without the blanks at either end.
inline QString stripSpace(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpace(text.at(begin)))
        ++begin;
    while (end > begin && isSpace(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}
} // namespace ascii
