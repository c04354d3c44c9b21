#include "controls/int16.h"

#include <QString>
#include <cmath>

Int16 add16(Int16 a, Int16 b)
{
    return static_cast<Int16>(
        static_cast<std::uint16_t>(static_cast<std::uint16_t>(a) + static_cast<std::uint16_t>(b)));
}

Int16 cint16(double value)
{
    if (std::isnan(value))
        throw OverflowError("not a number");
    // nearbyint rounds half to even in the default rounding mode.
    const double r = std::nearbyint(value);
    if (r < -32768.0 || r > 32767.0)
        throw OverflowError("value out of the 16-bit range");
    return static_cast<Int16>(r);
}

Int16 textToInt16(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        throw std::invalid_argument("empty number");
    int start = (t.front() == u'-' || t.front() == u'+') ? 1 : 0;
    if (start == t.size())
        throw std::invalid_argument("sign without digits");
    for (int i = start; i < t.size(); ++i)
        if (!t.at(i).isDigit() || t.at(i).unicode() > u'9')
            throw std::invalid_argument("not a whole number");
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok || v < -32768 || v > 32767)
        throw OverflowError("number out of the 16-bit range");
    return static_cast<Int16>(v);
}
