// The proxy rules both systems share: libcurl's reading of the environment, and the syntax of
// the Windows Internet settings, which are plain text and are tested on either system.
#include "platform/Proxy.h"

#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <utility>

namespace menu::platform {

namespace {

// A dotted quad of four decimal numbers, as inet_pton takes it; nothing for anything else.
std::optional<std::uint32_t> ipv4(const QString &text)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    std::uint32_t address = 0;
    for (const QString &part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok, 10);
        if (!ok || part.isEmpty() || part.size() > 3 || value > 255 || !part.at(0).isDigit() ||
            (part.size() > 1 && part.at(0) == u'0'))
            return std::nullopt;
        address = (address << 8) | value;
    }
    return address;
}

bool ipv4Matches(std::uint32_t host, const QString &token)
{
    const qsizetype slash = token.indexOf(u'/');
    // As atoi reads it: digits up to the first other character, 0 for none.
    unsigned bits = 0;
    if (slash >= 0) {
        for (const QChar c : token.mid(slash + 1)) {
            if (!c.isDigit() || bits > 1000)
                break;
            bits = bits * 10 + static_cast<unsigned>(c.digitValue());
        }
    }
    const auto network = ipv4(slash >= 0 ? token.left(slash) : token);
    if (!network || bits > 32)
        return false;
    if (bits == 0 || bits == 32)
        return host == *network;
    const std::uint32_t mask = 0xffffffffU << (32 - bits);
    return ((host ^ *network) & mask) == 0;
}

