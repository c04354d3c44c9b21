// The hidden browser: loads pages over Qt Network (http, https, file), decodes and parses them
// into an HtmlDocument and carries out that document's form submissions. No script, no
// images, no style sheets.
//
// A load ends within its time-out, reads at most a few MiB (a longer page is parsed as far as
// it came) and parses on a worker thread, so Busy() always ends and the window stays
// responsive. A failed load leaves no document: Document() throws.
#pragma once

#include "controls/platform.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class SubmitPages;
struct FormSubmission;

class QtBrowser : public QObject, public IBrowser {
    Q_OBJECT
public:
    explicit QtBrowser(IShell &shell, QObject *parent = nullptr);
    ~QtBrowser() override;

    // Starts loading an http, https or file URL (an absolute path counts as a file); throws
    // std::invalid_argument for anything else. The current document is dropped at once.
    void Navigate(const QString &url) override;
    bool Busy() override;
    // The last loaded document; throws std::runtime_error while loading and after a failed
    // load (HTTP error status, network failure, time-out, unsupported address). A resource
    // that is not HTML loads as a document without forms.
    std::shared_ptr<HtmlDocument> Document() override;

    // Limits, adjustable for tests.
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void setMaxBodyBytes(qint64 bytes) { m_maxBody = bytes; }
    void setMaxRedirects(int redirects) { m_maxRedirects = redirects; }
    void setSubmitPageLifetime(std::chrono::milliseconds lifetime);
    // Why the last load failed; empty after a success.
    QString lastError() const { return m_error; }
    // The private folder holding self-submitting pages for POSTs to a new window ("" before
    // the first one).
    QString submitPageFolder() const;
    // Whether the last page was cut off at the body limit.
    bool truncated() const { return m_lastTruncated; }

    static constexpr std::chrono::milliseconds kDefaultTimeout{30000};
    static constexpr qint64 kDefaultMaxBody = 4 * 1024 * 1024;

Q_SIGNALS:
    // A load ended: ok with a document, or failed (see lastError()).
    void loadFinished(bool ok);

private:
    void startLoad(const QUrl &url, const QByteArray &body, const QByteArray &contentType);
    void readBody();
    void onFinished();
    void onTimeout();
    void finish(bool ok, const QString &error);
    void cancelLoad();
    void dropDocument();
    void submit(const FormSubmission &submission);

    IShell &m_shell;
    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_body;
    bool m_truncated = false;
    bool m_busy = false;
    bool m_timedOut = false;
    bool m_lastTruncated = false;
    std::shared_ptr<HtmlDocument> m_document;
    std::shared_ptr<HtmlDocument>
        m_retired;            // the replaced document, kept alive until the load ends
    quint64 m_generation = 0; // which load a finished parse belongs to
    QString m_error;
    std::chrono::milliseconds m_timeout = kDefaultTimeout;
    qint64 m_maxBody = kDefaultMaxBody;
    int m_maxRedirects = 10;
    std::unique_ptr<SubmitPages> m_pages;
};
