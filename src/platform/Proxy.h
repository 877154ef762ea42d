// Which proxy a request to one address goes through, and why. Offices reach the internet
// through a proxy more often than not, and it is the user's system that says which:
// - Linux: the usual variables (http_proxy, https_proxy, HTTPS_PROXY, all_proxy, no_proxy),
//   which libcurl reads itself; the choice here is the one libcurl makes, so that support staff
//   see what the transfer does.
// - Windows: the same variables when they name a proxy for the address's scheme (the place for
//   a Basic proxy's credentials: never menu.ini), else the user's Internet settings through
//   WinHTTP: automatic detection or a configuration script resolved for the address, else the
//   fixed proxy with its bypass list. A proxy found there asks for no password: a request for
//   credentials is answered with the user's logon.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>

namespace menu::platform {

struct ProxyChoice {
    enum class Source {
        None,        // nothing names a proxy for the address: a direct connection
        Environment, // the proxy variables decide, and libcurl reads them itself
        System,      // the system's settings name the proxy (or no proxy) for this address
    };
    Source source = Source::None;
    // The proxy as libcurl takes it ([scheme://][user:password@]host[:port]); empty: direct.
    QString proxy;
    // A proxy's request for credentials is answered with the user's logon (Negotiate, NTLM).
    bool logonCredentials = false;
    // Which setting decided, for support staff. Never holds a password.
    QString reason;
};

// The choice for url: http://host/..., https://host/... or host/... (http).
ProxyChoice proxyFor(const QString &url);

// ---- The rules both systems share (pure: the environment and the settings are handed in) ----

struct UrlParts {
    QString scheme; // lower case; "http" without one
    QString host;   // lower case, without the brackets of an IPv6 address
    int port = 0;
};
UrlParts urlParts(const QString &url);

// The value of an environment variable; empty when unset (libcurl takes an empty one as unset).
using EnvironmentReader = std::function<QString(const char *name)>;

// The proxy libcurl takes from the environment for url: <scheme>_proxy (for http only the lower
// case name, which a web server cannot set from a request's header), else its upper-case name,
// else all_proxy and ALL_PROXY; no proxy when no_proxy (else NO_PROXY) matches the host.
// Nothing when no variable names a proxy for the address's scheme.
std::optional<ProxyChoice> environmentProxyFor(const QString &url, const EnvironmentReader &env);

// libcurl's no_proxy rule: "*" alone matches every host; otherwise a list (separated by commas
// or blanks) of names, each matching itself and the names below it (a leading or trailing dot
// ignored), and of IP addresses, each with an optional "/bits" network prefix.
bool noProxyMatches(const QString &host, const QString &noProxy);

// The items of a list in the Internet settings, separated by any of separators or blanks.
// (No regular expression: the lists are read on download workers, and a thread that used one
// crashed in Qt's core at its end under MinGW, in the freeing of a thread-local JIT stack.)
QStringList settingsList(const QString &text, QStringView separators);

// The proxy that the Internet settings' proxy server value names for scheme: one "host:port"
// for every scheme, or "http=host:port;https=host:port"; empty when none serves the scheme.
QString systemProxyServerFor(const QString &proxyServer, const QString &scheme);

// Whether the Internet settings' bypass list ("*.firma.sk;10.*;<local>", separated by
// semicolons, blanks or commas) sends host straight: patterns with * matched without case,
// "<local>" for names without a dot, and the loopback addresses always, unless "<-loopback>".
bool systemBypassMatches(const QString &host, const QString &bypassList);

// proxy without the password of its credentials, for showing.
QString withoutPassword(const QString &proxy);

} // namespace menu::platform
