// The proxy on Linux: the environment alone, as libcurl reads it.
#include "platform/Proxy.h"

#include <QByteArray>

namespace menu::platform {

ProxyChoice proxyFor(const QString &url)
{
    const auto fromEnvironment = environmentProxyFor(
        url, [](const char *name) { return QString::fromLocal8Bit(qgetenv(name)); });
    if (fromEnvironment)
        return *fromEnvironment;
    ProxyChoice direct;
    direct.source = ProxyChoice::Source::None;
    direct.reason = QStringLiteral("žiadna premenná prostredia neurčuje proxy pre %1")
                        .arg(urlParts(url).scheme);
    return direct;
}

} // namespace menu::platform
