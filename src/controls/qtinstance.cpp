#include "controls/qtinstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <cstdio>
#include <stdexcept>

namespace {
const QByteArray kActivate = "activate\n";

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
} // namespace

QtInstanceGuard::QtInstanceGuard(const QString &name, const QStringList &dirs)
    : m_name(name), m_dirs(dirs.isEmpty() ? defaultFolders() : dirs)
{
    useFolder(m_dirs.front());
}

void QtInstanceGuard::useFolder(const QString &dir)
{
#ifdef Q_OS_WIN
    Q_UNUSED(dir);
    m_socketName = m_name + QLatin1Char('-') + qEnvironmentVariable("USERNAME");
#else
    m_socketName = dir + QLatin1Char('/') + m_name + QStringLiteral(".sock");
#endif
}

bool QtInstanceGuard::takeLock()
{
    for (const QString &dir : std::as_const(m_dirs)) {
        QDir().mkpath(dir);
        auto lock =
            std::make_unique<QLockFile>(dir + QLatin1Char('/') + m_name + QStringLiteral(".lock"));
        // Only a lock whose process is gone is stale, however old it is.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            m_lock = std::move(lock);
            m_locked = true;
            useFolder(dir);
            return false;
        }
        if (lock->error() == QLockFile::LockFailedError) {
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
    if (m_server) {
        m_server->close();
        m_server.reset();
    }
    if (m_locked && m_lock) {
        m_lock->unlock();
        m_locked = false;
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
    if (m_server)
        return 0; // this process is the one that answers
    QLocalSocket socket;
    socket.connectToServer(m_socketName);
    const bool found = socket.waitForConnected(1000);
    socket.abort();
    return found ? 1 : 0;
}

void QtInstanceGuard::activate(const QString &)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketName);
    if (!socket.waitForConnected(1000))
        throw std::runtime_error("no running instance to activate");
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(1000))
        throw std::runtime_error("activation request not delivered");
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
}

void QtInstanceGuard::listen(std::function<void()> fn)
{
    m_activate = std::move(fn);
    if (m_server || !m_locked)
        return;
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket left behind belongs to a process that is gone.
    QLocalServer::removeServer(m_socketName);
    if (!m_server->listen(m_socketName))
        return;
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] {
        while (QLocalSocket *s = m_server->nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            QObject::connect(s, &QLocalSocket::readyRead, s, [this, s] {
                if (s->readAll().contains(kActivate) && m_activate)
                    m_activate();
            });
        }
    });
}
