#include "controls/browser/qtbrowser.h"

#include "controls/browser/charset.h"
#include "controls/browser/document.h"
#include "controls/browser/loadable.h"
#include "controls/browser/sniff.h"
#include "controls/browser/submission.h"
#include "controls/browser/submitpages.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <stdexcept>

namespace {
bool isHtmlType(const QByteArray &mime)
{
    return mime.isEmpty() || mime == "text/html" || mime == "application/xhtml+xml";
}

// Where a document is made, off the window's thread: parsing a large or hostile page takes a
// while even within its budget.
struct ParseJob {
    QByteArray body;
    QByteArray contentType;
    QUrl url;
    std::shared_ptr<HtmlDocument> document;

    void run()
    {
        const sniff::Result encoding = sniff::encoding(body, contentType);
        const QString text = charset::decode(body.mid(encoding.bomLength), encoding.charset);
        body.clear();
        document = std::make_shared<HtmlDocument>(text, url, encoding.charset);
    }
};
} // namespace

QtBrowser::QtBrowser(IShell &shell, QObject *parent)
    : QObject(parent), m_shell(shell), m_network(new QNetworkAccessManager(this)),
      m_pages(std::make_unique<SubmitPages>())
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &QtBrowser::onTimeout);
}

QtBrowser::~QtBrowser()
{
    cancelLoad();
    if (m_document)
        m_document->detach();
    if (m_retired)
        m_retired->detach();
    for (QThread *thread : findChildren<QThread *>())
        thread->wait();
}

void QtBrowser::setSubmitPageLifetime(std::chrono::milliseconds lifetime)
{
    m_pages->setLifetime(lifetime);
}

QString QtBrowser::submitPageFolder() const
{
    return m_pages->folder();
}

void QtBrowser::Navigate(const QString &address)
{
    const QUrl url = loadableUrl(address);
    if (url.isEmpty()) {
        cancelLoad();
        dropDocument();
        m_busy = false;
        m_error = QStringLiteral("unsupported address: ") + address.trimmed();
        throw std::invalid_argument(m_error.toStdString());
    }
    startLoad(url, QByteArray(), QByteArray());
}

bool QtBrowser::Busy()
{
    return m_busy;
}

std::shared_ptr<HtmlDocument> QtBrowser::Document()
{
    if (!m_document)
        throw std::runtime_error(m_busy ? "the page is still loading"
                                        : "no page loaded: " + m_error.toStdString());
    return m_document;
}

// Replaces whatever is loading or loaded by a new load; a failed start ends at once.
void QtBrowser::startLoad(const QUrl &url, const QByteArray &body, const QByteArray &contentType)
{
    cancelLoad();
    dropDocument();
    m_busy = true;
    m_error.clear();
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(m_maxRedirects);
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("HarrowKIT/1.0"));
    request.setRawHeader("Accept", "text/html,application/xhtml+xml;q=0.9,*/*;q=0.5");
    if (contentType.isEmpty()) {
        m_reply = m_network->get(request);
    } else {
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
        m_reply = m_network->post(request, body);
    }
    connect(m_reply, &QNetworkReply::readyRead, this, &QtBrowser::readBody);
    connect(m_reply, &QNetworkReply::finished, this, &QtBrowser::onFinished);
    m_deadline.start(m_timeout);
}

// The document goes out of the browser; its forms can no longer submit.
void QtBrowser::dropDocument()
{
    if (!m_document)
        return;
    m_document->detach();
    m_retired = std::move(m_document); // may be the caller's document, in the middle of submit()
}

void QtBrowser::readBody()
{
    if (!m_reply || m_truncated || !m_reply->isOpen())
        return;
    // Only what has arrived: read(n) reserves n bytes up front, and a buffer the size of the
    // limit left behind for every chunk would keep the heap that large.
    m_body += m_reply->read(qMin(m_reply->bytesAvailable(), m_maxBody - m_body.size()));
    if (m_body.size() >= m_maxBody && m_reply->bytesAvailable() > 0) {
        m_truncated = true; // keep what arrived; the rest is never read
        m_reply->abort();
    }
}

void QtBrowser::onTimeout()
{
    m_timedOut = true;
    if (m_reply)
        m_reply->abort();
}

void QtBrowser::onFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    readBody();
    m_reply = nullptr;
    m_deadline.stop();
    reply->deleteLater();
    disconnect(reply, nullptr, this, nullptr);

    if (m_timedOut)
        return finish(false, QStringLiteral("time-out"));
    const QUrl url = reply->url();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && (status < 200 || status >= 300))
        return finish(false, QStringLiteral("HTTP status %1").arg(status));
    if (!m_truncated && reply->error() != QNetworkReply::NoError)
        return finish(false, reply->errorString());
    const QString scheme = url.scheme().toLower();
    if ((scheme == u"http" || scheme == u"https") && status == 0)
        return finish(false, QStringLiteral("no HTTP answer"));
    const QByteArray contentType = reply->rawHeader("Content-Type");

    auto job = std::make_shared<ParseJob>();
    job->body = isHtmlType(sniff::mimeType(contentType)) ? std::move(m_body)
                                                         : QByteArray(); // no forms elsewhere
    job->contentType = contentType;
    job->url = url;
    m_body.clear();
    QThread *thread = QThread::create([job] { job->run(); });
    thread->setParent(this);
    const quint64 generation = m_generation;
    connect(thread, &QThread::finished, this, [this, thread, job, generation] {
        thread->deleteLater();
        if (generation != m_generation)
            return; // a newer load replaced this one
        m_document = job->document;
        m_document->setSubmissionHandler([this](const FormSubmission &s) { submit(s); });
        finish(true, QString());
    });
    thread->start();
}

void QtBrowser::finish(bool ok, const QString &error)
{
    m_busy = false;
    m_error = error;
    m_lastTruncated = m_truncated;
    m_retired.reset();
    Q_EMIT loadFinished(ok);
}

void QtBrowser::cancelLoad()
{
    ++m_generation;
    m_deadline.stop();
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
    }
    m_body.clear();
    m_truncated = false;
    m_timedOut = false;
}

void QtBrowser::submit(const FormSubmission &s)
{
    if (s.newContext) {
        if (!s.post)
            m_shell.open(s.url.toString(QUrl::FullyEncoded));
        else
            m_shell.open(QUrl::fromLocalFile(m_pages->write(s)).toString(QUrl::FullyEncoded));
        return;
    }
    startLoad(s.url, s.body, s.post ? s.contentType : QByteArray());
}
