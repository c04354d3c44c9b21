#include "controls/browser/qttransfer.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <stdexcept>

namespace {
// The length of the bytes without an incomplete UTF-8 sequence at their end.
qsizetype completeUtf8(const QByteArray &bytes)
{
    qsizetype start = bytes.size();
    while (start > 0 && start > bytes.size() - 4 &&
           (static_cast<unsigned char>(bytes.at(start - 1)) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return bytes.size();
    const auto lead = static_cast<unsigned char>(bytes.at(start - 1));
    const qsizetype expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return bytes.size() - (start - 1) < expected ? start - 1 : bytes.size();
}

struct ReplyDeleter {
    void operator()(QNetworkReply *reply) const { reply->deleteLater(); }
};
} // namespace

QtTransfer::QtTransfer(std::chrono::milliseconds timeout, qint64 maxBytes)
    : m_timeout(timeout), m_maxBytes(maxBytes)
{
}

QtTransfer::~QtTransfer()
{
    delete m_network;
}

QString QtTransfer::OpenURL(const QString &address)
{
    const QUrl url(address.trimmed());
    const QString scheme = url.scheme().toLower();
    const bool web = scheme == u"http" || scheme == u"https";
    if (!url.isValid() || (!web && scheme != u"file"))
        throw std::runtime_error("unsupported address: " + address.toStdString());
    if (!m_network)
        m_network = new QNetworkAccessManager();

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("HarrowKIT/1.0"));
    const std::unique_ptr<QNetworkReply, ReplyDeleter> reply(m_network->get(request));

    QByteArray body;
    bool truncated = false;
    bool timedOut = false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    auto read = [&] {
        if (truncated || !reply->isOpen())
            return;
        // Only what has arrived: read(n) reserves n bytes up front.
        body += reply->read(qMin(reply->bytesAvailable(), m_maxBytes - body.size()));
        if (body.size() >= m_maxBytes && reply->bytesAvailable() > 0) {
            truncated = true; // the first maxBytes are the answer; the rest is never read
            reply->abort();
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, read);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    timer.start(m_timeout);
    // Painting and timers go on meanwhile; mouse and keyboard input waits until the end.
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();
    QObject::disconnect(reply.get(), nullptr, &loop, nullptr);
    read();

    if (timedOut)
        throw std::runtime_error("time-out: " + address.toStdString());
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (web && (status >= 400 || status == 0))
        throw std::runtime_error("HTTP status " + std::to_string(status) + ": " +
                                 address.toStdString());
    if (!truncated && reply->error() != QNetworkReply::NoError)
        throw std::runtime_error(reply->errorString().toStdString());
    if (truncated)
        body.truncate(completeUtf8(body)); // a character cut in half is left out
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    return QString::fromUtf8(body);
}
