// One instance per user: a lock file held for the life of the process answers whether another
// instance runs (a lock left by a crashed process does not count), and a per-user local socket
// beside it carries the activation request to the running instance. Only a lock held by a live
// process counts as another instance: where the lock cannot be made (a read-only or missing
// folder), the next private folder is tried, and without any the program runs unguarded.
#pragma once

#include "controls/platform.h"

#include <QLocalServer>
#include <QLockFile>
#include <QStringList>
#include <memory>

class QtInstanceGuard : public IInstanceGuard {
public:
    // name identifies the program; dirs hold the lock and the socket, tried in turn (empty: the
    // user's runtime folder, then the program's cache folder).
    explicit QtInstanceGuard(const QString &name, const QStringList &dirs = {});
    ~QtInstanceGuard() override;

    bool prevInstance() override;
    std::int32_t findWindow(const QString &className, const QString &title) override;
    void activate(const QString &title) override;
    void listen(std::function<void()> fn) override;
    // Gives up the lock and the socket, as the process ends.
    void release();

private:
    bool takeLock(); // true when a live process holds the lock
    void useFolder(const QString &dir);

    QString m_name;
    QStringList m_dirs;
    QString m_socketName;
    std::unique_ptr<QLockFile> m_lock;
    bool m_locked = false;
    bool m_tried = false;
    bool m_previous = false;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void()> m_activate;
};
