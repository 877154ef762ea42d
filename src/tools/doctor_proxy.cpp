// menu-doctor proxy URL: which proxy the launcher's transfers would take for an address, and
// which setting says so.
#include "platform/Proxy.h"
#include "tools/Doctor.h"

namespace menu::doctor {

namespace {

QString sourceName(platform::ProxyChoice::Source source)
{
    switch (source) {
    case platform::ProxyChoice::Source::Environment:
        return QStringLiteral("environment");
    case platform::ProxyChoice::Source::System:
        return QStringLiteral("system");
    case platform::ProxyChoice::Source::None:
        break;
    }
    return QStringLiteral("none");
}

int proxy(const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("proxy"));
    const platform::ProxyChoice choice = platform::proxyFor(args.at(0));
    out(QStringLiteral("proxy: %1\n")
            .arg(choice.proxy.isEmpty() ? QStringLiteral("none (direct)")
                                        : platform::withoutPassword(choice.proxy)));
    out(QStringLiteral("source: %1\n").arg(sourceName(choice.source)));
    out(QStringLiteral("reason: %1\n").arg(choice.reason));
    if (!choice.proxy.isEmpty())
        out(QStringLiteral("credentials: %1\n")
                .arg(choice.proxy != platform::withoutPassword(choice.proxy)
                         ? QStringLiteral("from the proxy's address")
                     : choice.logonCredentials
                         ? QStringLiteral("the user's logon (Negotiate, NTLM)")
                         : QStringLiteral("none")));
    return 0;
}

const Registration registration{{QStringLiteral("proxy"),
                                 QStringLiteral("proxy URL   (which proxy the launcher takes "
                                                "for URL, and why)"),
                                 proxy}};

} // namespace

} // namespace menu::doctor
