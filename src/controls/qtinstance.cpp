#include "controls/qtinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
const QByteArray kActivate = "activate\n";
constexpr int kHeld = -1;             // another live process holds the lock
constexpr int kUnusable = -2;         // the folder cannot hold a lock
constexpr qsizetype kMostSaid = 4096; // a caller that talks on and on is not one of ours

QStringList defaultFolders()
{
    QStringList dirs;
    for (const auto location : {QStandardPaths::RuntimeLocation, QStandardPaths::CacheLocation}) {
        const QString d = QStandardPaths::writableLocation(location);
        if (!d.isEmpty())
            dirs << d;
    }
    return dirs;
}

// The lock file's descriptor, locked, or kHeld or kUnusable. Nothing is synced to the disk: the
// lock lives in the kernel, and the file only gives it a name.
int lockAt(const QByteArray &path)
{
    for (;;) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return kUnusable;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? kHeld : kUnusable;
        }
        // A holder that was ending may have removed the file between the open and the lock:
        // the lock is then on a file no later start finds, so the one at the path is taken.
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) == 0 && ::stat(path.constData(), &named) == 0 &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino)
            return fd;
        ::close(fd);
    }
}

// The owner in the form Qt's own lock files use (process id, program, host), so that a start of
// an earlier version, which locks the same file that way, sees a live holder as live and one
// that has ended as stale.
void nameOwner(int fd)
{
    const QByteArray owner =
        QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
        QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + '\n' +
        QSysInfo::machineHostName().toUtf8() + '\n';
    // Only an earlier version reads it: the lock holds without it, so a failure is let pass.
    const bool named =
        ::ftruncate(fd, 0) == 0 && ::write(fd, owner.constData(), owner.size()) == owner.size();
    Q_UNUSED(named);
}

bool socketAddress(const QByteArray &path, sockaddr_un &address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    return true;
}

// A connected socket to the running instance, or -1. A running instance accepts at once; one
// that hangs makes the connection and the request give up after a second.
int connectTo(const QByteArray &path)
{
    sockaddr_un address;
    if (!socketAddress(path, address))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const timeval second{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &second, sizeof second);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
} // namespace

QtInstanceGuard::QtInstanceGuard(const QString &name, const QStringList &dirs)
    : m_name(name), m_dirs(dirs.isEmpty() ? defaultFolders() : dirs)
{
    if (!m_dirs.isEmpty())
        useFolder(m_dirs.front());
}

void QtInstanceGuard::useFolder(const QString &dir)
{
    m_socketPath = QFile::encodeName(dir + QLatin1Char('/') + m_name + QStringLiteral(".sock"));
}

bool QtInstanceGuard::takeLock()
{
    for (const QString &dir : std::as_const(m_dirs)) {
        QDir().mkpath(dir);
        const QByteArray path =
            QFile::encodeName(dir + QLatin1Char('/') + m_name + QStringLiteral(".lock"));
        const int fd = lockAt(path);
        if (fd >= 0) {
            nameOwner(fd);
            m_lockFd = fd;
            m_lockPath = path;
            useFolder(dir);
            return false;
        }
        if (fd == kHeld) {
            useFolder(dir); // where the running instance listens
            return true;
        }
    }
    std::fputs("HarrowKIT: no folder for the one-instance lock; running without the "
               "one-instance rule\n",
               stderr);
    return false;
}

QtInstanceGuard::~QtInstanceGuard()
{
    release();
}

void QtInstanceGuard::release()
{
    for (Caller &caller : m_callers) {
        caller.readable.reset(); // a notifier goes before its socket is closed
        ::close(caller.fd);
    }
    m_callers.clear();
    m_incoming.reset();
    if (m_serverFd >= 0) {
        ::unlink(m_socketPath.constData());
        ::close(m_serverFd);
        m_serverFd = -1;
    }
    if (m_lockFd >= 0) {
        ::unlink(m_lockPath.constData());
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

bool QtInstanceGuard::prevInstance()
{
    if (!m_tried) {
        m_tried = true;
        m_previous = takeLock();
    }
    return m_previous;
}

std::int32_t QtInstanceGuard::findWindow(const QString &, const QString &)
{
    // Holding the lock, this process is the one that answers: a socket at our place was left
    // by a process that is gone.
    if (m_lockFd >= 0)
        return 0;
    const int fd = connectTo(m_socketPath);
    if (fd < 0)
        return 0;
    ::close(fd);
    return 1;
}

void QtInstanceGuard::activate(const QString &)
{
    const int fd = connectTo(m_socketPath);
    if (fd < 0)
        throw std::runtime_error("no running instance to activate");
    const bool sent = ::send(fd, kActivate.constData(), static_cast<size_t>(kActivate.size()),
                             MSG_NOSIGNAL) == kActivate.size();
    ::close(fd);
    if (!sent)
        throw std::runtime_error("activation request not delivered");
}

void QtInstanceGuard::listen(std::function<void()> fn)
{
    m_activate = std::move(fn);
    if (m_serverFd >= 0 || m_lockFd < 0)
        return;
    sockaddr_un address;
    if (!socketAddress(m_socketPath, address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    // We hold the lock, so a socket left behind belongs to a process that is gone. The socket is
    // the user's alone before it takes any connection.
    ::unlink(m_socketPath.constData());
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::chmod(m_socketPath.constData(), 0600) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return;
    }
    m_serverFd = fd;
    m_incoming = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(m_incoming.get(), &QSocketNotifier::activated, m_incoming.get(),
                     [this] { acceptCallers(); });
}

void QtInstanceGuard::acceptCallers()
{
    for (;;) {
        const int fd = ::accept4(m_serverFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        m_callers.push_back({fd, std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read), {}});
        const auto caller = std::prev(m_callers.end());
        QObject::connect(caller->readable.get(), &QSocketNotifier::activated,
                         caller->readable.get(), [this, caller] { hear(caller); });
    }
}

void QtInstanceGuard::hear(std::list<Caller>::iterator caller)
{
    char buffer[64];
    ssize_t n = 0;
    while ((n = ::recv(caller->fd, buffer, sizeof buffer, 0)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0 && caller->said.size() < kMostSaid)
            caller->said.append(buffer, n);
    }
    const bool ended = n == 0 || errno != EAGAIN;
    const bool asked = caller->said.contains(kActivate);
    if (asked || ended || caller->said.size() >= kMostSaid) {
        // The notifier is the one whose signal runs this: it goes once the signal is done.
        caller->readable->setEnabled(false);
        caller->readable.release()->deleteLater();
        ::close(caller->fd);
        m_callers.erase(caller);
    }
    if (asked && m_activate)
        m_activate();
}
