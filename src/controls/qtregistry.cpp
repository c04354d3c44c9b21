#include "controls/qtregistry.h"

#include "settings/modRegistry.h"

#include <QStandardPaths>
#include <stdexcept>

namespace {
const QString kKey = QStringLiteral("Software\\HarrowKIT");
}

QtRegistryComponent::QtRegistryComponent()
{
#ifdef Q_OS_WIN
    m_settings = std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + kKey,
                                             QSettings::NativeFormat);
#else
    // ${XDG_CONFIG_HOME:-$HOME/.config}/HarrowKIT/HarrowKIT.conf
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    m_settings = std::make_unique<QSettings>(dir + QStringLiteral("/HarrowKIT/HarrowKIT.conf"),
                                             QSettings::IniFormat);
#endif
}

QtRegistryComponent::QtRegistryComponent(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

QString QtRegistryComponent::location() const
{
    return m_settings->fileName();
}

QSettings &QtRegistryComponent::settingsFor(std::int32_t root, const QString &key)
{
    if (root != HKEY_CURRENT_USER || key.compare(kKey, Qt::CaseInsensitive) != 0)
        throw std::invalid_argument("only the program's own key is kept");
    return *m_settings;
}

std::int32_t QtRegistryComponent::read(std::int32_t &root, QString &key, QString &valueName,
                                       QString &data)
{
    QSettings &s = settingsFor(root, key);
    s.sync(); // picks up changes made to the file by hand since the last access
    if (s.status() == QSettings::AccessError)
        throw std::runtime_error("settings cannot be read");
    const QVariant v = s.value(valueName);
    if (!v.isValid())
        return 0;
    data = v.toString();
    return 1;
}

std::int32_t QtRegistryComponent::write(std::int32_t &root, QString &key, QString &valueName,
                                        QString &data)
{
    QSettings &s = settingsFor(root, key);
    s.setValue(valueName, data);
    s.sync(); // the value is on disk before the call returns
    if (s.status() != QSettings::NoError)
        throw std::runtime_error("settings could not be written");
    return 1;
}
