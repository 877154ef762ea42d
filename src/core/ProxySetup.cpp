#include "core/ProxySetup.h"

namespace menu::core {

namespace {

// Whether the proxy's address carries a name (and password) before its host.
bool hasCredentials(const QString &proxy)
{
    const qsizetype scheme = proxy.indexOf(u"://");
    const qsizetype start = scheme >= 0 ? scheme + 3 : 0;
    const qsizetype end = proxy.indexOf(u'/', start);
    return proxy.mid(start, end < 0 ? -1 : end - start).contains(u'@');
}

} // namespace

void useProxy(CURL *handle, const platform::ProxyChoice &choice)
{
    using Source = platform::ProxyChoice::Source;
    if (choice.source == Source::System && !choice.proxy.isEmpty()) {
        curl_easy_setopt(handle, CURLOPT_PROXY, choice.proxy.toUtf8().constData());
        curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
    } else if (choice.source != Source::Environment) {
        curl_easy_setopt(handle, CURLOPT_PROXY, "");
        return;
    }
    if (hasCredentials(choice.proxy)) {
        curl_easy_setopt(handle, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    } else if (choice.logonCredentials) {
        // An empty name and password: the logon's own credentials, through the system (SSPI).
        curl_easy_setopt(handle, CURLOPT_PROXYAUTH, CURLAUTH_NEGOTIATE | CURLAUTH_NTLM);
        curl_easy_setopt(handle, CURLOPT_PROXYUSERPWD, ":");
    }
}

bool useProxy(CURL *handle, const QByteArray &url)
{
    const platform::ProxyChoice choice = platform::proxyFor(QString::fromUtf8(url));
    useProxy(handle, choice);
    return !choice.proxy.isEmpty();
}

} // namespace menu::core
