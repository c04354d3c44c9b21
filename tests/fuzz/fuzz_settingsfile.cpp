// The settings file read and edited directly, against Qt's own INI reader: wherever the direct
// reader takes a file, it finds what QSettings finds, and the file it writes holds, for
// QSettings, the new value and every other value unchanged.
//
// Input: the file's bytes.
#include "controls/iniplain.h"

#include <QSettings>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>

namespace {
const char *const kNames[] = {"skn", "poy", "upd", "ont", "Skn", "a b", "x.y"};

// Each file gets a path of its own: QSettings keeps what it parsed per path and re-reads only
// when the size or the time of the file changed.
QString freshPath()
{
    static QTemporaryDir dir;
    static int serial = 0;
    return dir.filePath(QStringLiteral("s%1.conf").arg(++serial));
}

std::map<QString, QString> parsedByQt(const QByteArray &bytes)
{
    const QString path = freshPath();
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            std::abort();
    }
    std::map<QString, QString> values;
    {
        QSettings qt(path, QSettings::IniFormat);
        for (const QString &key : qt.allKeys())
            values[key] = qt.value(key).toString();
    }
    QFile::remove(path);
    return values;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (!iniplain::find(file, "skn"))
        return 0; // not the plain form: left to QSettings
    const std::map<QString, QString> before = parsedByQt(file);
    for (const char *name : kNames) {
        const auto direct = iniplain::find(file, name);
        if (!direct)
            std::abort();
        const auto qt = before.find(QLatin1String(name));
        if (direct->found != (qt != before.end()))
            std::abort();
        if (direct->found && QString::fromLatin1(direct->text) != qt->second)
            std::abort();
    }
    const QByteArray value = QByteArray::number(static_cast<int>(size) - 100);
    const auto written = iniplain::withValue(file, "poy", value);
    if (!written)
        std::abort();
    std::map<QString, QString> expected = before;
    expected[QStringLiteral("poy")] = QString::fromLatin1(value);
    if (parsedByQt(*written) != expected)
        std::abort();
    return 0;
}
