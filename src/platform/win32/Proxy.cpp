// The proxy on Windows: the environment when it names one for the address (as libcurl reads
// it), else the user's Internet settings through WinHTTP.
#include "platform/Proxy.h"

#include "platform/win32/UniqueHandle.h"

#include <QStringList>
#include <chrono>
#include <mutex>
#include <string>
#include <windows.h>
#include <winhttp.h>

namespace menu::platform {

namespace {

using InternetHandle = win32::UniqueOwner<HINTERNET, WinHttpCloseHandle>;

// Each wait of automatic detection and of the configuration script's download: an office's
// own server answers in far less, and a lookup without an answer must not hold up a transfer.
constexpr int kLookupWaitMs = 5000;

// A text WinHTTP allocated for the caller, freed with GlobalFree.
class GlobalText {
  public:
    explicit GlobalText(LPWSTR text) : text_(text) {}
    GlobalText(const GlobalText &) = delete;
    GlobalText &operator=(const GlobalText &) = delete;
    ~GlobalText()
    {
        if (text_ != nullptr)
            GlobalFree(text_);
    }
    QString value() const { return text_ != nullptr ? QString::fromWCharArray(text_) : QString(); }

  private:
    LPWSTR text_;
};

struct UserSettings {
    bool autoDetect = false;
    QString autoConfigUrl;
    QString proxyServer;
    QString bypass;
};

std::optional<UserSettings> readUserSettings(DWORD *error)
{
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) {
        *error = GetLastError();
        return std::nullopt;
    }
    const GlobalText autoConfigUrl(config.lpszAutoConfigUrl);
    const GlobalText proxy(config.lpszProxy);
    const GlobalText bypass(config.lpszProxyBypass);
    return UserSettings{config.fAutoDetect != FALSE, autoConfigUrl.value(), proxy.value(),
                        bypass.value()};
}

// The first proxy of a list as WinHTTP gives it ("host:port; other:port", an entry possibly
// with its scheme "https=host:port"), as libcurl takes it.
QString firstProxyOf(const QString &list)
{
    const QStringList entries = settingsList(list, u";");
    if (entries.isEmpty())
        return {};
    QString entry = entries.first();
    if (const qsizetype equals = entry.indexOf(u'='); equals >= 0)
        entry = entry.mid(equals + 1);
    return entry.contains(u"://") ? entry : QStringLiteral("http://") + entry;
}

ProxyChoice systemChoice(const QString &proxy, const QString &reason)
{
    ProxyChoice choice;
    choice.source = ProxyChoice::Source::System;
    choice.proxy = proxy;
    choice.logonCredentials = !proxy.isEmpty();
    choice.reason = reason;
    return choice;
}

// Automatic detection or the configuration script, asked for url; nothing when the lookup
// failed (failure says why).
std::optional<ProxyChoice> automaticProxy(const QString &url, const UserSettings &settings,
                                          QString *failure)
{
    const QString how = settings.autoConfigUrl.isEmpty()
                            ? QStringLiteral("automatické zisťovanie (WPAD)")
                            : QStringLiteral("skript %1").arg(settings.autoConfigUrl);
    const InternetHandle session(WinHttpOpen(L"ORVAN", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                             WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session.valid()) {
        *failure = QStringLiteral("%1: WinHTTP chyba %2").arg(how).arg(GetLastError());
        return std::nullopt;
    }
    WinHttpSetTimeouts(session.get(), kLookupWaitMs, kLookupWaitMs, kLookupWaitMs, kLookupWaitMs);
    const std::wstring scriptUrl = settings.autoConfigUrl.toStdWString();
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (!settings.autoConfigUrl.isEmpty()) {
        options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = scriptUrl.c_str();
    }
    if (settings.autoDetect) {
        options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    options.fAutoLogonIfChallenged = TRUE;
    const UrlParts parts = urlParts(url);
    const std::wstring target =
        (url.contains(u"://") ? url : QStringLiteral("http://") + url).toStdWString();
    WINHTTP_PROXY_INFO info{};
    if (!WinHttpGetProxyForUrl(session.get(), target.c_str(), &options, &info)) {
        *failure = QStringLiteral("%1 zlyhalo (WinHTTP chyba %2)").arg(how).arg(GetLastError());
        return std::nullopt;
    }
    const GlobalText proxy(info.lpszProxy);
    const GlobalText bypass(info.lpszProxyBypass);
    if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && !proxy.value().isEmpty())
        return systemChoice(
            firstProxyOf(proxy.value()),
            QStringLiteral("systémové nastavenia: %1 určuje proxy pre %2").arg(how, parts.host));
    return systemChoice({}, QStringLiteral("systémové nastavenia: %1 určuje priame spojenie s %2")
                                .arg(how, parts.host));
}

ProxyChoice fixedProxy(const QString &url, const UserSettings &settings, const QString &before)
{
    const UrlParts parts = urlParts(url);
    const QString server = systemProxyServerFor(settings.proxyServer, parts.scheme);
    if (server.isEmpty())
        return systemChoice(
            {}, before +
                    QStringLiteral("systémové nastavenia neurčujú proxy pre %1").arg(parts.scheme));
    if (systemBypassMatches(parts.host, settings.bypass))
        return systemChoice({}, before + QStringLiteral("systémové nastavenia: %1 je vo výnimkách "
                                                        "proxy servera (%2)")
                                             .arg(parts.host, settings.bypass));
    return systemChoice(server.contains(u"://") ? server : QStringLiteral("http://") + server,
                        before + QStringLiteral("systémové nastavenia: pevný proxy server"));
}

// Most offices have no WPAD server, and looking for one takes time on every transfer: a failed
// detection is believed for a while, as Windows' own proxy service does.
constexpr auto kDetectionFailureKept = std::chrono::minutes(5);
std::mutex detectionMutex;
std::optional<std::chrono::steady_clock::time_point> detectionFailedAt;

bool detectionFailed()
{
    const std::lock_guard lock(detectionMutex);
    return detectionFailedAt &&
           std::chrono::steady_clock::now() - *detectionFailedAt < kDetectionFailureKept;
}

void rememberDetectionFailed()
{
    const std::lock_guard lock(detectionMutex);
    detectionFailedAt = std::chrono::steady_clock::now();
}

} // namespace

ProxyChoice proxyFor(const QString &url)
{
    // Windows' names of variables have no case: libcurl's getenv finds HTTP_PROXY too.
    auto fromEnvironment =
        environmentProxyFor(url, [](const char *name) { return qEnvironmentVariable(name); });
    if (fromEnvironment) {
        // A proxy named without credentials gets the logon's, as one of the settings does.
        fromEnvironment->logonCredentials =
            !fromEnvironment->proxy.isEmpty() && !fromEnvironment->proxy.contains(u'@');
        return *fromEnvironment;
    }
    DWORD error = 0;
    const auto settings = readUserSettings(&error);
    if (!settings)
        return systemChoice({}, QStringLiteral("systémové nastavenia proxy sa nedajú prečítať "
                                               "(WinHTTP chyba %1)")
                                    .arg(error));
    QString before;
    const bool detectionFailedLately = settings->autoConfigUrl.isEmpty() && detectionFailed();
    if (settings->autoDetect && detectionFailedLately) {
        before = QStringLiteral("automatické zisťovanie (WPAD) nedávno zlyhalo; ");
    } else if (settings->autoDetect || !settings->autoConfigUrl.isEmpty()) {
        QString failure;
        if (auto found = automaticProxy(url, *settings, &failure))
            return *found;
        if (settings->autoConfigUrl.isEmpty())
            rememberDetectionFailed();
        before = failure + QStringLiteral("; ");
    }
    return fixedProxy(url, *settings, before);
}

} // namespace menu::platform
