#include "controls/qtregistry.h"

#include "controls/durablefile.h"
#include "controls/iniplain.h"
#include "settings/modRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <stdexcept>

namespace {
const QString kKey = QStringLiteral("Software\\HarrowKIT");

// Larger files are left to the full reader.
constexpr qsizetype kPlainLimit = 64 * 1024;

void checkKey(std::int32_t root, const QString &key)
{
    if (root != HKEY_CURRENT_USER || key.compare(kKey, Qt::CaseInsensitive) != 0)
        throw std::invalid_argument("only the program's own key is kept");
}

// A write takes the file's lock ("HarrowKIT.conf.lock"; "HarrowKIT.conf.lock.rmlock" guards the
// removal of a stale one) and waits while another holder has it. A run killed in the middle of a
// write leaves its locks behind. One that names a process that has ended is stale and taken over
// at once, but one that names no process (killed between creating it and writing its owner into
// it) counts as held until it is 30 s old: the next write would wait that long, the window
// frozen. Only this program writes its settings, one write at a time, so before a write such a
// lock is a leftover, and so is a new file that a killed write never renamed into place.
void clearLeftovers(const QString &file)
{
    const QFileInfo settings(file);
    QDir folder = settings.dir();
    // Matched by hand: a name filter would compile a pattern for every write.
    const QString prefix = settings.fileName() + QStringLiteral(".lock");
    const QString pending = durablefile::pendingPrefix(file);
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.startsWith(pending))
            folder.remove(name);
        if (!name.startsWith(prefix))
            continue;
        QLockFile lock(folder.filePath(name));
        qint64 pid = 0;
        if (!lock.getLockInfo(&pid, nullptr, nullptr))
            lock.removeStaleLockFile();
        else if (lock.tryLock(0)) // only when its owner has ended
            lock.unlock();
    }
}
} // namespace

QtRegistryComponent::QtRegistryComponent()
{
#ifdef Q_OS_WIN
    m_location = QStringLiteral("HKEY_CURRENT_USER\\") + kKey;
    m_format = QSettings::NativeFormat;
#else
    m_location = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/HarrowKIT/HarrowKIT.conf");
    m_format = QSettings::IniFormat;
#endif
}

QtRegistryComponent::QtRegistryComponent(const QString &iniPath)
    : m_location(iniPath), m_format(QSettings::IniFormat)
{
}

std::unique_ptr<QSettings> QtRegistryComponent::open(std::int32_t root, const QString &key) const
{
    checkKey(root, key);
    auto settings = std::make_unique<QSettings>(m_location, m_format);
    if (settings->status() == QSettings::AccessError)
        throw std::runtime_error("settings cannot be read");
    return settings;
}

std::int32_t QtRegistryComponent::read(std::int32_t &root, QString &key, QString &valueName,
                                       QString &data)
{
    checkKey(root, key);
    if (m_format == QSettings::IniFormat) {
        const durablefile::Contents file = durablefile::read(m_location, kPlainLimit);
        if (file.state == durablefile::Contents::Missing)
            return 0;
        if (file.state == durablefile::Contents::Read) {
            if (const auto v = iniplain::find(file.bytes, valueName.toUtf8())) {
                if (!v->found)
                    return 0;
                data = QString::fromLatin1(v->text);
                return 1;
            }
        }
    }
    const QVariant v = open(root, key)->value(valueName);
    if (!v.isValid())
        return 0;
    data = v.toString();
    return 1;
}

std::int32_t QtRegistryComponent::write(std::int32_t &root, QString &key, QString &valueName,
                                        QString &data)
{
    checkKey(root, key);
    if (m_format == QSettings::IniFormat && writePlain(valueName, data))
        return 1;
    {
        auto settings = open(root, key);
        // A value already stored as this text is left as it is: no rewrite of the file. A
        // file that could not be parsed whole is rewritten all the same.
        const QVariant stored = settings->value(valueName);
        if (settings->status() == QSettings::NoError && stored.isValid() &&
            stored.toString() == data)
            return 1;
        if (m_format == QSettings::IniFormat)
            clearLeftovers(m_location);
        settings->setValue(valueName, data);
        settings->sync(); // on disk (written to a new file and renamed) before we return
        // A file that could not be parsed whole is still rewritten with what could be read;
        // only a failed access means the value did not arrive.
        if (settings->status() == QSettings::AccessError)
            throw std::runtime_error("settings could not be written");
    }
    if (open(root, key)->value(valueName).toString() != data)
        throw std::runtime_error("the written value did not reach the store");
    return 1;
}

bool QtRegistryComponent::writePlain(const QString &valueName, const QString &data)
{
    const durablefile::Contents file = durablefile::read(m_location, kPlainLimit);
    if (file.state == durablefile::Contents::Unusable)
        return false;
    const QByteArray name = valueName.toUtf8(), value = data.toUtf8();
    const auto stored = iniplain::find(file.bytes, name);
    if (!stored)
        return false;
    if (stored->found && stored->text == value)
        return true; // already stored as this text: the file is left as it is
    const std::optional<QByteArray> text = iniplain::withValue(file.bytes, name, value);
    if (!text)
        return false;
    clearLeftovers(m_location);
    // replace() reports success only once the new text is synced and renamed into place, so
    // there is nothing left to read back.
    if (!durablefile::replace(m_location, *text))
        throw std::runtime_error("settings could not be written");
    return true;
}
