#include "web/versionfile.h"

#include <QRegularExpression>
#include <stdexcept>

QString versionInFile(const QString &file)
{
    static const QRegularExpression number(QStringLiteral("\\A[0-9]+(\\.[0-9]+)*\\z"));
    const QString line = file.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (!number.match(line).hasMatch())
        throw std::runtime_error("the version file names no version");
    return line;
}
