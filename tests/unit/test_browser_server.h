// A tiny HTTP server on 127.0.0.1 for the browser and transfer tests: canned answers by path,
// a record of the requests, and misbehaving answers (none at all, an endless trickle).
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QPair>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

struct CannedResponse {
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers; // Content-Length is added
    QByteArray body;
    int delayMs = 0;      // answer after this long
    bool silent = false;  // take the request and never answer
    bool trickle = false; // headers, then one byte every 20 ms, never ending
};

struct RecordedRequest {
    QByteArray method;
    QByteArray target;                    // path and query
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

inline CannedResponse htmlPage(const QByteArray &body, const QByteArray &contentType = "text/html")
{
    CannedResponse r;
    r.headers = {{"Content-Type", contentType}};
    r.body = body;
    return r;
}

inline CannedResponse redirectTo(const QByteArray &location, int status = 302)
{
    CannedResponse r;
    r.status = status;
    r.headers = {{"Location", location}};
    return r;
}

class TestServer : public QObject {
public:
    TestServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }

    bool listening() const { return m_server.isListening(); }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    // Answers requests for this path (the part before '?'); other paths get a 404.
    void route(const QByteArray &path, const CannedResponse &response)
    {
        m_routes[path] = response;
    }
    // "/silent" never answers; "/trickle" answers a byte now and then, for ever.
    void routeStalling()
    {
        CannedResponse silent;
        silent.silent = true;
        route("/silent", silent);
        CannedResponse trickle;
        trickle.trickle = true;
        route("/trickle", trickle);
    }

    std::vector<RecordedRequest> requests;

private:
    void serve(QTcpSocket *socket)
    {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            while (takeRequest(socket, *buffer)) {
            }
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    // Answers the first complete request in the buffer; false when there is none yet.
    bool takeRequest(QTcpSocket *socket, QByteArray &buffer)
    {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return false;
        RecordedRequest request;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.target = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers[lines[i].left(colon).trimmed().toLower()] =
                    lines[i].mid(colon + 1).trimmed();
        }
        const qsizetype length = request.headers.value("content-length", "0").toLongLong();
        if (buffer.size() < headerEnd + 4 + length)
            return false; // the body is still coming
        request.body = buffer.mid(headerEnd + 4, length);
        buffer.remove(0, headerEnd + 4 + length);
        requests.push_back(request);
        const qsizetype query = request.target.indexOf('?');
        const QByteArray path = query < 0 ? request.target : request.target.first(query);
        CannedResponse response;
        if (m_routes.contains(path)) {
            response = m_routes[path];
        } else {
            response =
                htmlPage("<html><body><h1>Not found</h1><form><input name=q></form></body></html>");
            response.status = 404;
        }
        answer(socket, response);
        return true;
    }

    void answer(QTcpSocket *socket, const CannedResponse &response)
    {
        if (response.silent)
            return;
        QPointer<QTcpSocket> guard(socket);
        auto send = [guard, response] {
            if (!guard)
                return;
            QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Canned\r\n";
            for (const auto &[name, value] : response.headers)
                head += name + ": " + value + "\r\n";
            if (response.trickle) {
                head += "Connection: close\r\n\r\n";
                guard->write(head);
                auto *timer = new QTimer(guard);
                QObject::connect(timer, &QTimer::timeout, guard, [guard] {
                    if (guard)
                        guard->write(" ");
                });
                timer->start(20);
                return;
            }
            head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n\r\n";
            guard->write(head + response.body);
        };
        if (response.delayMs > 0)
            QTimer::singleShot(response.delayMs, socket, send);
        else
            send();
    }

    QTcpServer m_server;
    QMap<QByteArray, CannedResponse> m_routes;
};

// Runs the event loop until the condition holds or the time is up; whether it holds.
inline bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}
