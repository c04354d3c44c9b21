#include "controls/durablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool syncFolder(const QByteArray &folder)
{
    const Fd fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0;
}

// Creates the folder and any missing parents; each new entry is synced into its parent.
bool makeFolder(const QString &folder)
{
    QStringList missing;
    for (QString f = folder; !QFileInfo::exists(f); f = QFileInfo(f).path()) {
        if (f == QFileInfo(f).path())
            break;
        missing.prepend(f);
    }
    if (missing.isEmpty())
        return true;
    if (!QDir().mkpath(folder))
        return false;
    for (const QString &f : missing)
        if (!syncFolder(QFile::encodeName(QFileInfo(f).path())))
            return false;
    return true;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

durablefile::Contents durablefile::read(const QString &path, qsizetype limit)
{
    Contents c;
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) {
        c.state = errno == ENOENT ? Contents::Missing : Contents::Unusable;
        return c;
    }
    c.state = Contents::Unusable;
    if (!S_ISREG(st.st_mode) || st.st_size > limit)
        return c;
    const Fd fd(::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0)
        return c;
    // One byte more than the size seen: a file that grew meanwhile fills it and is left alone.
    const qsizetype room = qsizetype(st.st_size) + 1;
    QByteArray bytes(room, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < room) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, size_t(room - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return c;
        if (n == 0)
            break;
        got += n;
    }
    if (got == room)
        return c;
    bytes.truncate(got);
    c.bytes = std::move(bytes);
    c.state = Contents::Read;
    return c;
}

QString durablefile::pendingPrefix(const QString &path)
{
    return QFileInfo(path).fileName() + QStringLiteral(".new");
}

bool durablefile::replace(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (!makeFolder(info.path()))
        return false;
    const QByteArray name = QFile::encodeName(path);
    struct stat old {};
    const bool existed = ::stat(name.constData(), &old) == 0;
    // A file its owner made read-only is not to be replaced, though its folder would allow it.
    if (existed && ::access(name.constData(), W_OK) != 0)
        return false;

    QByteArray pending;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        pending = QFile::encodeName(info.path() + u'/' + pendingPrefix(path)) +
                  QByteArray::number(::getpid()) + '.' + QByteArray::number(attempt);
        fd = ::open(pending.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    Fd file(fd);
    const bool written = (!existed || ::fchmod(file.get(), old.st_mode & 07777) == 0) &&
                         writeAll(file.get(), bytes) && ::fdatasync(file.get()) == 0 &&
                         file.close() && ::rename(pending.constData(), name.constData()) == 0;
    if (!written) {
        ::unlink(pending.constData());
        return false;
    }
    return syncFolder(QFile::encodeName(info.path()));
}
