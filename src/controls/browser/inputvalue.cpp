#include "controls/browser/inputvalue.h"

#include "controls/browser/asciibytes.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace {
QString stripNewlines(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

bool leapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

bool validDate(const QRegularExpressionMatch &m, int yearGroup)
{
    const int year = m.captured(yearGroup).toInt();
    const int month = m.captured(yearGroup + 1).toInt();
    const int day = m.captured(yearGroup + 2).toInt();
    return year > 0 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

bool validTime(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral("^([0-9]{2}):([0-9]{2})(:([0-9]{2})(\\.[0-9]{1,3})?)?$"));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() && m.captured(1).toInt() <= 23 && m.captured(2).toInt() <= 59 &&
           (m.captured(4).isEmpty() || m.captured(4).toInt() <= 59);
}

bool validDateString(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^([0-9]{4,})-([0-9]{2})-([0-9]{2})$"));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() && validDate(m, 1);
}

bool validMonth(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^([0-9]{4,})-([0-9]{2})$"));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() && m.captured(1).toInt() > 0 && m.captured(2).toInt() >= 1 &&
           m.captured(2).toInt() <= 12;
}

bool validWeek(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^([0-9]{4,})-W([0-9]{2})$"));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() && m.captured(1).toInt() > 0 && m.captured(2).toInt() >= 1 &&
           m.captured(2).toInt() <= 53;
}

// A local date and time in its shortest form: "T" between date and time, no zero seconds,
// no trailing zeros in the fraction.
QString dateTimeLocal(const QString &text)
{
    const qsizetype split = text.indexOf(QRegularExpression(QStringLiteral("[T ]")));
    if (split < 0 || !validDateString(text.left(split)) || !validTime(text.mid(split + 1)))
        return {};
    QString time = text.mid(split + 1);
    if (time.size() > 5) {
        QString seconds = time.mid(6);
        if (seconds.contains(QLatin1Char('.'))) {
            while (seconds.endsWith(QLatin1Char('0')))
                seconds.chop(1);
            if (seconds.endsWith(QLatin1Char('.')))
                seconds.chop(1);
        }
        time = seconds == u"00" ? time.left(5) : time.left(6) + seconds;
    }
    return text.left(split) + QLatin1Char('T') + time;
}

QString range(const QString &value, const QString &minText, const QString &maxText,
              const QString &stepText)
{
    double min = 0;
    double max = 100;
    if (!inputvalue::isValidFloat(minText, &min))
        min = 0;
    if (!inputvalue::isValidFloat(maxText, &max))
        max = 100;
    if (max < min)
        max = min;
    double v = 0;
    if (!inputvalue::isValidFloat(value, &v))
        v = min + (max - min) / 2;
    v = qBound(min, v, max);
    // Snap to the step (default 1) counted from the minimum, staying within the maximum.
    double step = 1;
    if (ascii::lower(stepText) != u"any") {
        if (!inputvalue::isValidFloat(stepText, &step) || step <= 0)
            step = 1;
        v = min + std::round((v - min) / step) * step;
        if (v > max)
            v = min + std::floor((max - min) / step) * step;
    }
    return QString::number(v, 'g', 15);
}
} // namespace

bool inputvalue::isValidFloat(const QString &text, double *result)
{
    static const QRegularExpression re(
        QStringLiteral("^-?([0-9]+(\\.[0-9]+)?|\\.[0-9]+)([eE][-+]?[0-9]+)?$"));
    if (!re.match(text).hasMatch())
        return false;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (result)
        *result = v;
    return ok;
}

QString inputvalue::typeKeyword(const QString &attribute)
{
    static const QStringList kTypes = {
        QStringLiteral("hidden"),   QStringLiteral("text"),  QStringLiteral("search"),
        QStringLiteral("tel"),      QStringLiteral("url"),   QStringLiteral("email"),
        QStringLiteral("password"), QStringLiteral("date"),  QStringLiteral("month"),
        QStringLiteral("week"),     QStringLiteral("time"),  QStringLiteral("datetime-local"),
        QStringLiteral("number"),   QStringLiteral("range"), QStringLiteral("color"),
        QStringLiteral("checkbox"), QStringLiteral("radio"), QStringLiteral("file"),
        QStringLiteral("submit"),   QStringLiteral("image"), QStringLiteral("reset"),
        QStringLiteral("button")};
    const QString type = ascii::lower(attribute);
    return kTypes.contains(type) ? type : QStringLiteral("text");
}

inputvalue::Mode inputvalue::mode(const QString &type)
{
    if (type == u"hidden" || type == u"submit" || type == u"image" || type == u"reset" ||
        type == u"button")
        return Mode::Default;
    if (type == u"checkbox" || type == u"radio")
        return Mode::DefaultOn;
    if (type == u"file")
        return Mode::Filename;
    return Mode::Value;
}

QString inputvalue::sanitize(const QString &type, const QString &value, const QString &min,
                             const QString &max, const QString &step, bool multiple)
{
    if (type == u"text" || type == u"search" || type == u"tel" || type == u"password")
        return stripNewlines(value);
    if (type == u"url")
        return ascii::stripSpace(stripNewlines(value));
    if (type == u"email") {
        if (!multiple)
            return ascii::stripSpace(stripNewlines(value));
        QStringList parts = value.split(QLatin1Char(','));
        for (QString &part : parts)
            part = ascii::stripSpace(part);
        return parts.join(QLatin1Char(','));
    }
    if (type == u"number")
        return isValidFloat(value) ? value : QString();
    if (type == u"range")
        return range(value, min, max, step);
    if (type == u"color") {
        static const QRegularExpression re(QStringLiteral("^#[0-9a-fA-F]{6}$"));
        return re.match(value).hasMatch() ? value.toLower() : QStringLiteral("#000000");
    }
    if (type == u"date")
        return validDateString(value) ? value : QString();
    if (type == u"month")
        return validMonth(value) ? value : QString();
    if (type == u"week")
        return validWeek(value) ? value : QString();
    if (type == u"time")
        return validTime(value) ? value : QString();
    if (type == u"datetime-local")
        return dateTimeLocal(value);
    return value;
}
