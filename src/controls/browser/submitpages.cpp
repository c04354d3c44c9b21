#include "controls/browser/submitpages.h"

#include "controls/browser/submission.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>
#include <QTimer>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace {
const QString kFolderName = QStringLiteral("harrowkit-pages");
const QString kPagePattern = QStringLiteral("search-*.html");
constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr QFile::Permissions kOthers = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                       QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

// Pages written and not yet removed, to remove when the process ends.
QMutex g_mutex;
QStringList &livePages()
{
    static QStringList pages;
    return pages;
}

void removeLivePages()
{
    const QMutexLocker lock(&g_mutex);
    for (const QString &path : livePages())
        QFile::remove(path);
    livePages().clear();
}

// A folder only this person can enter: in their runtime folder, else in their cache folder.
// A name that is a link, or a folder someone else owns or can enter, is not used.
QString privateFolder()
{
    for (const auto location : {QStandardPaths::RuntimeLocation, QStandardPaths::CacheLocation}) {
        const QString base = QStandardPaths::writableLocation(location);
        if (base.isEmpty() || !QDir().mkpath(base))
            continue;
        const QString path = base + QLatin1Char('/') + kFolderName;
        QDir().mkdir(path, kOwnerOnly);
        const QFileInfo info(path);
        if (!info.isSymLink() && info.isDir() && info.ownerId() == getuid() &&
            (info.permissions() & kOthers) == 0)
            return path;
    }
    return {};
}

// Pages an earlier process left behind (it was killed): only regular files of this person,
// never what a link points to.
void sweepStalePages(const QString &folder, std::chrono::milliseconds lifetime)
{
    const QDateTime before =
        QDateTime::currentDateTimeUtc().addMSecs(-std::max<qint64>(lifetime.count(), 60000));
    const QFileInfoList entries =
        QDir(folder).entryInfoList({kPagePattern}, QDir::Files | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo &info : entries)
        if (!info.isSymLink() && info.isFile() && info.ownerId() == getuid() &&
            info.lastModified().toUTC() < before && !livePages().contains(info.filePath()))
            QFile::remove(info.filePath());
}

QString escaped(const QString &text)
{
    QString out = text.toHtmlEscaped();
    out.replace(QLatin1Char('\''), QStringLiteral("&#39;"));
    out.replace(QLatin1Char('\r'), QStringLiteral("&#13;"));
    out.replace(QLatin1Char('\n'), QStringLiteral("&#10;"));
    return out;
}

QString enctypeName(Enctype enctype)
{
    switch (enctype) {
    case Enctype::Multipart:
        return QStringLiteral("multipart/form-data");
    case Enctype::TextPlain:
        return QStringLiteral("text/plain");
    case Enctype::UrlEncoded:
        break;
    }
    return QStringLiteral("application/x-www-form-urlencoded");
}
} // namespace

SubmitPages::SubmitPages(std::chrono::milliseconds lifetime) : m_lifetime(lifetime)
{
    static const bool registered = [] {
        livePages(); // constructed first, so it is destroyed after the exit handler ran
        std::atexit(removeLivePages);
        return true;
    }();
    Q_UNUSED(registered);
}

SubmitPages::~SubmitPages()
{
    const QMutexLocker lock(&g_mutex);
    for (const QString &path : std::as_const(m_written))
        if (livePages().removeAll(path) > 0)
            QFile::remove(path);
}

void SubmitPages::removeAll()
{
    removeLivePages();
}

QByteArray SubmitPages::page(const FormSubmission &s)
{
    QString html =
        QStringLiteral(
            "<!DOCTYPE html>\n<html><head><meta "
            "charset=\"utf-8\"><title>Searching…</title></head>\n"
            "<body>\n<form method=\"post\" action=\"%1\" enctype=\"%2\" accept-charset=\"%3\">\n")
            .arg(escaped(s.url.toString(QUrl::FullyEncoded)), enctypeName(s.enctype),
                 escaped(s.charset));
    for (const FormEntry &entry : s.entries) {
        if (entry.isFile)
            html += QStringLiteral("<input type=\"file\" name=\"%1\" hidden>\n")
                        .arg(escaped(entry.name));
        else
            html += QStringLiteral("<input type=\"hidden\" name=\"%1\" value=\"%2\">\n")
                        .arg(escaped(entry.name), escaped(entry.value));
    }
    html +=
        QStringLiteral("<noscript><button type=\"submit\">Continue</button></noscript>\n</form>\n"
                       "<script>document.forms[0].submit();</script>\n</body></html>\n");
    return html.toUtf8();
}

QString SubmitPages::write(const FormSubmission &submission)
{
    if (m_folder.isEmpty()) {
        const QString folder = privateFolder();
        if (folder.isEmpty())
            throw std::runtime_error("no private folder for the search page");
        const QMutexLocker lock(&g_mutex);
        sweepStalePages(folder, m_lifetime);
        m_folder = folder;
    }
    QTemporaryFile file(m_folder + QStringLiteral("/search-XXXXXX.html"));
    file.setAutoRemove(false);
    if (!file.open())
        throw std::runtime_error("cannot create the search page");
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray content = page(submission);
    const bool written = file.write(content) == content.size() && file.flush();
    const QString path = file.fileName();
    file.close();
    if (!written) {
        QFile::remove(path);
        throw std::runtime_error("cannot write the search page");
    }
    {
        const QMutexLocker lock(&g_mutex);
        livePages().append(path);
        m_written.append(path);
    }
    QTimer::singleShot(m_lifetime, &m_timers, [this, path] {
        const QMutexLocker lock(&g_mutex);
        livePages().removeAll(path);
        m_written.removeAll(path);
        QFile::remove(path);
    });
    return path;
}
