#include "controls/browser/loadable.h"

QUrl loadableUrl(const QString &address)
{
    const QString trimmed = address.trimmed();
    const QUrl url =
        trimmed.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(trimmed) : QUrl(trimmed);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https" && scheme != u"file"))
        return {};
    return url;
}
