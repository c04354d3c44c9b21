// The addresses the hidden browser loads: http, https and file URLs, an absolute path counting
// as a file.
#pragma once

#include <QString>
#include <QUrl>

// The address as the URL to load, or an empty URL when the browser loads no such address.
QUrl loadableUrl(const QString &address);
