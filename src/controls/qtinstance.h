// One instance per user: a lock held on a file for the life of the process answers whether
// another instance runs, and a per-user local socket beside it carries the activation request to
// the running instance. The kernel lets go of the lock however a process ends, so a crash leaves
// nothing that counts. Where the lock cannot be made (a read-only or missing folder), the next
// private folder is tried, and without any the program runs unguarded.
#pragma once

#include "controls/platform.h"

#include <QByteArray>
#include <QSocketNotifier>
#include <QStringList>
#include <functional>
#include <list>
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
    struct Caller { // a later start that connected, until it said what it wants
        int fd;
        std::unique_ptr<QSocketNotifier> readable;
        QByteArray said;
    };

    bool takeLock(); // true when a live process holds the lock
    void useFolder(const QString &dir);
    void acceptCallers();
    void hear(std::list<Caller>::iterator caller);

    QString m_name;
    QStringList m_dirs;
    QByteArray m_socketPath;
    QByteArray m_lockPath;
    int m_lockFd = -1;
    bool m_tried = false;
    bool m_previous = false;
    int m_serverFd = -1;
    std::unique_ptr<QSocketNotifier> m_incoming;
    std::list<Caller> m_callers;
    std::function<void()> m_activate;
};
