#include "web/addresses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {
QString setting(const char *variable, const char *builtIn)
{
    const QString fromEnv = qEnvironmentVariable(variable).trimmed();
    return fromEnv.isEmpty() ? QString::fromUtf8(builtIn).trimmed() : fromEnv;
}

// The installed copy of the maker's site: beside the executable (an installation or a build
// tree), else where the build installs it, else the source tree.
QString installedSite()
{
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath() +
                          QStringLiteral("/" HARROWKIT_SITE_FROM_BIN);
    candidates << QStringLiteral(HARROWKIT_SITE_DIR) << QStringLiteral(HARROWKIT_SOURCE_SITE_DIR);
    for (const QString &c : candidates)
        if (QFileInfo::exists(c + QStringLiteral("/search.htm")))
            return QDir(c).canonicalPath();
    return QStringLiteral(HARROWKIT_SOURCE_SITE_DIR);
}

bool isLocal(const QString &base)
{
    return base.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive);
}
} // namespace

QString addresses::makerServer()
{
    QString base = setting("HARROWKIT_SERVER", HARROWKIT_DEFAULT_SERVER);
    if (base.isEmpty())
        base = QUrl::fromLocalFile(installedSite()).toString();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

QString addresses::engineHome()
{
    return setting("HARROWKIT_ENGINE", HARROWKIT_DEFAULT_ENGINE);
}

QString addresses::searchPage()
{
    return makerServer() + QStringLiteral("/search.htm");
}

QString addresses::versionFile()
{
    return makerServer() + QStringLiteral("/download/HarrowKIT/version");
}

QString addresses::downloadPage()
{
    return makerServer() + QStringLiteral("/download/HarrowKIT/index.htm");
}

QString addresses::downloadIndex()
{
    return makerServer() + QStringLiteral("/download/index.htm");
}

QString addresses::makerHome()
{
    // A folder opened as a file URL would show a listing, not the home page.
    const QString base = makerServer();
    return isLocal(base) ? base + QStringLiteral("/index.htm") : base + QLatin1Char('/');
}
