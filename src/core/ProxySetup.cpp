#include "core/ProxySetup.h"

#include "core/DownloadTexts.h"

namespace menu::core {

namespace {

constexpr long kProxyWantsCredentials = 407;
constexpr long kUnauthorized = 401;

// Whether the proxy's address carries a name (and password) before its host.
bool hasCredentials(const QString &proxy)
{
    const qsizetype scheme = proxy.indexOf(u"://");
    const qsizetype start = scheme >= 0 ? scheme + 3 : 0;
    const qsizetype end = proxy.indexOf(u'/', start);
    return proxy.mid(start, end < 0 ? -1 : end - start).contains(u'@');
}

DownloadResult failure(const QString &text, const QString &hint)
{
    DownloadResult result;
    result.text = text;
    result.hint = hint;
    return result;
}

QString reasonOf(CURLcode result, long code)
{
    const QString words = QString::fromUtf8(curl_easy_strerror(result));
    return code > 0 ? QStringLiteral("Odpoveď proxy servera: %1 (%2)").arg(code).arg(words) : words;
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

void useProxy(CURL *handle, const QByteArray &url)
{
    useProxy(handle, platform::proxyFor(QString::fromUtf8(url)));
}

std::optional<DownloadResult> proxyFailure(CURL *handle, CURLcode result)
{
    long connect = 0;
    long response = 0;
    curl_easy_getinfo(handle, CURLINFO_HTTP_CONNECTCODE, &connect);
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &response);
    // Only a proxy asks with 407, whether it answers a tunnel or a plain request; some answer
    // a tunnel's wrong credentials with 401.
    if (connect == kProxyWantsCredentials || connect == kUnauthorized ||
        response == kProxyWantsCredentials)
        return failure(texts::proxyWantsCredentials(),
                       texts::proxyWantsCredentialsHint(reasonOf(result, kProxyWantsCredentials)));
    if (connect >= 300 || result == CURLE_COULDNT_RESOLVE_PROXY)
        return failure(texts::proxyRefused(), texts::proxyRefusedHint(reasonOf(result, connect)));
    return std::nullopt;
}

} // namespace menu::core
