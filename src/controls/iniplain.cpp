#include "controls/iniplain.h"

namespace {

bool isPlainByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
           c == '\t' || c == '\n' || c == '\r' || c == '=' || c == '[' || c == ']' || c == '+' ||
           c == '-' || c == '.' || c == '_';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView s)
{
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

bool isPlainText(QByteArrayView s)
{
    for (char c : s)
        if (!isPlainByte(c) || c == '\n' || c == '\r')
            return false;
    return true;
}

// A name the plain form can hold as it is: the full reader would unescape nothing in it.
bool isPlainName(QByteArrayView name)
{
    return !name.isEmpty() && isPlainText(name) && trimmed(name) == name && !name.contains('=') &&
           name.front() != '[';
}

// What one pass over the file learns about `name` in the general section.
struct Scan {
    qsizetype nameStart = -1, nameEnd = -1; // the last line that sets it
    QByteArrayView value;
    qsizetype generalEnd = -1; // the end of the section's last line
};

std::optional<Scan> scan(QByteArrayView file, QByteArrayView name)
{
    if (!isPlainName(name))
        return std::nullopt;
    for (char c : file)
        if (!isPlainByte(c))
            return std::nullopt;
    Scan result;
    bool inGeneral = true; // lines before any section header belong to it
    qsizetype pos = 0;
    while (pos < file.size()) {
        qsizetype end = pos;
        while (end < file.size() && file[end] != '\n' && file[end] != '\r')
            ++end;
        qsizetype start = pos;
        while (start < end && isBlank(file[start]))
            ++start;
        pos = end + 1;
        const QByteArrayView line = file.sliced(start, end - start);
        if (line.isEmpty())
            continue;
        if (line.front() == '[') {
            const qsizetype close = line.indexOf(']');
            if (close < 0)
                return std::nullopt;
            const QByteArrayView section = trimmed(line.sliced(1, close - 1));
            if (section.isEmpty())
                return std::nullopt;
            inGeneral = section.compare("general", Qt::CaseInsensitive) == 0;
            if (inGeneral)
                result.generalEnd = end;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            return std::nullopt; // a line the full reader reports as damaged
        const QByteArrayView key = trimmed(line.first(equals));
        if (key.isEmpty())
            return std::nullopt;
        if (!inGeneral)
            continue;
        result.generalEnd = end;
        if (key == name) {
            result.nameStart = start;
            result.nameEnd = end;
            result.value = trimmed(line.sliced(equals + 1));
        }
    }
    return result;
}

} // namespace

std::optional<iniplain::Value> iniplain::find(QByteArrayView file, QByteArrayView name)
{
    const std::optional<Scan> s = scan(file, name);
    if (!s)
        return std::nullopt;
    Value v;
    v.found = s->nameStart >= 0;
    v.text = s->value.toByteArray();
    return v;
}

std::optional<QByteArray> iniplain::withValue(QByteArrayView file, QByteArrayView name,
                                              QByteArrayView value)
{
    if (!isPlainText(value) || trimmed(value) != value)
        return std::nullopt;
    const std::optional<Scan> s = scan(file, name);
    if (!s)
        return std::nullopt;
    const QByteArray line = name.toByteArray() + '=' + value.toByteArray();
    QByteArray out;
    if (s->nameStart >= 0) {
        out = file.first(s->nameStart).toByteArray() + line + file.sliced(s->nameEnd).toByteArray();
    } else if (s->generalEnd >= 0) {
        out = file.first(s->generalEnd).toByteArray() + '\n' + line +
              file.sliced(s->generalEnd).toByteArray();
    } else {
        out = "[General]\n" + line + '\n';
        if (!file.isEmpty())
            out += '\n' + file.toByteArray();
    }
    return out;
}
