#include "controls/browser/submitpages.h"

#include "controls/browser/submission.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace {
const QString kFolderPrefix = QStringLiteral("harrowkit-submit-");

// Folders to remove when the process exits normally.
QMutex g_mutex;
QStringList &liveFolders()
{
    static QStringList folders;
    return folders;
}

void removeLiveFolders()
{
    const QMutexLocker lock(&g_mutex);
    for (const QString &path : liveFolders())
        QDir(path).removeRecursively();
    liveFolders().clear();
}

// Folders of this user that an earlier process left behind (it was killed or ended at once).
void sweepStaleFolders(std::chrono::milliseconds lifetime)
{
    const QDir temp(QDir::tempPath());
    const QDateTime before =
        QDateTime::currentDateTimeUtc().addMSecs(-std::max<qint64>(lifetime.count(), 60000));
    const QFileInfoList entries =
        temp.entryInfoList({kFolderPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo &info : entries)
        if (info.ownerId() == getuid() && info.lastModified().toUTC() < before &&
            !liveFolders().contains(info.filePath()))
            QDir(info.filePath()).removeRecursively();
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
        liveFolders(); // constructed first, so it is destroyed after the exit handler ran
        std::atexit(removeLiveFolders);
        return true;
    }();
    Q_UNUSED(registered);
}

SubmitPages::~SubmitPages()
{
    if (!m_folder)
        return;
    const QMutexLocker lock(&g_mutex);
    liveFolders().removeAll(m_folder->path());
}

QString SubmitPages::folder() const
{
    return m_folder ? m_folder->path() : QString();
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
    if (!m_folder) {
        {
            const QMutexLocker lock(&g_mutex);
            sweepStaleFolders(m_lifetime);
        }
        m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1Char('/') +
                                                   kFolderPrefix + QStringLiteral("XXXXXX"));
        if (!m_folder->isValid()) {
            m_folder.reset();
            throw std::runtime_error("no private folder for the search page");
        }
        QFile::setPermissions(m_folder->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QMutexLocker lock(&g_mutex);
        liveFolders().append(m_folder->path());
    }
    QTemporaryFile file(m_folder->path() + QStringLiteral("/search-XXXXXX.html"));
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
    QTimer::singleShot(m_lifetime, &m_timers, [path] { QFile::remove(path); });
    return path;
}
