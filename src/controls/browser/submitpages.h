// Self-submitting pages: a POST whose result opens in the person's own browser is handed to
// that browser as a small local page whose form sends the same entries, with the same
// encoding, to the action as soon as it loads. The pages live in a folder of the person's own
// (owner-only access, in the runtime or cache folder), each removed after its lifetime, when
// this object goes, or when the process ends; pages a killed process left behind are swept
// when the next process writes its first page.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>

struct FormSubmission;

class SubmitPages {
public:
    explicit SubmitPages(std::chrono::milliseconds lifetime = std::chrono::minutes(1));
    ~SubmitPages();
    SubmitPages(const SubmitPages &) = delete;
    SubmitPages &operator=(const SubmitPages &) = delete;

    // Writes the page for a POST submission; returns its path. Throws std::runtime_error when
    // it cannot be written.
    QString write(const FormSubmission &submission);
    // The private folder ("" until the first page).
    QString folder() const { return m_folder; }
    // Removes every page not yet removed, of every instance: for an ending process, which
    // skips the usual clean-up at exit.
    static void removeAll();
    void setLifetime(std::chrono::milliseconds lifetime) { m_lifetime = lifetime; }

    // The markup of the page (UTF-8).
    static QByteArray page(const FormSubmission &submission);

private:
    std::chrono::milliseconds m_lifetime;
    QString m_folder;
    QStringList m_written;
    QObject m_timers; // owns the removal timers, so none outlives this object
};
