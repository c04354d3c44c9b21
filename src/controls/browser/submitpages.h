// Self-submitting pages: a POST whose result opens in the person's own browser is handed to
// that browser as a small local page whose form sends the same entries, with the same
// encoding, to the action as soon as it loads. The pages live in a private folder (owner-only
// access), each removed after its lifetime; the folder goes when this object does or when the
// process exits, and folders a killed process left behind are swept at the next start.
#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <memory>

class QTemporaryDir;
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
    QString folder() const;
    void setLifetime(std::chrono::milliseconds lifetime) { m_lifetime = lifetime; }

    // The markup of the page (UTF-8).
    static QByteArray page(const FormSubmission &submission);

private:
    std::chrono::milliseconds m_lifetime;
    std::unique_ptr<QTemporaryDir> m_folder;
    QObject m_timers; // owns the removal timers, so none outlives this object
};