bool nameMatches(QStringView host, QStringView token)
{
    if (token.endsWith(u'.'))
        token.chop(1);
    if (token.startsWith(u'.'))
        token = token.mid(1);
    if (token.size() == host.size())
        return token.compare(host, Qt::CaseInsensitive) == 0;
    return token.size() < host.size() && host.at(host.size() - token.size() - 1) == u'.' &&
           host.right(token.size()).compare(token, Qt::CaseInsensitive) == 0;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString firstSet(const EnvironmentReader &env, std::initializer_list<const char *> names,
                 QString *which)
{
    for (const char *name : names) {
        const QString value = env(name);
        if (!value.isEmpty()) {
            *which = QString::fromLatin1(name);
            return value;
        }
    }
    return {};
}

bool isLoopback(const QString &host)
{
    if (host == u"localhost" || host == u"loopback" || host == u"::1")
        return true;
    const auto address = ipv4(host);
    return address && (*address >> 24) == 127;
}

// Whether text matches pattern, in which * stands for any run of characters, without case.
bool wildcardMatches(QStringView pattern, QStringView text)
{
    qsizetype p = 0;
    qsizetype t = 0;
    qsizetype star = -1; // the last * seen, and where in text its run ends so far
    qsizetype starText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern.at(p) == u'*') {
            star = p++;
            starText = t;
        } else if (p < pattern.size() &&
                   pattern.at(p).toCaseFolded() == text.at(t).toCaseFolded()) {
            ++p;
            ++t;
        } else if (star >= 0) {
            p = star + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

UrlParts urlParts(const QString &url)
{
    const QUrl parsed(url.contains(u"://") ? url : QStringLiteral("http://") + url);
    UrlParts parts;
    parts.scheme = parsed.scheme().toLower();
    parts.host = parsed.host().toLower();
    parts.port = parsed.port(parts.scheme == u"https" ? 443 : 80);
    return parts;
}

bool noProxyMatches(const QString &host, const QString &noProxy)
{
    if (host.isEmpty() || noProxy.isEmpty())
        return false;
    if (noProxy == u"*")
        return true;
    const auto address = ipv4(host);
    QStringView name(host);
    if (!address && name.endsWith(u'.'))
        name.chop(1);
    for (qsizetype i = 0; i < noProxy.size();) {
        // Blanks and commas both separate entries, however many.
        while (i < noProxy.size() && (isBlank(noProxy.at(i)) || noProxy.at(i) == u','))
            ++i;
        const qsizetype start = i;
        while (i < noProxy.size() && !isBlank(noProxy.at(i)) && noProxy.at(i) != u',')
            ++i;
        const QString token = noProxy.mid(start, i - start);
        if (!token.isEmpty() && (address ? ipv4Matches(*address, token) : nameMatches(name, token)))
            return true;
    }
    return false;
}

std::optional<ProxyChoice> environmentProxyFor(const QString &url, const EnvironmentReader &env)
{
    const UrlParts parts = urlParts(url);
    const QByteArray lower = parts.scheme.toLatin1() + "_proxy";
    const QByteArray upper = lower.toUpper();
    QString variable;
    // An upper-case HTTP_PROXY can come from a request's "Proxy:" header in a web server's
    // programs: libcurl never reads it, and neither does the launcher.
    QString proxy = parts.scheme == u"http"
                        ? firstSet(env, {lower.constData()}, &variable)
                        : firstSet(env, {lower.constData(), upper.constData()}, &variable);
    if (proxy.isEmpty())
        proxy = firstSet(env, {"all_proxy", "ALL_PROXY"}, &variable);
    if (proxy.isEmpty())
        return std::nullopt;
    ProxyChoice choice;
    choice.source = ProxyChoice::Source::Environment;
    QString noProxyVariable;
    const QString noProxy = firstSet(env, {"no_proxy", "NO_PROXY"}, &noProxyVariable);
    if (noProxyMatches(parts.host, noProxy)) {
        choice.reason = QStringLiteral("premenná %1 vylučuje %2 (%1=%3), hoci %4 určuje proxy")
                            .arg(noProxyVariable, parts.host, noProxy, variable);
        return choice;
    }
    choice.proxy = proxy;
    choice.reason = QStringLiteral("premenná prostredia %1").arg(variable);
    return choice;
}

QStringList settingsList(const QString &text, QStringView separators)
{
    QStringList items;
    QString item;
    for (const QChar c : text) {
        if (c.isSpace() || separators.contains(c)) {
            if (!item.isEmpty())
                items.append(std::exchange(item, QString()));
        } else {
            item.append(c);
        }
    }
    if (!item.isEmpty())
        items.append(item);
    return items;
}

QString systemProxyServerFor(const QString &proxyServer, const QString &scheme)
{
    const QStringList entries = settingsList(proxyServer, u";");
    for (const QString &entry : entries) {
        const qsizetype equals = entry.indexOf(u'=');
        if (equals < 0)
            return entries.size() == 1 ? entry : QString();
        if (entry.left(equals).compare(scheme, Qt::CaseInsensitive) == 0)
            return entry.mid(equals + 1);
    }
    return {};
}

bool systemBypassMatches(const QString &host, const QString &bypassList)
{
    const QStringList patterns = settingsList(bypassList, u";,");
    if (!patterns.contains(QStringLiteral("<-loopback>"), Qt::CaseInsensitive) && isLoopback(host))
        return true;
    for (QString pattern : patterns) {
        if (pattern.compare(u"<local>", Qt::CaseInsensitive) == 0) {
            if (!host.contains(u'.') && !host.contains(u':'))
                return true;
            continue;
        }
        // A scheme in front of the pattern is the settings' own; the host is what it names.
        if (const qsizetype scheme = pattern.indexOf(u"://"); scheme >= 0)
            pattern = pattern.mid(scheme + 3);
        if (wildcardMatches(pattern, host))
            return true;
    }
    return false;
}

QString withoutPassword(const QString &proxy)
{
    const qsizetype at = proxy.lastIndexOf(u'@');
    if (at < 0)
        return proxy;
    const qsizetype schemeEnd = proxy.indexOf(u"://");
    const qsizetype userStart = schemeEnd >= 0 && schemeEnd < at ? schemeEnd + 3 : 0;
    const qsizetype colon = proxy.indexOf(u':', userStart);
    if (colon < 0 || colon > at)
        return proxy;
    return proxy.left(colon + 1) + QStringLiteral("***") + proxy.mid(at);
}

} // namespace menu::platform
