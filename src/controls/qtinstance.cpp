#include "controls/qtinstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <stdexcept>

namespace {
const QByteArray kActivate = "activate\n";

QString userDirectory(const QString &dir)
{
    if (!dir.isEmpty())
        return dir;
    QString d = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (d.isEmpty())
        d = QDir::tempPath();
    QDir().mkpath(d);
    return d;
}
} // namespace

QtInstanceGuard::QtInstanceGuard(const QString &name, const QString &dir)
{
    const QString d = userDirectory(dir);
    m_lock = std::make_unique<QLockFile>(d + QLatin1Char('/') + name + QStringLiteral(".lock"));
    // Only a lock whose process is gone is stale, however old it is.
    m_lock->setStaleLockTime(0);
#ifdef Q_OS_WIN
    m_socketName = name + QLatin1Char('-') + qEnvironmentVariable("USERNAME");
#else
    m_socketName = d + QLatin1Char('/') + name + QStringLiteral(".sock");
#endif
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
    if (m_locked) {
        m_lock->unlock();
        m_locked = false;
    }
}

bool QtInstanceGuard::prevInstance()
{
    if (!m_tried) {
        m_tried = true;
        m_locked = m_lock->tryLock(0);
    }
    return !m_locked;
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
