// The registry access component over QSettings: the registry itself on Windows, an INI file
// per user elsewhere (${XDG_CONFIG_HOME:-$HOME/.config}/HarrowKIT/HarrowKIT.conf, the values as
// plain keys of its [General] group). A file in the plain form this program writes is read and
// written directly, with one disk sync per write instead of QSettings' lock file and two.
#pragma once

#include "controls/platform.h"

#include <QSettings>
#include <memory>

class QtRegistryComponent : public IRegistryComponent {
public:
    QtRegistryComponent();                                // the per-user store of the program
    explicit QtRegistryComponent(const QString &iniPath); // a given INI file (tests)

    std::int32_t read(std::int32_t &root, QString &key, QString &valueName, QString &data) override;
    std::int32_t write(std::int32_t &root, QString &key, QString &valueName,
                       QString &data) override;

    QString location() const { return m_location; }

private:
    // A fresh view of the store for every operation: it sees edits made by hand meanwhile, and
    // its status tells about this operation alone (QSettings keeps the first error it met).
    std::unique_ptr<QSettings> open(std::int32_t root, const QString &key) const;
    // The write done directly on a settings file in its plain form (see iniplain.h); false when
    // the file needs the full writer.
    bool writePlain(const QString &valueName, const QString &data);

    QString m_location;
    QSettings::Format m_format;
};
