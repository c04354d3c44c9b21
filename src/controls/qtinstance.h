// One instance per user: a lock file held for the life of the process answers whether another
// instance runs (a lock left by a crashed process does not count), and a per-user local socket
// carries the activation request to the running instance.
#pragma once

#include "controls/platform.h"

#include <QLocalServer>
#include <QLockFile>
#include <memory>

class QtInstanceGuard : public IInstanceGuard {
public:
    // name identifies the program; dir holds the lock and the socket (empty: the user's runtime
    // directory).
    explicit QtInstanceGuard(const QString &name, const QString &dir = {});
    ~QtInstanceGuard() override;

    bool prevInstance() override;
    std::int32_t findWindow(const QString &className, const QString &title) override;
    void activate(const QString &title) override;
    void listen(std::function<void()> fn) override;
    // Gives up the lock and the socket, as the process ends.
    void release();

private:
    QString m_socketName;
    std::unique_ptr<QLockFile> m_lock;
    bool m_locked = false;
    bool m_tried = false;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void()> m_activate;
};
