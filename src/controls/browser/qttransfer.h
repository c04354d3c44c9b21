// The transfer control: fetches a small text resource (http, https, file) synchronously. While
// it waits, the window keeps painting and timers run, but no user input is delivered.
#pragma once

#include "controls/platform.h"

#include <chrono>

class QNetworkAccessManager;

class QtTransfer : public ITransfer {
public:
    explicit QtTransfer(std::chrono::milliseconds timeout = std::chrono::seconds(60),
                        qint64 maxBytes = kMaxBytes);
    ~QtTransfer() override;
    QtTransfer(const QtTransfer &) = delete;
    QtTransfer &operator=(const QtTransfer &) = delete;

    // The body decoded as UTF-8; a longer body is cut off after maxBytes. Throws
    // std::runtime_error on an unsupported scheme, a network failure, an HTTP error status
    // (>= 400) or the time-out.
    QString OpenURL(const QString &url) override;

    static constexpr qint64 kMaxBytes = 64 * 1024;

private:
    std::chrono::milliseconds m_timeout;
    qint64 m_maxBytes;
    QNetworkAccessManager *m_network = nullptr;
};
